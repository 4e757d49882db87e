#pragma once

#include "media/playback/AudioFrameSource.h"
#include "media/playback/SourcePin.h"

namespace media {

// Plays a PCM pin's packets as they are: each packet becomes a frame of samples without a
// decoder in between.
class PcmPacketReader final : public AudioFrameSource
{
public:
    explicit PcmPacketReader(SourcePin *pin)
        : m_pin(pin)
    {
    }

    PullResult Pull(AudioFrame *out, std::chrono::milliseconds timeout) override;

private:
    SourcePin *m_pin;
    int m_serial = -1;
    MediaTime m_nextTime = 0;
};

} // namespace media
