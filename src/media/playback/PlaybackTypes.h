#pragma once

#include <cstdint>

namespace media {

// Media times are counted in 100 ns units, as the main window expects (it divides by 10000 for ms).
using MediaTime = int64_t;

inline constexpr MediaTime kUnitsPerSecond = 10'000'000;
inline constexpr MediaTime kUnitsPerMs = 10'000;
inline constexpr MediaTime kNoMediaTime = INT64_MIN;

// Results of the graph's commands: 0 and 1 succeed (1: there was nothing to do), negative values
// fail, each failure with a fixed value of its own so that callers can tell them apart.
using PlaybackResult = int32_t;

inline constexpr PlaybackResult kPlaybackOk = 0;
inline constexpr PlaybackResult kPlaybackFalse = 1; // S_FALSE
inline constexpr PlaybackResult kPlaybackNotReady = -1; // graph never set up
inline constexpr PlaybackResult kPlaybackFail = static_cast<int32_t>(0x80004005u); // E_FAIL
inline constexpr PlaybackResult kPlaybackInvalidArg = static_cast<int32_t>(0x80070057u); // E_INVALIDARG
inline constexpr PlaybackResult kPlaybackWrongState = static_cast<int32_t>(0x80040227u); // VFW_E_WRONG_STATE
// The build found nothing to play: no path, or the source refused the file.
inline constexpr PlaybackResult kPlaybackNotLoaded = static_cast<int32_t>(0x80040216u); // VFW_E_NOT_FOUND
// A filter of the chain could not be created (no decoder for the codec, no colour conversion).
inline constexpr PlaybackResult kPlaybackCannotCreate = static_cast<int32_t>(0x80040217u);

inline bool PlaybackSucceeded(PlaybackResult r)
{
    return r >= 0;
}

// The graph's state; the numbers are the ones the main window tests for.
enum class GraphState : int32_t {
    Running = 0,
    Paused = 1,
    Stopped = 2,
    NotBuilt = 3,
};

// Counters of one graph, readable at any time by tests and benchmarks.
struct PlaybackStats {
    int64_t framesDecoded = 0; // pictures the video decoders produced
    int64_t framesSkipped = 0; // decoded after a seek but before its target, never meant to be seen
    int64_t framesShown = 0; // pictures handed to the video window
    int64_t framesDropped = 0; // late at their presentation time, not shown
    int64_t handoffDropped = 0; // shown but replaced in the window's queue before it painted them
    int64_t audioSamplesWritten = 0; // sample frames written to the audio device
    bool videoEnded = false; // every video stream delivered its last frame (for the current seek)
    bool audioEnded = false;
    bool audioActive = false; // an audio device is open and drives the clock
    MediaTime lastShownTime = kNoMediaTime; // media time of the last picture shown
};

} // namespace media
