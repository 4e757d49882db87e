#pragma once

#include <atomic>
#include <cstdint>

#include "media/playback/PlaybackTypes.h"

namespace media {

// The graph's counters, bumped by its threads and read by anyone.
struct PlaybackCounters {
    std::atomic<int64_t> framesDecoded { 0 };
    std::atomic<int64_t> framesSkipped { 0 };
    std::atomic<int64_t> framesShown { 0 };
    std::atomic<int64_t> framesDropped { 0 };
    std::atomic<int64_t> audioSamplesWritten { 0 };
    std::atomic<MediaTime> lastShownTime { kNoMediaTime };
};

} // namespace media
