#include "media/playback/AudioDecoderFilter.h"

namespace media {

bool AudioDecoderFilter::ConnectInput(SourcePin *pin)
{
    if (m_pin || !pin || pin->IsConnected() || pin->Type() != AVMEDIA_TYPE_AUDIO)
        return false;
    ffmpeg::CodecContextPtr context = pin->OpenDecoder();
    if (!context)
        return false;
    m_codec = std::move(context);
    m_pin = pin;
    pin->SetConnected(true);
    return true;
}

bool AudioDecoderFilter::TakeDecoded(AudioFrame *out)
{
    ffmpeg::FramePtr samples = ffmpeg::MakeFrame();
    if (avcodec_receive_frame(m_codec.get(), samples.get()) < 0)
        return false;
    MediaTime time = samples->best_effort_timestamp != AV_NOPTS_VALUE
        ? m_pin->ToMediaTime(samples->best_effort_timestamp)
        : kNoMediaTime;
    if (time == kNoMediaTime)
        time = m_nextTime;
    if (samples->sample_rate > 0)
        m_nextTime = time + av_rescale(samples->nb_samples, kUnitsPerSecond, samples->sample_rate);
    *out = AudioFrame { std::move(samples), time, m_serial, m_target };
    return true;
}

AudioFrameSource::PullResult AudioDecoderFilter::Pull(AudioFrame *out, std::chrono::milliseconds timeout)
{
    if (!m_pin)
        return PullResult::Aborted;
    for (;;) {
        if (TakeDecoded(out))
            return PullResult::Frame;
        if (m_draining) {
            // Everything up to the end was handed out.
            m_draining = false;
            avcodec_flush_buffers(m_codec.get());
            *out = AudioFrame { nullptr, m_nextTime, m_serial, m_target };
            return PullResult::Frame;
        }

        QueuedPacket item;
        const auto result = m_pin->Queue().Pop(&item, timeout);
        if (result == PacketQueue::PopResult::Aborted)
            return PullResult::Aborted;
        if (result == PacketQueue::PopResult::Timeout)
            return PullResult::Timeout;
        if (item.serial != m_serial) {
            avcodec_flush_buffers(m_codec.get());
            m_serial = item.serial;
            m_target = item.seekTarget;
            m_nextTime = m_target;
            m_draining = false;
        }
        if (item.IsEndOfStream()) {
            avcodec_send_packet(m_codec.get(), nullptr);
            m_draining = true;
            continue;
        }
        if (item.packet->size == 0)
            continue;
        avcodec_send_packet(m_codec.get(), item.packet.get());
    }
}

} // namespace media
