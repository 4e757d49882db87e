#pragma once

#include "media/telemetry/GSensorSample.h"
#include "media/telemetry/IStreamParseData.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace media {

// One impact found in a recording: the time of its strongest reading and how far that reading
// stood from the recording's resting level (the length of the X, Y, Z difference, in sensor
// counts).
struct Impact {
    uint32_t timeMs = 0;
    double strength = 0;

    bool operator==(const Impact &) const = default;
};

// Finds impacts among all G-sensor readings of a recording. The resting level is the recording's
// own: the median of each axis over the whole recording, so a sensor mounted at a slant or
// reading off-centre needs no calibration. A reading whose distance from that level exceeds the
// threshold belongs to an impact; readings above it less than a second apart are one impact.
// docs/impact-detection.md says how the threshold was chosen.
class ImpactDetector
{
public:
    // Sensor counts. Driving on the sample recorder's roads stays below about 15 counts from the
    // resting level, its weakest knock on a parked car reaches about 30.
    static constexpr double kDefaultThreshold = 22.0;
    // Readings above the threshold closer than this belong to the same impact.
    static constexpr uint32_t kMergeGapMs = 1000;
    // Jumping to an impact starts playback this long before it, so the approach can be seen.
    static constexpr int64_t kLeadMs = 2000;

    // Every G-sensor reading the source hands out, in its order (time order).
    static std::vector<GSensorSample> CollectSamples(IStreamParseData &source);

    // Median of each axis; zeros without samples.
    static std::array<double, 3> RestingLevel(const std::vector<GSensorSample> &samples);

    static std::vector<Impact> Detect(
        const std::vector<GSensorSample> &samples, double threshold = kDefaultThreshold);

    // Where playback jumps for an impact: kLeadMs before it, never before the start.
    static int64_t JumpTarget(const Impact &impact);
    // The impact whose jump target lies after positionMs (by more than a moment, so a repeated
    // press moves on), or before it for the previous one; none at either end.
    static std::optional<size_t> Next(const std::vector<Impact> &impacts, int64_t positionMs);
    static std::optional<size_t> Previous(const std::vector<Impact> &impacts, int64_t positionMs);
};

} // namespace media
