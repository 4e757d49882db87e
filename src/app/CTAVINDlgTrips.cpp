// The main window's side of trips: a trip plays on the window's players as one long recording.
#include "app/CTAVINDlg.h"
#include "app/TripPlayer.h"
#include "app/TripTelemetry.h"
#include "app/TripTimelineMarks.h"
#include "app/features/MainWindowTexts.h"
#include "app/features/TripController.h"
#include "media/RecorderClock.h"
#include "media/widgets/CPLVVideoView.h"
#include "panels/BackgroundJob.h"
#include "panels/MainWindowMessages.h"
#include "skin/CBitmapSlider.h"

using namespace mainwindow;

namespace {
struct TripOpening {
    library::Trip trip;
    int64_t fromMs = 0;
    OpenedRecording telemetry;
};
} // namespace

const TripPlayer *CTAVINDlg::PlayingTrip() const
{
    return PlaysTrip() ? m_tripPlayer.get() : nullptr;
}

bool CTAVINDlg::PlaysTrip() const
{
    return m_tripPlayer && m_tripPlayer->IsActive();
}

const library::Trip *CTAVINDlg::CurrentTrip(int64_t *recordingStartMs) const
{
    if (recordingStartMs)
        *recordingStartMs = 0;
    if (PlaysTrip())
        return &m_tripPlayer->Trip();
    const library::TripModel &model = m_trips->Model();
    const library::TripModel::Place place = model.Find(m_playback.FrontPath());
    if (place.trip < 0)
        return nullptr;
    const library::Trip &trip = model.Trips()[size_t(place.trip)];
    // Where the recording's own clock starts on the trip's: from the stretch that plays it, else
    // from its start by name.
    int64_t start = trip.recordings[size_t(place.recording)].startMs;
    for (const library::TripSegment &segment : trip.timeline)
        if (segment.recording == place.recording) {
            start = segment.tripMs - segment.recordingMs;
            break;
        }
    if (recordingStartMs)
        *recordingStartMs = start;
    return &trip;
}

bool CTAVINDlg::IsOpening() const
{
    return m_playback.IsOpening() || m_tripOpening || (m_tripPlayer && m_tripPlayer->IsOpening());
}

void CTAVINDlg::CloseWhatPlays()
{
    if (m_playback.State() == media::GraphState::NotBuilt && !PlaysTrip())
        return;
    m_positionTimer.stop();
    EndTrip();
    m_playback.Close();
    ClearPositionViews();
}

int64_t CTAVINDlg::CurrentPositionMs() const
{
    return PlaysTrip() ? m_tripPlayer->PositionMs() : m_playback.PositionMs();
}

void CTAVINDlg::PlayTrip(const library::Trip &trip, int64_t fromMs)
{
    if (IsOpening()) {
        ShowPlain(
            Translated(kBusyOpeningText), Skin().Text(QStringLiteral("err_title")), skin::kMbIconWarning);
        return;
    }
    CloseWhatPlays();
    // The whole trip's telemetry first, so that the gauge, the graph, the impacts and the map show
    // the drive from its first picture on.
    BackgroundJob::Options options;
    options.text = Skin().Text(QStringLiteral("trip_opening"), Translated(kBusyOpeningText));
    options.windowName = QStringLiteral("trip_opening_progress");
    m_tripOpening = std::make_unique<BackgroundJob>(this, options);
    m_tripOpening->Start(
        TripOpening { trip, fromMs, {} },
        [](TripOpening &opening, BackgroundJob::Progress &progress) {
            opening.telemetry = LoadTripTelemetry(opening.trip, progress.CancelFlag());
        },
        [this](TripOpening &opening, bool cancelled) {
            // Kept until the trip has begun: a second trip waits for this one.
            std::unique_ptr<BackgroundJob> job = std::move(m_tripOpening);
            if (!cancelled)
                OnTripTelemetry(opening.trip, opening.fromMs, opening.telemetry);
        });
}

void CTAVINDlg::OnTripTelemetry(const library::Trip &trip, int64_t fromMs, const OpenedRecording &telemetry)
{
    if (!m_tripPlayer) {
        m_tripPlayer = std::make_unique<TripPlayer>(m_playback, RecordingOpener::RearSearch(m_library));
        connect(m_tripPlayer.get(), &TripPlayer::ended, this, [this] { StopTrip(); });
    }
    const bool begun = m_tripPlayer->Begin(trip, fromMs, [this, telemetry](bool opened) {
        if (!opened) {
            EndTrip();
            OnRecordingOpened(-1, OpenedRecording {});
            return;
        }
        ShowOpened(telemetry);
        m_positionMs = m_tripPlayer->PositionMs();
        PlaceVideoWindows();
        if (!m_tripMarks)
            m_tripMarks = new TripTimelineMarks(this);
        m_tripMarks->Show(Control<skin::CBitmapSlider>(skin::kSkinSlider, QStringLiteral("play_slider")),
            m_tripPlayer->Trip(), telemetry.impacts);
        PostMessage(kMsgPlaybackStarted, 0, 0);
        update();
    });
    if (!begun)
        ShowKeyed(QStringLiteral("invalid_video"), skin::kMbIconError);
}

void CTAVINDlg::StopTrip()
{
    // A trip plays once to its end; the list's repeat rules are the recordings'.
    m_positionTimer.stop();
    EndTrip();
    m_playback.Close();
    ClearPositionViews();
    RefreshButtons();
    for (CPLVVideoView *view : m_views)
        view->hide();
}

void CTAVINDlg::EndTrip()
{
    if (m_tripOpening)
        m_tripOpening.reset();
    if (m_tripPlayer)
        m_tripPlayer->End();
    if (m_tripMarks)
        m_tripMarks->Clear();
}

QString CTAVINDlg::ClockTimeText() const
{
    // The recorder's own clock, as its stamp and file names show it.
    if (!m_showClockTime)
        return QString();
    QDateTime start;
    int64_t offset = m_positionMs;
    if (PlaysTrip()) {
        start = m_tripPlayer->Trip().start;
    } else {
        start = media::RecorderClock::NameTime(m_playback.FrontPath());
    }
    if (!start.isValid())
        return QString();
    return start.addMSecs(offset).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}
