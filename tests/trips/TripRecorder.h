#pragma once

#include "media/recorder/SampleDrive.h"
#include "media/recorder/SampleRecordingPlan.h"

#include <QString>

#include <cstdint>

namespace tripstest {

// 2024-03-07 00:00:00 UTC, 09:00:00 on the sample recorder's clock (UTC+9).
constexpr int64_t kRecorderStartUtcMs = 1'709'769'600'000;

// A short recording of the sample drive: `offsetS` seconds after kRecorderStartUtcMs, from `driveS`
// seconds into the drive.
media::recorder::SampleRecordingPlan ShortPlan(
    const char *folder, char kind, int64_t offsetS, int durationMs, double driveS);

// The simulated drive every recording of the suite is cut from.
const media::recorder::SampleDrive &SuiteDrive();

// Writes the plan's front file (small pictures, with sound and telemetry) and, when withRear, its
// rear file below root; returns the front file's path, or an empty string after a test failure.
QString WriteRecording(const QString &root, const media::recorder::SampleRecordingPlan &plan, bool withRear);

} // namespace tripstest
