#pragma once

#include <QImage>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QStringList>

#include <array>
#include <chrono>
#include <memory>
#include <vector>

#include "media/playback/AudioOutput.h"
#include "media/playback/PlaybackClock.h"
#include "media/playback/PlaybackCounters.h"
#include "media/playback/PlaybackTypes.h"
#include "media/playback/SeekEpoch.h"
#include "media/telemetry/StreamParseData.h"

namespace media {

class AudioDecoderFilter;
class AudioRendererFilter;
class BrightnessFilter;
class ColourConverterFilter;
class PlaybackFilter;
class SourceFilter;
class VideoDecoderFilter;
class VideoRendererFilter;
class VideoSurface;

// One recording's playback graph: source -> video decoder -> brightness -> colour converter ->
// renderer for each shown video stream, and source -> audio decoder -> audio renderer (or PCM
// straight to the renderer). The filters run on their own threads; every method here is called
// from the UI thread, which only issues commands and reads the position.
class CVideoGraph
{
public:
    static constexpr int kMaxStreams = 4;
    using Windows = std::array<VideoSurface *, kMaxStreams>;

    CVideoGraph(const Windows &windows, int windowCount, AudioOutputFactory audioOutputs);
    ~CVideoGraph();
    CVideoGraph(const CVideoGraph &) = delete;
    CVideoGraph &operator=(const CVideoGraph &) = delete;

    // The defaults a player gives a new graph: ready, nothing built, whether to add brightness
    // stages and the flag for the source's telemetry hand-out.
    void SetDefaults(bool brightnessFilter, uint8_t sourceOption);

    // Builds the graph for a file and shows its first picture. kPlaybackNotLoaded when there is
    // nothing to play; another failure when a filter of the chain could not be made.
    PlaybackResult Build(const QString &path);
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
    PlaybackResult Refresh();
    bool CaptureFrame(int stream, QImage *image);
    PlaybackResult SetBrightness(int value);
    PlaybackResult SetDecoderOption(bool enabled);

    // The volume formula: hundredths of a decibel for a volume of 0 to 100.
    static int VolumeLevel(int volume);

    GraphState State() const { return state_; }
    bool IsReady() const { return ready_; }
    bool IsBuilt() const { return built_; }
    float Rate() const { return rate_; }
    QSize NativeSize() const { return nativeSize_; }
    int VideoPinCount() const { return videoPinCount_; }
    // How many video streams the graph renders (one per window given, at most the file's).
    int RenderedStreamCount() const;
    const QString &FilePath() const { return filePath_; }
    QRectF ZoomRect() const { return zoomRect_ ? *zoomRect_ : QRectF(); }

    QStringList FilterNames() const;
    PlaybackFilter *FindFilter(const QString &name) const;
    SourceFilter *Source() const { return source_.get(); }
    VideoDecoderFilter *Decoder(int k) const;
    VideoRendererFilter *Renderer(int k) const;
    AudioDecoderFilter *AudioDecoder() const { return audioDecoder_.get(); }
    AudioRendererFilter *AudioRenderer() const { return audioRenderer_.get(); }

    // The source's telemetry records; null when nothing is loaded.
    media::IStreamParseData *GetStreamParseData() const;

    PlaybackStats Stats() const;
    // Off: pictures are shown as fast as they decode, for throughput measurements.
    void SetSyncEnabled(bool enabled);
    // Waits until the first picture after the build or the last seek is on screen (or the
    // stream ended there).
    bool WaitForPicture(std::chrono::milliseconds timeout) const;
    // The level last sent to the audio renderer (also without one).
    int VolumeLevelSent() const { return volumeLevel_; }

private:
    PlaybackResult BuildChains(bool multiStream, int streams);
    PlaybackResult BuildAudio(bool multiStream);
    PlaybackResult BuildVideo(int k, bool multiStream);
    void StopWhenReady();
    bool SetPositions(MediaTime position);
    void ApplyRate(double rate);
    bool HasVideo() const;

    Windows windows_ {};
    int windowCount_ = 0;
    AudioOutputFactory audioOutputs_;

    bool ready_ = false;
    bool built_ = false;
    bool brightnessFilter_ = true;
    uint8_t sourceOption_ = 1;
    float rate_ = 1.0f;
    MediaTime duration_ = 0;
    QSize nativeSize_;
    QSize nativeSizeCopy_;
    int videoPinCount_ = 0;
    int volumeLevel_ = 0;
    QString filePath_;
    GraphState state_ = GraphState::NotBuilt;
    std::unique_ptr<QRectF> zoomRect_;

    SeekEpoch epoch_;
    PlaybackClock clock_;
    PlaybackCounters counters_;

    std::unique_ptr<SourceFilter> source_;
    std::array<std::unique_ptr<VideoDecoderFilter>, kMaxStreams> decoders_;
    std::array<std::unique_ptr<BrightnessFilter>, kMaxStreams> brightness_;
    std::array<std::unique_ptr<ColourConverterFilter>, kMaxStreams> converters_;
    std::array<std::unique_ptr<VideoRendererFilter>, kMaxStreams> renderers_;
    std::unique_ptr<AudioDecoderFilter> audioDecoder_;
    std::unique_ptr<AudioRendererFilter> audioRenderer_;
};

} // namespace media
