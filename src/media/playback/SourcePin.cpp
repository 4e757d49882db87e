#include "media/playback/SourcePin.h"

namespace media {

SourcePin::SourcePin(QString name, AVStream *stream, MediaTime startTime)
    : name_(std::move(name))
    , stream_(stream)
    , startTime_(startTime)
{
    AVRational rate = stream->avg_frame_rate;
    if (rate.num <= 0 || rate.den <= 0)
        rate = stream->r_frame_rate;
    if (rate.num > 0 && rate.den > 0)
        frameDuration_ = av_rescale(kUnitsPerSecond, rate.den, rate.num);
    else
        frameDuration_ = 40 * kUnitsPerMs;
}

MediaTime SourcePin::ToMediaTime(int64_t ts) const
{
    const MediaTime t = ffmpeg::ToMediaTime(ts, stream_->time_base);
    return t == kNoMediaTime ? kNoMediaTime : t - startTime_;
}

int64_t SourcePin::ToStreamTime(MediaTime t) const
{
    // Rounded down: a seek must never start after the picture it asks for.
    return av_rescale_q_rnd(t + startTime_, AVRational { 1, static_cast<int>(kUnitsPerSecond) },
        stream_->time_base, AV_ROUND_DOWN);
}

AVSampleFormat SourcePin::PcmSampleFormat() const
{
    if (Type() != AVMEDIA_TYPE_AUDIO)
        return AV_SAMPLE_FMT_NONE;
    // Interleaved little-endian layouts that match an FFmpeg sample format byte for byte.
    switch (stream_->codecpar->codec_id) {
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
    connected_.store(connected, std::memory_order_release);
    if (!connected)
        queue_.Flush(-1);
}

ffmpeg::CodecContextPtr SourcePin::OpenDecoder(int threads) const
{
    const AVCodec *codec = avcodec_find_decoder(Parameters()->codec_id);
    if (!codec)
        return nullptr;
    ffmpeg::CodecContextPtr context(avcodec_alloc_context3(codec));
    if (!context || avcodec_parameters_to_context(context.get(), Parameters()) < 0)
        return nullptr;
    context->pkt_timebase = TimeBase();
    context->thread_count = threads;
    if (threads != 1)
        context->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
    if (avcodec_open2(context.get(), codec, nullptr) < 0)
        return nullptr;
    return context;
}

} // namespace media
