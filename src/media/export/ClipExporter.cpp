#include "media/export/ClipExporter.h"

#include "device/CardBackup.h"
#include "media/RecorderClock.h"
#include "media/export/EvidenceFiles.h"
#include "media/export/ExportLog.h"
#include "media/playback/FfmpegPtr.h"
#include "media/telemetry/TelemetryExport.h"
#include "media/telemetry/TelemetryReader.h"
#include "platform/file_identity.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

namespace media {

namespace {

    using namespace media::ffmpeg;

    struct FilterInOutDeleter {
        void operator()(AVFilterInOut *p) const { avfilter_inout_free(&p); }
    };
    struct SwrDeleter {
        void operator()(SwrContext *s) const { swr_free(&s); }
    };
    struct FifoDeleter {
        void operator()(AVAudioFifo *f) const { av_audio_fifo_free(f); }
    };
    struct OutputDeleter {
        void operator()(AVFormatContext *c) const
        {
            if (c->pb)
                avio_closep(&c->pb);
            avformat_free_context(c);
        }
    };
    using OutputPtr = std::unique_ptr<AVFormatContext, OutputDeleter>;

    QString AvError(int code)
    {
        char text[AV_ERROR_MAX_STRING_SIZE] = {};
        av_strerror(code, text, sizeof text);
        return QString::fromUtf8(text);
    }

    constexpr AVRational kMicroseconds { 1, 1000000 };

    // One recording opened for reading: its demuxer and the decoders of its picture and sound.
    struct Input {
        FormatContextPtr format;
        int videoIndex = -1;
        int audioIndex = -1;
        CodecContextPtr video;
        CodecContextPtr audio;
        PacketPtr packet = MakePacket();
        bool endOfFile = false;
        // The file's common start, which every stream's times count from, as the player counts
        // them: a stream that starts later than the others keeps its delay.
        int64_t startUs = 0;

        bool Open(const QString &path, bool withAudio, QString *error)
        {
            AVFormatContext *raw = nullptr;
            const QByteArray name = QFile::encodeName(path);
            int rc = avformat_open_input(&raw, name.constData(), nullptr, nullptr);
            if (rc < 0) {
                *error = QStringLiteral("cannot open %1: %2").arg(path, AvError(rc));
                return false;
            }
            format.reset(raw);
            if ((rc = avformat_find_stream_info(raw, nullptr)) < 0) {
                *error = QStringLiteral("cannot read %1: %2").arg(path, AvError(rc));
                return false;
            }
            startUs = raw->start_time == AV_NOPTS_VALUE ? 0 : raw->start_time;
            videoIndex = av_find_best_stream(raw, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
            if (videoIndex < 0 || !OpenDecoder(videoIndex, video, error)) {
                if (error->isEmpty())
                    *error = QStringLiteral("%1 holds no picture").arg(path);
                return false;
            }
            if (withAudio) {
                audioIndex = av_find_best_stream(raw, AVMEDIA_TYPE_AUDIO, -1, videoIndex, nullptr, 0);
                QString audioError;
                if (audioIndex >= 0 && !OpenDecoder(audioIndex, audio, &audioError)) {
                    qCWarning(lcExport) << "exporting without sound:" << audioError;
                    audioIndex = -1;
                }
            }
            return true;
        }

        bool OpenDecoder(int index, CodecContextPtr &context, QString *error)
        {
            const AVCodecParameters *par = format->streams[index]->codecpar;
            const AVCodec *codec = avcodec_find_decoder(par->codec_id);
            context.reset(codec ? avcodec_alloc_context3(codec) : nullptr);
            if (!context || avcodec_parameters_to_context(context.get(), par) < 0) {
                *error = QStringLiteral("no decoder for stream %1").arg(index);
                return false;
            }
            context->pkt_timebase = format->streams[index]->time_base;
            context->thread_count = 0;
            const int rc = avcodec_open2(context.get(), codec, nullptr);
            if (rc < 0) {
                *error = QStringLiteral("cannot open the decoder: %1").arg(AvError(rc));
                return false;
            }
            return true;
        }

        AVStream *Stream(int index) const { return format->streams[index]; }

        // The end of the last picture, from the packets: a recording cut by a power loss says
        // nothing of its length in its headers. Reads to the end of the file; -1 when no picture
        // has a time.
        int64_t LengthFromPackets()
        {
            const AVStream *s = Stream(videoIndex);
            int64_t endUs = -1;
            while (av_read_frame(format.get(), packet.get()) >= 0) {
                if (packet->stream_index == videoIndex) {
                    int64_t ts = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
                    if (ts != AV_NOPTS_VALUE) {
                        ts += std::max<int64_t>(packet->duration, 1);
                        endUs = std::max(endUs, av_rescale_q(ts, s->time_base, kMicroseconds) - startUs);
                    }
                }
                av_packet_unref(packet.get());
            }
            return endUs;
        }

        // Microseconds from the start of the recording of a decoded frame of a stream.
        int64_t FrameTimeUs(const AVFrame *frame, int index) const
        {
            int64_t ts = frame->best_effort_timestamp;
            if (ts == AV_NOPTS_VALUE)
                ts = frame->pts;
            if (ts == AV_NOPTS_VALUE)
                return -1;
            return av_rescale_q(ts, Stream(index)->time_base, kMicroseconds) - startUs;
        }

        void Seek(int64_t us)
        {
            if (us <= 0)
                return;
            const int64_t ts = av_rescale_q(us + startUs, kMicroseconds, Stream(videoIndex)->time_base);
            if (av_seek_frame(format.get(), videoIndex, ts, AVSEEK_FLAG_BACKWARD) < 0)
                qCWarning(lcExport) << "seek failed, reading from the start";
        }

        // The next decoded picture of the video stream alone (the rear channel); false at the end.
        bool NextPicture(AVFrame *frame)
        {
            while (true) {
                const int rc = avcodec_receive_frame(video.get(), frame);
                if (rc == 0)
                    return true;
                if (rc != AVERROR(EAGAIN))
                    return false;
                if (endOfFile)
                    return false;
                if (av_read_frame(format.get(), packet.get()) < 0) {
                    endOfFile = true;
                    avcodec_send_packet(video.get(), nullptr);
                    continue;
                }
                if (packet->stream_index == videoIndex)
                    avcodec_send_packet(video.get(), packet.get());
                av_packet_unref(packet.get());
            }
        }
    };

} // namespace

class ClipExporter::Session
{
public:
    Session(const ClipExportOptions &options, const std::atomic_bool *cancel, const Progress &progress)
        : m_options(options)
        , m_cancel(cancel)
        , m_progress(progress)
    {
    }

    Outcome Run(QString *error, int *frames, int64_t *writtenMs);

private:
    bool OpenInputs();
    bool OpenOutput();
    bool BuildGraph(const AVFrame *front, const AVFrame *rear);
    bool HandlePicture(AVFrame *frame);
    bool HandleSound(const AVFrame *frame);
    bool PushCaption(int64_t pts, int64_t timeMs);
    bool PullPictures(bool draining);
    bool EncodeSound(bool draining);
    bool Encode(AVCodecContext *encoder, AVStream *stream, const AVFrame *frame);
    bool Fail(const QString &text)
    {
        if (m_error.isEmpty())
            m_error = text;
        return false;
    }
    bool Cancelled() const { return m_cancel && m_cancel->load(); }

    const ClipExportOptions &m_options;
    const std::atomic_bool *m_cancel;
    const Progress &m_progress;
    QString m_error;

    Input m_front;
    std::optional<Input> m_rear;
    FramePtr m_rearCurrent;
    FramePtr m_rearNext;
    int64_t m_rearNextUs = -1;

    int64_t m_fromUs = 0;
    int64_t m_toUs = 0;
    AVRational m_frameRate { 30, 1 };
    int64_t m_framePeriodUs = 33333;
    int64_t m_lastPts = -1;
    int m_frames = 0;
    // The clip's picture: the front's own size, the rear below it when stacked, then the caption.
    int m_pictureWidth = 0;
    int m_pictureHeight = 0;
    int m_stackHeight = 0;
    int m_bandHeight = 0;
    bool m_pictureDone = false;
    bool m_soundDone = false;

    std::optional<ClipCaption> m_caption;
    ClipCaption::Texts m_captionTexts;
    FramePtr m_captionFrame;

    FilterGraphPtr m_graph;
    AVFilterContext *m_frontSource = nullptr;
    AVFilterContext *m_rearSource = nullptr;
    AVFilterContext *m_captionSource = nullptr;
    AVFilterContext *m_sink = nullptr;

    QString m_tempPath;
    OutputPtr m_output;
    CodecContextPtr m_videoEncoder;
    CodecContextPtr m_audioEncoder;
    AVStream *m_videoStream = nullptr;
    AVStream *m_audioStream = nullptr;
    std::unique_ptr<SwrContext, SwrDeleter> m_resampler;
    std::unique_ptr<AVAudioFifo, FifoDeleter> m_fifo;
    int64_t m_samplesQueued = 0; // samples of the span put into the queue, silence included
    int64_t m_samplesEncoded = 0;
    int64_t m_spanSamples = 0;
    PacketPtr m_packet = MakePacket();
    FramePtr m_filtered = MakeFrame();
};

bool ClipExporter::Session::OpenInputs()
{
    if (!m_front.Open(m_options.frontPath, m_options.audio, &m_error))
        return false;
    if (!m_options.rearPath.isEmpty()) {
        m_rear.emplace();
        QString rearError;
        if (!m_rear->Open(m_options.rearPath, false, &rearError)) {
            qCWarning(lcExport) << "exporting without the rear channel:" << rearError;
            m_rear.reset();
        }
    }
    const AVStream *video = m_front.Stream(m_front.videoIndex);
    AVRational rate = video->avg_frame_rate.num > 0 ? video->avg_frame_rate : video->r_frame_rate;
    if (rate.num <= 0 || rate.den <= 0 || av_q2d(rate) > 240)
        rate = { 30, 1 };
    m_frameRate = rate;
    m_framePeriodUs = av_rescale_q(1, av_inv_q(rate), kMicroseconds);

    int64_t lengthUs = -1;
    if (video->duration > 0) {
        const int64_t start = video->start_time == AV_NOPTS_VALUE ? 0 : video->start_time;
        lengthUs = av_rescale_q(start + video->duration, video->time_base, kMicroseconds) - m_front.startUs;
    } else if (m_front.format->duration > 0)
        lengthUs = m_front.format->duration;
    if (lengthUs <= 0) {
        // A second opening, so that the first one stays at the start.
        Input probe;
        QString probeError;
        if (probe.Open(m_options.frontPath, false, &probeError))
            lengthUs = probe.LengthFromPackets();
    }
    m_fromUs = std::max<int64_t>(0, m_options.fromMs) * 1000;
    m_toUs = m_options.toMs < 0 ? lengthUs : m_options.toMs * 1000;
    if (lengthUs > 0)
        m_toUs = std::min(m_toUs, lengthUs);
    if (m_toUs <= m_fromUs)
        return Fail(QStringLiteral("the span from %1 s to %2 s is empty")
                        .arg(m_fromUs / 1e6)
                        .arg(m_options.toMs < 0 ? lengthUs / 1e6 : m_options.toMs / 1e3));
    m_front.Seek(m_fromUs);
    if (m_rear)
        m_rear->Seek(m_fromUs);

    if (m_options.caption) {
        TelemetryReader reader;
        std::vector<CGps> fixes;
        if (reader.Open(m_options.frontPath)) {
            for (const TelemetryExportEntry &e : TelemetryExport::collect(reader)) {
                if (e.kind == telemetry::RecordKind::Gps)
                    fixes.push_back(e.fix);
            }
        }
        m_caption.emplace(m_options.frontPath, fixes, m_options.speedUnit);
    }
    return true;
}

bool ClipExporter::Session::OpenOutput()
{
    AVFormatContext *raw = nullptr;
    const QByteArray name = QFile::encodeName(m_tempPath);
    int rc = avformat_alloc_output_context2(&raw, nullptr, "mp4", name.constData());
    if (rc < 0 || !raw)
        return Fail(QStringLiteral("cannot make an MP4: %1").arg(AvError(rc)));
    m_output.reset(raw);
    const bool globalHeader = raw->oformat->flags & AVFMT_GLOBALHEADER;

    const AVCodecParameters *front = m_front.Stream(m_front.videoIndex)->codecpar;
    const AVCodec *h264 = avcodec_find_encoder_by_name("libx264");
    if (!h264)
        h264 = avcodec_find_encoder(AV_CODEC_ID_H264);
    if (!h264)
        return Fail(QStringLiteral("no H.264 encoder in this FFmpeg"));
    m_videoEncoder.reset(avcodec_alloc_context3(h264));
    AVCodecContext *venc = m_videoEncoder.get();
    m_pictureWidth = front->width & ~1;
    m_pictureHeight = front->height & ~1;
    if (m_rear && m_options.layout == ClipLayout::Stacked) {
        const AVCodecParameters *rear = m_rear->Stream(m_rear->videoIndex)->codecpar;
        if (rear->width > 0 && rear->height > 0)
            m_stackHeight
                = std::max(2, int(std::lround(double(m_pictureWidth) * rear->height / rear->width)) & ~1);
    }
    m_bandHeight = m_caption ? ClipCaption::BandHeight(m_pictureWidth, m_pictureHeight) : 0;
    venc->width = m_pictureWidth;
    venc->height = m_pictureHeight + m_stackHeight + m_bandHeight;
    venc->pix_fmt = AV_PIX_FMT_YUV420P;
    venc->time_base = av_inv_q(m_frameRate);
    venc->framerate = m_frameRate;
    venc->sample_aspect_ratio = { 1, 1 };
    venc->gop_size = std::max(1, int(std::lround(av_q2d(m_frameRate))) * 2);
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
        return Fail(QStringLiteral("cannot open the H.264 encoder: %1").arg(AvError(rc)));
    m_videoStream = avformat_new_stream(raw, nullptr);
    avcodec_parameters_from_context(m_videoStream->codecpar, venc);
    m_videoStream->time_base = venc->time_base;
    m_videoStream->avg_frame_rate = m_frameRate;

    if (m_front.audioIndex >= 0) {
        const AVCodec *aac = avcodec_find_encoder(AV_CODEC_ID_AAC);
        const AVCodecContext *dec = m_front.audio.get();
        if (!aac)
            return Fail(QStringLiteral("no AAC encoder in this FFmpeg"));
        m_audioEncoder.reset(avcodec_alloc_context3(aac));
        AVCodecContext *aenc = m_audioEncoder.get();
        aenc->sample_fmt = AV_SAMPLE_FMT_FLTP;
        aenc->sample_rate = dec->sample_rate > 0 ? dec->sample_rate : 48000;
        if (dec->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || dec->ch_layout.nb_channels <= 0)
            av_channel_layout_default(&aenc->ch_layout, std::clamp(dec->ch_layout.nb_channels, 1, 2));
        else
            av_channel_layout_copy(&aenc->ch_layout, &dec->ch_layout);
        aenc->bit_rate = 64000 * std::min(aenc->ch_layout.nb_channels, 2);
        aenc->time_base = { 1, aenc->sample_rate };
        if (globalHeader)
            aenc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        if ((rc = avcodec_open2(aenc, aac, nullptr)) < 0)
            return Fail(QStringLiteral("cannot open the AAC encoder: %1").arg(AvError(rc)));
        SwrContext *swr = nullptr;
        rc = swr_alloc_set_opts2(&swr, &aenc->ch_layout, aenc->sample_fmt, aenc->sample_rate,
            const_cast<AVChannelLayout *>(&dec->ch_layout), dec->sample_fmt, dec->sample_rate, 0, nullptr);
        m_resampler.reset(swr);
        if (rc < 0 || swr_init(swr) < 0)
            return Fail(QStringLiteral("cannot convert the sound for AAC"));
        m_fifo.reset(av_audio_fifo_alloc(aenc->sample_fmt, aenc->ch_layout.nb_channels, 4096));
        m_spanSamples = av_rescale(m_toUs - m_fromUs, aenc->sample_rate, 1000000);
        m_audioStream = avformat_new_stream(raw, nullptr);
        avcodec_parameters_from_context(m_audioStream->codecpar, aenc);
        m_audioStream->time_base = aenc->time_base;
    } else {
        m_soundDone = true;
    }

    if ((rc = avio_open(&raw->pb, name.constData(), AVIO_FLAG_WRITE)) < 0)
        return Fail(QStringLiteral("cannot write %1: %2").arg(m_tempPath, AvError(rc)));
    AVDictionary *muxOptions = nullptr;
    // The index goes to the front so the clip plays at once when streamed or opened on a phone.
    av_dict_set(&muxOptions, "movflags", "+faststart", 0);
    rc = avformat_write_header(raw, &muxOptions);
    av_dict_free(&muxOptions);
    if (rc < 0)
        return Fail(QStringLiteral("cannot write %1: %2").arg(m_tempPath, AvError(rc)));
    return true;
}

bool ClipExporter::Session::BuildGraph(const AVFrame *front, const AVFrame *rear)
{
    m_graph.reset(avfilter_graph_alloc());
    AVFilterGraph *graph = m_graph.get();
    const int width = m_pictureWidth;
    const int height = m_pictureHeight;
    const AVRational tb = m_videoEncoder->time_base;
    auto source = [&](const char *name, int w, int h, int format, AVFilterContext **context) {
        const QByteArray args = QStringLiteral("video_size=%1x%2:pix_fmt=%3:time_base=%4/%5:pixel_aspect=1/1")
                                    .arg(w)
                                    .arg(h)
                                    .arg(format)
                                    .arg(tb.num)
                                    .arg(tb.den)
                                    .toLatin1();
        return avfilter_graph_create_filter(
                   context, avfilter_get_by_name("buffer"), name, args.constData(), nullptr, graph)
            >= 0;
    };
    if (!source("front", front->width, front->height, front->format, &m_frontSource))
        return Fail(QStringLiteral("cannot set up the picture filters"));
    if (avfilter_graph_create_filter(
            &m_sink, avfilter_get_by_name("buffersink"), "out", nullptr, nullptr, graph)
        < 0)
        return Fail(QStringLiteral("cannot set up the picture filters"));

    // The graph between the sources and the sink, in FFmpeg's filter language.
    // The front keeps its pixels; the canvas grows below it for the rear and the caption.
    QString description = QStringLiteral("[front]scale=%1:%2,pad=%1:%3:0:0:color=0x101010[main];")
                              .arg(width)
                              .arg(height)
                              .arg(m_videoEncoder->height);
    QString last = QStringLiteral("main");
    if (rear && m_stackHeight > 0) {
        if (!source("rear", rear->width, rear->height, rear->format, &m_rearSource))
            return Fail(QStringLiteral("cannot set up the picture filters"));
        description
            += QStringLiteral("[rear]scale=%1:%2[stack];[%3][stack]overlay=x=0:y=%4:format=yuv420[withrear];")
                   .arg(width)
                   .arg(m_stackHeight)
                   .arg(last)
                   .arg(height);
        last = QStringLiteral("withrear");
    } else if (rear) {
        if (!source("rear", rear->width, rear->height, rear->format, &m_rearSource))
            return Fail(QStringLiteral("cannot set up the picture filters"));
        // A quarter of the width, the rear's own proportions, a thin light border, clear of the
        // corner by a margin, at the top right, away from the recorder's own stamp at the bottom left.
        const int pipWidth = (width / 4) & ~1;
        const int pipHeight
            = std::max(2, int(std::lround(double(pipWidth) * rear->height / rear->width)) & ~1);
        const int border = std::max(2, (width / 480) & ~1);
        const int margin = (width / 40) & ~1;
        description += QStringLiteral("[rear]scale=%1:%2,pad=%3:%4:%5:%5:color=0xE0E0E0[pip];"
                                      "[%6][pip]overlay=x=%7:y=%8:format=yuv420[withpip];")
                           .arg(pipWidth)
                           .arg(pipHeight)
                           .arg(pipWidth + 2 * border)
                           .arg(pipHeight + 2 * border)
                           .arg(border)
                           .arg(last)
                           .arg(width - pipWidth - 2 * border - margin)
                           .arg(margin);
        last = QStringLiteral("withpip");
    }
    if (m_caption) {
        if (!source("caption", width, m_bandHeight, AV_PIX_FMT_RGBA, &m_captionSource))
            return Fail(QStringLiteral("cannot set up the picture filters"));
        description += QStringLiteral("[%1][caption]overlay=x=0:y=%2:format=yuv420[captioned];")
                           .arg(last)
                           .arg(height + m_stackHeight);
        last = QStringLiteral("captioned");
    }
    description += QStringLiteral("[%1]format=yuv420p[out]").arg(last);

    // The open ends of the description, tied to the sources and the sink made above.
    AVFilterInOut *outputs = nullptr;
    auto addOutput = [&outputs](const char *label, AVFilterContext *context) {
        if (!context)
            return;
        AVFilterInOut *io = avfilter_inout_alloc();
        io->name = av_strdup(label);
        io->filter_ctx = context;
        io->pad_idx = 0;
        io->next = outputs;
        outputs = io;
    };
    addOutput("front", m_frontSource);
    addOutput("rear", m_rearSource);
    addOutput("caption", m_captionSource);
    AVFilterInOut *inputs = avfilter_inout_alloc();
    inputs->name = av_strdup("out");
    inputs->filter_ctx = m_sink;
    inputs->pad_idx = 0;
    inputs->next = nullptr;
    const QByteArray text = description.toLatin1();
    int rc = avfilter_graph_parse_ptr(graph, text.constData(), &inputs, &outputs, nullptr);
    std::unique_ptr<AVFilterInOut, FilterInOutDeleter> freeInputs(inputs), freeOutputs(outputs);
    if (rc >= 0)
        rc = avfilter_graph_config(graph, nullptr);
    if (rc < 0)
        return Fail(QStringLiteral("cannot set up the picture filters: %1").arg(AvError(rc)));
    return true;
}

bool ClipExporter::Session::PushCaption(int64_t pts, int64_t timeMs)
{
    const ClipCaption::Texts texts = m_caption->At(timeMs);
    if (!m_captionFrame || !(texts == m_captionTexts)) {
        m_captionTexts = texts;
        const QImage band = ClipCaption::Render(texts, m_pictureWidth, m_pictureHeight);
        m_captionFrame = MakeFrame();
        m_captionFrame->format = AV_PIX_FMT_RGBA;
        m_captionFrame->width = band.width();
        m_captionFrame->height = band.height();
        if (av_frame_get_buffer(m_captionFrame.get(), 0) < 0)
            return Fail(QStringLiteral("out of memory"));
        for (int y = 0; y < band.height(); ++y)
            std::memcpy(m_captionFrame->data[0] + y * m_captionFrame->linesize[0], band.constScanLine(y),
                size_t(band.width()) * 4);
    }
    FramePtr copy = RefFrame(m_captionFrame.get());
    copy->pts = pts;
    return copy && av_buffersrc_add_frame(m_captionSource, copy.get()) >= 0;
}

bool ClipExporter::Session::HandlePicture(AVFrame *frame)
{
    const int64_t timeUs = m_front.FrameTimeUs(frame, m_front.videoIndex);
    // A frame counts for the span when its moment lies in it, give or take a quarter frame of
    // rounding in the container's time stamps.
    const int64_t slack = m_framePeriodUs / 4;
    if (timeUs < 0 || timeUs < m_fromUs - slack)
        return true;
    if (timeUs >= m_toUs - slack) {
        m_pictureDone = true;
        return true;
    }
    int64_t pts = av_rescale_q(timeUs - m_fromUs, kMicroseconds, m_videoEncoder->time_base);
    pts = std::max(pts, m_lastPts + 1);
    m_lastPts = pts;

    // The rear picture shown is the last one not later than the front's.
    if (m_rear) {
        if (!m_rearCurrent && !m_rearNext) {
            m_rearNext = MakeFrame();
            if (!m_rear->NextPicture(m_rearNext.get()))
                m_rearNext.reset();
            else
                m_rearNextUs = m_rear->FrameTimeUs(m_rearNext.get(), m_rear->videoIndex);
        }
        while (m_rearNext && (!m_rearCurrent || m_rearNextUs <= timeUs + slack)) {
            m_rearCurrent = std::move(m_rearNext);
            m_rearNext = MakeFrame();
            if (!m_rear->NextPicture(m_rearNext.get()))
                m_rearNext.reset();
            else
                m_rearNextUs = m_rear->FrameTimeUs(m_rearNext.get(), m_rear->videoIndex);
        }
        if (!m_rearCurrent) {
            qCWarning(lcExport) << "the rear recording gave no picture; exporting the front alone";
            m_rear.reset();
        }
    }
    if (!m_graph && !BuildGraph(frame, m_rear ? m_rearCurrent.get() : nullptr))
        return false;

    frame->pts = pts;
    if (av_buffersrc_add_frame_flags(m_frontSource, frame, AV_BUFFERSRC_FLAG_KEEP_REF) < 0)
        return Fail(QStringLiteral("the picture filters refused a frame"));
    if (m_rearSource) {
        FramePtr copy = m_rearCurrent ? RefFrame(m_rearCurrent.get()) : nullptr;
        if (copy) {
            copy->pts = pts;
            if (av_buffersrc_add_frame(m_rearSource, copy.get()) < 0)
                return Fail(QStringLiteral("the picture filters refused a frame"));
        }
    }
    if (m_captionSource && !PushCaption(pts, timeUs / 1000))
        return Fail(QStringLiteral("the picture filters refused the caption"));
    if (m_progress)
        m_progress((timeUs - m_fromUs) / 1000, (m_toUs - m_fromUs) / 1000);
    return PullPictures(false);
}

bool ClipExporter::Session::PullPictures(bool draining)
{
    while (true) {
        const int rc = av_buffersink_get_frame(m_sink, m_filtered.get());
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
            return true;
        if (rc < 0)
            return Fail(QStringLiteral("the picture filters failed: %1").arg(AvError(rc)));
        m_filtered->pict_type = AV_PICTURE_TYPE_NONE;
        const bool ok = Encode(m_videoEncoder.get(), m_videoStream, m_filtered.get());
        av_frame_unref(m_filtered.get());
        if (!ok)
            return false;
        ++m_frames;
        (void)draining;
    }
}

bool ClipExporter::Session::HandleSound(const AVFrame *frame)
{
    if (m_soundDone)
        return true;
    const AVCodecContext *enc = m_audioEncoder.get();
    const int64_t timeUs = m_front.FrameTimeUs(frame, m_front.audioIndex);
    if (timeUs < 0)
        return true;
    if (timeUs >= m_toUs) {
        m_soundDone = true;
        return true;
    }
    // Samples are placed by their time stamps: a frame that starts after the queue's end leaves
    // silence in between (the first frame after a seek usually does), one that overlaps it is cut.
    int64_t start = av_rescale(timeUs - m_fromUs, enc->sample_rate, 1000000);
    const int capacity = swr_get_out_samples(m_resampler.get(), frame->nb_samples);
    uint8_t **converted = nullptr;
    if (av_samples_alloc_array_and_samples(
            &converted, nullptr, enc->ch_layout.nb_channels, capacity, enc->sample_fmt, 0)
        < 0)
        return Fail(QStringLiteral("out of memory"));
    const int count = swr_convert(m_resampler.get(), converted, capacity,
        const_cast<const uint8_t **>(frame->extended_data), frame->nb_samples);
    bool ok = count >= 0;
    if (ok && start > m_samplesQueued) {
        const int64_t gap = std::min(start, m_spanSamples) - m_samplesQueued;
        std::vector<float> silence(size_t(gap), 0.0f);
        std::vector<void *> planes(size_t(enc->ch_layout.nb_channels), silence.data());
        if (gap > 0)
            av_audio_fifo_write(m_fifo.get(), planes.data(), int(gap));
        m_samplesQueued += std::max<int64_t>(0, gap);
    }
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
        m_soundDone = true;
    return EncodeSound(false);
}

bool ClipExporter::Session::EncodeSound(bool draining)
{
    AVCodecContext *enc = m_audioEncoder.get();
    const bool smallLast = enc->codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME;
    while (av_audio_fifo_size(m_fifo.get()) >= enc->frame_size
        || (draining && av_audio_fifo_size(m_fifo.get()) > 0)) {
        const int available = av_audio_fifo_size(m_fifo.get());
        FramePtr frame = MakeFrame();
        frame->nb_samples = smallLast ? std::min(available, enc->frame_size) : enc->frame_size;
        frame->format = enc->sample_fmt;
        frame->sample_rate = enc->sample_rate;
        av_channel_layout_copy(&frame->ch_layout, &enc->ch_layout);
        if (av_frame_get_buffer(frame.get(), 0) < 0)
            return Fail(QStringLiteral("out of memory"));
        av_samples_set_silence(
            frame->extended_data, 0, frame->nb_samples, enc->ch_layout.nb_channels, enc->sample_fmt);
        av_audio_fifo_read(m_fifo.get(), reinterpret_cast<void **>(frame->extended_data),
            std::min(available, frame->nb_samples));
        frame->pts = m_samplesEncoded;
        m_samplesEncoded += frame->nb_samples;
        if (!Encode(enc, m_audioStream, frame.get()))
            return false;
    }
    return true;
}

bool ClipExporter::Session::Encode(AVCodecContext *encoder, AVStream *stream, const AVFrame *frame)
{
    int rc = avcodec_send_frame(encoder, frame);
    if (rc < 0 && !(frame == nullptr && rc == AVERROR_EOF))
        return Fail(QStringLiteral("the encoder failed: %1").arg(AvError(rc)));
    while ((rc = avcodec_receive_packet(encoder, m_packet.get())) == 0) {
        av_packet_rescale_ts(m_packet.get(), encoder->time_base, stream->time_base);
        m_packet->stream_index = stream->index;
        rc = av_interleaved_write_frame(m_output.get(), m_packet.get());
        if (rc < 0)
            return Fail(QStringLiteral("cannot write the clip: %1").arg(AvError(rc)));
    }
    if (rc != AVERROR(EAGAIN) && rc != AVERROR_EOF)
        return Fail(QStringLiteral("the encoder failed: %1").arg(AvError(rc)));
    return true;
}

ClipExporter::Outcome ClipExporter::Session::Run(QString *error, int *frames, int64_t *writtenMs)
{
    m_tempPath = m_options.outputPath + QStringLiteral(".part");
    auto give = [&](Outcome outcome) {
        m_output.reset();
        if (outcome != Outcome::Done)
            QFile::remove(m_tempPath);
        *error = m_error;
        return outcome;
    };
    if (!OpenInputs() || !OpenOutput())
        return give(Outcome::Failed);

    FramePtr decoded = MakeFrame();
    AVPacket *packet = m_front.packet.get();
    bool flushed = false;
    while (!(m_pictureDone && m_soundDone) && !flushed) {
        if (Cancelled())
            return give(Outcome::Cancelled);
        const int rc = av_read_frame(m_front.format.get(), packet);
        flushed = rc < 0;
        for (const bool video : { true, false }) {
            const int index = video ? m_front.videoIndex : m_front.audioIndex;
            AVCodecContext *decoder = video ? m_front.video.get() : m_front.audio.get();
            if (index < 0 || (!flushed && packet->stream_index != index))
                continue;
            if (avcodec_send_packet(decoder, flushed ? nullptr : packet) < 0 && !flushed)
                qCWarning(lcExport) << "a damaged packet was passed over at" << packet->pos;
            while (avcodec_receive_frame(decoder, decoded.get()) == 0) {
                const bool ok = video ? HandlePicture(decoded.get()) : HandleSound(decoded.get());
                av_frame_unref(decoded.get());
                if (!ok)
                    return give(Outcome::Failed);
            }
        }
        av_packet_unref(packet);
    }
    if (!m_graph)
        return Fail(QStringLiteral("the span holds no picture")), give(Outcome::Failed);
    for (AVFilterContext *source : { m_frontSource, m_rearSource, m_captionSource }) {
        if (source)
            av_buffersrc_close(source, m_lastPts + 1, 0);
    }
    if (!PullPictures(true) || !Encode(m_videoEncoder.get(), m_videoStream, nullptr))
        return give(Outcome::Failed);
    if (m_audioEncoder && (!EncodeSound(true) || !Encode(m_audioEncoder.get(), m_audioStream, nullptr)))
        return give(Outcome::Failed);
    if (Cancelled())
        return give(Outcome::Cancelled);
    const int rc = av_write_trailer(m_output.get());
    if (rc < 0)
        return Fail(QStringLiteral("cannot finish the clip: %1").arg(AvError(rc))), give(Outcome::Failed);
    m_output.reset();
    *frames = m_frames;
    *writtenMs = av_rescale_q(m_lastPts + 1, m_videoEncoder->time_base, { 1, 1000 });
    QFile::remove(m_options.outputPath);
    if (!QFile::rename(m_tempPath, m_options.outputPath))
        return Fail(QStringLiteral("cannot write %1").arg(m_options.outputPath)), give(Outcome::Failed);
    return give(Outcome::Done);
}

namespace {

    std::vector<CGps> ReadFixes(const QString &path)
    {
        std::vector<CGps> fixes;
        TelemetryReader reader;
        if (reader.Open(path)) {
            for (const TelemetryExportEntry &e : TelemetryExport::collect(reader)) {
                if (e.kind == telemetry::RecordKind::Gps && e.fix.IsValid())
                    fixes.push_back(e.fix);
            }
        }
        return fixes;
    }

    QStringList SourcesOf(const ClipExportOptions &options)
    {
        QStringList sources { options.frontPath };
        if (!options.rearPath.isEmpty() && QFileInfo::exists(options.rearPath))
            sources << options.rearPath;
        return sources;
    }

    QString SourceCopyPath(const QString &clipPath, const QString &source)
    {
        return QFileInfo(clipPath).dir().filePath(QStringLiteral("sources/") + QFileInfo(source).fileName());
    }

    // The folder itself or one above it is the given folder (by identity, not by spelling).
    bool LiesInside(const QString &path, const QString &folder)
    {
        for (QString at = QDir::cleanPath(QFileInfo(path).absoluteFilePath());;) {
            if (platform::SameFile(at, folder))
                return true;
            const QString up = QFileInfo(at).path();
            if (up == at)
                return false;
            at = up;
        }
    }

} // namespace

QStringList ClipExporter::OutputFiles(const ClipExportOptions &options)
{
    QStringList files { options.outputPath, EvidenceFiles::GpxPathFor(options.outputPath),
        EvidenceFiles::ProvenancePathFor(options.outputPath) };
    if (options.withSources) {
        for (const QString &source : SourcesOf(options))
            files << SourceCopyPath(options.outputPath, source);
    }
    return files;
}

QString ClipExporter::ProtectedFolderFor(const QString &recordingPath)
{
    // The recorder keeps its settings file at the card's root, a folder or two above the
    // recordings.
    QDir folder = QFileInfo(recordingPath).absoluteDir();
    const QString own = folder.absolutePath();
    for (int level = 0; level < 3; ++level) {
        if (QFileInfo::exists(folder.filePath(QStringLiteral("setup.xml"))))
            return folder.absolutePath();
        if (!folder.cdUp())
            break;
    }
    return own;
}

bool ClipExporter::CheckOutputs(const ClipExportOptions &options, QString *error)
{
    const QStringList sources = SourcesOf(options);
    QStringList outputs = OutputFiles(options);
    outputs << options.outputPath + QStringLiteral(".part") << EvidenceFiles::SumsPathFor(options.outputPath);
    for (const QString &output : outputs) {
        for (const QString &source : sources) {
            if (platform::SameFile(output, source)) {
                *error = QStringLiteral("%1 is the recording %2 itself; nothing was written")
                             .arg(QDir::toNativeSeparators(output), QDir::toNativeSeparators(source));
                return false;
            }
        }
    }
    for (const QString &source : sources) {
        const QString folder = ProtectedFolderFor(source);
        if (LiesInside(QFileInfo(options.outputPath).absolutePath(), folder)) {
            *error = QStringLiteral("%1 lies in the card's folder %2; choose a folder outside the card")
                         .arg(QDir::toNativeSeparators(options.outputPath), QDir::toNativeSeparators(folder));
            return false;
        }
    }
    if (QFileInfo(options.outputPath).fileName().isEmpty()) {
        *error = QStringLiteral("no file name for the clip");
        return false;
    }
    return true;
}

ClipExporter::Outcome ClipExporter::Run(
    const ClipExportOptions &options, const std::atomic_bool *cancel, const Progress &progress)
{
    m_error.clear();
    m_frames = 0;
    m_writtenMs = 0;
    m_gpxPath.clear();
    m_sumsPath.clear();
    m_provenancePath.clear();
    m_notes.clear();
    m_trackPoints = 0;
    if (!CheckOutputs(options, &m_error)) {
        qCWarning(lcExport) << "export of" << options.frontPath << "refused:" << m_error;
        return Outcome::Failed;
    }
    Session session(options, cancel, progress);
    const Outcome outcome = session.Run(&m_error, &m_frames, &m_writtenMs);
    if (outcome != Outcome::Done) {
        if (outcome == Outcome::Failed)
            qCWarning(lcExport) << "export of" << options.frontPath << "failed:" << m_error;
        return outcome;
    }

    // The clip is not finished without the files that tie it to the card: whatever of them
    // cannot be made takes the clip away again.
    QStringList made { options.outputPath };
    bool madeSourcesFolder = false;
    const auto undo = [&](Outcome result) {
        for (const QString &path : made)
            QFile::remove(path);
        if (madeSourcesFolder)
            QDir(QFileInfo(options.outputPath).dir()).rmdir(QStringLiteral("sources"));
        if (result == Outcome::Failed)
            qCWarning(lcExport) << "export of" << options.frontPath << "failed:" << m_error;
        return result;
    };
    const int64_t fromMs = std::max<int64_t>(0, options.fromMs);
    const std::vector<CGps> fixes = ReadFixes(options.frontPath);
    const RecorderClock clock(options.frontPath, fixes);

    const QString gpx = EvidenceFiles::GpxPathFor(options.outputPath);
    int points = 0;
    if (!EvidenceFiles::WriteGpx(options.frontPath, fromMs, fromMs + m_writtenMs, gpx, &m_error, &points))
        return undo(Outcome::Failed);
    made << gpx;
    m_trackPoints = points;
    if (points == 0)
        m_notes << QStringLiteral("%1 carries no GPS track for this span: the GPX file holds no points")
                       .arg(QFileInfo(options.frontPath).fileName());

    QList<EvidenceFiles::Source> sources;
    QStringList sums { options.outputPath, gpx };
    for (const QString &path : SourcesOf(options)) {
        EvidenceFiles::Source source { path, QFileInfo(path).size(), {} };
        if (options.withSources) {
            const QString copy = SourceCopyPath(options.outputPath, path);
            if (!QFileInfo(copy).dir().exists()) {
                if (!QFileInfo(options.outputPath).dir().mkdir(QStringLiteral("sources"))) {
                    m_error = QStringLiteral("cannot create %1").arg(QFileInfo(copy).path());
                    return undo(Outcome::Failed);
                }
                madeSourcesFolder = true;
            }
            QFile::remove(copy); // the user agreed to replace it
            QString reason;
            source.sha256 = device::CopyFileVerified(path, copy, cancel, &reason);
            if (cancel && cancel->load())
                return undo(Outcome::Cancelled);
            if (source.sha256.isEmpty()) {
                m_error = QStringLiteral("cannot copy %1: %2").arg(QDir::toNativeSeparators(path), reason);
                return undo(Outcome::Failed);
            }
            made << copy;
            sums << copy;
        } else {
            source.sha256 = EvidenceFiles::Sha256(path);
            if (source.sha256.isEmpty()) {
                m_error = QStringLiteral("cannot read %1").arg(QDir::toNativeSeparators(path));
                return undo(Outcome::Failed);
            }
        }
        sources << source;
    }

    EvidenceFiles::Provenance provenance;
    provenance.clipPath = options.outputPath;
    provenance.folder = ProtectedFolderFor(options.frontPath);
    provenance.sources = sources;
    provenance.fromMs = fromMs;
    provenance.toMs = fromMs + m_writtenMs;
    provenance.startText = clock.textAt(fromMs);
    provenance.endText = clock.textAt(fromMs + m_writtenMs);
    provenance.timeRule = clock.ruleText();
    provenance.settings
        = QStringLiteral("layout %1, rear camera %2, caption %3, sound %4, speed in %5, "
                         "sources copied %6; H.264 (x264 veryfast, CRF 23), AAC 64 kb/s "
                         "per channel")
              .arg(options.layout == ClipLayout::Stacked ? "stacked" : "picture in picture",
                  options.rearPath.isEmpty() ? "no" : "yes", options.caption ? "yes" : "no",
                  options.audio ? "yes" : "no", options.speedUnit == ExportSpeedUnit::Mph ? "mph" : "km/h",
                  options.withSources ? "yes" : "no");
    const QString provenancePath = EvidenceFiles::ProvenancePathFor(options.outputPath);
    if (!EvidenceFiles::WriteProvenance(provenancePath, provenance, &m_error))
        return undo(Outcome::Failed);
    made << provenancePath;
    sums << provenancePath;

    const QString sumsPath = EvidenceFiles::SumsPathFor(options.outputPath);
    if (!EvidenceFiles::WriteSums(sumsPath, sums, &m_error))
        return undo(Outcome::Failed);
    m_gpxPath = gpx;
    m_sumsPath = sumsPath;
    m_provenancePath = provenancePath;
    return Outcome::Done;
}

QString ClipExporter::RearFileFor(const QString &frontPath)
{
    const QFileInfo info(frontPath);
    QString name = info.fileName();
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 2 || name[dot - 2].toUpper() != QLatin1Char('F'))
        return {};
    name[dot - 2] = name[dot - 2] == QLatin1Char('f') ? QLatin1Char('r') : QLatin1Char('R');
    const QString rear = info.dir().filePath(name);
    return QFileInfo::exists(rear) ? rear : QString();
}

int64_t ClipExporter::DurationMs(const QString &path)
{
    Input input;
    QString error;
    if (!input.Open(path, false, &error))
        return -1;
    const AVStream *video = input.Stream(input.videoIndex);
    if (video->duration > 0)
        return av_rescale_q(video->duration, video->time_base, { 1, 1000 });
    return input.format->duration > 0 ? input.format->duration / 1000 : -1;
}

} // namespace media
