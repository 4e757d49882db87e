#pragma once

#include "media/playback/FfmpegPtr.h"

namespace media {

// One decoded picture on its way from a video decoder to its renderer.
struct VideoFrame {
    ffmpeg::FramePtr picture; // null marks the end of the stream
    MediaTime time = 0; // presentation time from the start of the recording
    int serial = 0; // seek epoch it was decoded in

    bool IsEndOfStream() const { return !picture; }
};

} // namespace media
