#pragma once

#include "app/features/MainWindowFeature.h"
#include "library/RecordingLibrary.h"

#include <QObject>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class BackgroundJob;
namespace platform {
class MountWatcher;
}
namespace skin {
class CSkinListCtrl;
}

// The recording list: the card or folder it shows, the listings that run on workers, the
// categories and the sort order, the card changes, and which row plays. Refilling the list keeps
// the playing recording's row.
class RecordingListController : public QObject, public MainWindowFeature
{
    Q_OBJECT
public:
    struct Services {
        QString commandLine; // recordings given to the program, double-quoted
        // The card chooser at start-up: the chosen index, or nothing on Cancel. Empty: the dialog.
        std::function<std::optional<int>(const QStringList &roots)> chooseCard;
        // The folder chooser of `open`; empty result when cancelled. Empty: the system's dialog.
        std::function<QString()> chooseFolder;
        bool watchMounts = true;
    };

    RecordingListController(MainWindowContext &window, Services services);
    ~RecordingListController() override;

    // A card was listed (the settings panel then reads it).
    void SetOnCardListed(std::function<void()> handler) { m_onCardListed = std::move(handler); }
    // Any listing arrived (card, folder or command line), or the list was emptied: each handler
    // added is called, in the order they were added.
    void AddOnListed(std::function<void()> handler) { m_onListed.push_back(std::move(handler)); }
    // Another view of the listing fills the list control instead of the recordings while fill
    // returns true (the trips); choosing a category or sort order calls leave first.
    void SetAlternateRows(std::function<bool(skin::CSkinListCtrl &list)> fill, std::function<void()> leave)
    {
        m_alternateRows = std::move(fill);
        m_leaveAlternate = std::move(leave);
    }
    // Fills the list control again (after the alternate view was switched on or off).
    void Refill();

    void OnStart() override;
    void OnSkinLoaded() override;
    void OnLayoutChanging() override;
    bool OnMessage(quint32 message, quintptr wParam, qintptr lParam) override;
    void OnClosing() override;

    skin::CSkinListCtrl *FileList() const;
    // The row of the playing recording, -1 when none plays or its row is not listed.
    int PlayingRow() const { return m_playingRow; }
    // The recording of the library that plays now; its row is highlighted when listed.
    void SetPlayingFile(qint64 fileIndex);
    // Whether a listing runs on a worker.
    bool IsListing() const { return m_listing != nullptr; }
    BackgroundJob *ListingJob() const { return m_listing.get(); }
    // The index among the offered cards of the listed card, or the first one; -1 without cards.
    int ListedCardIndex() const;
    // Gives up a running listing (a card about to be formatted must not be read).
    void CancelListing();
    // A card was inserted or removed somewhere.
    void OnMountsChanged();
    void OpenFolder();
    // Refreshes the category and sort buttons.
    void RefreshButtons();

private:
    // A card or folder being listed, and what was found there.
    struct Listing {
        QString location;
        bool isCard = false;
        library::VideoExtensions extensions;
        std::vector<library::Recording> found;
    };

    void ChooseCardAtStart();
    void StartListing(const QString &location, bool isCard);
    void OnListingFinished(Listing &listing);
    void NotifyListed();
    // Selects the offered card at root, wherever a rescan has put it; false when it is not offered.
    bool SelectCard(const QString &root);
    void FillListControl();
    void ChooseCategory(int category);
    void Sort(bool ascending);
    void EmptyList();
    void OpenCommandLine();

    Services m_services;
    platform::MountWatcher *m_mountWatcher = nullptr;
    int m_category = library::kCategoryAll;
    int m_playingRow = -1;
    int m_selectedBeforeLayout = -1;
    qint64 m_playingFile = -1; // the playing recording's index in the library
    // The listing running on a worker; one given up for a newer request ends on its own.
    std::unique_ptr<BackgroundJob> m_listing;
    QString m_listingCard; // the root of the card it lists, empty for a folder
    std::function<void()> m_onCardListed;
    std::vector<std::function<void()>> m_onListed;
    std::function<bool(skin::CSkinListCtrl &list)> m_alternateRows;
    std::function<void()> m_leaveAlternate;
};
