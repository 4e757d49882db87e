#pragma once

#include "media/AviReadStats.h"
#include "media/AviTraceSink.h"

#include <cstdint>

namespace media {

// The AVI main header ("avih" body), 56 bytes.
struct AviMainHeader {
    std::uint32_t microSecPerFrame = 0;
    std::uint32_t maxBytesPerSec = 0;
    std::uint32_t paddingGranularity = 0;
    std::uint32_t flags = 0;
    std::uint32_t totalFrames = 0;
    std::uint32_t initialFrames = 0;
    std::uint32_t streams = 0;
    std::uint32_t suggestedBufferSize = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t reserved[4] = {};
};

// An AVI stream header ("strh" body), 56 bytes.
struct AviStreamHeader {
    char type[4] = {}; // "vids", "auds", ...
    char handler[4] = {}; // codec four-character code
    std::uint32_t flags = 0;
    std::uint16_t priority = 0;
    std::uint16_t language = 0;
    std::uint32_t initialFrames = 0;
    std::uint32_t scale = 0;
    std::uint32_t rate = 0;
    std::uint32_t start = 0;
    std::uint32_t length = 0;
    std::uint32_t suggestedBufferSize = 0;
    std::uint32_t quality = 0;
    std::uint32_t sampleSize = 0;
    std::int16_t frameLeft = 0;
    std::int16_t frameTop = 0;
    std::int16_t frameRight = 0;
    std::int16_t frameBottom = 0;
};

// The first 40 bytes of a video stream's "strf": a bitmap info header.
struct AviBitmapInfoHeader {
    std::uint32_t size = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t planes = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0; // four-character code
    std::uint32_t sizeImage = 0;
    std::int32_t xPelsPerMeter = 0;
    std::int32_t yPelsPerMeter = 0;
    std::uint32_t clrUsed = 0;
    std::uint32_t clrImportant = 0;
};

// The first 20 bytes of an audio stream's "strf": a wave format header and the two bytes
// after it.
struct AviWaveFormat {
    std::uint16_t formatTag = 0;
    std::uint16_t channels = 0;
    std::uint32_t samplesPerSec = 0;
    std::uint32_t avgBytesPerSec = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
    std::uint16_t extraSize = 0;
    std::uint8_t extra[2] = {};
};

// What the chunk walk of a recording found. Counters and sums are only ever added to: hand in
// a record in its initial (zero) state.
struct AviFileInfo {
    std::uint32_t hasVideo = 0; // 1 once a "vids" stream header was seen
    std::uint32_t hasAudio = 0; // 1 once an "auds" stream header was seen
    std::uint32_t riffSize = 0; // size field of the outer RIFF chunk
    std::uint32_t moviSize = 0; // size field of the "movi" list
    std::uint32_t audioBytes = 0; // sum of the size fields of ##wb chunks (pad bytes not counted)
    std::uint32_t audioChunks = 0;
    std::uint32_t videoBytes = 0; // sum of the size fields of ##dc, ##db and ##pc chunks
    std::uint32_t videoChunks = 0;
    AviMainHeader mainHeader;
    AviStreamHeader videoStreamHeader; // the last video stream header
    AviBitmapInfoHeader videoFormat; // the format that follows it
    AviStreamHeader audioStreamHeader; // the last audio stream header
    AviWaveFormat audioFormat; // the format that follows it
};

static_assert(sizeof(AviMainHeader) == 56);
static_assert(sizeof(AviStreamHeader) == 56);
static_assert(sizeof(AviBitmapInfoHeader) == 40);
static_assert(sizeof(AviWaveFormat) == 20);

// Walks the whole RIFF chunk tree of the file, every data chunk of the "movi" list included,
// and adds what it finds to `info`. `path` is a narrow path in the system's 8-bit encoding;
// a null path fails like a file that cannot be opened. Returns false when the file cannot be
// opened or is not a RIFF "AVI " file; otherwise true, whatever the walk then found (a
// truncated or damaged file ends the walk quietly). The trace sink, when set, receives the
// walk's trace text.
bool ReadAviFileInfo(
    const char *path, AviFileInfo &info, const AviTraceSink &trace = {}, AviReadStats *stats = nullptr);

} // namespace media
