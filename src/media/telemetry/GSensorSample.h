#pragma once

#include <cstdint>

namespace media {

// One G-sensor reading as the graph keeps it: the raw sensor bytes (0 to 255) and the record's
// time in ms from the start of the recording.
struct GSensorSample {
    uint32_t x = 0;
    uint32_t y = 0;
    uint32_t z = 0;
    uint32_t timeMs = 0;

    bool operator==(const GSensorSample &) const = default;
};

} // namespace media
