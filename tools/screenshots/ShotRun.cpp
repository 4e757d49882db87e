#include "ShotRun.h"

#include "Pictures.h"

#include "app/CTAVINDlg.h"
#include "app/TripPlayer.h"
#include "app/features/ArchiveController.h"
#include "app/features/CardPanelsController.h"
#include "app/features/ExportController.h"
#include "app/features/ImpactsController.h"
#include "app/features/MapController.h"
#include "app/features/TripController.h"
#include "media/CGps.h"
#include "media/widgets/CPLVVideoView.h"
#include "panels/CStorageDlg.h"
#include "panels/ExportChoicesDlg.h"
#include "panels/MainWindowMessages.h"
#include "skin/CSkinListCtrl.h"
#include "skin/WindowMessageEvent.h"
#include "views/archive/ArchiveCalendarPage.h"
#include "views/archive/ArchiveMapPage.h"
#include "views/archive/CArchiveDlg.h"
#include "views/map/CMapCtrl.h"
#include "views/map/CMapDlg.h"
#include "views/map/SimpleBrowser.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QTreeWidget>
#include <QVariant>
#include <QWindow>

#include <algorithm>
#include <thread>

using namespace std::chrono_literals;

namespace screenshots {

namespace {

    // The first start of the web engine, reading a whole card and indexing it take their time on a
    // slow machine; these are the limits past which something is wrong rather than slow.
    constexpr auto kListing = 60s;
    constexpr auto kCardRead = 180s;
    constexpr auto kOpening = 30s;
    constexpr auto kPage = 90s;
    constexpr auto kPictures = 30s;
    constexpr auto kDrawn = 10s;
    // The crash is shown a moment before it happens, the G-sensor's spike just ahead of the cursor.
    constexpr int64_t kBeforeImpactMs = 3000;
    // A video window shows a picture when at least this share of it is lit.
    constexpr double kLitShare = 0.3;
    // Coloured pixels (every third pixel sampled) that make a track on a map page.
    constexpr int kTrackPixels = 40;

    QRect AreaIn(const QWidget *parent, const QWidget *child)
    {
        return QRect(child->mapTo(parent, QPoint(0, 0)), child->size());
    }

    QPoint OffsetOf(const QWidget *window, const QWidget *base)
    {
        return window->mapToGlobal(QPoint(0, 0)) - base->mapToGlobal(QPoint(0, 0));
    }

    bool Exposed(const QWidget *widget)
    {
        return widget->isVisible() && widget->windowHandle() && widget->windowHandle()->isExposed();
    }

} // namespace

ShotRun::ShotRun(CTAVINDlg &window, ShotOptions options, const QStringList &boxes)
    : m_window(window)
    , m_options(std::move(options))
    , m_boxes(boxes)
{
}

bool ShotRun::Run()
{
    return Prepare() && ShootMainWindow() && ShootTrips() && ShootExport() && ShootBackup() && ShootArchive();
}

bool ShotRun::Wait(
    const QString &what, std::chrono::milliseconds timeout, const std::function<bool()> &condition)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        QApplication::processEvents();
        // A message box means the window went another way than a driver's; no use waiting on.
        if (!NoNewBoxes())
            return false;
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() >= deadline) {
            m_error
                = QStringLiteral("gave up waiting for %1 after %2 s").arg(what).arg(timeout.count() / 1000);
            return false;
        }
        std::this_thread::sleep_for(5ms);
    }
}

void ShotRun::Settle(std::chrono::milliseconds time)
{
    const auto until = std::chrono::steady_clock::now() + time;
    while (std::chrono::steady_clock::now() < until) {
        QApplication::processEvents();
        std::this_thread::sleep_for(5ms);
    }
}

bool ShotRun::Click(const char *button)
{
    const int id = m_window.GetControlId(skin::kSkinImgButton, QString::fromLatin1(button));
    if (id == 0) {
        m_error = QStringLiteral("the window has no button \"%1\"").arg(QString::fromLatin1(button));
        return false;
    }
    skin::SendWindowMessage(&m_window, skin::kMsgCommand, skin::CommandWParam(id, 0));
    return true;
}

void ShotRun::ClickRow(int row)
{
    skin::SkinNotifyInfo click;
    click.idFrom = m_window.GetControlId(skin::kSkinListCtrl, QStringLiteral("file_list"));
    click.code = skin::kCodeListClick;
    click.item = row;
    skin::SendNotify(&m_window, click);
}

void ShotRun::Key(int key, Qt::KeyboardModifiers modifiers)
{
    // The window takes its keys from every widget of it, as the list has the focus in use.
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(m_window.FileList(), &press);
}

std::optional<QVariant> ShotRun::Evaluate(SimpleBrowser *browser, const QString &code)
{
    std::optional<QVariant> answer;
    browser->EvaluateScript(code, [&answer](const QVariant &value) { answer = value; });
    if (!Wait(QStringLiteral("the map page to answer"), kDrawn, [&] { return answer.has_value(); }))
        return std::nullopt;
    return answer;
}

bool ShotRun::PageSettled(SimpleBrowser *browser)
{
    // Offline every tile fails and the page says it cannot load the map; the track is drawn over the
    // plain background all the same. Online the tiles must all have arrived.
    const std::optional<QVariant> settled = Evaluate(browser,
        QStringLiteral("(function () { return view.tilesLoaded + view.tilesFailed > 0"
                       " && !tiles.isLoading(); })()"));
    return settled && settled->toBool();
}

bool ShotRun::NoNewBoxes()
{
    if (m_boxes.size() == m_boxesSeen)
        return true;
    m_error = QStringLiteral("the window showed a message: %1")
                  .arg(m_boxes.mid(m_boxesSeen).join(QStringLiteral(" / ")));
    m_boxesSeen = m_boxes.size();
    return false;
}

bool ShotRun::Save(const QString &name, const QImage &picture)
{
    if (!NoNewBoxes())
        return false;
    const QString path = QDir(m_options.out).filePath(name);
    if (!SavePicture(picture, path, &m_error))
        return false;
    m_saved << path;
    return true;
}

int ShotRun::CrashDriveRow() const
{
    const std::vector<library::Trip> &trips = m_window.TripsFeature().Model().Trips();
    int found = -1;
    QDateTime latest;
    for (int row = 0; row < m_window.FileList()->GetItemCount(); ++row) {
        const int index = m_window.TripsFeature().TripOfRow(row);
        if (index < 0 || size_t(index) >= trips.size())
            continue;
        const library::Trip &trip = trips[size_t(index)];
        if (trip.kind == library::TripKind::Drive && trip.impacts > 0 && (found < 0 || trip.start > latest)) {
            found = row;
            latest = trip.start;
        }
    }
    return found;
}

bool ShotRun::Prepare()
{
    if (!Wait(QStringLiteral("the card's recordings in the list"), kListing,
            [&] { return m_window.FileList() && m_window.FileList()->GetItemCount() > 0; }))
        return false;
    // The list by trip, as a driver looks for the drive: their distances and impacts are read from
    // every recording on a worker, and the card is indexed into the archive meanwhile.
    if (!Click("list_mode_trips"))
        return false;
    if (!Wait(QStringLiteral("the trips' distances and impacts"), kCardRead,
            [&] { return m_window.TripsFeature().ShowsTrips() && !m_window.TripsFeature().IsSummarizing(); }))
        return false;
    m_crashRow = CrashDriveRow();
    if (m_crashRow < 0) {
        m_error
            = QStringLiteral("the card has no drive with an impact: write it with `tavin-cli sample-card`");
        return false;
    }
    return Wait(QStringLiteral("the card to be indexed into the archive"), kCardRead, [&] {
        return !m_window.ArchiveFeature().IsIndexing();
    }) && NoNewBoxes();
}

bool ShotRun::ShootMainWindow()
{
    // The map window first: its web engine starts while the drive opens.
    CMapDlg *map = m_window.MapFeature().MapWindow();
    if (!map) {
        m_error = QStringLiteral("the window has no map window");
        return false;
    }
    if (!Click("title_map"))
        return false;
    if (!Wait(QStringLiteral("the map window"), kOpening, [&] { return Exposed(map); }))
        return false;
    // Over the lower end of the recording list, where it hides neither camera nor the gauges: a
    // driver moves it there.
    map->move(m_window.mapToGlobal(
        QPoint(m_window.width() - map->width() - 8, m_window.height() - map->height() - 8)));

    ClickRow(m_crashRow);
    if (!Wait(QStringLiteral("the drive to play"), kOpening, [&] {
            const TripPlayer *trip = m_window.PlayingTrip();
            return trip && !trip->IsOpening() && m_window.Playback().IsRunning();
        }))
        return false;
    // The drive's impacts are read from its recordings before they are marked.
    if (!Wait(QStringLiteral("the drive's impacts"), kOpening,
            [&] { return !m_window.ImpactsFeature().Impacts().empty(); }))
        return false;
    m_impactMs = int64_t(m_window.ImpactsFeature().Impacts().back().timeMs);
    skin::SendWindowMessage(&m_window, mainwindow::kMsgSeekTo, 0, qintptr(m_impactMs - kBeforeImpactMs));
    if (!Wait(QStringLiteral("the recording of the impact to open"), kOpening, [&] {
            const TripPlayer *trip = m_window.PlayingTrip();
            return trip && !trip->IsOpening() && m_window.Playback().IsRunning();
        }))
        return false;
    // Where the car was at the impact, for the archive's map later.
    const media::CGPSArray &track = m_window.Track();
    const int fix = track.FindIndexAt(uint32_t(m_impactMs));
    if (fix < 0 || fix >= track.GetSize()) {
        m_error = QStringLiteral("the drive has no position at its impact");
        return false;
    }
    m_crashLatitude = media::CoordinateToDegrees(track[fix].latitude);
    m_crashLongitude = media::CoordinateToDegrees(track[fix].longitude);

    // Fresh pictures of both cameras after the seek, and lit: the sample's road, not a black window.
    CPLVVideoView *front = m_window.VideoView(DualPlayback::kFront);
    CPLVVideoView *rear = m_window.VideoView(DualPlayback::kRear);
    const int64_t frontBefore = front->PicturesTaken();
    const int64_t rearBefore = rear->PicturesTaken();
    if (!Wait(QStringLiteral("pictures of both cameras"), kPictures, [&] {
            return front->PicturesTaken() > frontBefore + 3 && rear->PicturesTaken() > rearBefore + 3
                && front->isVisible() && rear->isVisible()
                && LitShare(front->CurrentImage(), front->CurrentImage().rect()) > kLitShare
                && LitShare(rear->CurrentImage(), rear->CurrentImage().rect()) > kLitShare;
        }))
        return false;

    CMapCtrl *control = map->MapCtrl();
    if (!control) {
        m_error = QStringLiteral("the map window has no map");
        return false;
    }
    if (!Wait(QStringLiteral("the map page to load"), kPage,
            [&] { return control->IsLoaded() && control->IsBrowserVisible(); }))
        return false;
    if (!Wait(QStringLiteral("the map to draw the drive's track"), kDrawn, [&] {
            const std::optional<QVariant> points
                = Evaluate(control->Browser(), QStringLiteral("view.points"));
            return points && points->toInt() > 1 && PageSettled(control->Browser());
        }))
        return false;
    if (!Wait(QStringLiteral("the position to reach the moment before the impact"), kPictures,
            [&] { return m_window.PositionMs() >= m_impactMs - kBeforeImpactMs + 1000; }))
        return false;

    const QWidget *speed = m_window.GetControl(skin::kSkinSpeed, QStringLiteral("speed"));
    if (!speed || !speed->isVisible()) {
        m_error = QStringLiteral("the speed gauge is hidden: the drive has no GPS speed");
        return false;
    }
    const QImage window = m_window.grab().toImage();
    const QImage mapPicture = map->grab().toImage();
    for (const CPLVVideoView *view : { front, rear }) {
        if (LitShare(window, AreaIn(&m_window, view)) < kLitShare) {
            m_error = QStringLiteral("a camera's window is dark in the grab of the main window");
            return false;
        }
    }
    if (ColouredPixels(mapPicture, AreaIn(map, control)) < kTrackPixels) {
        m_error = QStringLiteral("the map window shows no track");
        return false;
    }
    return Save(
        QStringLiteral("main-window.png"), Compose(window, { { mapPicture, OffsetOf(map, &m_window) } }));
}

bool ShotRun::ShootTrips()
{
    // The list as it stands while the drive plays: the day's drives and the parking, the playing one
    // marked.
    skin::CSkinListCtrl *list = m_window.FileList();
    if (!m_window.TripsFeature().ShowsTrips() || list->GetItemCount() < 2) {
        m_error = QStringLiteral("the list does not show the day's trips");
        return false;
    }
    // The list's column, from the category buttons to a little below its last trip.
    QRect area = AreaIn(&m_window, list);
    if (const QWidget *categories
        = m_window.GetControl(skin::kSkinImgButton, QStringLiteral("filelist_category_all")))
        area |= AreaIn(&m_window, categories);
    const QRect lastRow = list->visualItemRect(list->topLevelItem(list->GetItemCount() - 1));
    const int rowsEnd = list->viewport()->mapTo(&m_window, lastRow.bottomLeft()).y();
    area.setBottom(std::min(area.bottom(), rowsEnd + 40));
    area.setLeft(area.left() - 6);
    area.setRight(m_window.width() - 1);
    area.setTop(area.top() - 6);
    return Save(QStringLiteral("trips.png"), m_window.grab(area & m_window.rect()).toImage());
}

bool ShotRun::ShootExport()
{
    // Paused at the moment before the impact, the E key asks for an export of 20 s either side of
    // the impact nearest the position: the dialog that asks for the clip's choices comes first, and
    // is shot and cancelled before anything is written.
    if (!Click("pause") || !Wait(QStringLiteral("the drive to pause"), kOpening, [&] {
            return m_window.Playback().IsPaused();
        }))
        return false;
    if (!m_window.ImpactsFeature().ChosenImpact()) {
        m_error = QStringLiteral("no impact to export around");
        return false;
    }
    ToolDialogs &dialogs = m_window.Dialogs();
    dialogs.chooseCaptureFile = [](QWidget *, const QString &) { return QString(); };
    dialogs.askExportChoices
        = [this](QWidget *parent, const ExportChoices &initial) -> std::optional<ExportChoices> {
        ExportChoicesDlg dialog(initial, parent);
        dialog.open(); // modal like the program's, and centred over the window
        if (Wait(QStringLiteral("the export dialog to show"), kOpening, [&] { return Exposed(&dialog); })) {
            Settle(300ms);
            const QImage window = m_window.grab().toImage();
            Save(QStringLiteral("export.png"),
                Compose(window, { { dialog.grab().toImage(), OffsetOf(&dialog, &m_window) } }));
        }
        m_exportShown = true;
        dialog.reject();
        return std::nullopt;
    };
    const qsizetype saved = m_saved.size();
    Key(Qt::Key_E);
    if (!Wait(QStringLiteral("the export dialog"), kOpening, [&] { return m_exportShown; }))
        return false;
    dialogs.askExportChoices
        = [](QWidget *, const ExportChoices &) { return std::optional<ExportChoices>(); };
    if (m_window.ExportFeature().IsExporting()) {
        m_error = QStringLiteral("an export started although the dialog was cancelled");
        return false;
    }
    return m_saved.size() > saved;
}

bool ShotRun::ShootBackup()
{
    // The storage panel as the title menu opens it: the card chosen, its figures read.
    CStorageDlg *panel = m_window.CardPanelsFeature().StoragePanel();
    if (!panel) {
        m_error = QStringLiteral("the window has no storage panel");
        return false;
    }
    skin::SendWindowMessage(&m_window, mainwindow::kMsgTitleStorage);
    if (!Wait(QStringLiteral("the storage panel's figures"), kCardRead, [&] {
            return panel->isVisible() && !panel->IsWorking()
                && !panel->ShownText(QStringLiteral("storage_use_N")).isEmpty();
        }))
        return false;
    Settle(200ms);
    // The panel with a little of the paused drive around it.
    const QRect area = AreaIn(&m_window, panel).adjusted(-24, -24, 24, 24) & m_window.rect();
    if (!Save(QStringLiteral("backup.png"), m_window.grab(area).toImage()))
        return false;
    skin::SendWindowMessage(&m_window, mainwindow::kMsgToggleStorage);
    return true;
}

bool ShotRun::ShootArchive()
{
    // Ctrl+F opens the archive window on the latest day with drives.
    Key(Qt::Key_F, Qt::ControlModifier);
    CArchiveDlg *archive = m_window.ArchiveFeature().ArchiveWindow();
    if (!archive) {
        m_error = QStringLiteral("the archive window could not be made");
        return false;
    }
    if (!Wait(QStringLiteral("the archive window with the day's trips"), kOpening,
            [&] { return Exposed(archive) && !archive->CalendarPage()->Trips().empty(); }))
        return false;
    Settle(300ms);
    if (!Save(QStringLiteral("archive.png"), archive->grab().toImage()))
        return false;

    // The map page: every track of the archive, and the times the car passed the place of the crash.
    archive->ShowPage(CArchiveDlg::kMapPage);
    ArchiveMapPage *page = archive->MapPage();
    if (!Wait(QStringLiteral("the archive's map page to load"), kPage,
            [&] { return page->IsPageLoaded() && page->DrawnPoints() > 0; }))
        return false;
    page->ChoosePlace(m_crashLatitude, m_crashLongitude);
    if (page->Passes().empty()) {
        m_error = QStringLiteral("the archive lists no pass at the place of the crash");
        return false;
    }
    if (!Wait(QStringLiteral("the archive's map to mark the place"), kDrawn, [&] {
            const std::optional<QVariant> place
                = Evaluate(page->Browser(), QStringLiteral("view.place !== null"));
            return place && place->toBool() && PageSettled(page->Browser());
        }))
        return false;
    Settle(300ms);
    const QImage picture = archive->grab().toImage();
    if (ColouredPixels(picture, AreaIn(archive, page->Browser())) < kTrackPixels) {
        m_error = QStringLiteral("the archive's map shows no track");
        return false;
    }
    return Save(QStringLiteral("archive-map.png"), picture);
}

} // namespace screenshots
