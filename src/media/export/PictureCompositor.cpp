#include "media/export/PictureCompositor.h"

#include "media/ffmpeg/FfmpegError.h"

#include <QByteArray>
#include <QImage>

#include <algorithm>
#include <cmath>
#include <cstring>

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/imgutils.h>
}

namespace media {

using namespace media::ffmpeg;

PictureCompositor::PictureCompositor(int frontWidth, int frontHeight, int rearWidth, int rearHeight,
    ClipLayout layout, const ClipCaption *caption, AVRational timeBase)
    : m_caption(caption)
    , m_timeBase(timeBase)
    , m_width(frontWidth & ~1)
    , m_height(frontHeight & ~1)
{
    if (layout == ClipLayout::Stacked && rearWidth > 0 && rearHeight > 0)
        m_stackHeight = std::max(2, int(std::lround(double(m_width) * rearHeight / rearWidth)) & ~1);
    m_bandHeight = m_caption ? ClipCaption::BandHeight(m_width, m_height) : 0;
}

bool PictureCompositor::Build(const AVFrame *front, const AVFrame *rear)
{
    m_graph.reset(avfilter_graph_alloc());
    AVFilterGraph *graph = m_graph.get();
    const int width = m_width;
    const int height = m_height;
    const AVRational tb = m_timeBase;
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
                              .arg(Height());
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
    FilterInOutPtr freeInputs(inputs), freeOutputs(outputs);
    if (rc >= 0)
        rc = avfilter_graph_config(graph, nullptr);
    if (rc < 0)
        return Fail(QStringLiteral("cannot set up the picture filters: %1").arg(ErrorText(rc)));
    if (m_rearSource) {
        m_blankRear = MakeFrame();
        m_blankRear->format = rear->format;
        m_blankRear->width = rear->width;
        m_blankRear->height = rear->height;
        m_blankRear->color_range = rear->color_range;
        if (av_frame_get_buffer(m_blankRear.get(), 0) < 0)
            return Fail(QStringLiteral("out of memory"));
        const ptrdiff_t lines[4] = { m_blankRear->linesize[0], m_blankRear->linesize[1],
            m_blankRear->linesize[2], m_blankRear->linesize[3] };
        av_image_fill_black(m_blankRear->data, lines, AVPixelFormat(rear->format), rear->color_range,
            rear->width, rear->height);
    }
    return true;
}

bool PictureCompositor::TakesRear(const AVFrame *rear) const
{
    return !m_blankRear
        || (rear->width == m_blankRear->width && rear->height == m_blankRear->height
            && rear->format == m_blankRear->format);
}

bool PictureCompositor::AddCaption(int64_t pts, int64_t timeMs)
{
    const ClipCaption::Texts texts = m_caption->At(timeMs);
    if (!m_captionFrame || !(texts == m_captionTexts)) {
        m_captionTexts = texts;
        const QImage band = ClipCaption::Render(texts, m_width, m_height);
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
    if (!copy)
        return false;
    copy->pts = pts;
    return av_buffersrc_add_frame(m_captionSource, copy.get()) >= 0;
}

bool PictureCompositor::Add(AVFrame *front, const AVFrame *rear, int64_t pts, int64_t timeMs)
{
    if (!m_graph && !Build(front, rear))
        return false;
    front->pts = pts;
    if (av_buffersrc_add_frame_flags(m_frontSource, front, AV_BUFFERSRC_FLAG_KEEP_REF) < 0)
        return Fail(QStringLiteral("the picture filters refused a frame"));
    if (m_rearSource) {
        FramePtr copy = RefFrame(rear && TakesRear(rear) ? rear : m_blankRear.get());
        if (copy) {
            copy->pts = pts;
            if (av_buffersrc_add_frame(m_rearSource, copy.get()) < 0)
                return Fail(QStringLiteral("the picture filters refused a frame"));
        }
    }
    if (m_captionSource && !AddCaption(pts, timeMs))
        return Fail(QStringLiteral("the picture filters refused the caption"));
    return true;
}

void PictureCompositor::Close(int64_t endPts)
{
    for (AVFilterContext *source : { m_frontSource, m_rearSource, m_captionSource }) {
        if (source)
            av_buffersrc_close(source, endPts, 0);
    }
}

int PictureCompositor::Take(AVFrame *frame)
{
    const int rc = av_buffersink_get_frame(m_sink, frame);
    if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
        return 0;
    if (rc < 0) {
        Fail(QStringLiteral("the picture filters failed: %1").arg(ErrorText(rc)));
        return rc;
    }
    return 1;
}

} // namespace media
