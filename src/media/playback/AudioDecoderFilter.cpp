#include "media/playback/AudioDecoderFilter.h"

namespace media {

bool AudioDecoderFilter::ConnectInput(SourcePin *pin)
{
    if (pin_ || !pin || pin->IsConnected() || pin->Type() != AVMEDIA_TYPE_AUDIO)
        return false;
    ffmpeg::CodecContextPtr context = pin->OpenDecoder();
    if (!context)
        return false;
    codec_ = std::move(context);
    pin_ = pin;
    pin->SetConnected(true);
    return true;
}

bool AudioDecoderFilter::TakeDecoded(AudioFrame *out)
{
    ffmpeg::FramePtr samples = ffmpeg::MakeFrame();
    if (avcodec_receive_frame(codec_.get(), samples.get()) < 0)
        return false;
    MediaTime time = samples->best_effort_timestamp != AV_NOPTS_VALUE
        ? pin_->ToMediaTime(samples->best_effort_timestamp)
        : kNoMediaTime;
    if (time == kNoMediaTime)
        time = nextTime_;
    if (samples->sample_rate > 0)
        nextTime_ = time + av_rescale(samples->nb_samples, kUnitsPerSecond, samples->sample_rate);
    *out = AudioFrame { std::move(samples), time, serial_, target_ };
    return true;
}

AudioFrameSource::PullResult AudioDecoderFilter::Pull(AudioFrame *out, std::chrono::milliseconds timeout)
{
    if (!pin_)
        return PullResult::Aborted;
    for (;;) {
        if (TakeDecoded(out))
            return PullResult::Frame;
        if (draining_) {
            // Everything up to the end was handed out.
            draining_ = false;
            avcodec_flush_buffers(codec_.get());
            *out = AudioFrame { nullptr, nextTime_, serial_, target_ };
            return PullResult::Frame;
        }

        QueuedPacket item;
        const auto result = pin_->Queue().Pop(&item, timeout);
        if (result == PacketQueue::PopResult::Aborted)
            return PullResult::Aborted;
        if (result == PacketQueue::PopResult::Timeout)
            return PullResult::Timeout;
        if (item.serial != serial_) {
            avcodec_flush_buffers(codec_.get());
            serial_ = item.serial;
            target_ = item.seekTarget;
            nextTime_ = target_;
            draining_ = false;
        }
        if (item.IsEndOfStream()) {
            avcodec_send_packet(codec_.get(), nullptr);
            draining_ = true;
            continue;
        }
        if (item.packet->size == 0)
            continue;
        avcodec_send_packet(codec_.get(), item.packet.get());
    }
}

} // namespace media
