#include "media/export/Mp4Writer.h"

#include "media/ffmpeg/FfmpegError.h"

#include <QFile>

#include <algorithm>
#include <cmath>

namespace media {

using namespace media::ffmpeg;

bool Mp4Writer::Open(
    const QString &path, int width, int height, AVRational frameRate, const AVCodecContext *soundSource)
{
    AVFormatContext *raw = nullptr;
    const QByteArray name = QFile::encodeName(path);
    int rc = avformat_alloc_output_context2(&raw, nullptr, "mp4", name.constData());
    if (rc < 0 || !raw)
        return Fail(QStringLiteral("cannot make an MP4: %1").arg(ErrorText(rc)));
    m_output.reset(raw);
    const bool globalHeader = raw->oformat->flags & AVFMT_GLOBALHEADER;

    const AVCodec *h264 = avcodec_find_encoder_by_name("libx264");
    if (!h264)
        h264 = avcodec_find_encoder(AV_CODEC_ID_H264);
    if (!h264)
        return Fail(QStringLiteral("no H.264 encoder in this FFmpeg"));
    m_videoEncoder.reset(avcodec_alloc_context3(h264));
    AVCodecContext *venc = m_videoEncoder.get();
    venc->width = width;
    venc->height = height;
    venc->pix_fmt = AV_PIX_FMT_YUV420P;
    venc->time_base = av_inv_q(frameRate);
    venc->framerate = frameRate;
    venc->sample_aspect_ratio = { 1, 1 };
    venc->gop_size = std::max(1, int(std::lround(av_q2d(frameRate))) * 2);
    venc->thread_count = 0;
    if (globalHeader)
        venc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    AVDictionary *options = nullptr;
    // Fast enough to stay ahead of real time on a laptop, with a quality that keeps number
    // plates readable in the recorder's own resolution.
    av_dict_set(&options, "preset", "veryfast", 0);
    av_dict_set(&options, "crf", "23", 0);
    rc = avcodec_open2(venc, h264, &options);
    av_dict_free(&options);
    if (rc < 0)
        return Fail(QStringLiteral("cannot open the H.264 encoder: %1").arg(ErrorText(rc)));
    m_videoStream = avformat_new_stream(raw, nullptr);
    avcodec_parameters_from_context(m_videoStream->codecpar, venc);
    m_videoStream->time_base = venc->time_base;
    m_videoStream->avg_frame_rate = frameRate;

    if (soundSource) {
        QString error;
        m_audioEncoder = OpenSoundEncoder(soundSource, globalHeader, &error);
        if (!m_audioEncoder)
            return Fail(error);
        const AVCodecContext *aenc = m_audioEncoder.get();
        m_audioStream = avformat_new_stream(raw, nullptr);
        avcodec_parameters_from_context(m_audioStream->codecpar, aenc);
        m_audioStream->time_base = aenc->time_base;
    }

    if ((rc = BeginFile(raw, name)) < 0)
        return Fail(QStringLiteral("cannot write %1: %2").arg(path, ErrorText(rc)));
    return true;
}

int Mp4Writer::BeginFile(AVFormatContext *format, const QByteArray &fileName)
{
    int rc = avio_open(&format->pb, fileName.constData(), AVIO_FLAG_WRITE);
    if (rc < 0)
        return rc;
    AVDictionary *muxOptions = nullptr;
    // The index goes to the front once the clip is complete, for players that stream it.
    av_dict_set(&muxOptions, "movflags", "+faststart", 0);
    rc = avformat_write_header(format, &muxOptions);
    av_dict_free(&muxOptions);
    return rc;
}

CodecContextPtr Mp4Writer::OpenSoundEncoder(const AVCodecContext *source, bool globalHeader, QString *error)
{
    const AVCodec *aac = avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (!aac) {
        *error = QStringLiteral("no AAC encoder in this FFmpeg");
        return {};
    }
    CodecContextPtr encoder(avcodec_alloc_context3(aac));
    AVCodecContext *aenc = encoder.get();
    aenc->sample_fmt = AV_SAMPLE_FMT_FLTP;
    aenc->sample_rate = source->sample_rate > 0 ? source->sample_rate : 48000;
    const AVChannelLayout &layout = source->ch_layout;
    if (layout.order == AV_CHANNEL_ORDER_UNSPEC || layout.nb_channels <= 0)
        av_channel_layout_default(&aenc->ch_layout, std::clamp(layout.nb_channels, 1, 2));
    else
        av_channel_layout_copy(&aenc->ch_layout, &layout);
    aenc->bit_rate = 64000 * std::min(aenc->ch_layout.nb_channels, 2);
    aenc->time_base = { 1, aenc->sample_rate };
    if (globalHeader)
        aenc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (const int rc = avcodec_open2(aenc, aac, nullptr); rc < 0) {
        *error = QStringLiteral("cannot open the AAC encoder: %1").arg(ErrorText(rc));
        return {};
    }
    return encoder;
}

bool Mp4Writer::WritePicture(AVFrame *frame)
{
    frame->pict_type = AV_PICTURE_TYPE_NONE;
    return Encode(m_videoEncoder.get(), m_videoStream, frame);
}

bool Mp4Writer::WriteSound(const AVFrame *frame)
{
    return Encode(m_audioEncoder.get(), m_audioStream, frame);
}

bool Mp4Writer::EndPictures()
{
    return Encode(m_videoEncoder.get(), m_videoStream, nullptr);
}

bool Mp4Writer::EndSound()
{
    return !m_audioEncoder || Encode(m_audioEncoder.get(), m_audioStream, nullptr);
}

bool Mp4Writer::Finish()
{
    const int rc = av_write_trailer(m_output.get());
    if (rc < 0)
        return Fail(QStringLiteral("cannot finish the clip: %1").arg(ErrorText(rc)));
    m_output.reset();
    return true;
}

bool Mp4Writer::Encode(AVCodecContext *encoder, AVStream *stream, const AVFrame *frame)
{
    int rc = avcodec_send_frame(encoder, frame);
    if (rc < 0 && !(frame == nullptr && rc == AVERROR_EOF))
        return Fail(QStringLiteral("the encoder failed: %1").arg(ErrorText(rc)));
    while ((rc = avcodec_receive_packet(encoder, m_packet.get())) == 0) {
        av_packet_rescale_ts(m_packet.get(), encoder->time_base, stream->time_base);
        m_packet->stream_index = stream->index;
        rc = av_interleaved_write_frame(m_output.get(), m_packet.get());
        if (rc < 0)
            return Fail(QStringLiteral("cannot write the clip: %1").arg(ErrorText(rc)));
    }
    if (rc != AVERROR(EAGAIN) && rc != AVERROR_EOF)
        return Fail(QStringLiteral("the encoder failed: %1").arg(ErrorText(rc)));
    return true;
}

} // namespace media
