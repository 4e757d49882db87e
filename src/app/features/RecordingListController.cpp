// The main window's recording list. A card or folder is listed on a worker so that a slow card
// never blocks the window; a progress window with Cancel appears when it takes a while.
#include "app/features/RecordingListController.h"

#include "app/AppLog.h"
#include "app/DualPlayback.h"
#include "app/MainWindowSettings.h"
#include "app/features/MainWindowTexts.h"
#include "device/CTAVINSDConfig.h"
#include "device/CardChooser.h"
#include "device/ui/CSelDriveDlg.h"
#include "panels/BackgroundJob.h"
#include "panels/MainWindowMessages.h"
#include "platform/mount_watcher.h"
#include "platform/volume_source.h"
#include "skin/CSkinDialog.h"
#include "skin/CSkinHeaderCtrl.h"
#include "skin/CSkinListCtrl.h"

#include <QCoreApplication>
#include <QFileDialog>

#include <algorithm>

using namespace mainwindow;
using skin::kSkinImgButton;

namespace {
// A listing shorter than this never shows its progress, so a warm card does not flash a dialog.
constexpr int kProgressDelayMs = 300;
const char *const kListingText = QT_TRANSLATE_NOOP("CTAVINDlg", "녹화 파일을 찾는 중입니다...");
const char *const kCancelText = QT_TRANSLATE_NOOP("CTAVINDlg", "취소");
const char *const kCategoryButtons[] = { "filelist_category_all", "filelist_category_normal",
    "filelist_category_event", "filelist_category_user", "filelist_category_arch" };
} // namespace

RecordingListController::RecordingListController(MainWindowContext &window, Services services)
    : MainWindowFeature(window)
    , m_services(std::move(services))
{
}

RecordingListController::~RecordingListController() = default;

void RecordingListController::OnStart()
{
    library::RecordingLibrary &library = m_window.Library();
    const skin::CSkinDialog &dialog = m_window.Window();
    library.SetVideoExtensions(library::VideoExtensions(
        dialog.Skin().Text(QStringLiteral("video_ext")), dialog.Skin().Text(QStringLiteral("video_ext2"))));
    library.SetLocation(m_window.Settings().lastOpen);
    if (!m_services.commandLine.isEmpty())
        m_window.Window().PostMessage(kMsgOpenCommandLine);
    else
        ChooseCardAtStart();
    if (m_services.watchMounts) {
        m_mountWatcher = new platform::MountWatcher(this);
        connect(m_mountWatcher, &platform::MountWatcher::mountsChanged, this,
            &RecordingListController::OnMountsChanged);
    }
}

void RecordingListController::OnSkinLoaded()
{
    skin::CSkinDialog &dialog = m_window.Window();
    const auto button = [&dialog](const char *name, std::function<void()> fn) {
        dialog.RegisterEvent(
            QString::fromLatin1(name), kSkinImgButton, skin::kEventClick, skin::ClickDelegate(std::move(fn)));
    };
    button("open", [this] { OpenFolder(); });
    button("sort_new", [this] { Sort(false); });
    button("sort_old", [this] { Sort(true); });
    for (int k = 0; k < 5; ++k)
        button(kCategoryButtons[k], [this, k] { ChooseCategory(library::kCategoryAll + k); });
    dialog.RegisterEvent(QStringLiteral("file_list"), skin::kSkinListCtrl, skin::kEventClick,
        skin::ItemDelegate([this](int item, int) {
            if (item >= 0)
                m_window.OpenRow(item);
        }));
    if (skin::CSkinListCtrl *list = FileList()) {
        list->SetTextColor(0x656565);
        list->SetSelectionColor(0x0F53EF);
        list->SetRowBackColor(0x202020);
        if (list->Header())
            list->Header()->SetColors(0x202020, 0xFFFFFF);
    }
    // A new layout has a new list control: the rows come back with their selection.
    FillListControl();
    if (m_selectedBeforeLayout >= 0 && FileList())
        FileList()->SetSelectedItem(m_selectedBeforeLayout);
    m_selectedBeforeLayout = -1;
    RefreshButtons();
}

void RecordingListController::OnLayoutChanging()
{
    m_selectedBeforeLayout = FileList() ? FileList()->GetSelectedItem() : -1;
}

bool RecordingListController::OnMessage(quint32 message, quintptr, qintptr)
{
    switch (message) {
    case kMsgOpenCommandLine:
        OpenCommandLine();
        return true;
    case kMsgEmptyList:
        EmptyList();
        return true;
    case kMsgOpenFolder:
        OpenFolder();
        return true;
    default:
        return false;
    }
}

void RecordingListController::OnClosing()
{
    CancelListing();
}

skin::CSkinListCtrl *RecordingListController::FileList() const
{
    return m_window.Window().Control<skin::CSkinListCtrl>(skin::kSkinListCtrl, QStringLiteral("file_list"));
}

void RecordingListController::SetPlayingFile(qint64 fileIndex)
{
    m_playingFile = fileIndex;
    m_playingRow = -1;
    skin::CSkinListCtrl *list = FileList();
    for (int row = 0; list && row < list->GetItemCount(); ++row) {
        if (list->GetItemData(row) == fileIndex) {
            m_playingRow = row;
            list->SetSelectedItem(row);
            break;
        }
    }
}

void RecordingListController::RefreshButtons()
{
    skin::CSkinDialog &dialog = m_window.Window();
    const bool ascending = m_window.Library().SortAscending();
    dialog.ShowControl(kSkinImgButton, QStringLiteral("sort_new"), ascending);
    dialog.ShowControl(kSkinImgButton, QStringLiteral("sort_old"), !ascending);
    for (int k = 0; k < 5; ++k) {
        if (QWidget *b = dialog.GetControl(kSkinImgButton, QString::fromLatin1(kCategoryButtons[k])))
            b->setEnabled(library::kCategoryAll + k != m_category);
    }
}

void RecordingListController::ChooseCardAtStart()
{
    device::CardChooserUi ui;
    ui.reportNoCard = [this] { m_window.ShowKeyed(QStringLiteral("no_card"), skin::kMbIconError); };
    ui.chooseCard = m_services.chooseCard ? m_services.chooseCard : [this](const QStringList &roots) {
        device::CSelDriveDlg dialog(roots, &m_window.Window());
        return dialog.exec() == QDialog::Accepted ? std::optional<int>(dialog.ChosenIndex()) : std::nullopt;
    };
    device::CTAVINSDConfig &config = m_window.Config();
    const device::CardChoice choice = device::ChooseCard(config, ui);
    if (choice == device::CardChoice::Cancelled)
        config.Reset(false);
    if (choice == device::CardChoice::Selected && !config.GetSelectedDrive().isEmpty())
        StartListing(config.GetSelectedDrive(), true);
}

void RecordingListController::OpenCommandLine()
{
    m_window.Library().OpenCommandLine(m_services.commandLine);
    FillListControl();
    NotifyListed();
    if (FileList() && FileList()->GetItemCount() > 0)
        m_window.OpenRow(0);
    else
        OpenFolder();
}

void RecordingListController::OpenFolder()
{
    const QString chosen = m_services.chooseFolder
        ? m_services.chooseFolder()
        : QFileDialog::getExistingDirectory(&m_window.Window(), QString(), m_window.Library().Location());
    if (chosen.isEmpty())
        return;
    // A card's root is listed as that card, whichever way the chooser spells it.
    device::CTAVINSDConfig &config = m_window.Config();
    const QString root = platform::NormalizedRoot(chosen);
    for (int index = 0; index < config.GetMatchingDriveCount(); ++index) {
        if (platform::NormalizedRoot(config.GetDrive(index)) == root) {
            StartListing(config.GetDrive(index), true);
            return;
        }
    }
    StartListing(chosen, false);
}

void RecordingListController::StartListing(const QString &location, bool isCard)
{
    // A newer request replaces a listing still running; the old one's result never shows.
    if (m_listing)
        BackgroundJob::GiveUp(std::move(m_listing));
    BackgroundJob::Options options;
    options.text = Translated(kListingText);
    options.cancelText = Translated(kCancelText);
    options.delayMs = kProgressDelayMs;
    options.windowName = QStringLiteral("listing_progress");
    m_listing = std::make_unique<BackgroundJob>(&m_window.Window(), options);
    m_listingCard = isCard ? location : QString();
    m_listing->Start(
        Listing { location, isCard, m_window.Library().Extensions(), {} },
        [](Listing &listing, BackgroundJob::Progress &progress) {
            listing.found
                = library::ListRecordings(listing.location, listing.extensions, progress.CancelFlag());
        },
        [this](Listing &listing, bool cancelled) {
            m_listing.reset();
            // A cancelled listing leaves the list as it was.
            if (!cancelled)
                OnListingFinished(listing);
        });
}

void RecordingListController::OnListingFinished(Listing &listing)
{
    // By its root: a card change during the listing may have moved it among the offered cards.
    if (listing.isCard)
        SelectCard(listing.location);
    m_category = library::kCategoryAll;
    m_playingRow = -1;
    m_playingFile = -1;
    m_window.Library().SetListing(listing.location, listing.isCard, std::move(listing.found));
    FillListControl();
    RefreshButtons();
    if (listing.isCard && m_onCardListed)
        m_onCardListed();
    NotifyListed();
}

void RecordingListController::NotifyListed()
{
    for (const std::function<void()> &handler : m_onListed)
        handler();
}

bool RecordingListController::SelectCard(const QString &root)
{
    device::CTAVINSDConfig &config = m_window.Config();
    const QString wanted = platform::NormalizedRoot(root);
    for (int i = 0; i < config.GetMatchingDriveCount(); ++i) {
        if (platform::NormalizedRoot(config.GetDrive(i)) == wanted)
            return config.SelectDrive(i);
    }
    return false;
}

void RecordingListController::CancelListing()
{
    if (m_listing)
        m_listing->Cancel();
}

int RecordingListController::ListedCardIndex() const
{
    device::CTAVINSDConfig &config = m_window.Config();
    const library::RecordingLibrary &library = m_window.Library();
    const int count = config.GetMatchingDriveCount();
    if (library.IsCard()) {
        const QString location = platform::NormalizedRoot(library.Location());
        for (int i = 0; i < count; ++i)
            if (platform::NormalizedRoot(config.GetDrive(i)) == location)
                return i;
    }
    return count > 0 ? 0 : -1;
}

void RecordingListController::Refill()
{
    FillListControl();
    RefreshButtons();
}

void RecordingListController::FillListControl()
{
    skin::CSkinListCtrl *list = FileList();
    if (!list)
        return;
    if (m_alternateRows && m_alternateRows(*list)) {
        m_playingRow = -1;
        return;
    }
    list->DeleteAllItems();
    const std::vector<library::ListRow> &rows = m_window.Library().Rows();
    int playing = -1;
    for (int row = 0; row < int(rows.size()); ++row) {
        const QStringList texts = rows[size_t(row)].Texts();
        list->InsertItem(row, texts.value(0));
        for (int column = 1; column < texts.size(); ++column)
            list->SetItemText(row, column, texts[column]);
        list->SetItemData(row, rows[size_t(row)].fileIndex);
        if (m_playingFile >= 0 && rows[size_t(row)].fileIndex == m_playingFile)
            playing = row;
    }
    // The playing recording keeps its row, wherever a sort or category put it; next, previous and
    // repeat count from there.
    m_playingRow = playing;
    if (playing >= 0)
        list->SetSelectedItem(playing);
    else if (!rows.empty())
        list->SetSelectedItem(0);
}

void RecordingListController::ChooseCategory(int category)
{
    // Not while a recording opens: its row is found in the list it opened from.
    if (!m_window.Library().CanChangeCategory() || m_window.Playback().IsOpening())
        return;
    if (m_leaveAlternate)
        m_leaveAlternate();
    m_category = category;
    m_window.Library().FillList(category);
    FillListControl();
    RefreshButtons();
}

void RecordingListController::Sort(bool ascending)
{
    if (m_leaveAlternate)
        m_leaveAlternate();
    m_window.Library().SortList(ascending);
    FillListControl();
    RefreshButtons();
}

void RecordingListController::EmptyList()
{
    m_window.ClearPositionViews();
    library::RecordingLibrary &library = m_window.Library();
    library.SetListing(library.Location(), library.IsCard(), {});
    m_playingRow = -1;
    m_playingFile = -1;
    NotifyListed();
    FillListControl();
}

void RecordingListController::OnMountsChanged()
{
    library::RecordingLibrary &library = m_window.Library();
    device::CTAVINSDConfig &config = m_window.Config();
    const QString location = platform::NormalizedRoot(library.Location());
    // A format that remounted the card elsewhere has moved the selection with it.
    const QString selected = config.GetSelectedDrive();
    config.ScanDrives(true);
    // A card still being listed keeps its selection.
    if (m_listing && !m_listing->IsCancelled() && !m_listingCard.isEmpty()) {
        SelectCard(m_listingCard);
        return;
    }
    // Only a listed card can go away; a listed folder stays where it is.
    if (!library.IsCard() || library.Location().isEmpty())
        return;
    if (SelectCard(location))
        return;
    if (!selected.isEmpty() && platform::NormalizedRoot(selected) != location && SelectCard(selected)) {
        StartListing(config.GetSelectedDrive(), true);
        return;
    }
    m_window.StopPlayback();
    m_window.Window().SendMessage(kMsgEmptyList);
    library.SetLocation(QString());
    m_window.ShowPlain(Translated(kCardRemovedText),
        m_window.Window().Skin().Text(QStringLiteral("err_title")), skin::kMbIconWarning);
}
