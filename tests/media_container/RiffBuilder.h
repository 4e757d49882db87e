#pragma once

#include <QByteArray>

#include <cstdint>
#include <optional>

// Hand-made RIFF bytes for the container tests.
namespace riff {

QByteArray Le32(std::uint32_t value);
QByteArray Le16(std::uint16_t value);

// A chunk: id, size (the body's size unless `declaredSize` says otherwise), body, and a pad
// byte after an odd body.
QByteArray Chunk(const char *id, const QByteArray &body, std::optional<std::int64_t> declaredSize = {});
QByteArray List(const char *type, const QByteArray &content);
QByteArray RiffAvi(const QByteArray &content, const char *form = "AVI ");

QByteArray MainHeader(std::uint32_t microSecPerFrame, std::uint32_t totalFrames, std::uint32_t width = 320,
    std::uint32_t height = 240, std::uint32_t streams = 2);
QByteArray StreamHeader(
    const char *type, const char *handler, std::uint32_t scale, std::uint32_t rate, std::uint32_t length);
QByteArray BitmapInfo(std::int32_t width, std::int32_t height, const char *compression);
QByteArray WaveFormat(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits);

// The header list of a recording with one video and one audio stream.
QByteArray HeaderList(std::uint32_t microSecPerFrame, std::uint32_t totalFrames);

} // namespace riff
