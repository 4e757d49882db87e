#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

namespace media {

// Receives the chunk walk's trace text, piece by piece, exactly as the walk formats it
// (lines end in "\r\n"). An empty sink keeps the walk silent.
using AviTraceSink = std::function<void(std::string_view text)>;

// What a read cost: the bytes that came from the file and the number of read calls.
struct AviReadStats {
    std::uint64_t bytesRead = 0;
    int readCalls = 0;
    int chunksVisited = 0;
};

} // namespace media
