#include "media/playback/AudioRendererFilter.h"

#include <algorithm>
#include <cmath>

extern "C" {
#include <libavutil/samplefmt.h>
}

#include "media/playback/AudioDecoderFilter.h"
#include "media/playback/PcmPacketReader.h"
#include "media/playback/PlaybackLog.h"
#include "media/playback/SourcePin.h"

namespace media {

namespace {

    constexpr auto kWaitStep = std::chrono::milliseconds(10);
    constexpr int kMinLevel = -10000;
    // A stream that starts this much after the position is preceded by silence, so the clock does
    // not jump ahead of the pictures.
    constexpr MediaTime kLeadInTolerance = 20 * kUnitsPerMs;
    constexpr MediaTime kMaxLeadIn = 10 * kUnitsPerSecond;
    // Sound this far behind the clock is dropped to catch up instead of holding the pictures back.
    constexpr MediaTime kMaxAudioLag = 250 * kUnitsPerMs;
    // A device whose position has not moved for this long while it should play is not followed.
    constexpr auto kDeviceStall = std::chrono::milliseconds(200);

} // namespace

AudioRendererFilter::AudioRendererFilter(QString name, std::unique_ptr<AudioOutput> output,
    const SeekEpoch &epoch, PlaybackClock &clock, PlaybackCounters &counters)
    : PlaybackFilter(std::move(name))
    , m_output(std::move(output))
    , m_epoch(epoch)
    , m_clock(clock)
    , m_counters(counters)
{
}

AudioRendererFilter::~AudioRendererFilter()
{
    RequestStop();
    Join();
}

bool AudioRendererFilter::ConnectInput(AudioDecoderFilter *decoder)
{
    if (m_input || !decoder || !decoder->IsConnected())
        return false;
    m_input = decoder;
    m_inputPin = decoder->InputPin();
    return true;
}

bool AudioRendererFilter::ConnectInput(SourcePin *pcmPin)
{
    if (m_input || !pcmPin || pcmPin->IsConnected() || !pcmPin->IsPcm())
        return false;
    m_pcmReader = std::make_unique<PcmPacketReader>(pcmPin);
    m_input = m_pcmReader.get();
    m_inputPin = pcmPin;
    pcmPin->SetConnected(true);
    return true;
}

double AudioRendererFilter::GainForLevel(int level)
{
    if (level <= kMinLevel)
        return 0.0;
    return std::pow(10.0, std::min(level, 0) / 2000.0);
}

PlaybackResult AudioRendererFilter::PutVolume(int level)
{
    if (level < kMinLevel || level > 0)
        return kPlaybackInvalidArg;
    m_level = level;
    return kPlaybackOk;
}

PlaybackResult AudioRendererFilter::PutBalance(int balance)
{
    return balance == 0 ? kPlaybackOk : kPlaybackInvalidArg;
}

void AudioRendererFilter::Start()
{
    if (m_input && m_output && !m_thread.joinable())
        m_thread = std::thread([this] { Run(); });
}

void AudioRendererFilter::RequestStop()
{
    m_stop = true;
    if (m_inputPin)
        m_inputPin->Queue().Abort();
    m_clock.Notify();
}

void AudioRendererFilter::Join()
{
    if (m_thread.joinable())
        m_thread.join();
}

void AudioRendererFilter::Fail(const char *reason)
{
    qCWarning(lcPlayback) << Name() << "plays no sound:" << reason;
    m_active = false;
    // Nobody reads the pin any more: the demuxer must not keep its packets.
    if (m_inputPin)
        m_inputPin->SetConnected(false);
}

void AudioRendererFilter::DropQueuedSound()
{
    m_tempo.Reset();
    m_output->Reset();
    m_pending.clear();
    m_pendingAt = 0;
    m_produced = 0;
    m_segments.clear();
}

void AudioRendererFilter::BeginSerial(int /*serial*/)
{
    DropQueuedSound();
    m_inputEnded = false;
    m_firstInSerial = true;
    m_ended = false;
    m_lastPlayed = -1;
    m_lastPlayedChange = PlaybackClock::Steady::now();
    m_skipUntil = 0;
}

void AudioRendererFilter::Run()
{
    const AVCodecParameters *params = m_inputPin->Parameters();
    m_format.sampleRate = params->sample_rate > 0 ? params->sample_rate : 48000;
    m_format.channels = std::clamp(params->ch_layout.nb_channels, 1, 2);
    if (!m_output->Open(&m_format) || m_format.sampleRate <= 0 || m_format.channels <= 0) {
        Fail("the sound device cannot be opened");
        return;
    }
    m_active = true;
    // The device starts running and simply has nothing to play until the clock flows.
    bool paused = false;
    int serial = -1;

    while (!m_stop) {
        if (m_output->Failed()) {
            Fail("the sound device failed");
            return;
        }
        const int current = m_epoch.Current();
        if (current != serial) {
            serial = current;
            BeginSerial(serial);
        }
        const bool flowing = m_clock.IsFlowing();
        if (flowing == paused) {
            paused = !flowing;
            m_output->SetPaused(paused);
            m_lastPlayedChange = PlaybackClock::Steady::now(); // a resumed device gets time to start
        }
        const int level = m_level.load();
        if (level != m_appliedLevel) {
            m_output->SetVolume(GainForLevel(level));
            m_appliedLevel = level;
        }
        if (!flowing) {
            m_clock.WaitForChange(std::chrono::milliseconds(20));
            continue;
        }
        if (!m_segments.empty() && m_segments.back().tempo != m_clock.Rate()) {
            // A new rate: the sound already queued at the old tempo would keep the clock at
            // the old pace for as long as it plays. It is dropped and the sound goes on from the
            // clock at the new tempo.
            RestartAt(m_clock.Now());
            continue;
        }
        ReportHeard(serial);

        if (m_pendingAt == m_pending.size()) {
            m_pending.clear();
            m_pendingAt = 0;
            if (m_inputEnded) {
                m_clock.WaitForChange(std::chrono::milliseconds(20));
                continue;
            }
            if (!Produce(serial))
                return;
            continue;
        }
        const int64_t written = m_output->Write(
            m_pending.data() + m_pendingAt, static_cast<int64_t>(m_pending.size() - m_pendingAt));
        m_pendingAt += static_cast<size_t>(written);
        m_counters.audioSamplesWritten += written / m_format.BytesPerFrame();
        if (written == 0)
            m_clock.WaitForChange(kWaitStep);
    }
}

void AudioRendererFilter::ReportHeard(int serial)
{
    if (m_segments.empty())
        return;
    const int64_t played = m_output->PlayedUs() * m_format.sampleRate / 1000000;
    const auto now = PlaybackClock::Steady::now();
    if (played > m_lastPlayed) {
        m_lastPlayed = played;
        m_lastPlayedChange = now;
    }
    const bool stalled = now - m_lastPlayedChange > kDeviceStall;
    if (m_inputEnded && m_pendingAt == m_pending.size()
        && (played >= m_produced - m_format.sampleRate / 50 || stalled)) {
        // The sound is over once the device played it all (give or take its rounding) or stopped
        // moving; the clock then runs on by itself to the end of the pictures.
        m_ended = true;
        return;
    }
    // A device whose position does not move (one that plays in large blocks, or has not
    // started yet) must not hold the pictures back: the clock runs by itself meanwhile.
    if (stalled)
        return;
    while (m_segments.size() > 1 && m_segments[1].outStart <= played)
        m_segments.pop_front();
    const Segment &segment = m_segments.front();
    const int64_t into = std::max<int64_t>(0, played - segment.outStart);
    const MediaTime heard = segment.mediaStart
        + static_cast<MediaTime>(
            static_cast<double>(into) * segment.tempo * kUnitsPerSecond / m_format.sampleRate);
    const MediaTime clockNow = m_clock.Now();
    if (clockNow - heard > kMaxAudioLag && !m_inputEnded) {
        // The sound fell far behind (a device that started late): rather than pull the pictures
        // back, drop what is queued and go on from the clock's time.
        CatchUp(clockNow);
        return;
    }
    m_clock.SyncToAudio(heard, serial);
}

void AudioRendererFilter::CatchUp(MediaTime now)
{
    RestartAt(now);
    ++m_catchUps;
}

void AudioRendererFilter::RestartAt(MediaTime now)
{
    DropQueuedSound();
    m_lastPlayed = -1;
    m_lastPlayedChange = PlaybackClock::Steady::now();
    m_skipUntil = now;
    m_firstInSerial = true;
}

ffmpeg::FramePtr AudioRendererFilter::TrimBefore(
    const AVFrame *samples, MediaTime time, MediaTime target, MediaTime *newTime) const
{
    const int skip = static_cast<int>(av_rescale(target - time, samples->sample_rate, kUnitsPerSecond));
    if (skip <= 0)
        return ffmpeg::RefFrame(samples);
    if (skip >= samples->nb_samples)
        return nullptr;
    ffmpeg::FramePtr trimmed = ffmpeg::MakeFrame();
    trimmed->format = samples->format;
    trimmed->sample_rate = samples->sample_rate;
    trimmed->nb_samples = samples->nb_samples - skip;
    if (av_channel_layout_copy(&trimmed->ch_layout, &samples->ch_layout) < 0
        || av_frame_get_buffer(trimmed.get(), 0) < 0)
        return nullptr;
    av_samples_copy(trimmed->extended_data, samples->extended_data, 0, skip, trimmed->nb_samples,
        samples->ch_layout.nb_channels, static_cast<AVSampleFormat>(samples->format));
    *newTime = time + av_rescale(skip, kUnitsPerSecond, samples->sample_rate);
    return trimmed;
}

bool AudioRendererFilter::Produce(int serial)
{
    AudioFrame frame;
    const auto result = m_input->Pull(&frame, kWaitStep);
    if (result == AudioFrameSource::PullResult::Aborted)
        return false;
    if (result == AudioFrameSource::PullResult::Timeout || frame.serial != serial)
        return true;

    if (frame.IsEndOfStream()) {
        if (m_tempo.IsConfigured()) {
            m_tempo.Push(nullptr);
            m_produced += m_tempo.Pull(&m_pending);
        }
        m_inputEnded = true;
        return true;
    }

    MediaTime time = frame.time;
    const MediaTime skipTo = std::max(frame.seekTarget, m_skipUntil);
    ffmpeg::FramePtr samples
        = frame.samples->sample_rate > 0 ? TrimBefore(frame.samples.get(), time, skipTo, &time) : nullptr;
    if (!samples || samples->nb_samples <= 0)
        return true;

    const double tempo = m_clock.Rate();
    if (m_firstInSerial) {
        m_firstInSerial = false;
        const MediaTime gap = std::min(time - skipTo, kMaxLeadIn);
        if (gap > kLeadInTolerance) {
            const int64_t silent = static_cast<int64_t>(
                static_cast<double>(gap) / tempo * m_format.sampleRate / kUnitsPerSecond);
            m_segments.push_back(Segment { m_produced, skipTo, tempo });
            m_pending.resize(m_pending.size() + static_cast<size_t>(silent * m_format.BytesPerFrame()), 0);
            m_produced += silent;
        }
    }
    if (!m_tempo.Fits(samples.get(), tempo)) {
        // A new rate or format: what the old filters still hold is a few milliseconds, dropped.
        if (!m_tempo.Configure(samples.get(), tempo, m_format)) {
            Fail("the sound cannot be converted for the device");
            return false;
        }
        m_segments.push_back(Segment { m_produced, time, tempo });
    }
    if (!m_tempo.Push(samples.get()))
        return true;
    m_produced += m_tempo.Pull(&m_pending);
    return true;
}

} // namespace media
