#include "RiffBuilder.h"

namespace riff {

QByteArray Le32(std::uint32_t value)
{
    QByteArray bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<char>(value >> (8 * i) & 0xff);
    return bytes;
}

QByteArray Le16(std::uint16_t value)
{
    QByteArray bytes(2, '\0');
    bytes[0] = static_cast<char>(value & 0xff);
    bytes[1] = static_cast<char>(value >> 8);
    return bytes;
}

QByteArray Chunk(const char *id, const QByteArray &body, std::optional<std::int64_t> declaredSize)
{
    QByteArray bytes(id, 4);
    bytes += Le32(static_cast<std::uint32_t>(declaredSize.value_or(body.size())));
    bytes += body;
    if (body.size() % 2)
        bytes += '\0';
    return bytes;
}

QByteArray List(const char *type, const QByteArray &content)
{
    return Chunk("LIST", QByteArray(type, 4) + content);
}

QByteArray RiffAvi(const QByteArray &content, const char *form)
{
    return QByteArray("RIFF") + Le32(static_cast<std::uint32_t>(content.size() + 4)) + QByteArray(form, 4)
        + content;
}

QByteArray MainHeader(std::uint32_t microSecPerFrame, std::uint32_t totalFrames, std::uint32_t width,
    std::uint32_t height, std::uint32_t streams)
{
    QByteArray body;
    for (std::uint32_t value : { microSecPerFrame, 1000000u, 0u, 0x910u, totalFrames, 0u, streams, 65536u,
             width, height, 0u, 0u, 0u, 0u })
        body += Le32(value);
    return body;
}

QByteArray StreamHeader(
    const char *type, const char *handler, std::uint32_t scale, std::uint32_t rate, std::uint32_t length)
{
    QByteArray body = QByteArray(type, 4) + QByteArray(handler, 4);
    for (std::uint32_t value : { 0u, 0u, 0u, scale, rate, 0u, length, 4096u, 0xffffffffu, 0u })
        body += Le32(value);
    body += QByteArray(8, '\0');
    return body;
}

QByteArray BitmapInfo(std::int32_t width, std::int32_t height, const char *compression)
{
    QByteArray body
        = Le32(40) + Le32(static_cast<std::uint32_t>(width)) + Le32(static_cast<std::uint32_t>(height));
    body += Le16(1) + Le16(24) + QByteArray(compression, 4);
    body += Le32(static_cast<std::uint32_t>(width * height * 3)) + Le32(0) + Le32(0) + Le32(0) + Le32(0);
    return body;
}

QByteArray WaveFormat(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits)
{
    const std::uint16_t blockAlign = static_cast<std::uint16_t>(channels * bits / 8);
    return Le16(tag) + Le16(channels) + Le32(rate) + Le32(rate * blockAlign) + Le16(blockAlign) + Le16(bits)
        + Le16(2) + QByteArray("\x11\x22", 2);
}

QByteArray HeaderList(std::uint32_t microSecPerFrame, std::uint32_t totalFrames)
{
    const QByteArray video = List("strl",
        Chunk("strh", StreamHeader("vids", "H264", 1, 30, totalFrames))
            + Chunk("strf", BitmapInfo(320, 240, "H264")));
    const QByteArray audio = List("strl",
        Chunk("strh", StreamHeader("auds", "\x01\0\0\0", 1, 8000, 8000))
            + Chunk("strf", WaveFormat(1, 1, 8000, 8)));
    return List("hdrl", Chunk("avih", MainHeader(microSecPerFrame, totalFrames)) + video + audio);
}

} // namespace riff
