#pragma once

#include "app/RecordingOpener.h"
#include "library/Trip.h"

#include <atomic>

// The telemetry of a whole trip on the trip's own clock, so that the speed gauge, the G-sensor
// graph, the impact list and the map follow the trip across its recordings as they follow one
// recording: each stretch of the timeline contributes what its recording holds for that stretch,
// moved to where the stretch lies in the trip. Reads every recording's telemetry (about 12 KB a
// minute) and touches nothing else, so it runs on a worker; cancel, when set, stops it between
// recordings.
OpenedRecording LoadTripTelemetry(const library::Trip &trip, const std::atomic_bool *cancel = nullptr);
