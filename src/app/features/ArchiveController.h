#pragma once

#include "app/features/MainWindowFeature.h"

#include <QObject>
#include <QString>

#include <deque>
#include <memory>

class BackgroundJob;
class CArchiveDlg;
class RecordingListController;
namespace archive {
class ArchiveIndex;
struct ArchivedTrip;
struct Pass;
}

// The archive in the main window: every card or folder the list shows is indexed into the archive on
// a worker as soon as its listing arrives (only new or changed recordings are read), and the archive
// window (title button, Ctrl+F) finds drives by day and by place over every card and backup. A trip
// or pass chosen there plays in the main window; one whose card or backup is not at hand is not
// played, and the user is told which holds it.
class ArchiveController : public QObject, public MainWindowFeature
{
    Q_OBJECT
public:
    ArchiveController(MainWindowContext &window, RecordingListController &list);
    ~ArchiveController() override;

    CArchiveDlg *ArchiveWindow() const { return m_dialog; }
    // The archive the window reads; null when it could not be opened.
    const archive::ArchiveIndex *Index() const { return m_index.get(); }
    // Whether a card or folder is being indexed, or waits to be.
    bool IsIndexing() const { return m_indexing != nullptr || !m_pending.empty(); }
    BackgroundJob *IndexingJob() const { return m_indexing.get(); }

    // Plays a trip of the archive from a moment of its timeline, or tells which source holds it.
    void PlayArchived(const archive::ArchivedTrip &trip, int64_t fromMs = 0);
    // Plays the trip that holds the pass, front and rear, from a few seconds before it.
    void PlayPass(const archive::Pass &pass);
    // Shows or hides the archive window.
    void Toggle();
    // A card was inserted or removed somewhere: sources come online or go offline.
    void OnMountsChanged();

    // Seconds of driving shown before a chosen pass.
    static constexpr int64_t kLeadInMs = 5000;

    void OnStart() override;
    void OnSkinLoaded() override;
    void OnLayoutChanging() override;
    bool OnKey(const QKeyEvent &event) override;
    void OnClosing() override;

private:
    struct Source {
        QString root;
        bool isCard = false;
    };

    void OnListed();
    void StartIndexing();
    void RefreshWindow();
    void TellMovedAside(const QString &note);
    QString SourceName(qint64 sourceId, const QString &label) const;

    std::unique_ptr<archive::ArchiveIndex> m_index; // this thread's connection, for the window's queries
    CArchiveDlg *m_dialog = nullptr; // a child window; null when it could not be made
    std::unique_ptr<BackgroundJob> m_indexing;
    Source m_indexed; // the source m_indexing indexes
    std::deque<Source> m_pending; // listed while another was being indexed
};
