#pragma once

#include <chrono>

#include "media/playback/FfmpegPtr.h"

namespace media {

// Decoded samples on their way to the audio renderer.
struct AudioFrame {
    ffmpeg::FramePtr samples; // null marks the end of the stream
    MediaTime time = 0; // time of the first sample from the start of the recording
    int serial = 0; // seek epoch
    MediaTime seekTarget = 0; // samples before it are not played

    bool IsEndOfStream() const { return !samples; }
};

// What the audio renderer pulls its samples from: the audio decoder for compressed audio, or
// the source's pin itself for PCM.
class AudioFrameSource
{
public:
    enum class PullResult { Frame, Timeout, Aborted };
    virtual ~AudioFrameSource() = default;
    virtual PullResult Pull(AudioFrame *out, std::chrono::milliseconds timeout) = 0;
};

} // namespace media
