#pragma once

#include "media/recorder/SampleDrive.h"
#include "media/recorder/SampleRecordingPlan.h"
#include "media/recorder/SampleTelemetry.h"
#include "media/recorder/SampleVideoEncoder.h"

#include <QString>

#include <vector>

namespace media::recorder {

// Writes one camera's file of a sample recording: the encoded picture at 30 frames per second,
// and for the front camera the microphone track and the telemetry, all interleaved in time order.
class SampleRecordingWriter
{
public:
    struct Channel {
        char letter = 'F';
        int width = 1920;
        int height = 1080;
        bool withAudio = true;
        bool withTelemetry = true;
    };

    static constexpr int kFramesPerSecond = 30;

    SampleRecordingWriter(const SampleRecordingPlan &plan, const SampleDrive &drive, uint64_t seed,
        SampleVideoCodec codec, int threads);

    bool Write(const QString &path, const Channel &channel);
    QString ErrorString() const { return m_error; }

    // The microphone: engine hum that follows the speed, road noise, and the thump of a jolt.
    static std::vector<float> Soundtrack(
        const SampleRecordingPlan &plan, const SampleDrive &drive, uint64_t seed, int sampleRate);
    // The caption burnt into the picture, e.g. "2024/03/07 09:05:30 045KM/H F".
    static std::string Caption(
        const SampleRecordingPlan &plan, const DriveState &state, double timeMs, char channel);

private:
    const SampleRecordingPlan &m_plan;
    const SampleDrive &m_drive;
    uint64_t m_seed;
    SampleVideoCodec m_codec;
    int m_threads;
    QString m_error;
};

} // namespace media::recorder
