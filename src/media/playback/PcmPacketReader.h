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
        : pin_(pin)
    {
    }

    PullResult Pull(AudioFrame *out, std::chrono::milliseconds timeout) override;

private:
    SourcePin *pin_;
    int serial_ = -1;
    MediaTime nextTime_ = 0;
};

} // namespace media
