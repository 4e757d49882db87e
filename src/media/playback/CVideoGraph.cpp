#include "media/playback/CVideoGraph.h"

#include <algorithm>
#include <cmath>

#include "media/playback/AudioDecoderFilter.h"
#include "media/playback/AudioRendererFilter.h"
#include "media/playback/BrightnessFilter.h"
#include "media/playback/ColourConverterFilter.h"
#include "media/playback/DecoderParameters.h"
#include "media/playback/FilterNames.h"
#include "media/playback/PlaybackLog.h"
#include "media/playback/SourceFilter.h"
#include "media/playback/VideoDecoderFilter.h"
#include "media/playback/VideoRendererFilter.h"
#include "media/playback/VideoSurface.h"

namespace media {

namespace {

    constexpr float kMinRate = 0.5f;
    constexpr float kMaxRate = 2.0f;
    // How long a build waits for its first picture; a healthy file shows it within a few frames.
    // A file whose pictures cannot be decoded ends its stream long before (see
    // VideoDecoderFilter); this bound is for a disk that is slow to answer.
    constexpr auto kFirstPictureTimeout = std::chrono::seconds(5);
    // How long the clock stands at a seek's target before it moves on (see PlaybackClock).
    constexpr auto kSeekLeadIn = std::chrono::milliseconds(100);
    // How often a first-picture wait looks whether its preparation was cancelled.
    constexpr auto kCancelCheck = std::chrono::milliseconds(10);
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
    : m_windows(windows)
    , m_windowCount(std::clamp(windowCount, 0, kMaxStreams))
    , m_audioOutputs(std::move(audioOutputs))
{
    RouteFfmpegLog();
}

CVideoGraph::~CVideoGraph()
{
    m_windows.fill({});
    Teardown();
}

void CVideoGraph::SetDefaults(bool brightnessFilter, uint8_t sourceOption)
{
    m_ready = true;
    m_state = GraphState::NotBuilt;
    m_brightnessFilter = brightnessFilter;
    m_sourceOption = sourceOption;
}

int CVideoGraph::VolumeLevel(int volume)
{
    const double v = std::clamp(volume, 0, 100) / 100.0;
    return static_cast<int>(std::trunc(1000.0 * std::log10(1e-10 + v * (1.0 - 1e-10))));
}

PlaybackResult CVideoGraph::Build(const QString &path)
{
    const PlaybackResult result = Prepare(path, WindowSizes());
    if (PlaybackSucceeded(result))
        Attach();
    return result;
}

CVideoGraph::PictureSizes CVideoGraph::WindowSizes() const
{
    PictureSizes sizes {};
    for (int k = 0; k < m_windowCount; ++k)
        if (VideoSurface *window = m_windows[static_cast<size_t>(k)].get())
            sizes[static_cast<size_t>(k)] = window->ClientSize();
    return sizes;
}

PlaybackResult CVideoGraph::Prepare(const QString &path, const PictureSizes &sizes)
{
    if (m_built)
        Teardown();
    if (path.isEmpty())
        return kPlaybackNotLoaded;
    if (m_source) {
        m_source->RequestStop();
        m_source->Join();
        m_source.reset();
    }

    m_filePath = path;
    m_pictureSizes = sizes;
    m_source = std::make_unique<SourceFilter>(FilterNames::kSource);
    m_source->SetCancelFlag(&m_cancelled);
    if (m_source->Load(path) != kPlaybackOk)
        return kPlaybackNotLoaded;

    m_videoPinCount = 0;
    for (int i = 0; i < m_source->PinCount(); ++i)
        if (m_source->Pin(i)->Name().contains(QLatin1String("Video")))
            ++m_videoPinCount;
    if (m_videoPinCount == 0) {
        LoadTelemetry();
        return kPlaybackOk; // nothing to show: the graph stays unbuilt
    }

    const bool multiStream = m_videoPinCount >= 2;
    const int streams = multiStream ? std::min({ m_windowCount, m_videoPinCount, kMaxStreams }) : 1;
    const PlaybackResult built = BuildChains(multiStream, std::max(streams, 1));
    if (!PlaybackSucceeded(built)) {
        qCWarning(lcPlayback) << "refusing" << path << ": no decoder can show its pictures";
        return built;
    }

    StopWhenReady();
    if (m_cancelled)
        return kPlaybackNotLoaded;
    const VideoRendererFilter *first = m_renderers[0].get();
    if (first && first->EndedIn(m_epoch.Current()) && !first->ShownIn(m_epoch.Current())) {
        qCWarning(lcPlayback) << "refusing" << path << ": its video stream gives no picture";
        return kPlaybackNotLoaded;
    }
    m_duration = m_source->Duration();
    m_built = true;
    return kPlaybackOk;
}

void CVideoGraph::LoadTelemetry()
{
    if (!m_readsTelemetry)
        return;
    m_source->LoadTelemetry();
    if (media::IStreamParseData *telemetry = m_source->StreamParseData()) {
        telemetry->Configure(m_sourceOption);
        telemetry->SetRecordRange(0, -1);
    }
}

void CVideoGraph::ReserveSound()
{
    m_reservedSound = m_audioOutputs ? m_audioOutputs() : nullptr;
    m_soundReserved = true;
}

void CVideoGraph::Attach()
{
    for (size_t i = 0; i < kMaxStreams; ++i) {
        if (m_renderers[i])
            m_renderers[i]->SetWindow(m_windows[i].get());
        if (m_decoders[i])
            m_decoders[i]->Release();
    }
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
    for (int i = 0; i < m_source->PinCount(); ++i) {
        SourcePin *pin = m_source->Pin(i);
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
        m_audioDecoder = std::make_unique<AudioDecoderFilter>(
            multiStream ? FilterNames::kAudioDecoderMulti : FilterNames::kAudioDecoderSingle);
    // No sound device: the graph plays on without sound and no audio connection is made.
    // A graph prepared on a worker was given its device on the UI thread beforehand.
    std::unique_ptr<AudioOutput> output;
    if (m_soundReserved)
        output = std::move(m_reservedSound);
    else if (m_audioOutputs)
        output = m_audioOutputs();
    if (!output) {
        qCInfo(lcPlayback) << "no sound device: playing" << m_filePath << "without sound";
        return kPlaybackOk;
    }
    m_audioRenderer = std::make_unique<AudioRendererFilter>(
        FilterNames::kAudioRenderer, std::move(output), m_epoch, m_clock, m_counters);
    if (compressed) {
        // A codec we cannot decode leaves the recording silent rather than unplayable.
        if (ConnectFromSource(*m_source, [&](SourcePin *pin) { return m_audioDecoder->ConnectInput(pin); }))
            m_audioRenderer->ConnectInput(m_audioDecoder.get());
        else
            qCWarning(lcPlayback) << "no decoder for the sound of" << m_filePath << ": it plays silently";
    } else {
        ConnectFromSource(*m_source, [&](SourcePin *pin) { return m_audioRenderer->ConnectInput(pin); });
    }
    return kPlaybackOk;
}

PlaybackResult CVideoGraph::BuildVideo(int k, bool multiStream)
{
    const size_t i = static_cast<size_t>(k - 1);
    m_decoders[i] = std::make_unique<VideoDecoderFilter>(FilterNames::Decoder(k), m_epoch, m_counters);
    if (m_brightnessFilter)
        m_brightness[i] = std::make_unique<BrightnessFilter>(FilterNames::Brightness(k));
    m_converters[i] = std::make_unique<ColourConverterFilter>(FilterNames::ColourConverter(k));
    m_renderers[i] = std::make_unique<VideoRendererFilter>(
        FilterNames::Renderer(k, multiStream), m_epoch, m_clock, m_counters);
    // The renderer paints into window k, stretched over its client area; until the window is
    // attached it converts at the size the window had when the graph was prepared.
    m_renderers[i]->SetVideoPosition(m_pictureSizes[i]);
    if (!m_zoomRect)
        m_zoomRect = std::make_unique<QRectF>(0.0, 0.0, 1.0, 1.0);
    m_duration = 0;

    VideoDecoderFilter &decoder = *m_decoders[i];
    if (!ConnectFromSource(*m_source, [&](SourcePin *pin) { return decoder.ConnectInput(pin); }))
        return kPlaybackCannotCreate;
    PlaybackFilter *beforeConverter = &decoder;
    if (BrightnessFilter *brightness = m_brightness[i].get()) {
        brightness->ConnectInput(&decoder.Picture());
        beforeConverter = brightness;
    }
    m_converters[i]->ConnectInput(beforeConverter);
    if (!m_renderers[i]->ConnectInput(&decoder, m_brightness[i].get(), m_converters[i].get()))
        return kPlaybackCannotCreate;
    if (k == 1) {
        m_nativeSize = m_renderers[i]->NativeVideoSize();
        m_nativeSizeCopy = m_nativeSize;
    }
    return kPlaybackOk;
}

void CVideoGraph::StopWhenReady()
{
    m_clock.SetRunning(false);
    // No lead-in: the graph does not run before Play, and the two channels are opened one after
    // the other, each waiting for its first picture.
    m_clock.Seek(0, std::chrono::milliseconds(0), m_epoch.Current());
    m_source->Start();
    for (auto &decoder : m_decoders)
        if (decoder) {
            // Until Attach: a graph prepared beside the other channel's leaves it the cores.
            decoder->HoldAfterFirstPicture();
            decoder->Start();
        }
    for (auto &renderer : m_renderers)
        if (renderer)
            renderer->Start();
    if (m_audioRenderer)
        m_audioRenderer->Start();
    // The telemetry is a pass over the file of its own: it is read while the first picture
    // decodes.
    LoadTelemetry();
    const auto deadline = std::chrono::steady_clock::now() + kFirstPictureTimeout;
    while (!m_cancelled && !WaitForPicture(kCancelCheck) && std::chrono::steady_clock::now() < deadline) { }
    m_state = GraphState::Stopped;
    m_built = true;
}

void CVideoGraph::Teardown()
{
    m_state = GraphState::Stopped;
    m_clock.SetRunning(false);

    // Every thread is told to finish before any is waited for, and all have finished before
    // any filter is deleted: the threads use their neighbours' queues.
    std::vector<PlaybackFilter *> running;
    if (m_source)
        running.push_back(m_source.get());
    for (auto &decoder : m_decoders)
        if (decoder)
            running.push_back(decoder.get());
    for (auto &renderer : m_renderers)
        if (renderer)
            running.push_back(renderer.get());
    if (m_audioRenderer)
        running.push_back(m_audioRenderer.get());
    for (PlaybackFilter *filter : running)
        filter->RequestStop();
    m_clock.Notify();
    for (PlaybackFilter *filter : running)
        filter->Join();

    m_audioRenderer.reset();
    for (auto &renderer : m_renderers)
        renderer.reset();
    for (auto &decoder : m_decoders)
        decoder.reset();
    m_audioDecoder.reset();
    m_source.reset();
    for (auto &brightness : m_brightness)
        brightness.reset();
    for (auto &converter : m_converters)
        converter.reset();
    m_zoomRect.reset();
    m_built = false;
}

PlaybackResult CVideoGraph::Play()
{
    if (!m_ready)
        return kPlaybackNotReady;
    if (m_state != GraphState::Paused && m_state != GraphState::Stopped)
        return kPlaybackWrongState;
    if (m_built && GetPosition() == GetDuration())
        SetPositions(0);
    if (m_rate != 1.0f)
        m_rate = std::clamp(m_rate, kMinRate, kMaxRate);
    ApplyRate(m_rate);
    m_clock.SetRunning(true);
    m_state = GraphState::Running;
    if (m_audioRenderer)
        m_audioRenderer->PutBalance(0);
    return kPlaybackOk;
}

void CVideoGraph::Pause()
{
    if (!m_ready || m_state != GraphState::Running)
        return;
    m_clock.SetRunning(false);
    m_state = GraphState::Paused;
}

PlaybackResult CVideoGraph::Stop()
{
    if (!m_ready)
        return kPlaybackNotReady;
    if (m_state != GraphState::Running && m_state != GraphState::Paused)
        return kPlaybackWrongState;
    m_clock.SetRunning(false);
    m_state = GraphState::Stopped;
    return kPlaybackOk;
}

void CVideoGraph::ApplyRate(double rate)
{
    m_clock.SetRate(rate);
}

bool CVideoGraph::SetRate(float rate)
{
    const GraphState before = m_state;
    Pause();
    m_rate = rate;
    if (before == GraphState::Running)
        Play();
    return true;
}

bool CVideoGraph::SetVolume(int volume)
{
    // A volume of 100 gives the level 0, which is full volume: the rear channel, which the main
    // window always sets to 100, is heard.
    m_volumeLevel = VolumeLevel(volume);
    if (m_audioRenderer)
        return PlaybackSucceeded(m_audioRenderer->PutVolume(m_volumeLevel));
    return true;
}

bool CVideoGraph::HasVideo() const
{
    return m_renderers[0] != nullptr;
}

bool CVideoGraph::SetPositions(MediaTime position)
{
    if (!m_built || !m_source)
        return false;
    position = std::max<MediaTime>(position, 0);
    const MediaTime duration = GetDuration();
    if (duration > 0)
        position = std::min(position, duration);
    // The epoch advances first, so that anything in flight is recognised as stale; then the
    // queues are emptied and the demuxer moves.
    const int serial = m_epoch.Advance();
    m_clock.Seek(position, HasVideo() ? kSeekLeadIn : std::chrono::milliseconds(0), serial);
    for (auto &decoder : m_decoders)
        if (decoder)
            decoder->Output().Flush();
    m_source->RequestSeek(position, serial);
    return true;
}

bool CVideoGraph::SeekMs(int64_t ms)
{
    return SetPositions(ms * kUnitsPerMs);
}

bool CVideoGraph::SkipBack(double seconds)
{
    if (m_state != GraphState::Running && m_state != GraphState::Paused)
        return false;
    const MediaTime target = GetPosition() - static_cast<MediaTime>(seconds * kUnitsPerSecond);
    return SetPositions(std::max<MediaTime>(target, 0));
}

bool CVideoGraph::SkipForward(double seconds)
{
    if (m_state != GraphState::Running && m_state != GraphState::Paused)
        return false;
    const MediaTime target = GetPosition() + static_cast<MediaTime>(seconds * kUnitsPerSecond);
    return SetPositions(std::min(target, GetDuration()));
}

MediaTime CVideoGraph::GetPosition() const
{
    if (!m_built)
        return 0;
    const MediaTime now = std::max<MediaTime>(m_clock.Now(), 0);
    const MediaTime duration = GetDuration();
    return duration > 0 ? std::min(now, duration) : now;
}

MediaTime CVideoGraph::GetDuration() const
{
    // The source raises the length of a recording that runs on past what its headers said.
    return m_built && m_source ? std::max(m_duration, m_source->Duration()) : m_duration;
}

MediaTime CVideoGraph::GetPicturesEnd() const
{
    return m_built && m_source ? m_source->PicturesEnd() : 0;
}

PlaybackResult CVideoGraph::Refresh()
{
    for (int k = 0; k < kMaxStreams; ++k) {
        VideoRendererFilter *renderer = m_renderers[static_cast<size_t>(k)].get();
        if (k >= m_windowCount || k >= m_videoPinCount || !renderer)
            continue;
        if (VideoSurface *window = m_windows[static_cast<size_t>(k)].get())
            renderer->SetVideoPosition(window->ClientSize());
        renderer->RepaintVideo();
    }
    return kPlaybackOk;
}

bool CVideoGraph::CaptureFrame(int stream, QImage *image)
{
    if (!image || stream < 0 || stream >= kMaxStreams || (stream > 0 && stream >= m_windowCount))
        return false;
    VideoRendererFilter *renderer = m_renderers[static_cast<size_t>(stream)].get();
    return renderer && renderer->GetCurrentImage(image);
}

PlaybackResult CVideoGraph::SetBrightness(int value)
{
    VideoDecoderFilter *decoder = m_decoders[0].get();
    if (!decoder)
        return kPlaybackFail;
    const int before = decoder->Picture().EffectiveBrightness();
    decoder->PutParameter(DecoderParameter::kPictureAdjust, 1);
    const PlaybackResult result = decoder->PutParameter(DecoderParameter::kBrightness, value);
    // A still picture shows a new brightness at once; a running one with its next picture. The
    // brightness in force, set again on every start (a trip's next recording taking over), changes
    // nothing on screen and is not worth converting the picture again on the UI thread.
    if (m_state != GraphState::Running && m_renderers[0]
        && decoder->Picture().EffectiveBrightness() != before)
        m_renderers[0]->RepaintVideo();
    return result;
}

PlaybackResult CVideoGraph::SetDecoderOption(bool enabled)
{
    VideoDecoderFilter *decoder = m_decoders[0].get();
    if (!decoder)
        return kPlaybackFail;
    decoder->PutParameter(DecoderParameter::kOptionsEnable, 1);
    return decoder->PutParameter(DecoderParameter::kFastDecoding, enabled ? 1 : 0);
}

int CVideoGraph::RenderedStreamCount() const
{
    return static_cast<int>(
        std::count_if(m_renderers.begin(), m_renderers.end(), [](const auto &r) { return r != nullptr; }));
}

QStringList CVideoGraph::FilterNames() const
{
    QStringList names;
    auto add = [&](const PlaybackFilter *filter) {
        if (filter)
            names << filter->Name();
    };
    add(m_source.get());
    add(m_audioDecoder.get());
    add(m_audioRenderer.get());
    for (size_t i = 0; i < kMaxStreams; ++i) {
        add(m_decoders[i].get());
        add(m_brightness[i].get());
        add(m_converters[i].get());
        add(m_renderers[i].get());
    }
    return names;
}

PlaybackFilter *CVideoGraph::FindFilter(const QString &name) const
{
    std::vector<PlaybackFilter *> all { m_source.get(), m_audioDecoder.get(), m_audioRenderer.get() };
    for (size_t i = 0; i < kMaxStreams; ++i)
        all.insert(all.end(),
            { m_decoders[i].get(), m_brightness[i].get(), m_converters[i].get(), m_renderers[i].get() });
    for (PlaybackFilter *filter : all)
        if (filter && filter->Name() == name)
            return filter;
    return nullptr;
}

VideoDecoderFilter *CVideoGraph::Decoder(int k) const
{
    return k >= 1 && k <= kMaxStreams ? m_decoders[static_cast<size_t>(k - 1)].get() : nullptr;
}

VideoRendererFilter *CVideoGraph::Renderer(int k) const
{
    return k >= 1 && k <= kMaxStreams ? m_renderers[static_cast<size_t>(k - 1)].get() : nullptr;
}

media::IStreamParseData *CVideoGraph::GetStreamParseData() const
{
    return m_source ? m_source->StreamParseData() : nullptr;
}

PlaybackStats CVideoGraph::Stats() const
{
    PlaybackStats stats;
    stats.framesDecoded = m_counters.framesDecoded;
    stats.framesSkipped = m_counters.framesSkipped;
    stats.framesShown = m_counters.framesShown;
    stats.framesDropped = m_counters.framesDropped;
    stats.audioSamplesWritten = m_counters.audioSamplesWritten;
    stats.lastShownTime = m_counters.lastShownTime;
    const int serial = m_epoch.Current();
    bool anyRenderer = false;
    bool allEnded = true;
    for (const auto &renderer : m_renderers) {
        if (!renderer)
            continue;
        anyRenderer = true;
        stats.handoffDropped += renderer->Frames()->Dropped();
        allEnded = allEnded && renderer->EndedIn(serial);
    }
    stats.videoEnded = anyRenderer && allEnded;
    stats.audioActive = m_audioRenderer && m_audioRenderer->IsActive();
    stats.audioEnded = m_audioRenderer && m_audioRenderer->Ended();
    return stats;
}

void CVideoGraph::SetSyncEnabled(bool enabled)
{
    for (auto &renderer : m_renderers)
        if (renderer)
            renderer->SetSyncEnabled(enabled);
}

bool CVideoGraph::WaitForPicture(std::chrono::milliseconds timeout) const
{
    const VideoRendererFilter *renderer = m_renderers[0].get();
    return !renderer || renderer->WaitForPicture(m_epoch.Current(), timeout);
}

} // namespace media
