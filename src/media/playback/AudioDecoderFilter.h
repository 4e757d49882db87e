#pragma once

#include "media/playback/AudioFrameSource.h"
#include "media/playback/FfmpegPtr.h"
#include "media/playback/PlaybackFilter.h"
#include "media/playback/SourcePin.h"

namespace media {

// Decodes a compressed audio pin with libavcodec. It has no thread of its own: the audio
// renderer's thread pulls samples through it.
class AudioDecoderFilter final : public PlaybackFilter, public AudioFrameSource
{
public:
    using PlaybackFilter::PlaybackFilter;

    // False when the pin is not audio, is taken, or no decoder exists for its codec.
    bool ConnectInput(SourcePin *pin);
    bool IsConnected() const { return pin_ != nullptr; }
    SourcePin *InputPin() const { return pin_; }

    PullResult Pull(AudioFrame *out, std::chrono::milliseconds timeout) override;

private:
    bool TakeDecoded(AudioFrame *out);

    SourcePin *pin_ = nullptr;
    ffmpeg::CodecContextPtr codec_;
    int serial_ = -1;
    MediaTime target_ = 0;
    MediaTime nextTime_ = 0;
    bool draining_ = false;
};

} // namespace media
