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
    bool IsConnected() const { return m_pin != nullptr; }
    SourcePin *InputPin() const { return m_pin; }

    PullResult Pull(AudioFrame *out, std::chrono::milliseconds timeout) override;

private:
    bool TakeDecoded(AudioFrame *out);

    SourcePin *m_pin = nullptr;
    ffmpeg::CodecContextPtr m_codec;
    int m_serial = -1;
    MediaTime m_target = 0;
    MediaTime m_nextTime = 0;
    bool m_draining = false;
};

} // namespace media
