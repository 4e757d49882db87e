#include "media/playback/VideoDecoderFilter.h"

namespace media {

namespace {

    // Pictures waiting for the renderer; with the one it holds and the decoder's own delay this
    // keeps a few pictures ahead without holding much memory at 1080p.
    constexpr int kQueuedPictures = 4;
    constexpr auto kWaitStep = std::chrono::milliseconds(50);
    // Decode times waiting for their picture; more would mean the decoder lost pictures, and old
    // entries are then forgotten rather than shifting every later time.
    constexpr size_t kMaxPendingTimes = 64;

} // namespace

VideoDecoderFilter::VideoDecoderFilter(QString name, const SeekEpoch &epoch, PlaybackCounters &counters)
    : PlaybackFilter(std::move(name))
    , epoch_(epoch)
    , counters_(counters)
    , output_(epoch, kQueuedPictures)
{
}

VideoDecoderFilter::~VideoDecoderFilter()
{
    RequestStop();
    Join();
}

bool VideoDecoderFilter::ConnectInput(SourcePin *pin)
{
    if (pin_ || !pin || pin->IsConnected() || pin->Type() != AVMEDIA_TYPE_VIDEO)
        return false;
    ffmpeg::CodecContextPtr context = pin->OpenDecoder(0);
    if (!context)
        return false;
    codec_ = std::move(context);
    pin_ = pin;
    pin->SetConnected(true);
    return true;
}

QSize VideoDecoderFilter::NativeSize() const
{
    if (!pin_)
        return {};
    return QSize(pin_->Parameters()->width, pin_->Parameters()->height);
}

PlaybackResult VideoDecoderFilter::PutParameter(int id, int value)
{
    switch (id) {
    case DecoderParameter::kBrightness:
        picture_.brightness = value;
        return kPlaybackOk;
    case DecoderParameter::kPictureAdjust:
        picture_.adjust = value != 0;
        return kPlaybackOk;
    case DecoderParameter::kOptionsEnable:
        optionsEnabled_ = value != 0;
        return kPlaybackOk;
    case DecoderParameter::kFastDecoding:
        fastDecoding_ = value != 0;
        return kPlaybackOk;
    default:
        return kPlaybackInvalidArg;
    }
}

void VideoDecoderFilter::Start()
{
    if (pin_ && !thread_.joinable())
        thread_ = std::thread([this] { Run(); });
}

void VideoDecoderFilter::RequestStop()
{
    stop_ = true;
    output_.Abort();
}

void VideoDecoderFilter::Join()
{
    if (thread_.joinable())
        thread_.join();
}

void VideoDecoderFilter::Run()
{
    while (!stop_) {
        QueuedPacket item;
        const auto result = pin_->Queue().Pop(&item, kWaitStep);
        if (result == PacketQueue::PopResult::Aborted)
            break;
        if (result == PacketQueue::PopResult::Timeout)
            continue;
        if (item.serial != serial_)
            BeginSerial(item);
        if (item.serial != epoch_.Current())
            continue;

        if (item.IsEndOfStream()) {
            DecodePacket(nullptr);
            // A seek past the last picture shows the last picture.
            if (!deliveredInSerial_ && candidate_.picture)
                Deliver(std::move(candidate_));
            Deliver(VideoFrame { nullptr, 0, serial_ });
            avcodec_flush_buffers(codec_.get());
            decodeTimes_.clear();
            continue;
        }
        // A zero-size AVI chunk repeats the previous picture; handing it to the decoder would
        // ask it to drain instead.
        if (item.packet->size == 0)
            continue;
        if (item.packet->pts == AV_NOPTS_VALUE) {
            decodeTimes_.push_back(pin_->ToMediaTime(item.packet->dts));
            if (decodeTimes_.size() > kMaxPendingTimes)
                decodeTimes_.pop_front();
        }
        DecodePacket(item.packet.get());
    }
}

void VideoDecoderFilter::BeginSerial(const QueuedPacket &item)
{
    avcodec_flush_buffers(codec_.get());
    serial_ = item.serial;
    target_ = item.seekTarget;
    deliveredInSerial_ = false;
    candidate_ = VideoFrame {};
    decodeTimes_.clear();
    nextGuess_ = target_;
}

void VideoDecoderFilter::DecodePacket(const AVPacket *packet)
{
    const bool fast = FastDecoding();
    if (fast != appliedFast_) {
        codec_->skip_loop_filter = fast ? AVDISCARD_ALL : AVDISCARD_DEFAULT;
        appliedFast_ = fast;
    }
    const int sent = avcodec_send_packet(codec_.get(), packet);
    if (sent < 0 && packet && packet->pts == AV_NOPTS_VALUE && !decodeTimes_.empty())
        decodeTimes_.pop_back(); // a packet the decoder refused yields no picture
    ReceiveFrames();
}

MediaTime VideoDecoderFilter::TakeTime(const AVFrame *picture)
{
    MediaTime time = kNoMediaTime;
    if (picture->pts != AV_NOPTS_VALUE) {
        time = pin_->ToMediaTime(picture->pts);
    } else if (!decodeTimes_.empty()) {
        time = decodeTimes_.front();
        decodeTimes_.pop_front();
    }
    if (time == kNoMediaTime)
        time = nextGuess_;
    nextGuess_ = time + pin_->FrameDuration();
    return time;
}

void VideoDecoderFilter::ReceiveFrames()
{
    for (;;) {
        ffmpeg::FramePtr picture = ffmpeg::MakeFrame();
        if (avcodec_receive_frame(codec_.get(), picture.get()) < 0)
            return;
        ++counters_.framesDecoded;
        VideoFrame frame { std::move(picture), 0, serial_ };
        frame.time = TakeTime(frame.picture.get());
        if (serial_ != epoch_.Current())
            continue;
        if (!deliveredInSerial_) {
            // The picture on screen at the target is the last one that starts at or before it.
            // Pictures come out in presentation order, so one whose successor at the stream's
            // rate would start after the target is it; otherwise wait for a later one.
            if (frame.time <= target_ && frame.time + pin_->FrameDuration() <= target_) {
                if (candidate_.picture)
                    ++counters_.framesSkipped;
                candidate_ = std::move(frame);
                continue;
            }
            if (candidate_.picture && frame.time > target_)
                Deliver(std::move(candidate_));
            else if (candidate_.picture)
                ++counters_.framesSkipped;
        }
        Deliver(std::move(frame));
    }
}

void VideoDecoderFilter::Deliver(VideoFrame &&frame)
{
    if (!frame.IsEndOfStream())
        deliveredInSerial_ = true;
    while (!stop_) {
        const auto result = output_.Push(std::move(frame), kWaitStep);
        if (result != FrameQueue::Result::Timeout)
            return;
    }
}

} // namespace media
