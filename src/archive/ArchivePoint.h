#pragma once

#include <cstdint>

namespace archive {

// One valid GPS fix of a recording as the archive keeps it.
struct ArchivePoint {
    int64_t timeMs = 0; // from the recording's start
    double latitude = 0; // decimal degrees
    double longitude = 0;
    float speedKmh = 0;
    float headingDeg = 0;
};

} // namespace archive
