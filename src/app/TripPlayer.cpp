#include "app/TripPlayer.h"

#include "app/AppLog.h"
#include "library/TripModel.h"

#include <algorithm>

namespace {
// A stretch is over this close to its end: the position is read from a clock and may stop a hair
// short of the last millisecond.
constexpr int64_t kBoundaryToleranceMs = 5;
// Within this much of a boundary the position tick is too coarse; a timer of its own meets it.
constexpr int64_t kBoundaryLeadMs = 250;
} // namespace

TripPlayer::TripPlayer(DualPlayback &playback, RecordingOpener::RearFinder findRear)
    : m_playback(playback)
    , m_librarySearch(std::move(findRear))
{
    m_boundaryTimer.setSingleShot(true);
    m_boundaryTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_boundaryTimer, &QTimer::timeout, this, [this] {
        if (!Tick())
            emit ended();
    });
}

TripPlayer::~TripPlayer()
{
    End();
}

bool TripPlayer::Begin(const library::Trip &trip, int64_t tripMs, Started started)
{
    if (m_playback.IsOpening())
        return false;
    End();
    m_trip = trip;
    if (NextPlayingSegment(0) < 0)
        return false;
    // The rear files are known from the listing; the library's search stays for those that are not.
    const RecordingOpener::RearFinder search = m_librarySearch;
    std::vector<std::pair<QString, QString>> rears;
    for (const library::TripRecording &recording : m_trip.recordings)
        rears.emplace_back(recording.path, recording.rearPath);
    m_findRear = [rears, search](const QString &frontPath, const RecordingOpener::RearOpener &open) {
        for (const auto &[front, rear] : rears)
            if (front == frontPath && !rear.isEmpty())
                return open(rear) ? rear : QString();
        return search ? search(frontPath, open) : QString();
    };
    m_active = true;
    m_started = std::move(started);
    m_takeOvers = 0;
    m_lateOpenings = 0;
    Seek(tripMs);
    return true;
}

void TripPlayer::End()
{
    m_boundaryTimer.stop();
    if (m_opening)
        m_playback.CancelOpen();
    m_playback.DropPreloaded();
    m_opening = false;
    m_active = false;
    m_segment = -1;
    m_started = nullptr;
}

int64_t TripPlayer::PositionMs() const
{
    if (m_opening || m_segment < 0)
        return m_pendingTripMs;
    const library::TripSegment &segment = m_trip.timeline[size_t(m_segment)];
    const int64_t played = m_playback.PositionMs() - segment.recordingMs;
    // A recording may run a little past its listed length; the trip's clock waits for the next.
    return segment.tripMs + std::clamp<int64_t>(played, 0, segment.lengthMs);
}

void TripPlayer::Seek(int64_t tripMs)
{
    if (!m_active)
        return;
    m_boundaryTimer.stop();
    tripMs = std::clamp<int64_t>(tripMs, 0, std::max<int64_t>(0, DurationMs() - 1));
    const std::optional<library::TripPosition> place = m_trip.Locate(tripMs);
    if (!place)
        return;
    int segment = place->segment;
    int64_t recordingMs = place->recordingMs;
    if (place->recording < 0) {
        segment = NextPlayingSegment(segment);
        if (segment < 0)
            return;
        recordingMs = m_trip.timeline[size_t(segment)].recordingMs;
    }
    const library::TripSegment &target = m_trip.timeline[size_t(segment)];
    const bool paused = m_playback.IsPaused();
    if (!m_opening && target.recording == CurrentRecording() && m_playback.IsLoaded()) {
        m_segment = segment;
        m_playback.SeekMs(recordingMs);
        PreloadAfter(segment);
        return;
    }
    const QString path = m_trip.recordings[size_t(target.recording)].path;
    if (!m_opening && m_playback.PreloadedPath() == path && m_playback.TakeOverPreloaded()) {
        if (recordingMs > 0)
            m_playback.SeekMs(recordingMs);
        if (paused)
            m_playback.Pause();
        EnterSegment(segment, recordingMs);
        return;
    }
    OpenSegment(segment, recordingMs, paused);
}

bool TripPlayer::Tick()
{
    if (!m_active)
        return false;
    if (m_opening || m_segment < 0 || !m_playback.IsLoaded())
        return true;
    const int64_t position = m_playback.PositionMs();
    const int64_t end = SegmentEndMs();
    if (position + kBoundaryToleranceMs < end) {
        ArmBoundaryTimer();
        return true;
    }
    const int next = NextPlayingSegment(m_segment + 1);
    if (next < 0) {
        m_active = false;
        return false;
    }
    const library::TripSegment &segment = m_trip.timeline[size_t(next)];
    if (segment.recording == CurrentRecording()) {
        m_playback.SeekMs(segment.recordingMs);
        m_segment = next;
        return true;
    }
    const QString path = m_trip.recordings[size_t(segment.recording)].path;
    if (m_playback.PreloadedPath() == path && m_playback.TakeOverPreloaded()) {
        ++m_takeOvers;
        if (segment.recordingMs > 0)
            m_playback.SeekMs(segment.recordingMs);
        EnterSegment(next, segment.recordingMs);
        return true;
    }
    // The next recording is not ready (still opening on a slow card, or it could not be read):
    // the last picture stands while it opens.
    ++m_lateOpenings;
    OpenSegment(next, segment.recordingMs, false);
    return true;
}

int TripPlayer::NextPlayingSegment(int index) const
{
    for (int k = std::max(0, index); k < int(m_trip.timeline.size()); ++k)
        if (!m_trip.timeline[size_t(k)].IsGap() && m_trip.timeline[size_t(k)].lengthMs > 0)
            return k;
    return -1;
}

int64_t TripPlayer::SegmentEndMs() const
{
    const library::TripSegment &segment = m_trip.timeline[size_t(m_segment)];
    const library::TripRecording &recording = m_trip.recordings[size_t(segment.recording)];
    const int64_t listedEnd = segment.recordingMs + segment.lengthMs;
    // A stretch that runs to its recording's end plays to the end of its last picture: listed
    // lengths are whole seconds, the pictures are not; and the sound that runs on past them (part
    // of a sound frame) would hold the last picture on screen while the next recording waits.
    if (listedEnd + library::TripModel::kRoundingMs >= recording.lengthMs) {
        const int64_t pictures = m_playback.PicturesEndMs();
        const int64_t real = m_playback.DurationMs();
        if (pictures > 0 && (real <= 0 || pictures <= real))
            return pictures;
        if (real > 0)
            return real;
    }
    return listedEnd;
}

void TripPlayer::EnterSegment(int segment, int64_t recordingMs)
{
    (void)recordingMs;
    const int before = CurrentRecording();
    m_segment = segment;
    PreloadAfter(segment);
    ArmBoundaryTimer();
    if (CurrentRecording() != before)
        emit recordingChanged(CurrentRecording());
}

void TripPlayer::OpenSegment(int segment, int64_t recordingMs, bool resumePaused)
{
    const library::TripSegment &target = m_trip.timeline[size_t(segment)];
    m_pendingTripMs = target.tripMs + (recordingMs - target.recordingMs);
    if (m_opening || m_playback.IsOpening())
        m_playback.CancelOpen();
    m_opening = true;
    const QString path = m_trip.recordings[size_t(target.recording)].path;
    const bool opening = m_playback.OpenAsync(
        path, m_findRear, [this, segment, recordingMs, resumePaused](const OpenedRecording &recording) {
            m_opening = false;
            if (!recording.opened) {
                qCWarning(lcApp) << "a recording of the trip cannot be played:" << recording.frontPath;
                // The trip goes on with the next recording that plays, if any.
                const int next = NextPlayingSegment(segment + 1);
                if (m_started || next < 0) {
                    const Started started = std::move(m_started);
                    m_started = nullptr;
                    m_active = next >= 0 && !started;
                    if (started)
                        started(false);
                    else
                        emit ended();
                    return;
                }
                OpenSegment(next, m_trip.timeline[size_t(next)].recordingMs, resumePaused);
                return;
            }
            m_segment = -1;
            m_playback.Start();
            if (recordingMs > 0)
                m_playback.SeekMs(recordingMs);
            if (resumePaused)
                m_playback.Pause();
            EnterSegment(segment, recordingMs);
            if (m_started) {
                const Started started = std::move(m_started);
                m_started = nullptr;
                started(true);
            }
        });
    if (!opening) {
        m_opening = false;
        qCWarning(lcApp) << "the trip's recording could not start opening:" << path;
    }
}

void TripPlayer::PreloadAfter(int segment)
{
    const int next = NextPlayingSegment(segment + 1);
    if (next < 0)
        return;
    const int recording = m_trip.timeline[size_t(next)].recording;
    if (recording == CurrentRecording())
        return;
    const QString path = m_trip.recordings[size_t(recording)].path;
    if (m_playback.PreloadedPath() == path || (m_preloadPath == path && m_playback.IsPreloading()))
        return;
    m_playback.DropPreloaded();
    m_preloadPath = path;
    m_playback.Preload(path, m_findRear, {});
}

void TripPlayer::ArmBoundaryTimer()
{
    if (m_segment < 0 || !m_playback.IsRunning())
        return;
    const int64_t left = SegmentEndMs() - m_playback.PositionMs();
    if (left > kBoundaryLeadMs)
        return;
    const double rate = std::max(0.25f, m_playback.Rate());
    m_boundaryTimer.start(int(std::max<double>(1.0, double(left) / rate)));
}
