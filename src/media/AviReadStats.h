#pragma once

#include <cstdint>

namespace media {

// What a read of a recording cost: the bytes that came from the file, the number of read
// calls, and the chunk headers the walk visited.
struct AviReadStats {
    std::uint64_t bytesRead = 0;
    int readCalls = 0;
    int chunksVisited = 0;
};

} // namespace media
