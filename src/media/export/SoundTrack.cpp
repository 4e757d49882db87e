#include "media/export/SoundTrack.h"

#include <algorithm>
#include <vector>

namespace media {

using namespace media::ffmpeg;

bool SoundTrack::Open(
    const AVCodecContext *decoder, const AVCodecContext *encoder, int64_t fromUs, int64_t toUs)
{
    m_encoder = encoder;
    m_fifo.reset(av_audio_fifo_alloc(encoder->sample_fmt, encoder->ch_layout.nb_channels, 4096));
    return Continue(decoder, 0, fromUs, toUs);
}

bool SoundTrack::Continue(const AVCodecContext *decoder, int64_t clipUs, int64_t fromUs, int64_t toUs)
{
    const AVCodecContext *encoder = m_encoder;
    m_fromUs = fromUs;
    m_toUs = toUs;
    m_pieceStart = av_rescale(clipUs, encoder->sample_rate, 1000000);
    // The recording before may have ended its sound early: its part stays its length.
    QueueSilence(m_pieceStart);
    m_spanSamples = m_pieceStart + av_rescale(toUs - fromUs, encoder->sample_rate, 1000000);
    m_complete = false;
    if (!decoder) {
        // A recording without sound keeps its part of the clip silent.
        QueueSilence(m_spanSamples);
        m_complete = true;
        return true;
    }
    SwrContext *swr = nullptr;
    // Older FFmpeg takes the layouts without const.
    const int rc = swr_alloc_set_opts2(&swr, const_cast<AVChannelLayout *>(&encoder->ch_layout),
        encoder->sample_fmt, encoder->sample_rate, const_cast<AVChannelLayout *>(&decoder->ch_layout),
        decoder->sample_fmt, decoder->sample_rate, 0, nullptr);
    m_resampler.reset(swr);
    if (rc < 0 || swr_init(swr) < 0)
        return Fail(QStringLiteral("cannot convert the sound for AAC"));
    return true;
}

void SoundTrack::QueueSilence(int64_t until)
{
    const int64_t gap = until - m_samplesQueued;
    if (gap <= 0)
        return;
    std::vector<float> silence(size_t(gap), 0.0f);
    std::vector<void *> planes(size_t(m_encoder->ch_layout.nb_channels), silence.data());
    av_audio_fifo_write(m_fifo.get(), planes.data(), int(gap));
    m_samplesQueued += gap;
}

bool SoundTrack::Add(const AVFrame *frame, int64_t timeUs)
{
    if (m_complete || timeUs < 0)
        return true;
    if (timeUs >= m_toUs) {
        m_complete = true;
        return true;
    }
    const AVCodecContext *enc = m_encoder;
    const int64_t start = m_pieceStart + av_rescale(timeUs - m_fromUs, enc->sample_rate, 1000000);
    const int capacity = swr_get_out_samples(m_resampler.get(), frame->nb_samples);
    uint8_t **converted = nullptr;
    if (av_samples_alloc_array_and_samples(
            &converted, nullptr, enc->ch_layout.nb_channels, capacity, enc->sample_fmt, 0)
        < 0)
        return Fail(QStringLiteral("out of memory"));
    const int count = swr_convert(m_resampler.get(), converted, capacity,
        const_cast<const uint8_t **>(frame->extended_data), frame->nb_samples);
    bool ok = count >= 0;
    if (ok)
        QueueSilence(std::min(start, m_spanSamples));
    if (ok) {
        const int64_t skip = std::clamp<int64_t>(m_samplesQueued - start, 0, count);
        const int64_t take = std::min<int64_t>(count - skip, m_spanSamples - m_samplesQueued);
        if (take > 0) {
            std::vector<void *> planes(size_t(enc->ch_layout.nb_channels));
            for (size_t c = 0; c < planes.size(); ++c)
                planes[c] = converted[c] + skip * av_get_bytes_per_sample(enc->sample_fmt);
            ok = av_audio_fifo_write(m_fifo.get(), planes.data(), int(take)) == int(take);
            m_samplesQueued += take;
        }
    }
    av_freep(&converted[0]);
    av_freep(&converted);
    if (!ok)
        return Fail(QStringLiteral("cannot convert the sound"));
    if (m_samplesQueued >= m_spanSamples)
        m_complete = true;
    return true;
}

bool SoundTrack::Take(FramePtr *frame, bool draining)
{
    frame->reset();
    const AVCodecContext *enc = m_encoder;
    const int available = av_audio_fifo_size(m_fifo.get());
    if (available < enc->frame_size && !(draining && available > 0))
        return true;
    const bool smallLast = enc->codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME;
    FramePtr out = MakeFrame();
    out->nb_samples = smallLast ? std::min(available, enc->frame_size) : enc->frame_size;
    out->format = enc->sample_fmt;
    out->sample_rate = enc->sample_rate;
    av_channel_layout_copy(&out->ch_layout, &enc->ch_layout);
    if (av_frame_get_buffer(out.get(), 0) < 0)
        return Fail(QStringLiteral("out of memory"));
    av_samples_set_silence(
        out->extended_data, 0, out->nb_samples, enc->ch_layout.nb_channels, enc->sample_fmt);
    av_audio_fifo_read(
        m_fifo.get(), reinterpret_cast<void **>(out->extended_data), std::min(available, out->nb_samples));
    out->pts = m_samplesTaken;
    m_samplesTaken += out->nb_samples;
    *frame = std::move(out);
    return true;
}

} // namespace media
