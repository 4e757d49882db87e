#include "media/recorder/SampleVideoEncoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/opt.h>
}

#include <cstring>

namespace media::recorder {

SampleVideoEncoder::SampleVideoEncoder() = default;

SampleVideoEncoder::~SampleVideoEncoder()
{
    av_packet_free(&m_packet);
    av_frame_free(&m_frame);
    avcodec_free_context(&m_context);
}

bool SampleVideoEncoder::Open(int width, int height, int framesPerSecond, SampleVideoCodec codec, int threads)
{
    const AVCodec *encoder = nullptr;
    if (codec != SampleVideoCodec::Mpeg4)
        encoder = avcodec_find_encoder_by_name("libx264");
    const bool h264 = encoder != nullptr;
    if (!encoder && codec == SampleVideoCodec::H264) {
        m_error = QStringLiteral("this FFmpeg has no H.264 encoder");
        return false;
    }
    if (!encoder)
        encoder = avcodec_find_encoder(AV_CODEC_ID_MPEG4);
    if (!encoder) {
        m_error = QStringLiteral("this FFmpeg has neither an H.264 nor an MPEG-4 encoder");
        return false;
    }
    std::memcpy(m_fourcc, h264 ? "H264" : "FMP4", 5);

    m_context = avcodec_alloc_context3(encoder);
    m_frame = av_frame_alloc();
    m_packet = av_packet_alloc();
    if (!m_context || !m_frame || !m_packet) {
        m_error = QStringLiteral("out of memory");
        return false;
    }
    m_context->width = width;
    m_context->height = height;
    m_context->pix_fmt = AV_PIX_FMT_YUV420P;
    m_context->time_base = AVRational { 1, framesPerSecond };
    m_context->framerate = AVRational { framesPerSecond, 1 };
    m_context->gop_size = framesPerSecond;
    m_context->max_b_frames = 0;
    m_context->thread_count = threads;
    if (h264) {
        av_opt_set(m_context->priv_data, "preset", "ultrafast", 0);
        av_opt_set(m_context->priv_data, "crf", "32", 0);
        // Deterministic output, one IDR per second, headers in front of every IDR.
        av_opt_set(m_context->priv_data, "x264-params", "scenecut=0:repeat-headers=1:non-deterministic=0", 0);
    } else {
        m_context->flags |= AV_CODEC_FLAG_QSCALE;
        m_context->global_quality = FF_QP2LAMBDA * 10;
    }
    if (avcodec_open2(m_context, encoder, nullptr) < 0) {
        m_error = QStringLiteral("cannot open the %1 encoder").arg(QString::fromLatin1(encoder->name));
        return false;
    }
    m_frame->format = AV_PIX_FMT_YUV420P;
    m_frame->width = width;
    m_frame->height = height;
    if (av_frame_get_buffer(m_frame, 0) < 0) {
        m_error = QStringLiteral("out of memory");
        return false;
    }
    return true;
}

YuvPicture SampleVideoEncoder::Picture()
{
    // The encoder may still hold the previous picture's buffer.
    av_frame_make_writable(m_frame);
    YuvPicture p;
    p.y = m_frame->data[0];
    p.u = m_frame->data[1];
    p.v = m_frame->data[2];
    p.yStride = m_frame->linesize[0];
    p.uvStride = m_frame->linesize[1];
    p.width = m_frame->width;
    p.height = m_frame->height;
    return p;
}

bool SampleVideoEncoder::Drain(const std::function<bool(const EncodedPacket &)> &sink)
{
    EncodedPacket out;
    while (true) {
        const int result = avcodec_receive_packet(m_context, m_packet);
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
            return true;
        if (result < 0) {
            m_error = QStringLiteral("video encoding failed");
            return false;
        }
        out.data.assign(m_packet->data, m_packet->data + m_packet->size);
        out.index = m_packet->pts;
        out.keyFrame = (m_packet->flags & AV_PKT_FLAG_KEY) != 0;
        av_packet_unref(m_packet);
        if (!sink(out))
            return false;
    }
}

bool SampleVideoEncoder::Encode(const std::function<bool(const EncodedPacket &)> &sink)
{
    m_frame->pts = m_nextPts++;
    if (avcodec_send_frame(m_context, m_frame) < 0) {
        m_error = QStringLiteral("video encoding failed");
        return false;
    }
    return Drain(sink);
}

bool SampleVideoEncoder::Flush(const std::function<bool(const EncodedPacket &)> &sink)
{
    if (avcodec_send_frame(m_context, nullptr) < 0) {
        m_error = QStringLiteral("video encoding failed");
        return false;
    }
    return Drain(sink);
}

} // namespace media::recorder
