#include "RiffBuilder.h"

namespace riff {

QByteArray le32(std::uint32_t value)
{
    QByteArray bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<char>(value >> (8 * i) & 0xff);
    return bytes;
}

QByteArray le16(std::uint16_t value)
{
    QByteArray bytes(2, '\0');
    bytes[0] = static_cast<char>(value & 0xff);
    bytes[1] = static_cast<char>(value >> 8);
    return bytes;
}

QByteArray chunk(const char *id, const QByteArray &body, std::optional<std::int64_t> declaredSize)
{
    QByteArray bytes(id, 4);
    bytes += le32(static_cast<std::uint32_t>(declaredSize.value_or(body.size())));
    bytes += body;
    if (body.size() % 2)
        bytes += '\0';
    return bytes;
}

QByteArray list(const char *type, const QByteArray &content)
{
    return chunk("LIST", QByteArray(type, 4) + content);
}

QByteArray riffAvi(const QByteArray &content, const char *form)
{
    return QByteArray("RIFF") + le32(static_cast<std::uint32_t>(content.size() + 4)) + QByteArray(form, 4)
        + content;
}

QByteArray mainHeader(std::uint32_t microSecPerFrame, std::uint32_t totalFrames, std::uint32_t width,
    std::uint32_t height, std::uint32_t streams)
{
    QByteArray body;
    for (std::uint32_t value : { microSecPerFrame, 1000000u, 0u, 0x910u, totalFrames, 0u, streams, 65536u,
             width, height, 0u, 0u, 0u, 0u })
        body += le32(value);
    return body;
}

QByteArray streamHeader(
    const char *type, const char *handler, std::uint32_t scale, std::uint32_t rate, std::uint32_t length)
{
    QByteArray body = QByteArray(type, 4) + QByteArray(handler, 4);
    for (std::uint32_t value : { 0u, 0u, 0u, scale, rate, 0u, length, 4096u, 0xffffffffu, 0u })
        body += le32(value);
    body += QByteArray(8, '\0');
    return body;
}

QByteArray bitmapInfo(std::int32_t width, std::int32_t height, const char *compression)
{
    QByteArray body
        = le32(40) + le32(static_cast<std::uint32_t>(width)) + le32(static_cast<std::uint32_t>(height));
    body += le16(1) + le16(24) + QByteArray(compression, 4);
    body += le32(static_cast<std::uint32_t>(width * height * 3)) + le32(0) + le32(0) + le32(0) + le32(0);
    return body;
}

QByteArray waveFormat(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits)
{
    const std::uint16_t blockAlign = static_cast<std::uint16_t>(channels * bits / 8);
    return le16(tag) + le16(channels) + le32(rate) + le32(rate * blockAlign) + le16(blockAlign) + le16(bits)
        + le16(2) + QByteArray("\x11\x22", 2);
}

QByteArray headerList(std::uint32_t microSecPerFrame, std::uint32_t totalFrames)
{
    const QByteArray video = list("strl",
        chunk("strh", streamHeader("vids", "H264", 1, 30, totalFrames))
            + chunk("strf", bitmapInfo(320, 240, "H264")));
    const QByteArray audio = list("strl",
        chunk("strh", streamHeader("auds", "\x01\0\0\0", 1, 8000, 8000))
            + chunk("strf", waveFormat(1, 1, 8000, 8)));
    return list("hdrl", chunk("avih", mainHeader(microSecPerFrame, totalFrames)) + video + audio);
}

} // namespace riff
