#include "app/DualPlayback.h"

#include "app/AppLog.h"

#include <algorithm>

namespace {
// Adjustments are sums of quarters, so these bounds sit between two steps.
constexpr float kSlowestAdjustment = -0.49f;
constexpr float kFastestAdjustment = 0.76f;
constexpr float kSpeedStep = 0.25f;
} // namespace

DualPlayback::DualPlayback(media::AudioOutputFactory audioOutputs)
    : m_front(audioOutputs)
    , m_rear(audioOutputs)
{
    // The recorder keeps its telemetry in the front file; the window reads only the front's.
    m_rear.SetReadsTelemetry(false);
}

void DualPlayback::SetSurfaces(media::VideoSurface *front, media::VideoSurface *rear)
{
    m_front.SetWindows(front);
    m_rear.SetWindows(rear);
}

bool DualPlayback::OpenAsync(const QString &frontPath, RecordingOpener::RearFinder findRear, OpenDone done)
{
    if (IsOpening())
        return false;
    Close();
    // The graphs are made here, where their windows and sound devices live, and come back here
    // prepared.
    RecordingOpener::RearGraphs rear;
    for (std::unique_ptr<media::CVideoGraph> &candidate : rear)
        candidate = m_rear.NewGraph();
    return m_opener.Start(frontPath, m_front.NewGraph(), std::move(rear), std::move(findRear),
        [this, done = std::move(done)](RecordingOpener::Prepared prepared) {
            if (prepared.front) {
                m_front.Adopt(std::move(prepared.front));
                if (prepared.rear) {
                    m_rear.Adopt(std::move(prepared.rear));
                    m_rearPresent = true;
                }
            }
            if (done)
                done(prepared.recording);
        });
}

bool DualPlayback::Preload(const QString &frontPath, RecordingOpener::RearFinder findRear, OpenDone done)
{
    if (IsPreloading())
        return false;
    m_preloaded.reset();
    RecordingOpener::RearGraphs rear;
    for (std::unique_ptr<media::CVideoGraph> &candidate : rear)
        candidate = m_rear.NewGraph();
    return m_preloader.Start(frontPath, m_front.NewGraph(), std::move(rear), std::move(findRear),
        [this, done = std::move(done)](RecordingOpener::Prepared prepared) {
            const OpenedRecording recording = prepared.recording;
            if (prepared.front)
                m_preloaded = std::move(prepared);
            if (done)
                done(recording);
        });
}

QString DualPlayback::PreloadedPath() const
{
    return m_preloaded ? m_preloaded->recording.frontPath : QString();
}

bool DualPlayback::TakeOverPreloaded()
{
    if (!m_preloaded || !m_preloaded->front)
        return false;
    RecordingOpener::Prepared prepared = std::move(*m_preloaded);
    m_preloaded.reset();
    // Both channels change together, so that neither runs ahead of the other.
    m_front.Adopt(std::move(prepared.front));
    if (prepared.rear) {
        m_rear.Adopt(std::move(prepared.rear));
        m_rearPresent = true;
    } else {
        m_rear.Stop();
        m_rear.Close();
        m_rearPresent = false;
    }
    Start();
    return true;
}

void DualPlayback::DropPreloaded()
{
    m_preloader.Cancel();
    m_preloaded.reset();
}

bool DualPlayback::OpenFront(const QString &path)
{
    Close();
    if (m_front.Open(path))
        return true;
    qCWarning(lcApp) << "the front player cannot open" << path;
    m_front.Close();
    return false;
}

bool DualPlayback::OpenRear(const QString &path)
{
    m_rearPresent = m_rear.Open(path);
    if (!m_rearPresent)
        m_rear.Close();
    return m_rearPresent;
}

void DualPlayback::Start()
{
    m_ended = false;
    m_front.SetRate(Rate());
    m_front.SetBrightness(m_brightness);
    m_front.Play();
    if (m_rearPresent) {
        m_rear.SetRate(Rate());
        m_rear.SetBrightness(m_brightness);
        m_rear.Play();
    }
    ApplyVolumes();
}

void DualPlayback::Resume()
{
    if (!IsPaused())
        return;
    m_ended = false;
    m_front.Play();
    if (m_rearPresent)
        m_rear.Play();
    ApplyVolumes();
}

void DualPlayback::Pause()
{
    m_front.Pause();
    if (m_rearPresent)
        m_rear.Pause();
}

void DualPlayback::Close()
{
    m_opener.Cancel();
    DropPreloaded();
    m_front.Stop();
    m_front.Close();
    m_rear.Stop();
    m_rear.Close();
    m_rearPresent = false;
}

DualPlayback::StopOutcome DualPlayback::OnStop()
{
    if (m_repeat == RepeatMode::One && m_ended) {
        SeekMs(0);
        m_ended = false;
        return StopOutcome::Restarted;
    }
    Close();
    return StopOutcome::Closed;
}

void DualPlayback::SeekMs(int64_t ms)
{
    if (!IsLoaded())
        return;
    m_front.SeekMs(ms);
    if (m_rearPresent)
        m_rear.SeekMs(ms);
}

void DualPlayback::SkipBack()
{
    m_front.SkipBack(kSkipSeconds);
    if (m_rearPresent)
        m_rear.SkipBack(kSkipSeconds);
}

void DualPlayback::SkipForward()
{
    m_front.SkipForward(kSkipSeconds);
    if (m_rearPresent)
        m_rear.SkipForward(kSkipSeconds);
}

bool DualPlayback::Slower()
{
    if (m_speedAdjustment < kSlowestAdjustment)
        return false;
    m_speedAdjustment -= kSpeedStep;
    m_front.SetRate(Rate());
    if (m_rearPresent)
        m_rear.SetRate(Rate());
    return true;
}

bool DualPlayback::Faster()
{
    if (m_speedAdjustment > kFastestAdjustment)
        return false;
    m_speedAdjustment += kSpeedStep;
    m_front.SetRate(Rate());
    if (m_rearPresent)
        m_rear.SetRate(Rate());
    return true;
}

void DualPlayback::NormalSpeed()
{
    m_speedAdjustment = 0.0f;
    m_front.SetRate(1.0f);
    m_rear.SetRate(1.0f);
}

void DualPlayback::SetVolume(int volume)
{
    m_volume = std::clamp(volume, 0, 100);
    ApplyVolumes();
}

void DualPlayback::SetMuted(bool muted)
{
    m_muted = muted;
    ApplyVolumes();
}

void DualPlayback::SetBrightness(int brightness)
{
    m_brightness = brightness;
    if (DurationMs() == 0)
        return;
    m_front.SetBrightness(brightness);
    if (m_rearPresent)
        m_rear.SetBrightness(brightness);
}

void DualPlayback::ToggleDecoderOption(int channel)
{
    if (channel == kRear && !m_rearPresent)
        return;
    bool &toggle = m_decoderToggles[channel == kRear ? 1 : 0];
    toggle = !toggle;
    Player(channel).SetDecoderOption(toggle);
}

void DualPlayback::Refresh()
{
    m_front.Refresh();
    if (m_rearPresent)
        m_rear.Refresh();
}

int64_t DualPlayback::PositionMs() const
{
    return m_front.GetPosition() / media::kUnitsPerMs;
}

int64_t DualPlayback::DurationMs() const
{
    const media::MediaTime duration = m_front.GetDuration();
    return duration > 0 ? duration / media::kUnitsPerMs : 0;
}

int64_t DualPlayback::PicturesEndMs() const
{
    const media::MediaTime end = m_front.GetPicturesEnd();
    return end > 0 ? end / media::kUnitsPerMs : 0;
}

void DualPlayback::ApplyVolumes()
{
    m_front.SetVolume(m_muted ? 0 : m_volume);
    // The rear camera's sound, where it has any, is never louder than silence while muted.
    if (m_rearPresent)
        m_rear.SetVolume(m_muted ? 0 : kRearVolume);
}
