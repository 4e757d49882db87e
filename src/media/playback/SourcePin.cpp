#include "media/playback/SourcePin.h"

#include "media/playback/PlaybackLog.h"

namespace media {

SourcePin::SourcePin(QString name, AVStream *stream, MediaTime startTime)
    : m_name(std::move(name))
    , m_stream(stream)
    , m_startTime(startTime)
{
    AVRational rate = stream->avg_frame_rate;
    if (rate.num <= 0 || rate.den <= 0)
        rate = stream->r_frame_rate;
    if (rate.num > 0 && rate.den > 0)
        m_frameDuration = av_rescale(kUnitsPerSecond, rate.den, rate.num);
    else
        m_frameDuration = 40 * kUnitsPerMs;
}

MediaTime SourcePin::ToMediaTime(int64_t ts) const
{
    const MediaTime t = ffmpeg::ToMediaTime(ts, m_stream->time_base);
    return t == kNoMediaTime ? kNoMediaTime : t - m_startTime;
}

int64_t SourcePin::ToStreamTime(MediaTime t) const
{
    // Rounded down: a seek must never start after the picture it asks for.
    return av_rescale_q_rnd(t + m_startTime, AVRational { 1, static_cast<int>(kUnitsPerSecond) },
        m_stream->time_base, AV_ROUND_DOWN);
}

AVSampleFormat SourcePin::PcmSampleFormat() const
{
    if (Type() != AVMEDIA_TYPE_AUDIO)
        return AV_SAMPLE_FMT_NONE;
    // Interleaved little-endian layouts that match an FFmpeg sample format byte for byte.
    switch (m_stream->codecpar->codec_id) {
    case AV_CODEC_ID_PCM_U8:
        return AV_SAMPLE_FMT_U8;
    case AV_CODEC_ID_PCM_S16LE:
        return AV_SAMPLE_FMT_S16;
    case AV_CODEC_ID_PCM_S32LE:
        return AV_SAMPLE_FMT_S32;
    case AV_CODEC_ID_PCM_F32LE:
        return AV_SAMPLE_FMT_FLT;
    case AV_CODEC_ID_PCM_F64LE:
        return AV_SAMPLE_FMT_DBL;
    default:
        return AV_SAMPLE_FMT_NONE;
    }
}

void SourcePin::SetConnected(bool connected)
{
    m_connected.store(connected, std::memory_order_release);
    if (!connected)
        m_queue.Flush(-1);
}

ffmpeg::CodecContextPtr SourcePin::OpenDecoder(int threads) const
{
    const AVCodec *codec = avcodec_find_decoder(Parameters()->codec_id);
    if (!codec) {
        qCWarning(lcPlayback) << m_name << "has no decoder for" << avcodec_get_name(Parameters()->codec_id);
        return nullptr;
    }
    ffmpeg::CodecContextPtr context(avcodec_alloc_context3(codec));
    if (!context || avcodec_parameters_to_context(context.get(), Parameters()) < 0)
        return nullptr;
    context->pkt_timebase = TimeBase();
    context->thread_count = threads;
    if (threads != 1)
        context->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
    if (avcodec_open2(context.get(), codec, nullptr) < 0) {
        qCWarning(lcPlayback) << m_name << ": the" << codec->name << "decoder refuses its stream";
        return nullptr;
    }
    return context;
}

} // namespace media
