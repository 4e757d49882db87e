#include "media/playback/AudioRendererFilter.h"

#include <algorithm>
#include <cmath>

extern "C" {
#include <libavutil/samplefmt.h>
}

#include "media/playback/AudioDecoderFilter.h"
#include "media/playback/PcmPacketReader.h"
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
    , output_(std::move(output))
    , epoch_(epoch)
    , clock_(clock)
    , counters_(counters)
{
}

AudioRendererFilter::~AudioRendererFilter()
{
    RequestStop();
    Join();
}

bool AudioRendererFilter::ConnectInput(AudioDecoderFilter *decoder)
{
    if (input_ || !decoder || !decoder->IsConnected())
        return false;
    input_ = decoder;
    inputPin_ = decoder->InputPin();
    return true;
}

bool AudioRendererFilter::ConnectInput(SourcePin *pcmPin)
{
    if (input_ || !pcmPin || pcmPin->IsConnected() || !pcmPin->IsPcm())
        return false;
    pcmReader_ = std::make_unique<PcmPacketReader>(pcmPin);
    input_ = pcmReader_.get();
    inputPin_ = pcmPin;
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
    level_ = level;
    return kPlaybackOk;
}

PlaybackResult AudioRendererFilter::PutBalance(int balance)
{
    return balance == 0 ? kPlaybackOk : kPlaybackInvalidArg;
}

void AudioRendererFilter::Start()
{
    if (input_ && output_ && !thread_.joinable())
        thread_ = std::thread([this] { Run(); });
}

void AudioRendererFilter::RequestStop()
{
    stop_ = true;
    if (inputPin_)
        inputPin_->Queue().Abort();
    clock_.Notify();
}

void AudioRendererFilter::Join()
{
    if (thread_.joinable())
        thread_.join();
}

void AudioRendererFilter::Fail()
{
    active_ = false;
    // Nobody reads the pin any more: the demuxer must not keep its packets.
    if (inputPin_)
        inputPin_->SetConnected(false);
}

void AudioRendererFilter::BeginSerial(int /*serial*/)
{
    tempo_.Reset();
    output_->Reset();
    pending_.clear();
    pendingAt_ = 0;
    produced_ = 0;
    segments_.clear();
    inputEnded_ = false;
    firstInSerial_ = true;
    ended_ = false;
    lastPlayed_ = -1;
    lastPlayedChange_ = PlaybackClock::Steady::now();
    skipUntil_ = 0;
}

void AudioRendererFilter::Run()
{
    const AVCodecParameters *params = inputPin_->Parameters();
    format_.sampleRate = params->sample_rate > 0 ? params->sample_rate : 48000;
    format_.channels = std::clamp(params->ch_layout.nb_channels, 1, 2);
    if (!output_->Open(&format_) || format_.sampleRate <= 0 || format_.channels <= 0) {
        Fail();
        return;
    }
    active_ = true;
    // The device starts running and simply has nothing to play until the clock flows.
    bool paused = false;
    int serial = -1;

    while (!stop_) {
        if (output_->Failed()) {
            Fail();
            return;
        }
        const int current = epoch_.Current();
        if (current != serial) {
            serial = current;
            BeginSerial(serial);
        }
        const bool flowing = clock_.IsFlowing();
        if (flowing == paused) {
            paused = !flowing;
            output_->SetPaused(paused);
            lastPlayedChange_ = PlaybackClock::Steady::now(); // a resumed device gets time to start
        }
        const int level = level_.load();
        if (level != appliedLevel_) {
            output_->SetVolume(GainForLevel(level));
            appliedLevel_ = level;
        }
        if (!flowing) {
            clock_.WaitForChange(std::chrono::milliseconds(20));
            continue;
        }
        ReportHeard(serial);

        if (pendingAt_ == pending_.size()) {
            pending_.clear();
            pendingAt_ = 0;
            if (inputEnded_) {
                clock_.WaitForChange(std::chrono::milliseconds(20));
                continue;
            }
            if (!Produce(serial))
                return;
            continue;
        }
        const int64_t written = output_->Write(
            pending_.data() + pendingAt_, static_cast<int64_t>(pending_.size() - pendingAt_));
        pendingAt_ += static_cast<size_t>(written);
        counters_.audioSamplesWritten += written / format_.BytesPerFrame();
        if (written == 0)
            clock_.WaitForChange(kWaitStep);
    }
}

void AudioRendererFilter::ReportHeard(int serial)
{
    if (segments_.empty())
        return;
    const int64_t played = output_->PlayedUs() * format_.sampleRate / 1000000;
    const auto now = PlaybackClock::Steady::now();
    if (played > lastPlayed_) {
        lastPlayed_ = played;
        lastPlayedChange_ = now;
    }
    const bool stalled = now - lastPlayedChange_ > kDeviceStall;
    if (inputEnded_ && pendingAt_ == pending_.size()
        && (played >= produced_ - format_.sampleRate / 50 || stalled)) {
        // The sound is over once the device played it all (give or take its rounding) or stopped
        // moving; the clock then runs on by itself to the end of the pictures.
        ended_ = true;
        return;
    }
    // A device whose position does not move (one that plays in large blocks, or has not
    // started yet) must not hold the pictures back: the clock runs by itself meanwhile.
    if (stalled)
        return;
    while (segments_.size() > 1 && segments_[1].outStart <= played)
        segments_.pop_front();
    const Segment &segment = segments_.front();
    const int64_t into = std::max<int64_t>(0, played - segment.outStart);
    const MediaTime heard = segment.mediaStart
        + static_cast<MediaTime>(
            static_cast<double>(into) * segment.tempo * kUnitsPerSecond / format_.sampleRate);
    const MediaTime clockNow = clock_.Now();
    if (clockNow - heard > kMaxAudioLag && !inputEnded_) {
        // The sound fell far behind (a device that started late): rather than pull the pictures
        // back, drop what is queued and go on from the clock's time.
        CatchUp(clockNow);
        return;
    }
    clock_.SyncToAudio(heard, serial);
}

void AudioRendererFilter::CatchUp(MediaTime now)
{
    tempo_.Reset();
    output_->Reset();
    pending_.clear();
    pendingAt_ = 0;
    produced_ = 0;
    segments_.clear();
    lastPlayed_ = -1;
    lastPlayedChange_ = PlaybackClock::Steady::now();
    skipUntil_ = now;
    firstInSerial_ = true;
    ++catchUps_;
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
    const auto result = input_->Pull(&frame, kWaitStep);
    if (result == AudioFrameSource::PullResult::Aborted)
        return false;
    if (result == AudioFrameSource::PullResult::Timeout || frame.serial != serial)
        return true;

    if (frame.IsEndOfStream()) {
        if (tempo_.IsConfigured()) {
            tempo_.Push(nullptr);
            produced_ += tempo_.Pull(&pending_);
        }
        inputEnded_ = true;
        return true;
    }

    MediaTime time = frame.time;
    const MediaTime skipTo = std::max(frame.seekTarget, skipUntil_);
    ffmpeg::FramePtr samples
        = frame.samples->sample_rate > 0 ? TrimBefore(frame.samples.get(), time, skipTo, &time) : nullptr;
    if (!samples || samples->nb_samples <= 0)
        return true;

    const double tempo = clock_.Rate();
    if (firstInSerial_) {
        firstInSerial_ = false;
        const MediaTime gap = std::min(time - skipTo, kMaxLeadIn);
        if (gap > kLeadInTolerance) {
            const int64_t silent = static_cast<int64_t>(
                static_cast<double>(gap) / tempo * format_.sampleRate / kUnitsPerSecond);
            segments_.push_back(Segment { produced_, skipTo, tempo });
            pending_.resize(pending_.size() + static_cast<size_t>(silent * format_.BytesPerFrame()), 0);
            produced_ += silent;
        }
    }
    if (!tempo_.Fits(samples.get(), tempo)) {
        // A new rate or format: what the old filters still hold is a few milliseconds, dropped.
        if (!tempo_.Configure(samples.get(), tempo, format_)) {
            Fail();
            return false;
        }
        segments_.push_back(Segment { produced_, time, tempo });
    }
    if (!tempo_.Push(samples.get()))
        return true;
    produced_ += tempo_.Pull(&pending_);
    return true;
}

} // namespace media
