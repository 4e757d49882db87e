#include "app/features/ArchiveController.h"

#include "app/AppLog.h"
#include "app/features/MainWindowTexts.h"
#include "app/features/RecordingListController.h"
#include "archive/ArchiveIndex.h"
#include "library/RecordingLibrary.h"
#include "panels/BackgroundJob.h"
#include "skin/CSkinDialog.h"
#include "views/archive/CArchiveDlg.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>

#include <algorithm>

using mainwindow::Translated;

namespace {

const QString kEntry = QStringLiteral("archive");
const QString kTitleButton = QStringLiteral("title_archive");
// Where the archive window opens, from the main window's top-left corner.
constexpr int kWindowOffset = 120;

// One run of the indexer on the worker, with its own connection to the archive. A run without a
// root is the start-up check: it reads the whole file for damage and indexes nothing.
struct IndexRun {
    QString archivePath;
    QString root;
    bool isCard = false;
    bool ok = false;
    archive::IndexReport report;
    QString error;
    QString movedAside; // how the check found the file and moved it aside
};

// Where the moment `offsetMs` of the recording lies on the trip's timeline: in the stretch that
// plays it, else where the timeline shows it (an event recording played from another), else by the
// times in the names. -1 when the trip has no such recording.
int64_t TripMsOf(const library::Trip &trip, const QString &path, int64_t offsetMs)
{
    const auto found = std::find_if(trip.recordings.begin(), trip.recordings.end(),
        [&](const library::TripRecording &recording) { return recording.path == path; });
    if (found == trip.recordings.end())
        return -1;
    const int recording = int(found - trip.recordings.begin());
    const library::TripSegment *nearest = nullptr;
    int64_t nearestAway = 0;
    for (const library::TripSegment &segment : trip.timeline) {
        if (segment.recording != recording)
            continue;
        const int64_t away = offsetMs < segment.recordingMs ? segment.recordingMs - offsetMs
            : offsetMs >= segment.recordingMs + segment.lengthMs
            ? offsetMs - (segment.recordingMs + segment.lengthMs) + 1
            : 0;
        if (!nearest || away < nearestAway) {
            nearest = &segment;
            nearestAway = away;
        }
    }
    if (nearest)
        return nearest->tripMs - nearest->recordingMs + offsetMs;
    for (const library::TripMark &mark : trip.marks)
        if (mark.recording == recording)
            return mark.tripMs + offsetMs;
    return found->startMs + offsetMs;
}

// Whether the recordings of the trip are where the archive says they are.
bool FilesAtHand(const library::Trip &trip)
{
    return !trip.recordings.empty()
        && std::all_of(trip.recordings.begin(), trip.recordings.end(),
            [](const library::TripRecording &recording) { return QFileInfo::exists(recording.path); });
}

} // namespace

ArchiveController::ArchiveController(MainWindowContext &window, RecordingListController &list)
    : MainWindowFeature(window)
{
    list.AddOnListed([this] { OnListed(); });
}

ArchiveController::~ArchiveController()
{
    // The worker ends before the window and the archive it reads go.
    m_indexing.reset();
    delete m_dialog;
}

void ArchiveController::OnStart()
{
    // Only the header here: reading every page of a large archive takes seconds, which a check run
    // on the worker spends instead (queued first, so that it runs with no card too).
    m_index = std::make_unique<archive::ArchiveIndex>();
    QString note;
    if (!m_index->Open(
            archive::ArchiveIndex::DefaultPath(), &note, archive::ArchiveIndex::Check::HeaderOnly)) {
        qCWarning(lcApp) << "the archive cannot be opened:" << note;
        m_index.reset();
        m_window.ShowPlain(
            Translated(QT_TRANSLATE_NOOP("CTAVINDlg", "보관함을 열 수 없어 이번에는 쓰지 않습니다."))
                + QStringLiteral("\n\n") + note,
            m_window.Window().Skin().Text(QStringLiteral("err_title")), skin::kMbIconWarning);
    } else {
        if (!note.isEmpty())
            TellMovedAside(note);
        m_pending.push_back({ QString(), false });
        StartIndexing();
    }

    m_dialog = new CArchiveDlg(m_window.Window().Runtime(), &m_window.Window());
    if (!m_dialog->Init(kEntry)) {
        m_dialog->deleteLater();
        m_dialog = nullptr;
        return;
    }
    m_dialog->SetIndex(m_index.get());
    m_dialog->SetOnTripChosen([this](const archive::ArchivedTrip &trip) { PlayArchived(trip); });
    m_dialog->SetOnPassChosen([this](const archive::Pass &pass) { PlayPass(pass); });
}

void ArchiveController::TellMovedAside(const QString &note)
{
    // Told once: the next start opens the new archive without a word.
    m_window.ShowPlain(Translated(QT_TRANSLATE_NOOP("CTAVINDlg",
                           "보관함 파일을 쓸 수 없어 옆으로 옮기고 새로 만들었습니다. 카드와 폴더는 "
                           "열 때 다시 색인됩니다."))
            + QStringLiteral("\n\n") + note,
        m_window.Window().Skin().Text(QStringLiteral("warning_title")), skin::kMbIconWarning);
}

void ArchiveController::OnSkinLoaded()
{
    m_window.Window().RegisterEvent(
        kTitleButton, skin::kSkinImgButton, skin::kEventClick, skin::ClickDelegate([this] { Toggle(); }));
}

void ArchiveController::OnLayoutChanging()
{
    if (m_dialog && m_dialog->isVisible()) {
        m_dialog->hide();
        m_window.RequestRepaint();
    }
}

bool ArchiveController::OnKey(const QKeyEvent &event)
{
    if (event.key() != Qt::Key_F || !event.modifiers().testFlag(Qt::ControlModifier))
        return false;
    Toggle();
    return true;
}

void ArchiveController::OnClosing()
{
    m_indexing.reset();
    m_pending.clear();
    delete m_dialog;
    m_dialog = nullptr;
}

void ArchiveController::Toggle()
{
    if (!m_dialog) {
        m_window.ShowNotAvailable();
        return;
    }
    if (m_dialog->isVisible()) {
        m_dialog->hide();
    } else {
        m_dialog->move(m_window.FromTopLeft(kWindowOffset, kWindowOffset));
        m_dialog->show(); // reads the archive as it is now
        m_dialog->raise();
        m_dialog->activateWindow();
    }
    m_window.RequestRepaint();
}

void ArchiveController::OnMountsChanged()
{
    if (!m_index)
        return;
    m_index->UpdateOnline();
    RefreshWindow();
}

void ArchiveController::RefreshWindow()
{
    if (m_dialog && m_dialog->isVisible())
        m_dialog->Refresh();
}

void ArchiveController::OnListed()
{
    if (!m_index)
        return;
    // A card taken out empties the list: that card is offline now.
    m_index->UpdateOnline();
    const library::RecordingLibrary &library = m_window.Library();
    const QString root = library.Location();
    const std::vector<library::Recording> &recordings = library.Recordings();
    // Recordings given on the command line are not a folder's listing: the location is then only the
    // one opened last time.
    const QString prefix = QDir::cleanPath(QFileInfo(root).absoluteFilePath()) + QLatin1Char('/');
    const bool shownFolder = !root.isEmpty() && QFileInfo(root).isDir() && !recordings.empty()
        && QDir::cleanPath(QFileInfo(recordings.front().path).absoluteFilePath()).startsWith(prefix);
    if (!shownFolder) {
        RefreshWindow();
        return;
    }
    const auto same = [&](const Source &source) { return source.root == root; };
    if (std::none_of(m_pending.begin(), m_pending.end(), same))
        m_pending.push_back({ root, library.IsCard() });
    if (!m_indexing)
        StartIndexing();
}

void ArchiveController::StartIndexing()
{
    if (m_pending.empty() || !m_index)
        return;
    m_indexed = m_pending.front();
    m_pending.pop_front();
    // No window of its own: the archive window shows the progress while it is open.
    m_indexing = std::make_unique<BackgroundJob>(&m_window.Window());
    connect(m_indexing.get(), &BackgroundJob::progressChanged, this, [this](qint64 done, qint64 total) {
        if (m_dialog)
            m_dialog->ShowIndexing(QDir::toNativeSeparators(m_indexed.root), int(done), int(total));
    });
    if (m_dialog && !m_indexed.root.isEmpty())
        m_dialog->ShowIndexing(QDir::toNativeSeparators(m_indexed.root), 0, 0);
    IndexRun run;
    run.archivePath = m_index->Path();
    run.root = m_indexed.root;
    run.isCard = m_indexed.isCard;
    m_indexing->Start(
        std::move(run),
        [](IndexRun &run, BackgroundJob::Progress &progress) {
            archive::ArchiveIndex index;
            QString note;
            // The whole file is read once, by the start-up check that runs before any indexing.
            const auto check = run.root.isEmpty() ? archive::ArchiveIndex::Check::Full
                                                  : archive::ArchiveIndex::Check::HeaderOnly;
            if (!index.Open(run.archivePath, &note, check)) {
                run.error = note;
                return;
            }
            run.movedAside = note;
            if (run.root.isEmpty()) {
                run.ok = true;
                return;
            }
            run.ok = index.AddFolder(
                run.root, run.isCard, progress.CancelFlag(),
                [&progress](int done, int total, const QString &file) { progress.Report(done, total, file); },
                &run.report, &run.error);
        },
        [this](IndexRun &run, bool cancelled) {
            m_indexing.reset();
            if (!run.movedAside.isEmpty()) {
                // The window's connection still reads the file that was moved aside.
                QString reopened;
                if (!m_index->Open(m_index->Path(), &reopened, archive::ArchiveIndex::Check::HeaderOnly))
                    qCWarning(lcApp) << "the new archive cannot be opened:" << reopened;
                TellMovedAside(run.movedAside);
            }
            if (run.root.isEmpty()) {
                if (!run.ok)
                    qCWarning(lcApp) << "the archive's check failed:" << run.error;
                RefreshWindow();
                StartIndexing();
                return;
            }
            QString note;
            if (!cancelled && !run.ok) {
                qCWarning(lcApp) << "indexing" << run.root << "failed:" << run.error;
                note = Translated(QT_TRANSLATE_NOOP("CTAVINDlg", "%1을(를) 보관함에 색인하지 못했습니다: %2"))
                           .arg(QDir::toNativeSeparators(run.root), run.error);
            } else if (!run.report.failures.isEmpty()) {
                for (const QString &failure : std::as_const(run.report.failures))
                    qCWarning(lcApp) << "not indexed:" << failure;
                note = Translated(
                    QT_TRANSLATE_N_NOOP("CTAVINDlg", "%n개 파일은 읽을 수 없어 위치 없이 보관했습니다."),
                    run.report.failures.size());
            }
            qCDebug(lcApp) << "indexed" << run.root << "added" << run.report.added << "changed"
                           << run.report.changed << "unchanged" << run.report.unchanged << "in"
                           << run.report.totalSeconds << "s";
            if (m_dialog)
                m_dialog->IndexingEnded(note);
            RefreshWindow();
            StartIndexing();
        });
}

QString ArchiveController::SourceName(qint64 sourceId, const QString &label) const
{
    // The label with the folder it was indexed from, so that the user knows what to connect.
    const std::vector<archive::ArchiveSource> sources
        = m_index ? m_index->Sources() : std::vector<archive::ArchiveSource>();
    for (const archive::ArchiveSource &source : sources)
        if (source.id == sourceId && QDir::cleanPath(source.root) != QDir::cleanPath(label))
            return QStringLiteral("%1 (%2)").arg(label, QDir::toNativeSeparators(source.root));
    return QDir::toNativeSeparators(label);
}

void ArchiveController::PlayArchived(const archive::ArchivedTrip &archived, int64_t fromMs)
{
    // By the files themselves: a card put back since the archive last looked plays at once.
    if (!FilesAtHand(archived.trip)) {
        m_window.ShowPlain(
            Translated(QT_TRANSLATE_NOOP("CTAVINDlg",
                           "이 주행의 영상은 \"%1\"에 있습니다.\n그 카드나 백업 폴더를 연결한 뒤 다시 "
                           "골라 주세요."))
                .arg(SourceName(archived.sourceId, archived.sourceLabel)),
            m_window.Window().Skin().Text(QStringLiteral("app_title")), skin::kMbIconInformation);
        return;
    }
    m_window.PlayTrip(
        archived.trip, std::clamp<int64_t>(fromMs, 0, std::max<int64_t>(0, archived.trip.DurationMs() - 1)));
}

void ArchiveController::PlayPass(const archive::Pass &pass)
{
    if (!m_index)
        return;
    // The trip may have started the day before (a drive past midnight).
    for (const QDate &day : { pass.time.date(), pass.time.date().addDays(-1) }) {
        for (const archive::ArchivedTrip &archived : m_index->TripsOn(day)) {
            if (archived.sourceId != pass.sourceId)
                continue;
            const int64_t tripMs = TripMsOf(archived.trip, pass.file, pass.offsetMs);
            if (tripMs < 0)
                continue;
            PlayArchived(archived, std::max<int64_t>(0, tripMs - kLeadInMs));
            return;
        }
    }
    qCWarning(lcApp) << "no trip of the archive holds" << pass.file;
    m_window.ShowPlain(
        Translated(QT_TRANSLATE_NOOP("CTAVINDlg", "이 순간의 영상을 보관함에서 찾지 못했습니다.")),
        m_window.Window().Skin().Text(QStringLiteral("err_title")), skin::kMbIconWarning);
}
