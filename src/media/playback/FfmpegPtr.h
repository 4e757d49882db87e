#pragma once

// The playback graph's FFmpeg helpers: the shared owning handles, and conversions between a
// stream's time stamps and the graph's MediaTime.
#include "media/ffmpeg/FfmpegPtr.h"
#include "media/playback/PlaybackTypes.h"

namespace media::ffmpeg {

// Converts a time stamp in a stream's time base to the graph's 100 ns units.
inline MediaTime ToMediaTime(int64_t ts, AVRational timeBase)
{
    if (ts == AV_NOPTS_VALUE)
        return kNoMediaTime;
    return av_rescale_q(ts, timeBase, AVRational { 1, static_cast<int>(kUnitsPerSecond) });
}

inline int64_t FromMediaTime(MediaTime t, AVRational timeBase)
{
    return av_rescale_q(t, AVRational { 1, static_cast<int>(kUnitsPerSecond) }, timeBase);
}

} // namespace media::ffmpeg
