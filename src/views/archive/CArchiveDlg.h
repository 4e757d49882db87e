#pragma once

#include "archive/ArchiveIndex.h"
#include "skin/CSkinDialog.h"

#include <functional>

class ArchiveCalendarPage;
class ArchiveMapPage;
class QLabel;
class QProgressBar;
class QStackedWidget;
class QToolButton;

// The archive window: the calendar of drives and the archive's map, over every card and backup the
// archive holds, with a thin bar while a card is being indexed. It reads the archive it is given;
// what the user chooses (a trip, a pass) goes to the handlers to be played.
class CArchiveDlg : public skin::CSkinDialog
{
    Q_OBJECT
public:
    enum Page { kCalendarPage = 0, kMapPage = 1 };

    explicit CArchiveDlg(skin::SkinRuntime &runtime, QWidget *parent = nullptr);
    ~CArchiveDlg() override;

    // Loads the window's skin and builds its pages; on failure tells the user and closes itself.
    bool Init(const QString &entryName);
    // The archive the pages read; it outlives the window. Null: the pages stay empty.
    void SetIndex(const archive::ArchiveIndex *index);
    void SetOnTripChosen(std::function<void(const archive::ArchivedTrip &)> handler);
    void SetOnPassChosen(std::function<void(const archive::Pass &)> handler);

    // Reads the archive again (after indexing, or a card came or went).
    void Refresh();
    void ShowPage(Page page);
    Page CurrentPage() const;

    // Indexing of the source runs: done of total recordings looked at.
    void ShowIndexing(const QString &source, int done, int total);
    // Indexing ended; the note (empty, or what went wrong) stays under the pages.
    void IndexingEnded(const QString &note);
    bool ShowsIndexing() const;
    QString IndexingText() const;

    ArchiveCalendarPage *CalendarPage() const { return m_calendar; }
    ArchiveMapPage *MapPage() const { return m_map; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QRect AreaRect(const char *name, const QRect &fallback) const;

    const archive::ArchiveIndex *m_index = nullptr;
    QToolButton *m_tabs[2] = {};
    QStackedWidget *m_pages = nullptr;
    ArchiveCalendarPage *m_calendar = nullptr;
    ArchiveMapPage *m_map = nullptr;
    QProgressBar *m_bar = nullptr;
    QLabel *m_progress = nullptr;
};
