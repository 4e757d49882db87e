#include "media/playback/CVideoGraph.h"

#include <algorithm>
#include <cmath>

#include "media/playback/AudioDecoderFilter.h"
#include "media/playback/AudioRendererFilter.h"
#include "media/playback/BrightnessFilter.h"
#include "media/playback/ColourConverterFilter.h"
#include "media/playback/DecoderParameters.h"
#include "media/playback/FilterNames.h"
#include "media/playback/SourceFilter.h"
#include "media/playback/VideoDecoderFilter.h"
#include "media/playback/VideoRendererFilter.h"
#include "media/playback/VideoSurface.h"

namespace media {

namespace {

    constexpr float kMinRate = 0.5f;
    constexpr float kMaxRate = 2.0f;
    // How long a build waits for its first picture; a healthy file shows it within a few frames.
    constexpr auto kFirstPictureTimeout = std::chrono::seconds(5);
    // The source offers each of its free pins to the next filter, but gives up after this many.
    constexpr int kMaxConnectAttempts = 3;

    // Offers the source's free pins, in order, to accept; true at the first pin it takes.
    template <typename Accept> bool ConnectFromSource(SourceFilter &source, Accept accept)
    {
        int attempts = 0;
        for (int i = 0; i < source.PinCount() && attempts < kMaxConnectAttempts; ++i) {
            SourcePin *pin = source.Pin(i);
            if (pin->IsConnected())
                continue;
            ++attempts;
            if (accept(pin))
                return true;
        }
        return false;
    }

} // namespace

CVideoGraph::CVideoGraph(const Windows &windows, int windowCount, AudioOutputFactory audioOutputs)
    : windows_(windows)
    , windowCount_(std::clamp(windowCount, 0, kMaxStreams))
    , audioOutputs_(std::move(audioOutputs))
{
}

CVideoGraph::~CVideoGraph()
{
    windows_.fill(nullptr);
    Teardown();
}

void CVideoGraph::SetDefaults(bool brightnessFilter, uint8_t sourceOption)
{
    ready_ = true;
    state_ = GraphState::NotBuilt;
    brightnessFilter_ = brightnessFilter;
    sourceOption_ = sourceOption;
}

int CVideoGraph::VolumeLevel(int volume)
{
    const double v = std::clamp(volume, 0, 100) / 100.0;
    return static_cast<int>(std::trunc(1000.0 * std::log10(1e-10 + v * (1.0 - 1e-10))));
}

PlaybackResult CVideoGraph::Build(const QString &path)
{
    if (built_)
        Teardown();
    if (path.isEmpty())
        return kPlaybackNotLoaded;
    if (source_) {
        source_->RequestStop();
        source_->Join();
        source_.reset();
    }

    filePath_ = path;
    source_ = std::make_unique<SourceFilter>(FilterNames::kSource);
    if (source_->Load(path) != kPlaybackOk)
        return kPlaybackNotLoaded;
    if (media::IStreamParseData *telemetry = source_->StreamParseData()) {
        telemetry->Configure(sourceOption_);
        telemetry->SetRecordRange(0, -1);
    }

    videoPinCount_ = 0;
    for (int i = 0; i < source_->PinCount(); ++i)
        if (source_->Pin(i)->Name().contains(QLatin1String("Video")))
            ++videoPinCount_;
    if (videoPinCount_ == 0)
        return kPlaybackOk; // nothing to show: the graph stays unbuilt

    const bool multiStream = videoPinCount_ >= 2;
    const int streams = multiStream ? std::min({ windowCount_, videoPinCount_, kMaxStreams }) : 1;
    const PlaybackResult built = BuildChains(multiStream, std::max(streams, 1));
    if (!PlaybackSucceeded(built))
        return built;

    StopWhenReady();
    duration_ = source_->Duration();
    built_ = true;
    return kPlaybackOk;
}

PlaybackResult CVideoGraph::BuildChains(bool multiStream, int streams)
{
    const PlaybackResult audio = BuildAudio(multiStream);
    if (!PlaybackSucceeded(audio))
        return audio;
    for (int k = 1; k <= streams; ++k) {
        const PlaybackResult video = BuildVideo(k, multiStream);
        if (!PlaybackSucceeded(video))
            return video;
    }
    return kPlaybackOk;
}

PlaybackResult CVideoGraph::BuildAudio(bool multiStream)
{
    int count = 0;
    for (int i = 0; i < source_->PinCount(); ++i) {
        SourcePin *pin = source_->Pin(i);
        if (!pin->Name().contains(QLatin1String("Audio")))
            continue;
        ++count;
        if (pin->IsPcm())
            count += 1000;
    }
    if (count == 0)
        return kPlaybackOk;

    const bool compressed = count < 1000;
    if (compressed)
        audioDecoder_ = std::make_unique<AudioDecoderFilter>(
            multiStream ? FilterNames::kAudioDecoderMulti : FilterNames::kAudioDecoderSingle);
    // No sound device: the graph plays on without sound and no audio connection is made.
    std::unique_ptr<AudioOutput> output = audioOutputs_ ? audioOutputs_() : nullptr;
    if (!output)
        return kPlaybackOk;
    audioRenderer_ = std::make_unique<AudioRendererFilter>(
        FilterNames::kAudioRenderer, std::move(output), epoch_, clock_, counters_);
    if (compressed) {
        // A codec we cannot decode leaves the recording silent rather than unplayable.
        if (ConnectFromSource(*source_, [&](SourcePin *pin) { return audioDecoder_->ConnectInput(pin); }))
            audioRenderer_->ConnectInput(audioDecoder_.get());
    } else {
        ConnectFromSource(*source_, [&](SourcePin *pin) { return audioRenderer_->ConnectInput(pin); });
    }
    return kPlaybackOk;
}

PlaybackResult CVideoGraph::BuildVideo(int k, bool multiStream)
{
    const size_t i = static_cast<size_t>(k - 1);
    decoders_[i] = std::make_unique<VideoDecoderFilter>(FilterNames::Decoder(k), epoch_, counters_);
    if (brightnessFilter_)
        brightness_[i] = std::make_unique<BrightnessFilter>(FilterNames::Brightness(k));
    converters_[i] = std::make_unique<ColourConverterFilter>(FilterNames::ColourConverter(k));
    renderers_[i] = std::make_unique<VideoRendererFilter>(
        FilterNames::Renderer(k, multiStream), epoch_, clock_, counters_);
    // The renderer paints into window k, stretched over its client area.
    renderers_[i]->SetWindow(windows_[i]);
    if (!zoomRect_)
        zoomRect_ = std::make_unique<QRectF>(0.0, 0.0, 1.0, 1.0);
    duration_ = 0;

    VideoDecoderFilter &decoder = *decoders_[i];
    if (!ConnectFromSource(*source_, [&](SourcePin *pin) { return decoder.ConnectInput(pin); }))
        return kPlaybackCannotCreate;
    PlaybackFilter *beforeConverter = &decoder;
    if (BrightnessFilter *brightness = brightness_[i].get()) {
        brightness->ConnectInput(&decoder.Picture());
        beforeConverter = brightness;
    }
    converters_[i]->ConnectInput(beforeConverter);
    if (!renderers_[i]->ConnectInput(&decoder, brightness_[i].get(), converters_[i].get()))
        return kPlaybackCannotCreate;
    if (k == 1) {
        nativeSize_ = renderers_[i]->NativeVideoSize();
        nativeSizeCopy_ = nativeSize_;
    }
    return kPlaybackOk;
}

void CVideoGraph::StopWhenReady()
{
    clock_.SetRunning(false);
    clock_.Seek(0, HasVideo(), epoch_.Current());
    source_->Start();
    for (auto &decoder : decoders_)
        if (decoder)
            decoder->Start();
    for (auto &renderer : renderers_)
        if (renderer)
            renderer->Start();
    if (audioRenderer_)
        audioRenderer_->Start();
    WaitForPicture(kFirstPictureTimeout);
    state_ = GraphState::Stopped;
    built_ = true;
}

void CVideoGraph::Teardown()
{
    state_ = GraphState::Stopped;
    clock_.SetRunning(false);

    // Every thread is told to finish before any is waited for, and all have finished before
    // any filter is deleted: the threads use their neighbours' queues.
    std::vector<PlaybackFilter *> running;
    if (source_)
        running.push_back(source_.get());
    for (auto &decoder : decoders_)
        if (decoder)
            running.push_back(decoder.get());
    for (auto &renderer : renderers_)
        if (renderer)
            running.push_back(renderer.get());
    if (audioRenderer_)
        running.push_back(audioRenderer_.get());
    for (PlaybackFilter *filter : running)
        filter->RequestStop();
    clock_.Notify();
    for (PlaybackFilter *filter : running)
        filter->Join();

    audioRenderer_.reset();
    for (auto &renderer : renderers_)
        renderer.reset();
    for (auto &decoder : decoders_)
        decoder.reset();
    audioDecoder_.reset();
    source_.reset();
    for (auto &brightness : brightness_)
        brightness.reset();
    for (auto &converter : converters_)
        converter.reset();
    zoomRect_.reset();
    built_ = false;
}

PlaybackResult CVideoGraph::Play()
{
    if (!ready_)
        return kPlaybackNotReady;
    if (state_ != GraphState::Paused && state_ != GraphState::Stopped)
        return kPlaybackWrongState;
    if (built_ && GetPosition() == GetDuration())
        SetPositions(0);
    if (rate_ != 1.0f)
        rate_ = std::clamp(rate_, kMinRate, kMaxRate);
    ApplyRate(rate_);
    clock_.SetRunning(true);
    state_ = GraphState::Running;
    if (audioRenderer_)
        audioRenderer_->PutBalance(0);
    return kPlaybackOk;
}

void CVideoGraph::Pause()
{
    if (!ready_ || state_ != GraphState::Running)
        return;
    clock_.SetRunning(false);
    state_ = GraphState::Paused;
}

PlaybackResult CVideoGraph::Stop()
{
    if (!ready_)
        return kPlaybackNotReady;
    if (state_ != GraphState::Running && state_ != GraphState::Paused)
        return kPlaybackWrongState;
    clock_.SetRunning(false);
    state_ = GraphState::Stopped;
    return kPlaybackOk;
}

void CVideoGraph::ApplyRate(double rate)
{
    clock_.SetRate(rate);
}

bool CVideoGraph::SetRate(float rate)
{
    const GraphState before = state_;
    Pause();
    rate_ = rate;
    if (before == GraphState::Running)
        Play();
    return true;
}

bool CVideoGraph::SetVolume(int volume)
{
    // A volume of 100 gives the level 0, which is full volume: the rear channel, which the main
    // window always sets to 100, is heard.
    volumeLevel_ = VolumeLevel(volume);
    if (audioRenderer_)
        return PlaybackSucceeded(audioRenderer_->PutVolume(volumeLevel_));
    return true;
}

bool CVideoGraph::HasVideo() const
{
    return renderers_[0] != nullptr;
}

bool CVideoGraph::SetPositions(MediaTime position)
{
    if (!built_ || !source_)
        return false;
    position = std::max<MediaTime>(position, 0);
    if (duration_ > 0)
        position = std::min(position, duration_);
    // The epoch advances first, so that anything in flight is recognised as stale; then the
    // queues are emptied and the demuxer moves.
    const int serial = epoch_.Advance();
    clock_.Seek(position, HasVideo(), serial);
    for (auto &decoder : decoders_)
        if (decoder)
            decoder->Output().Flush();
    source_->RequestSeek(position, serial);
    return true;
}

bool CVideoGraph::SeekMs(int64_t ms)
{
    return SetPositions(ms * kUnitsPerMs);
}

bool CVideoGraph::SkipBack(double seconds)
{
    if (state_ != GraphState::Running && state_ != GraphState::Paused)
        return false;
    const MediaTime target = GetPosition() - static_cast<MediaTime>(seconds * kUnitsPerSecond);
    return SetPositions(std::max<MediaTime>(target, 0));
}

bool CVideoGraph::SkipForward(double seconds)
{
    if (state_ != GraphState::Running && state_ != GraphState::Paused)
        return false;
    const MediaTime target = GetPosition() + static_cast<MediaTime>(seconds * kUnitsPerSecond);
    return SetPositions(std::min(target, duration_));
}

MediaTime CVideoGraph::GetPosition() const
{
    if (!built_)
        return 0;
    const MediaTime now = std::max<MediaTime>(clock_.Now(), 0);
    return duration_ > 0 ? std::min(now, duration_) : now;
}

MediaTime CVideoGraph::GetDuration() const
{
    return duration_;
}

PlaybackResult CVideoGraph::Refresh()
{
    for (int k = 0; k < kMaxStreams; ++k) {
        VideoRendererFilter *renderer = renderers_[static_cast<size_t>(k)].get();
        if (k >= windowCount_ || k >= videoPinCount_ || !renderer)
            continue;
        if (VideoSurface *window = windows_[static_cast<size_t>(k)])
            renderer->SetVideoPosition(window->ClientSize());
        renderer->RepaintVideo();
    }
    return kPlaybackOk;
}

bool CVideoGraph::CaptureFrame(int stream, QImage *image)
{
    if (!image || stream < 0 || stream >= kMaxStreams || (stream > 0 && stream >= windowCount_))
        return false;
    VideoRendererFilter *renderer = renderers_[static_cast<size_t>(stream)].get();
    return renderer && renderer->GetCurrentImage(image);
}

PlaybackResult CVideoGraph::SetBrightness(int value)
{
    VideoDecoderFilter *decoder = decoders_[0].get();
    if (!decoder)
        return kPlaybackFail;
    decoder->PutParameter(DecoderParameter::kPictureAdjust, 1);
    const PlaybackResult result = decoder->PutParameter(DecoderParameter::kBrightness, value);
    // A still picture shows the new brightness at once; a running one with its next picture.
    if (state_ != GraphState::Running && renderers_[0])
        renderers_[0]->RepaintVideo();
    return result;
}

PlaybackResult CVideoGraph::SetDecoderOption(bool enabled)
{
    VideoDecoderFilter *decoder = decoders_[0].get();
    if (!decoder)
        return kPlaybackFail;
    decoder->PutParameter(DecoderParameter::kOptionsEnable, 1);
    return decoder->PutParameter(DecoderParameter::kFastDecoding, enabled ? 1 : 0);
}

int CVideoGraph::RenderedStreamCount() const
{
    return static_cast<int>(
        std::count_if(renderers_.begin(), renderers_.end(), [](const auto &r) { return r != nullptr; }));
}

QStringList CVideoGraph::FilterNames() const
{
    QStringList names;
    auto add = [&](const PlaybackFilter *filter) {
        if (filter)
            names << filter->Name();
    };
    add(source_.get());
    add(audioDecoder_.get());
    add(audioRenderer_.get());
    for (size_t i = 0; i < kMaxStreams; ++i) {
        add(decoders_[i].get());
        add(brightness_[i].get());
        add(converters_[i].get());
        add(renderers_[i].get());
    }
    return names;
}

PlaybackFilter *CVideoGraph::FindFilter(const QString &name) const
{
    std::vector<PlaybackFilter *> all { source_.get(), audioDecoder_.get(), audioRenderer_.get() };
    for (size_t i = 0; i < kMaxStreams; ++i)
        all.insert(all.end(),
            { decoders_[i].get(), brightness_[i].get(), converters_[i].get(), renderers_[i].get() });
    for (PlaybackFilter *filter : all)
        if (filter && filter->Name() == name)
            return filter;
    return nullptr;
}

VideoDecoderFilter *CVideoGraph::Decoder(int k) const
{
    return k >= 1 && k <= kMaxStreams ? decoders_[static_cast<size_t>(k - 1)].get() : nullptr;
}

VideoRendererFilter *CVideoGraph::Renderer(int k) const
{
    return k >= 1 && k <= kMaxStreams ? renderers_[static_cast<size_t>(k - 1)].get() : nullptr;
}

media::IStreamParseData *CVideoGraph::GetStreamParseData() const
{
    return source_ ? source_->StreamParseData() : nullptr;
}

PlaybackStats CVideoGraph::Stats() const
{
    PlaybackStats stats;
    stats.framesDecoded = counters_.framesDecoded;
    stats.framesSkipped = counters_.framesSkipped;
    stats.framesShown = counters_.framesShown;
    stats.framesDropped = counters_.framesDropped;
    stats.audioSamplesWritten = counters_.audioSamplesWritten;
    stats.lastShownTime = counters_.lastShownTime;
    const int serial = epoch_.Current();
    bool anyRenderer = false;
    bool allEnded = true;
    for (const auto &renderer : renderers_) {
        if (!renderer)
            continue;
        anyRenderer = true;
        stats.handoffDropped += renderer->Frames()->Dropped();
        allEnded = allEnded && renderer->EndedIn(serial);
    }
    stats.videoEnded = anyRenderer && allEnded;
    stats.audioActive = audioRenderer_ && audioRenderer_->IsActive();
    stats.audioEnded = audioRenderer_ && audioRenderer_->Ended();
    return stats;
}

void CVideoGraph::SetSyncEnabled(bool enabled)
{
    for (auto &renderer : renderers_)
        if (renderer)
            renderer->SetSyncEnabled(enabled);
}

bool CVideoGraph::WaitForPicture(std::chrono::milliseconds timeout) const
{
    const VideoRendererFilter *renderer = renderers_[0].get();
    return !renderer || renderer->WaitForPicture(epoch_.Current(), timeout);
}

} // namespace media
