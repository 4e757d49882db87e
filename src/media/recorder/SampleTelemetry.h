#pragma once

#include "media/recorder/SampleDrive.h"
#include "media/recorder/SampleRecordingPlan.h"

#include <cstdint>
#include <vector>

namespace media::recorder {

struct SampleTelemetryRecord {
    uint32_t timeMs = 0;
    std::vector<uint8_t> payload; // as GetNextRecord hands it out
};

// The recorder's sensor output for one recording, in time order: one RMC sentence per second
// (shortly after each whole second, as the receiver reports) and G-sensor readings at 10 Hz.
// Readings rest around 55 (the middle of 0 to 110) and follow braking, speeding up and turns; an
// event recording carries a jolt that rings out over half a second.
class SampleTelemetry
{
public:
    static std::vector<SampleTelemetryRecord> Build(
        const SampleRecordingPlan &plan, const SampleDrive &drive, uint64_t seed);

    // The car's state at t ms into the recording.
    static DriveState StateAt(const SampleRecordingPlan &plan, const SampleDrive &drive, double timeMs);

    // Deflection of the jolt t ms after it (0 before it and once it has rung out).
    static double Jolt(double sinceImpactMs);
};

} // namespace media::recorder
