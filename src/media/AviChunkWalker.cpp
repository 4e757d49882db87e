#include "media/AviChunkWalker.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace media {

namespace {

    constexpr std::size_t kMainHeaderBytes = 56;
    constexpr std::size_t kStreamHeaderBytes = 56;
    constexpr std::size_t kVideoFormatBytes = 40;
    constexpr std::size_t kAudioFormatBytes = 20;

    bool IsFourCc(const char id[4], const char *text)
    {
        return std::memcmp(id, text, 4) == 0;
    }

    std::uint16_t Le16(const unsigned char *bytes)
    {
        return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
    }

    std::uint32_t Le32(const unsigned char *bytes)
    {
        return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8
            | static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
    }

    AviMainHeader DecodeMainHeader(const unsigned char *bytes)
    {
        AviMainHeader header;
        std::uint32_t *fields[] = { &header.microSecPerFrame, &header.maxBytesPerSec,
            &header.paddingGranularity, &header.flags, &header.totalFrames, &header.initialFrames,
            &header.streams, &header.suggestedBufferSize, &header.width, &header.height, &header.reserved[0],
            &header.reserved[1], &header.reserved[2], &header.reserved[3] };
        for (std::uint32_t *field : fields) {
            *field = Le32(bytes);
            bytes += 4;
        }
        return header;
    }

    AviStreamHeader DecodeStreamHeader(const unsigned char *bytes)
    {
        AviStreamHeader header;
        std::memcpy(header.type, bytes, 4);
        std::memcpy(header.handler, bytes + 4, 4);
        header.flags = Le32(bytes + 8);
        header.priority = Le16(bytes + 12);
        header.language = Le16(bytes + 14);
        header.initialFrames = Le32(bytes + 16);
        header.scale = Le32(bytes + 20);
        header.rate = Le32(bytes + 24);
        header.start = Le32(bytes + 28);
        header.length = Le32(bytes + 32);
        header.suggestedBufferSize = Le32(bytes + 36);
        header.quality = Le32(bytes + 40);
        header.sampleSize = Le32(bytes + 44);
        header.frameLeft = static_cast<std::int16_t>(Le16(bytes + 48));
        header.frameTop = static_cast<std::int16_t>(Le16(bytes + 50));
        header.frameRight = static_cast<std::int16_t>(Le16(bytes + 52));
        header.frameBottom = static_cast<std::int16_t>(Le16(bytes + 54));
        return header;
    }

    AviBitmapInfoHeader DecodeBitmapInfoHeader(const unsigned char *bytes)
    {
        AviBitmapInfoHeader header;
        header.size = Le32(bytes);
        header.width = static_cast<std::int32_t>(Le32(bytes + 4));
        header.height = static_cast<std::int32_t>(Le32(bytes + 8));
        header.planes = Le16(bytes + 12);
        header.bitCount = Le16(bytes + 14);
        header.compression = Le32(bytes + 16);
        header.sizeImage = Le32(bytes + 20);
        header.xPelsPerMeter = static_cast<std::int32_t>(Le32(bytes + 24));
        header.yPelsPerMeter = static_cast<std::int32_t>(Le32(bytes + 28));
        header.clrUsed = Le32(bytes + 32);
        header.clrImportant = Le32(bytes + 36);
        return header;
    }

    AviWaveFormat DecodeWaveFormat(const unsigned char *bytes)
    {
        AviWaveFormat format;
        format.formatTag = Le16(bytes);
        format.channels = Le16(bytes + 2);
        format.samplesPerSec = Le32(bytes + 4);
        format.avgBytesPerSec = Le32(bytes + 8);
        format.blockAlign = Le16(bytes + 12);
        format.bitsPerSample = Le16(bytes + 14);
        format.extraSize = Le16(bytes + 16);
        format.extra[0] = bytes[18];
        format.extra[1] = bytes[19];
        return format;
    }

} // namespace

AviChunkWalker::AviChunkWalker(AviFileSource &source, AviFileInfo &info, const AviTraceSink &trace)
    : m_source(source)
    , m_info(info)
    , m_trace(trace)
{
}

void AviChunkWalker::Trace(const char *format, ...)
{
    if (!m_trace)
        return;
    char text[160];
    va_list arguments;
    va_start(arguments, format);
    const int length = std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    if (length > 0)
        m_trace(
            std::string_view(text, std::min<std::size_t>(static_cast<std::size_t>(length), sizeof text - 1)));
}

bool AviChunkWalker::Walk(AviWalkScope scope)
{
    unsigned char header[12];
    if (!m_source.Read(header, sizeof header))
        return false;
    const char *id = reinterpret_cast<const char *>(header);
    const char *form = id + 8;
    Trace("%c%c%c%c %d %c%c%c%c \r\n", id[0], id[1], id[2], id[3],
        static_cast<std::int32_t>(Le32(header + 4)), form[0], form[1], form[2], form[3]);
    if (!IsFourCc(id, "RIFF") || !IsFourCc(form, "AVI "))
        return false;
    m_info.riffSize = Le32(header + 4);
    m_kind = StreamKind::None;

    // Every chunk moves the position forward by at least its 8-byte header, so the walk ends
    // on its own; the cap is a second guard should that ever stop holding.
    const std::int64_t chunkLimit = m_source.Size() / 8 + 2;
    for (std::int64_t visited = 0; visited < chunkLimit; ++visited) {
        const std::int64_t start = m_source.Position();
        if (VisitChunk(scope) == Step::Stop || m_source.Position() <= start)
            break;
    }
    return true;
}

AviChunkWalker::Step AviChunkWalker::VisitChunk(AviWalkScope scope)
{
    Trace("%8lld: ", static_cast<long long>(m_source.Position()));
    unsigned char header[8];
    if (!m_source.Read(header, sizeof header))
        return Step::Stop;
    const char *id = reinterpret_cast<const char *>(header);
    const std::int32_t size = static_cast<std::int32_t>(Le32(header + 4));
    Trace("<%c%c%c%c> %d \r\n", id[0], id[1], id[2], id[3], size);
    ++m_chunksVisited;

    if (Le32(header) == 0)
        return Step::Stop;
    const bool isList = IsFourCc(id, "LIST");
    if (size < 1 && !isList)
        return Step::Stop;

    if (isList) {
        char listType[4];
        if (!m_source.Read(listType, sizeof listType))
            return Step::Stop;
        // A recorder writes the "movi" size only when it finishes the file; after a power loss it
        // stays 0 while the chunks are there up to the end of the file, so the walk goes on.
        if (size < 1 && !IsFourCc(listType, "movi"))
            return Step::Stop;
        Trace("          %c%c%c%c\r\n", listType[0], listType[1], listType[2], listType[3]);
        if (IsFourCc(listType, "movi")) {
            m_info.moviSize = static_cast<std::uint32_t>(size);
            if (scope == AviWalkScope::HeadersOnly)
                return Step::Stop;
        }
        // The list is entered: its first sub-chunk comes next.
        return Step::Continue;
    }
    return VisitLeaf(id, size);
}

AviChunkWalker::Step AviChunkWalker::VisitLeaf(const char id[4], std::int32_t size)
{
    // 64-bit, so that the pad step cannot overflow for a size near the 32-bit limit.
    std::int64_t consumed = size; // an ordinary chunk is not read
    std::int64_t skip = size;
    unsigned char body[kMainHeaderBytes];

    if (IsFourCc(id, "avih")) {
        if (!m_source.Read(body, kMainHeaderBytes))
            return Step::Stop;
        m_info.mainHeader = DecodeMainHeader(body);
        consumed = kMainHeaderBytes;
        skip = size - consumed;
    } else if (IsFourCc(id, "strh")) {
        if (!m_source.Read(body, kStreamHeaderBytes))
            return Step::Stop;
        Trace("          %c%c%c%c:%c%c%c%c\r\n", body[0], body[1], body[2], body[3], body[4], body[5],
            body[6], body[7]);
        const char *type = reinterpret_cast<const char *>(body);
        if (IsFourCc(type, "vids")) {
            m_kind = StreamKind::Video;
            m_info.videoStreamHeader = DecodeStreamHeader(body);
            m_info.hasVideo = 1;
        } else if (IsFourCc(type, "auds")) {
            m_kind = StreamKind::Audio;
            m_info.audioStreamHeader = DecodeStreamHeader(body);
            m_info.hasAudio = 1;
        } else {
            m_kind = StreamKind::None;
        }
        consumed = kStreamHeaderBytes;
        skip = size - consumed;
    } else if (IsFourCc(id, "strf")) {
        consumed = 0;
        if (m_kind == StreamKind::Video) {
            if (!m_source.Read(body, kVideoFormatBytes))
                return Step::Stop;
            m_info.videoFormat = DecodeBitmapInfoHeader(body);
            consumed = kVideoFormatBytes;
        } else if (m_kind == StreamKind::Audio) {
            if (!m_source.Read(body, kAudioFormatBytes))
                return Step::Stop;
            m_info.audioFormat = DecodeWaveFormat(body);
            consumed = kAudioFormatBytes;
        }
        skip = size - consumed;
    }

    // Data chunks are told apart by their last two characters (after the stream number).
    const char suffix[2] = { id[2], id[3] };
    if (std::memcmp(suffix, "dc", 2) == 0 || std::memcmp(suffix, "db", 2) == 0
        || std::memcmp(suffix, "pc", 2) == 0) {
        m_info.videoBytes += static_cast<std::uint32_t>(size);
        ++m_info.videoChunks;
    } else if (std::memcmp(suffix, "wb", 2) == 0) {
        m_info.audioBytes += static_cast<std::uint32_t>(size);
        ++m_info.audioChunks;
    }

    if (skip != 0) {
        if (consumed != size)
            Trace("          # data_size(%d) != size(%d)\r\n", static_cast<int>(consumed), size);
        // RIFF pads odd chunks to an even offset. The remainder keeps the sign of the skip, so
        // a chunk that declared less than its structure moves one byte further back when odd.
        skip += skip % 2;
        if (!m_source.Skip(skip))
            return Step::Stop;
    }
    return Step::Continue;
}

} // namespace media
