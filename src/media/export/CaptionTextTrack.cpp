#include "media/export/CaptionTextTrack.h"

#include "media/ffmpeg/FfmpegError.h"

#include <cstring>
#include <vector>

namespace media {

using namespace media::ffmpeg;

namespace {

    constexpr AVRational kMillisecond { 1, 1000 };

    // The timed text encoder takes its style from a subtitle header: white bold sans text on a
    // half-dark box at the bottom centre, as legible over a bright road as over a night one.
    constexpr char kStyleHeader[] = "[Script Info]\n"
                                    "ScriptType: v4.00+\n"
                                    "PlayResX: 384\n"
                                    "PlayResY: 288\n\n"
                                    "[V4+ Styles]\n"
                                    "Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, "
                                    "OutlineColour, BackColour, Bold, Italic, Underline, StrikeOut, ScaleX, "
                                    "ScaleY, Spacing, Angle, BorderStyle, Outline, Shadow, Alignment, "
                                    "MarginL, MarginR, MarginV, Encoding\n"
                                    "Style: Default,Sans,16,&H00FFFFFF,&H00FFFFFF,&H00000000,&H80101010,"
                                    "-1,0,0,0,100,100,0,0,3,1,0,2,10,10,10,1\n\n"
                                    "[Events]\n"
                                    "Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, "
                                    "Effect, Text\n";

} // namespace

bool CaptionTextTrack::Open(AVFormatContext *output, QString *error)
{
    const AVCodec *codec = avcodec_find_encoder(AV_CODEC_ID_MOV_TEXT);
    if (!codec) {
        *error = QStringLiteral("no timed text encoder in this FFmpeg");
        return false;
    }
    m_encoder.reset(avcodec_alloc_context3(codec));
    AVCodecContext *encoder = m_encoder.get();
    const size_t size = sizeof kStyleHeader - 1;
    // The encoder frees the header with itself.
    encoder->subtitle_header = static_cast<uint8_t *>(av_malloc(size + 1));
    std::memcpy(encoder->subtitle_header, kStyleHeader, size + 1);
    encoder->subtitle_header_size = int(size);
    encoder->time_base = kMillisecond;
    if (const int rc = avcodec_open2(encoder, codec, nullptr); rc < 0) {
        *error = QStringLiteral("cannot open the timed text encoder: %1").arg(ErrorText(rc));
        return false;
    }
    m_stream = avformat_new_stream(output, nullptr);
    if (!m_stream || avcodec_parameters_from_context(m_stream->codecpar, encoder) < 0) {
        *error = QStringLiteral("cannot add the caption track");
        return false;
    }
    // FFmpeg's MP4 muxer closes a cue with an empty one when another track's time stamp, counted
    // in that track's own units, passes the cue's end in the caption's: counted in microseconds,
    // the caption's are the larger and only a real gap ends a cue.
    m_stream->time_base = { 1, 1000000 };
    m_stream->disposition = AV_DISPOSITION_DEFAULT;
    av_dict_set(&m_stream->metadata, "handler_name", "Caption", 0);
    av_dict_set(&m_stream->metadata, "language", "eng", 0);
    return true;
}

QString CaptionTextTrack::CueText(const ClipCaption::Texts &texts)
{
    QString first = texts.when;
    if (!texts.speed.isEmpty())
        first += (first.isEmpty() ? QString() : QStringLiteral("  ")) + texts.speed;
    QString second = texts.position;
    if (!texts.source.isEmpty())
        second += (second.isEmpty() ? QString() : QStringLiteral("  ")) + texts.source;
    return second.isEmpty() ? first : first + QLatin1Char('\n') + second;
}

bool CaptionTextTrack::MakeCue(
    const ClipCaption::Texts &texts, int64_t fromUs, int64_t toUs, AVPacket *packet, QString *error)
{
    // The encoder reads a subtitle event's fields; in its text "\N" breaks the line and braces
    // would start style codes, which no caption text holds.
    QString text = CueText(texts);
    text.replace(QLatin1Char('{'), QLatin1Char('(')).replace(QLatin1Char('}'), QLatin1Char(')'));
    text.replace(QLatin1Char('\n'), QStringLiteral("\\N"));
    QByteArray event = "0,0,Default,,0,0,0,," + text.toUtf8();
    AVSubtitleRect rect {};
    rect.type = SUBTITLE_ASS;
    rect.ass = event.data();
    AVSubtitleRect *rects[] = { &rect };
    AVSubtitle subtitle {};
    subtitle.num_rects = 1;
    subtitle.rects = rects;
    subtitle.end_display_time = uint32_t((toUs - fromUs) / 1000);
    std::vector<uint8_t> buffer(size_t(event.size()) * 2 + 1024);
    const int size = avcodec_encode_subtitle(m_encoder.get(), buffer.data(), int(buffer.size()), &subtitle);
    if (size < 0) {
        *error = QStringLiteral("cannot make the caption's cue: %1").arg(ErrorText(size));
        return false;
    }
    if (av_new_packet(packet, size) < 0) {
        *error = QStringLiteral("out of memory");
        return false;
    }
    std::memcpy(packet->data, buffer.data(), size_t(size));
    packet->stream_index = m_stream->index;
    packet->pts = packet->dts = av_rescale_q(fromUs, { 1, 1000000 }, m_stream->time_base);
    packet->duration = av_rescale_q(toUs, { 1, 1000000 }, m_stream->time_base) - packet->pts;
    packet->flags |= AV_PKT_FLAG_KEY;
    return true;
}

} // namespace media
