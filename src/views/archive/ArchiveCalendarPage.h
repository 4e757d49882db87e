#pragma once

#include "archive/ArchiveIndex.h"

#include <QDate>
#include <QWidget>

#include <functional>
#include <vector>

class QCalendarWidget;
class QLabel;
class QTreeWidget;
namespace skin {
class CSkin;
}

// The archive window's calendar: the days with drives are marked, and the trips of the chosen day
// are listed from every card and backup, each with its source and whether that source is at hand.
// Choosing a trip hands it to whoever plays it.
class ArchiveCalendarPage : public QWidget
{
    Q_OBJECT
public:
    // The skin gives the page its words; it outlives the page.
    ArchiveCalendarPage(const skin::CSkin &skin, QWidget *parent = nullptr);
    ~ArchiveCalendarPage() override;

    void SetIndex(const archive::ArchiveIndex *index) { m_index = index; }
    void SetOnTripChosen(std::function<void(const archive::ArchivedTrip &)> handler)
    {
        m_onTripChosen = std::move(handler);
    }

    // Reads the days with drives again and lists the chosen day's trips again.
    void Refresh();
    // Shows the day and lists its trips.
    void ChooseDay(const QDate &day);
    // Hands the listed trip on to be played.
    void ChooseTrip(int row);

    QCalendarWidget *Calendar() const { return m_calendar; }
    QTreeWidget *TripList() const { return m_trips; }
    const std::vector<archive::ArchivedTrip> &Trips() const { return m_listed; }
    const std::vector<QDate> &DaysWithDrives() const { return m_days; }
    // What the page says of the chosen day (its trips) and of the whole archive (its days, sources).
    QString DayText() const;
    QString SummaryText() const;

private:
    void MarkDays();
    void ListTrips();

    const skin::CSkin &m_skin;
    const archive::ArchiveIndex *m_index = nullptr;
    std::function<void(const archive::ArchivedTrip &)> m_onTripChosen;
    QCalendarWidget *m_calendar = nullptr;
    QLabel *m_dayLabel = nullptr;
    QLabel *m_summary = nullptr;
    QTreeWidget *m_trips = nullptr;
    std::vector<QDate> m_days; // marked on the calendar
    std::vector<archive::ArchivedTrip> m_listed; // the chosen day's, one per row
};
