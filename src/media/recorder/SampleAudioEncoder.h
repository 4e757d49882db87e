#pragma once

#include "media/recorder/SampleVideoEncoder.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace media::recorder {

// Encodes a mono track to AAC (the recorder's microphone: 16 kHz, 32 kbit/s), one packet per
// 1024-sample frame.
class SampleAudioEncoder
{
public:
    static constexpr int kSampleRate = 16000;
    static constexpr int kBitRate = 32000;

    // Encodes the whole track; false (with errorString) when the encoder is missing or fails.
    bool Encode(const std::vector<float> &samples, std::vector<EncodedPacket> &packets);

    int FrameSize() const { return m_frameSize; }
    const std::vector<uint8_t> &ExtraData() const { return m_extraData; }
    QString ErrorString() const { return m_error; }

private:
    int m_frameSize = 1024;
    std::vector<uint8_t> m_extraData;
    QString m_error;
};

} // namespace media::recorder
