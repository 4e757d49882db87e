#include "media/playback/AudioTempo.h"

#include <QByteArray>

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

namespace media {

namespace {

    QByteArray LayoutName(const AVChannelLayout &layout)
    {
        AVChannelLayout described {};
        if (layout.order == AV_CHANNEL_ORDER_UNSPEC || layout.order == AV_CHANNEL_ORDER_CUSTOM)
            av_channel_layout_default(&described, layout.nb_channels);
        else
            av_channel_layout_copy(&described, &layout);
        char name[128] = {};
        av_channel_layout_describe(&described, name, sizeof name);
        av_channel_layout_uninit(&described);
        return QByteArray(name);
    }

} // namespace

void AudioTempo::Reset()
{
    m_graph.reset();
    m_samplesIn = 0;
    m_input = nullptr;
    m_output = nullptr;
}

bool AudioTempo::Fits(const AVFrame *like, double tempo) const
{
    return m_graph && like->sample_rate == m_inRate && like->format == m_inFormat
        && like->ch_layout.nb_channels == m_inChannels && tempo == m_tempo;
}

bool AudioTempo::Configure(const AVFrame *like, double tempo, const AudioFormatSpec &output)
{
    Reset();
    ffmpeg::FilterGraphPtr graph(avfilter_graph_alloc());
    if (!graph)
        return false;
    graph->nb_threads = 1;

    const QByteArray sourceArgs = QByteArray("time_base=1/") + QByteArray::number(like->sample_rate)
        + ":sample_rate=" + QByteArray::number(like->sample_rate)
        + ":sample_fmt=" + av_get_sample_fmt_name(static_cast<AVSampleFormat>(like->format))
        + ":channel_layout=" + LayoutName(like->ch_layout);
    AVFilterContext *source = nullptr;
    AVFilterContext *sink = nullptr;
    if (avfilter_graph_create_filter(
            &source, avfilter_get_by_name("abuffer"), "in", sourceArgs.constData(), nullptr, graph.get())
            < 0
        || avfilter_graph_create_filter(
               &sink, avfilter_get_by_name("abuffersink"), "out", nullptr, nullptr, graph.get())
            < 0)
        return false;

    AVChannelLayout outLayout {};
    av_channel_layout_default(&outLayout, output.channels);
    char outLayoutName[64] = {};
    av_channel_layout_describe(&outLayout, outLayoutName, sizeof outLayoutName);
    av_channel_layout_uninit(&outLayout);

    QByteArray chain;
    if (tempo != 1.0)
        chain += "atempo=" + QByteArray::number(tempo, 'f', 4) + ",";
    chain += QByteArray("aformat=sample_fmts=s16:sample_rates=") + QByteArray::number(output.sampleRate)
        + ":channel_layouts=" + outLayoutName;

    AVFilterInOut *outputs = avfilter_inout_alloc();
    AVFilterInOut *inputs = avfilter_inout_alloc();
    if (!outputs || !inputs) {
        avfilter_inout_free(&outputs);
        avfilter_inout_free(&inputs);
        return false;
    }
    outputs->name = av_strdup("in");
    outputs->filter_ctx = source;
    inputs->name = av_strdup("out");
    inputs->filter_ctx = sink;
    const int parsed = avfilter_graph_parse_ptr(graph.get(), chain.constData(), &inputs, &outputs, nullptr);
    avfilter_inout_free(&outputs);
    avfilter_inout_free(&inputs);
    if (parsed < 0 || avfilter_graph_config(graph.get(), nullptr) < 0)
        return false;

    m_graph = std::move(graph);
    m_input = source;
    m_output = sink;
    m_tempo = tempo;
    m_inRate = like->sample_rate;
    m_inFormat = like->format;
    m_inChannels = like->ch_layout.nb_channels;
    m_outFormat = output;
    return true;
}

bool AudioTempo::Push(const AVFrame *samples)
{
    if (!m_graph)
        return false;
    if (!samples)
        return av_buffersrc_add_frame(m_input, nullptr) >= 0;
    // Time stamps in the source's time base (one per sample) keep the filters' bookkeeping
    // continuous; the renderer tracks media times itself.
    ffmpeg::FramePtr copy = ffmpeg::RefFrame(samples);
    if (!copy)
        return false;
    copy->pts = m_samplesIn;
    m_samplesIn += samples->nb_samples;
    return av_buffersrc_add_frame(m_input, copy.get()) >= 0;
}

int64_t AudioTempo::Pull(std::vector<uint8_t> *out)
{
    if (!m_graph)
        return 0;
    int64_t total = 0;
    ffmpeg::FramePtr frame = ffmpeg::MakeFrame();
    while (av_buffersink_get_frame(m_output, frame.get()) >= 0) {
        const size_t bytes
            = static_cast<size_t>(frame->nb_samples) * static_cast<size_t>(m_outFormat.BytesPerFrame());
        const size_t at = out->size();
        out->resize(at + bytes);
        memcpy(out->data() + at, frame->data[0], bytes);
        total += frame->nb_samples;
        av_frame_unref(frame.get());
    }
    return total;
}

} // namespace media
