#pragma once

#include <QImage>
#include <QSize>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "media/playback/FfmpegPtr.h"
#include "media/playback/FrameHandoff.h"
#include "media/playback/PlaybackClock.h"
#include "media/playback/PlaybackCounters.h"
#include "media/playback/PlaybackFilter.h"
#include "media/playback/SeekEpoch.h"
#include "media/playback/VideoFrame.h"
#include "media/playback/VideoSurface.h"

namespace media {

class BrightnessFilter;
class ColourConverterFilter;
class VideoDecoderFilter;

// Presents one video stream: on its own thread it takes the decoder's pictures, waits for each
// one's time on the graph clock, drops pictures that are already late, runs the brightness and
// colour conversion stages for the ones it shows and hands the images to the window through a
// small queue. When the window has not taken the last image yet, the newest picture waits
// unconverted and the one it replaces is counted as dropped, so a busy UI costs no conversions.
// The first picture after a build or a seek is shown at once, even while paused.
class VideoRendererFilter final : public PlaybackFilter
{
public:
    VideoRendererFilter(
        QString name, const SeekEpoch &epoch, PlaybackClock &clock, PlaybackCounters &counters);
    ~VideoRendererFilter() override;

    // The window to paint into (UI thread); null renders without a window. A window destroyed
    // before the renderer is let go of, never called again.
    void SetWindow(VideoSurface *window);
    VideoSurface *Window() const { return m_window.get(); }
    // The window's client size; pictures are converted to it. Empty: the picture's own size.
    void SetVideoPosition(QSize clientSize);

    // Connects the chain that feeds the renderer: decoder, optional brightness stage, converter.
    bool ConnectInput(
        VideoDecoderFilter *decoder, BrightnessFilter *brightness, ColourConverterFilter *converter);
    bool IsConnected() const { return m_decoder != nullptr; }

    QSize NativeVideoSize() const;
    std::shared_ptr<FrameHandoff> Frames() const { return m_frames; }

    // Converts the picture on screen again (window size, current brightness), queues it and
    // has the window paint it. UI thread.
    bool RepaintVideo();
    // The picture on screen at the video's own size with the current brightness.
    bool GetCurrentImage(QImage *image);

    // Off: every picture is shown as soon as it is decoded (for throughput measurements).
    void SetSyncEnabled(bool enabled) { m_syncEnabled = enabled; }

    // Waits until the first picture of the epoch is on screen or the stream ended in it.
    bool WaitForPicture(int serial, std::chrono::milliseconds timeout) const;
    bool EndedIn(int serial) const { return m_endedSerial.load() == serial; }
    // Whether a picture of the epoch reached the screen.
    bool ShownIn(int serial) const;

    void Start() override;
    void RequestStop() override;
    void Join() override;

private:
    void Run();
    // Puts the picture on screen; always: convert it for the window even if the window has not
    // taken the previous one.
    void Show(const VideoFrame &frame, bool always);
    void Deliver(const AVFrame *picture, MediaTime time);
    void DeliverParked();
    void MarkPresented(int serial, bool ended);
    ffmpeg::FramePtr PictureOnScreen(QSize *targetSize, MediaTime *time) const;

    const SeekEpoch &m_epoch;
    PlaybackClock &m_clock;
    PlaybackCounters &m_counters;
    VideoDecoderFilter *m_decoder = nullptr;
    BrightnessFilter *m_brightness = nullptr;
    ColourConverterFilter *m_converter = nullptr;
    VideoSurface::Pointer m_window;
    std::shared_ptr<FrameHandoff> m_frames;

    std::thread m_thread;
    std::atomic<bool> m_stop { false };
    std::atomic<bool> m_syncEnabled { true };
    std::atomic<int> m_endedSerial { -1 };
    // Renderer thread only: the newest picture shown while the window was busy.
    ffmpeg::FramePtr m_parked;
    MediaTime m_parkedTime = 0;

    mutable std::mutex m_mutex; // guards what follows
    mutable std::condition_variable m_presented;
    ffmpeg::FramePtr m_onScreen; // as decoded, before brightness
    MediaTime m_onScreenTime = 0;
    int m_shownSerial = -1;
};

} // namespace media
