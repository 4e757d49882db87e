#include "media/playback/PcmPacketReader.h"

extern "C" {
#include <libavutil/channel_layout.h>
}

namespace media {

AudioFrameSource::PullResult PcmPacketReader::Pull(AudioFrame *out, std::chrono::milliseconds timeout)
{
    const AVCodecParameters *params = m_pin->Parameters();
    const AVSampleFormat format = m_pin->PcmSampleFormat();
    const int channels = params->ch_layout.nb_channels;
    const int frameBytes = av_get_bytes_per_sample(format) * channels;
    if (format == AV_SAMPLE_FMT_NONE || channels <= 0 || params->sample_rate <= 0 || frameBytes <= 0)
        return PullResult::Aborted;

    for (;;) {
        QueuedPacket item;
        const auto result = m_pin->Queue().Pop(&item, timeout);
        if (result == PacketQueue::PopResult::Aborted)
            return PullResult::Aborted;
        if (result == PacketQueue::PopResult::Timeout)
            return PullResult::Timeout;
        if (item.serial != m_serial) {
            m_serial = item.serial;
            m_nextTime = item.seekTarget;
        }
        if (item.IsEndOfStream()) {
            *out = AudioFrame { nullptr, m_nextTime, item.serial, item.seekTarget };
            return PullResult::Frame;
        }
        const int count = item.packet->size / frameBytes;
        if (count <= 0)
            continue;

        ffmpeg::FramePtr samples = ffmpeg::MakeFrame();
        samples->format = format;
        samples->sample_rate = params->sample_rate;
        samples->nb_samples = count;
        if (av_channel_layout_copy(&samples->ch_layout, &params->ch_layout) < 0
            || av_frame_get_buffer(samples.get(), 0) < 0)
            return PullResult::Aborted;
        memcpy(samples->data[0], item.packet->data,
            static_cast<size_t>(count) * static_cast<size_t>(frameBytes));

        MediaTime time
            = m_pin->ToMediaTime(item.packet->pts != AV_NOPTS_VALUE ? item.packet->pts : item.packet->dts);
        if (time == kNoMediaTime)
            time = m_nextTime;
        m_nextTime = time + av_rescale(count, kUnitsPerSecond, params->sample_rate);
        *out = AudioFrame { std::move(samples), time, item.serial, item.seekTarget };
        return PullResult::Frame;
    }
}

} // namespace media
