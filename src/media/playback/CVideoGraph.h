#pragma once

#include <QImage>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QStringList>

#include <array>
#include <atomic>
#include <chrono>
#include <memory>
#include <vector>

#include "media/playback/AudioOutput.h"
#include "media/playback/PlaybackClock.h"
#include "media/playback/PlaybackCounters.h"
#include "media/playback/PlaybackTypes.h"
#include "media/playback/SeekEpoch.h"
#include "media/playback/VideoSurface.h"
#include "media/telemetry/IStreamParseData.h"

namespace media {

class AudioDecoderFilter;
class AudioRendererFilter;
class BrightnessFilter;
class ColourConverterFilter;
class PlaybackFilter;
class SourceFilter;
class VideoDecoderFilter;
class VideoRendererFilter;

// One recording's playback graph: source -> video decoder -> brightness -> colour converter ->
// renderer for each shown video stream, and source -> audio decoder -> audio renderer (or PCM
// straight to the renderer). The filters run on their own threads; every method here is called
// from the UI thread, which only issues commands and reads the position, except Prepare and
// CancelPrepare (see there).
class CVideoGraph
{
public:
    static constexpr int kMaxStreams = 4;
    using Windows = std::array<VideoSurface::Pointer, kMaxStreams>;

    CVideoGraph(const Windows &windows, int windowCount, AudioOutputFactory audioOutputs);
    ~CVideoGraph();
    CVideoGraph(const CVideoGraph &) = delete;
    CVideoGraph &operator=(const CVideoGraph &) = delete;

    // The defaults a player gives a new graph: ready, nothing built, whether to add brightness
    // stages and the flag for the source's telemetry hand-out.
    void SetDefaults(bool brightnessFilter, uint8_t sourceOption);
    // Off: the graph reads no telemetry and GetStreamParseData gives null. Before a build.
    void SetReadsTelemetry(bool reads) { m_readsTelemetry = reads; }

    using PictureSizes = std::array<QSize, kMaxStreams>;

    // Builds the graph for a file and shows its first picture. kPlaybackNotLoaded when there is
    // nothing to play; another failure when a filter of the chain could not be made.
    // It is Prepare at the windows' sizes followed by Attach.
    PlaybackResult Build(const QString &path);

    // Build's first part, for a graph prepared on a worker: opens the file, makes and starts the
    // filters, reads the telemetry and waits for the first picture, converted at the given sizes
    // of the windows. It touches no window, so it may run on any thread while nothing else uses
    // the graph, provided the sound device was reserved first. Results as for Build.
    PlaybackResult Prepare(const QString &path, const PictureSizes &sizes);
    // On the UI thread, before a Prepare elsewhere: makes the sound device (the factory's output,
    // which may be none) now, for Prepare to use.
    void ReserveSound();
    // Build's second part, on the UI thread: the renderers get their windows, which then take the
    // first picture.
    void Attach();
    // Makes a Prepare running on another thread give up at its next read or wait. Any thread.
    // A graph whose preparation was cancelled can only be destroyed.
    void CancelPrepare() { m_cancelled = true; }
    // The windows' sizes, to prepare a graph at. UI thread.
    PictureSizes WindowSizes() const;
    void Teardown();

    PlaybackResult Play();
    void Pause();
    PlaybackResult Stop();
    // Stores the rate; a running graph is paused and played again, which applies it clamped to
    // 0.5 .. 2.0. Otherwise it takes effect at the next Play.
    bool SetRate(float rate);
    bool SetVolume(int volume);
    bool SeekMs(int64_t ms);
    bool SkipBack(double seconds);
    bool SkipForward(double seconds);
    MediaTime GetPosition() const;
    MediaTime GetDuration() const;
    // Where the last picture ends; 0 without pictures (see SourceFilter::PicturesEnd).
    MediaTime GetPicturesEnd() const;
    PlaybackResult Refresh();
    bool CaptureFrame(int stream, QImage *image);
    PlaybackResult SetBrightness(int value);
    PlaybackResult SetDecoderOption(bool enabled);

    // The volume formula: hundredths of a decibel for a volume of 0 to 100.
    static int VolumeLevel(int volume);

    GraphState State() const { return m_state; }
    bool IsReady() const { return m_ready; }
    bool IsBuilt() const { return m_built; }
    float Rate() const { return m_rate; }
    QSize NativeSize() const { return m_nativeSize; }
    int VideoPinCount() const { return m_videoPinCount; }
    // How many video streams the graph renders (one per window given, at most the file's).
    int RenderedStreamCount() const;
    const QString &FilePath() const { return m_filePath; }
    QRectF ZoomRect() const { return m_zoomRect ? *m_zoomRect : QRectF(); }

    QStringList FilterNames() const;
    PlaybackFilter *FindFilter(const QString &name) const;
    SourceFilter *Source() const { return m_source.get(); }
    VideoDecoderFilter *Decoder(int k) const;
    VideoRendererFilter *Renderer(int k) const;
    AudioDecoderFilter *AudioDecoder() const { return m_audioDecoder.get(); }
    AudioRendererFilter *AudioRenderer() const { return m_audioRenderer.get(); }

    // The source's telemetry records; null when nothing is loaded.
    media::IStreamParseData *GetStreamParseData() const;

    PlaybackStats Stats() const;
    // Off: pictures are shown as fast as they decode, for throughput measurements.
    void SetSyncEnabled(bool enabled);
    // Waits until the first picture after the build or the last seek is on screen (or the
    // stream ended there).
    bool WaitForPicture(std::chrono::milliseconds timeout) const;
    // The level last sent to the audio renderer (also without one).
    int VolumeLevelSent() const { return m_volumeLevel; }

private:
    PlaybackResult BuildChains(bool multiStream, int streams);
    PlaybackResult BuildAudio(bool multiStream);
    PlaybackResult BuildVideo(int k, bool multiStream);
    void StopWhenReady();
    void LoadTelemetry();
    bool SetPositions(MediaTime position);
    void ApplyRate(double rate);
    bool HasVideo() const;

    Windows m_windows {};
    int m_windowCount = 0;
    AudioOutputFactory m_audioOutputs;

    bool m_ready = false;
    bool m_built = false;
    bool m_brightnessFilter = true;
    uint8_t m_sourceOption = 1;
    bool m_readsTelemetry = true;
    float m_rate = 1.0f;
    MediaTime m_duration = 0;
    QSize m_nativeSize;
    QSize m_nativeSizeCopy;
    int m_videoPinCount = 0;
    int m_volumeLevel = 0;
    QString m_filePath;
    GraphState m_state = GraphState::NotBuilt;
    std::unique_ptr<QRectF> m_zoomRect;
    PictureSizes m_pictureSizes {};
    bool m_soundReserved = false;
    std::unique_ptr<AudioOutput> m_reservedSound;
    std::atomic<bool> m_cancelled { false };

    SeekEpoch m_epoch;
    PlaybackClock m_clock;
    PlaybackCounters m_counters;

    std::unique_ptr<SourceFilter> m_source;
    std::array<std::unique_ptr<VideoDecoderFilter>, kMaxStreams> m_decoders;
    std::array<std::unique_ptr<BrightnessFilter>, kMaxStreams> m_brightness;
    std::array<std::unique_ptr<ColourConverterFilter>, kMaxStreams> m_converters;
    std::array<std::unique_ptr<VideoRendererFilter>, kMaxStreams> m_renderers;
    std::unique_ptr<AudioDecoderFilter> m_audioDecoder;
    std::unique_ptr<AudioRendererFilter> m_audioRenderer;
};

} // namespace media
