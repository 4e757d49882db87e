#include "media/export/InputRecording.h"

#include "media/export/ExportLog.h"
#include "media/ffmpeg/FfmpegError.h"

#include <QFile>

#include <algorithm>

namespace media {

using namespace media::ffmpeg;

bool InputRecording::Open(const QString &path, bool withSound, QString *error)
{
    m_path = path;
    AVFormatContext *raw = nullptr;
    const QByteArray name = QFile::encodeName(path);
    int rc = avformat_open_input(&raw, name.constData(), nullptr, nullptr);
    if (rc < 0) {
        *error = QStringLiteral("cannot open %1: %2").arg(path, ErrorText(rc));
        return false;
    }
    m_format.reset(raw);
    if ((rc = avformat_find_stream_info(raw, nullptr)) < 0) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, ErrorText(rc));
        return false;
    }
    m_startUs = raw->start_time == AV_NOPTS_VALUE ? 0 : raw->start_time;
    m_videoIndex = av_find_best_stream(raw, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (m_videoIndex < 0 || !OpenDecoder(m_videoIndex, m_video, error)) {
        if (error->isEmpty())
            *error = QStringLiteral("%1 holds no picture").arg(path);
        return false;
    }
    if (withSound) {
        m_audioIndex = av_find_best_stream(raw, AVMEDIA_TYPE_AUDIO, -1, m_videoIndex, nullptr, 0);
        QString audioError;
        if (m_audioIndex >= 0 && !OpenDecoder(m_audioIndex, m_audio, &audioError)) {
            qCWarning(lcExport) << "exporting without sound:" << audioError;
            m_audioIndex = -1;
        }
    }
    return true;
}

bool InputRecording::OpenDecoder(int index, CodecContextPtr &context, QString *error)
{
    const AVCodecParameters *par = m_format->streams[index]->codecpar;
    const AVCodec *codec = avcodec_find_decoder(par->codec_id);
    context.reset(codec ? avcodec_alloc_context3(codec) : nullptr);
    if (!context || avcodec_parameters_to_context(context.get(), par) < 0) {
        *error = QStringLiteral("no decoder for stream %1").arg(index);
        return false;
    }
    context->pkt_timebase = m_format->streams[index]->time_base;
    context->thread_count = 0;
    const int rc = avcodec_open2(context.get(), codec, nullptr);
    if (rc < 0) {
        *error = QStringLiteral("cannot open the decoder: %1").arg(ErrorText(rc));
        return false;
    }
    return true;
}

AVRational InputRecording::FrameRate() const
{
    const AVStream *video = PictureStream();
    AVRational rate = video->avg_frame_rate.num > 0 ? video->avg_frame_rate : video->r_frame_rate;
    if (rate.num <= 0 || rate.den <= 0 || av_q2d(rate) > 240)
        rate = { 30, 1 };
    return rate;
}

int64_t InputRecording::HeaderLengthUs() const
{
    const AVStream *video = PictureStream();
    if (video->duration > 0) {
        const int64_t start = video->start_time == AV_NOPTS_VALUE ? 0 : video->start_time;
        return av_rescale_q(start + video->duration, video->time_base, kTimeBase) - m_startUs;
    }
    return m_format->duration > 0 ? m_format->duration : -1;
}

int64_t InputRecording::LengthUs() const
{
    const int64_t fromHeaders = HeaderLengthUs();
    if (fromHeaders > 0)
        return fromHeaders;
    InputRecording probe;
    QString error;
    return probe.Open(m_path, false, &error) ? probe.LengthFromPackets() : fromHeaders;
}

int64_t InputRecording::LengthFromPackets()
{
    const AVStream *s = PictureStream();
    int64_t endUs = -1;
    while (av_read_frame(m_format.get(), m_packet.get()) >= 0) {
        if (m_packet->stream_index == m_videoIndex) {
            int64_t ts = m_packet->pts != AV_NOPTS_VALUE ? m_packet->pts : m_packet->dts;
            if (ts != AV_NOPTS_VALUE) {
                ts += std::max<int64_t>(m_packet->duration, 1);
                endUs = std::max(endUs, av_rescale_q(ts, s->time_base, kTimeBase) - m_startUs);
            }
        }
        av_packet_unref(m_packet.get());
    }
    return endUs;
}

int64_t InputRecording::FrameTimeUs(const AVFrame *frame, Kind kind) const
{
    int64_t ts = frame->best_effort_timestamp;
    if (ts == AV_NOPTS_VALUE)
        ts = frame->pts;
    if (ts == AV_NOPTS_VALUE)
        return -1;
    const int index = kind == Kind::Picture ? m_videoIndex : m_audioIndex;
    return av_rescale_q(ts, m_format->streams[index]->time_base, kTimeBase) - m_startUs;
}

int64_t InputRecording::PacketTimeUs(const AVPacket *packet) const
{
    const int64_t ts = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
    if (ts == AV_NOPTS_VALUE)
        return -1;
    return av_rescale_q(ts, m_format->streams[packet->stream_index]->time_base, kTimeBase) - m_startUs;
}

bool InputRecording::DecodeSound(const AVPacket *packet, const FrameSink &sink)
{
    if (m_audioIndex < 0)
        return true;
    if (avcodec_send_packet(m_audio.get(), packet) < 0 && packet)
        qCWarning(lcExport) << "a damaged sound packet was passed over at" << packet->pos;
    while (avcodec_receive_frame(m_audio.get(), m_decoded.get()) == 0) {
        const bool ok = sink(m_decoded.get(), Kind::Sound);
        av_frame_unref(m_decoded.get());
        if (!ok)
            return false;
    }
    return true;
}

void InputRecording::Seek(int64_t us)
{
    if (us <= 0)
        return;
    const int64_t ts = av_rescale_q(us + m_startUs, kTimeBase, PictureStream()->time_base);
    if (av_seek_frame(m_format.get(), m_videoIndex, ts, AVSEEK_FLAG_BACKWARD) < 0)
        qCWarning(lcExport) << "seek failed, reading from the start";
}

bool InputRecording::DecodeNext(const FrameSink &sink, bool *atEnd)
{
    AVPacket *packet = m_packet.get();
    const bool flushed = av_read_frame(m_format.get(), packet) < 0;
    *atEnd = flushed;
    for (const Kind kind : { Kind::Picture, Kind::Sound }) {
        const int index = kind == Kind::Picture ? m_videoIndex : m_audioIndex;
        AVCodecContext *decoder = kind == Kind::Picture ? m_video.get() : m_audio.get();
        if (index < 0 || (!flushed && packet->stream_index != index))
            continue;
        if (avcodec_send_packet(decoder, flushed ? nullptr : packet) < 0 && !flushed)
            qCWarning(lcExport) << "a damaged packet was passed over at" << packet->pos;
        while (avcodec_receive_frame(decoder, m_decoded.get()) == 0) {
            const bool ok = sink(m_decoded.get(), kind);
            av_frame_unref(m_decoded.get());
            if (!ok)
                return false;
        }
    }
    av_packet_unref(packet);
    return true;
}

bool InputRecording::NextPicture(AVFrame *frame)
{
    while (true) {
        const int rc = avcodec_receive_frame(m_video.get(), frame);
        if (rc == 0)
            return true;
        if (rc != AVERROR(EAGAIN))
            return false;
        if (m_endOfFile)
            return false;
        if (av_read_frame(m_format.get(), m_packet.get()) < 0) {
            m_endOfFile = true;
            avcodec_send_packet(m_video.get(), nullptr);
            continue;
        }
        if (m_packet->stream_index == m_videoIndex)
            avcodec_send_packet(m_video.get(), m_packet.get());
        av_packet_unref(m_packet.get());
    }
}

void InputRecording::ReadAhead()
{
    m_next = MakeFrame();
    if (!NextPicture(m_next.get()))
        m_next.reset();
    else
        m_nextUs = FrameTimeUs(m_next.get(), Kind::Picture);
}

const AVFrame *InputRecording::PictureAt(int64_t timeUs)
{
    if (!m_current && !m_next)
        ReadAhead();
    while (m_next && (!m_current || m_nextUs <= timeUs)) {
        m_current = std::move(m_next);
        ReadAhead();
    }
    return m_current.get();
}

} // namespace media
