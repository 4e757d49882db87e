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
    , epoch_(epoch)
    , clock_(clock)
    , counters_(counters)
    , frames_(std::make_shared<FrameHandoff>())
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
    if (window_ == window)
        return;
    if (window_)
        window_->AttachFrames(nullptr);
    window_ = window;
    if (window_) {
        window_->AttachFrames(frames_);
        SetVideoPosition(window_->ClientSize());
    }
}

void VideoRendererFilter::SetVideoPosition(QSize clientSize)
{
    std::lock_guard lock(mutex_);
    targetSize_ = clientSize;
}

bool VideoRendererFilter::ConnectInput(
    VideoDecoderFilter *decoder, BrightnessFilter *brightness, ColourConverterFilter *converter)
{
    if (decoder_ || !decoder || !decoder->IsConnected() || !converter || !converter->IsConnected())
        return false;
    decoder_ = decoder;
    brightness_ = brightness;
    converter_ = converter;
    return true;
}

QSize VideoRendererFilter::NativeVideoSize() const
{
    return decoder_ ? decoder_->NativeSize() : QSize();
}

void VideoRendererFilter::Start()
{
    if (decoder_ && !thread_.joinable())
        thread_ = std::thread([this] { Run(); });
}

void VideoRendererFilter::RequestStop()
{
    stop_ = true;
    if (decoder_)
        decoder_->Output().Abort();
    clock_.Notify();
    presented_.notify_all();
}

void VideoRendererFilter::Join()
{
    if (thread_.joinable())
        thread_.join();
}

void VideoRendererFilter::MarkPresented(int serial, bool ended)
{
    {
        std::lock_guard lock(mutex_);
        if (!ended)
            shownSerial_ = serial;
    }
    if (ended)
        endedSerial_ = serial;
    presented_.notify_all();
}

bool VideoRendererFilter::WaitForPicture(int serial, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(mutex_);
    return presented_.wait_for(lock, timeout, [&] {
        return shownSerial_ == serial || endedSerial_.load() == serial || stop_.load();
    }) && !stop_.load();
}

void VideoRendererFilter::Show(const VideoFrame &frame, bool always)
{
    {
        std::lock_guard lock(mutex_);
        onScreen_ = ffmpeg::RefFrame(frame.picture.get());
        onScreenTime_ = frame.time;
    }
    ++counters_.framesShown;
    counters_.lastShownTime = frame.time;
    // While the window has not taken the last picture, converting another one for it is wasted
    // work: the newest picture waits here unconverted until the window is ready.
    if (!always && frames_->Pending() > 0) {
        if (parked_)
            frames_->CountDropped();
        parked_ = ffmpeg::RefFrame(frame.picture.get());
        parkedTime_ = frame.time;
        return;
    }
    if (parked_) {
        frames_->CountDropped();
        parked_.reset();
    }
    Deliver(frame.picture.get(), frame.time);
}

void VideoRendererFilter::Deliver(const AVFrame *picture, MediaTime time)
{
    ffmpeg::FramePtr adjusted = brightness_ ? brightness_->Apply(picture) : ffmpeg::RefFrame(picture);
    QSize size;
    {
        std::lock_guard lock(mutex_);
        size = targetSize_;
    }
    QImage image = adjusted ? converter_->ConvertForDisplay(adjusted.get(), size) : QImage();
    frames_->Push(DisplayImage { std::move(image), time });
}

void VideoRendererFilter::DeliverParked()
{
    if (parked_ && frames_->Pending() == 0) {
        Deliver(parked_.get(), parkedTime_);
        parked_.reset();
    }
}

void VideoRendererFilter::Run()
{
    FrameQueue &input = decoder_->Output();
    std::optional<VideoFrame> pending;
    int shownSerial = -1;

    while (!stop_) {
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
        if (frame.serial != epoch_.Current()) {
            pending.reset();
            parked_.reset();
            continue;
        }
        if (frame.IsEndOfStream()) {
            // Nothing more comes for this position: let the clock run on to the end.
            clock_.ReleaseHold(frame.serial);
            MarkPresented(frame.serial, true);
            pending.reset();
            continue;
        }
        if (shownSerial != frame.serial) {
            // The first picture of a position always reaches the window at once.
            parked_.reset();
            Show(frame, true);
            shownSerial = frame.serial;
            MarkPresented(frame.serial, false);
            clock_.ReleaseHold(frame.serial);
            pending.reset();
            continue;
        }
        if (!syncEnabled_) {
            if (!clock_.IsRunning()) {
                clock_.WaitForChange(kWaitStep);
                continue;
            }
            Show(frame, false);
            pending.reset();
            continue;
        }
        if (!clock_.WaitUntil(frame.time, kWaitStep))
            continue; // not due yet, or the clock changed: look again
        if (frame.serial != epoch_.Current())
            continue;
        // Late: the next picture is already due, or this one is so far behind that showing it
        // would only keep the pictures behind the sound.
        const MediaTime now = clock_.Now();
        const std::optional<MediaTime> next = input.FrontTime();
        if ((next && now >= *next) || now - frame.time > kMaxLateness)
            ++counters_.framesDropped;
        else
            Show(frame, false);
        pending.reset();
    }
}

ffmpeg::FramePtr VideoRendererFilter::PictureOnScreen(QSize *targetSize, MediaTime *time) const
{
    std::lock_guard lock(mutex_);
    if (targetSize)
        *targetSize = targetSize_;
    if (time)
        *time = onScreenTime_;
    return onScreen_ ? ffmpeg::RefFrame(onScreen_.get()) : nullptr;
}

bool VideoRendererFilter::RepaintVideo()
{
    QSize size;
    MediaTime time = 0;
    ffmpeg::FramePtr picture = PictureOnScreen(&size, &time);
    if (picture && converter_) {
        ffmpeg::FramePtr adjusted = brightness_ ? brightness_->Apply(picture.get()) : std::move(picture);
        QImage image = adjusted ? converter_->ConvertStill(adjusted.get(), size) : QImage();
        if (!image.isNull())
            frames_->Push(DisplayImage { std::move(image), time });
    }
    if (window_)
        window_->RepaintVideo();
    return true;
}

bool VideoRendererFilter::GetCurrentImage(QImage *image)
{
    ffmpeg::FramePtr picture = PictureOnScreen(nullptr, nullptr);
    if (!picture || !converter_ || !image)
        return false;
    ffmpeg::FramePtr adjusted = brightness_ ? brightness_->Apply(picture.get()) : std::move(picture);
    *image = adjusted ? converter_->ConvertStill(adjusted.get(), QSize()) : QImage();
    return !image->isNull();
}

} // namespace media
