#include "media/playback/VideoRendererFilter.h"

#include "media/playback/BrightnessFilter.h"
#include "media/playback/ColourConverterFilter.h"
#include "media/playback/VideoDecoderFilter.h"
#include "media/playback/VideoSurface.h"

namespace media {

namespace {

    constexpr auto kWaitStep = std::chrono::milliseconds(20);
    // Media time a picture may be behind the clock and still be shown when nothing newer is ready.
    constexpr MediaTime kMaxLateness = 100 * kUnitsPerMs;

} // namespace

VideoRendererFilter::VideoRendererFilter(
    QString name, const SeekEpoch &epoch, PlaybackClock &clock, PlaybackCounters &counters)
    : PlaybackFilter(std::move(name))
    , m_epoch(epoch)
    , m_clock(clock)
    , m_counters(counters)
    , m_frames(std::make_shared<FrameHandoff>())
{
}

VideoRendererFilter::~VideoRendererFilter()
{
    RequestStop();
    Join();
    SetWindow(nullptr);
}

void VideoRendererFilter::SetWindow(VideoSurface *window)
{
    if (m_window.get() == window)
        return;
    if (m_window)
        m_window->AttachFrames(nullptr);
    m_window = window;
    if (m_window) {
        m_window->AttachFrames(m_frames);
        SetVideoPosition(m_window->ClientSize());
    }
}

void VideoRendererFilter::SetVideoPosition(QSize clientSize)
{
    m_frames->SetTargetSize(clientSize);
}

bool VideoRendererFilter::ConnectInput(
    VideoDecoderFilter *decoder, BrightnessFilter *brightness, ColourConverterFilter *converter)
{
    if (m_decoder || !decoder || !decoder->IsConnected() || !converter || !converter->IsConnected())
        return false;
    m_decoder = decoder;
    m_brightness = brightness;
    m_converter = converter;
    return true;
}

QSize VideoRendererFilter::NativeVideoSize() const
{
    return m_decoder ? m_decoder->NativeSize() : QSize();
}

void VideoRendererFilter::Start()
{
    if (m_decoder && !m_thread.joinable())
        m_thread = std::thread([this] { Run(); });
}

void VideoRendererFilter::RequestStop()
{
    m_stop = true;
    if (m_decoder)
        m_decoder->Output().Abort();
    m_clock.Notify();
    m_presented.notify_all();
}

void VideoRendererFilter::Join()
{
    if (m_thread.joinable())
        m_thread.join();
}

void VideoRendererFilter::MarkPresented(int serial, bool ended)
{
    {
        std::lock_guard lock(m_mutex);
        if (!ended)
            m_shownSerial = serial;
    }
    if (ended)
        m_endedSerial = serial;
    m_presented.notify_all();
}

bool VideoRendererFilter::WaitForPicture(int serial, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(m_mutex);
    return m_presented.wait_for(lock, timeout, [&] {
        return m_shownSerial == serial || m_endedSerial.load() == serial || m_stop.load();
    }) && !m_stop.load();
}

bool VideoRendererFilter::ShownIn(int serial) const
{
    std::lock_guard lock(m_mutex);
    return m_shownSerial == serial;
}

void VideoRendererFilter::Show(const VideoFrame &frame, bool always)
{
    {
        std::lock_guard lock(m_mutex);
        ffmpeg::Rereference(m_onScreen, frame.picture.get());
        m_onScreenTime = frame.time;
    }
    ++m_counters.framesShown;
    m_counters.lastShownTime = frame.time;
    // While the window has not taken the last picture, converting another one for it is wasted
    // work: the newest picture waits here unconverted until the window is ready.
    if (!always && m_frames->Pending() > 0) {
        if (m_parked)
            m_frames->CountDropped();
        m_parked = ffmpeg::RefFrame(frame.picture.get());
        m_parkedTime = frame.time;
        return;
    }
    if (m_parked) {
        m_frames->CountDropped();
        m_parked.reset();
    }
    Deliver(frame.picture.get(), frame.time);
}

void VideoRendererFilter::Deliver(const AVFrame *picture, MediaTime time)
{
    // The window may have changed size since the last picture: this one follows it.
    const QSize size = m_frames->TargetSize();
    if (!m_brightness || !m_brightness->Adjusts(picture)) {
        m_frames->Push(DisplayImage { m_converter->ConvertForDisplay(picture, size), time });
        return;
    }
    ffmpeg::FramePtr adjusted = m_brightness->Apply(picture);
    QImage image = adjusted ? m_converter->ConvertForDisplay(adjusted.get(), size) : QImage();
    m_frames->Push(DisplayImage { std::move(image), time });
}

void VideoRendererFilter::DeliverParked()
{
    if (m_parked && m_frames->Pending() == 0) {
        Deliver(m_parked.get(), m_parkedTime);
        m_parked.reset();
    }
}

void VideoRendererFilter::Run()
{
    FrameQueue &input = m_decoder->Output();
    std::optional<VideoFrame> pending;
    int shownSerial = -1;

    while (!m_stop) {
        DeliverParked();
        if (!pending) {
            VideoFrame next;
            const auto result = input.Pop(&next, kWaitStep);
            if (result == FrameQueue::Result::Aborted)
                break;
            if (result != FrameQueue::Result::Ok)
                continue;
            pending = std::move(next);
        }
        const VideoFrame &frame = *pending;
        if (frame.serial != m_epoch.Current()) {
            pending.reset();
            m_parked.reset();
            continue;
        }
        if (frame.IsEndOfStream()) {
            MarkPresented(frame.serial, true);
            pending.reset();
            continue;
        }
        if (shownSerial != frame.serial) {
            // The first picture of a position always reaches the window at once.
            m_parked.reset();
            Show(frame, true);
            shownSerial = frame.serial;
            MarkPresented(frame.serial, false);
            pending.reset();
            continue;
        }
        if (!m_syncEnabled) {
            if (!m_clock.IsRunning()) {
                m_clock.WaitForChange(kWaitStep);
                continue;
            }
            Show(frame, false);
            pending.reset();
            continue;
        }
        if (!m_clock.WaitUntil(frame.time, kWaitStep))
            continue; // not due yet, or the clock changed: look again
        if (frame.serial != m_epoch.Current())
            continue;
        // Late: the next picture is already due, or this one is so far behind that showing it
        // would only keep the pictures behind the sound.
        const MediaTime now = m_clock.Now();
        const std::optional<MediaTime> next = input.FrontTime();
        if ((next && now >= *next) || now - frame.time > kMaxLateness)
            ++m_counters.framesDropped;
        else
            Show(frame, false);
        pending.reset();
    }
}

ffmpeg::FramePtr VideoRendererFilter::PictureOnScreen(QSize *targetSize, MediaTime *time) const
{
    std::lock_guard lock(m_mutex);
    if (targetSize)
        *targetSize = m_frames->TargetSize();
    if (time)
        *time = m_onScreenTime;
    return m_onScreen ? ffmpeg::RefFrame(m_onScreen.get()) : nullptr;
}

bool VideoRendererFilter::RepaintVideo()
{
    QSize size;
    MediaTime time = 0;
    ffmpeg::FramePtr picture = PictureOnScreen(&size, &time);
    if (picture && m_converter) {
        ffmpeg::FramePtr adjusted = m_brightness ? m_brightness->Apply(picture.get()) : std::move(picture);
        QImage image = adjusted ? m_converter->ConvertStill(adjusted.get(), size) : QImage();
        if (!image.isNull())
            m_frames->Push(DisplayImage { std::move(image), time });
    }
    if (m_window)
        m_window->RepaintVideo();
    return true;
}

bool VideoRendererFilter::GetCurrentImage(QImage *image)
{
    ffmpeg::FramePtr picture = PictureOnScreen(nullptr, nullptr);
    if (!picture || !m_converter || !image)
        return false;
    ffmpeg::FramePtr adjusted = m_brightness ? m_brightness->Apply(picture.get()) : std::move(picture);
    *image = adjusted ? m_converter->ConvertStill(adjusted.get(), QSize()) : QImage();
    return !image->isNull();
}

} // namespace media
