#pragma once

#include "app/features/MainWindowFeature.h"
#include "library/TripModel.h"

#include <QObject>
#include <QStringList>

#include <memory>

class BackgroundJob;
class RecordingListController;
namespace skin {
class CSkinListCtrl;
}

// The trips of the listed card or folder: the list can show them instead of the recordings (the
// list-mode buttons), each with its start, length, distance and events, and choosing one plays it
// as one continuous drive. The trips are grouped as soon as a listing arrives; the distance, top
// speed and impacts of each are read on a worker, a few recordings at a time, and shown as they
// come.
class TripController : public QObject, public MainWindowFeature
{
    Q_OBJECT
public:
    TripController(MainWindowContext &window, RecordingListController &list);
    ~TripController() override;

    const library::TripModel &Model() const { return m_model; }
    bool ShowsTrips() const { return m_showTrips; }
    // Switches the list between trips and recordings.
    void ShowTrips(bool show);
    // The trip a row of the list shows, -1 when none.
    int TripOfRow(int row) const;
    // Plays the trip a row of the list shows.
    void PlayRow(int row);
    // Whether the trips' telemetry is still being summed up.
    bool IsSummarizing() const { return m_summaries != nullptr; }

    void OnSkinLoaded() override;
    void OnClosing() override;

private:
    void Rebuild();
    bool FillRows(skin::CSkinListCtrl &list);
    QString RowText(const library::Trip &trip) const;
    QString KindText(const library::Trip &trip) const;
    void SummarizeNext();
    void RefreshButtons();

    RecordingListController &m_list;
    library::TripModel m_model;
    bool m_showTrips = false;
    int m_nextSummary = 0; // the next listing index whose summary is to be read
    std::unique_ptr<BackgroundJob> m_summaries;
    QStringList m_fileHeaders; // the list's column names while it shows files
};
