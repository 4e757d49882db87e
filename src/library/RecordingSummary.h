#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace media {
struct TelemetryExportEntry;
}

namespace library {

// What a recording's telemetry says about the drive in it, for the trip list: how far the car went,
// how fast, and where the G-sensor found impacts. Reading it costs a pass over the file's telemetry,
// so it is made on a worker (SummarizeRecording) and merged into the trips afterwards.
struct RecordingSummary {
    // The distance driven from the recording's start up to a moment of it.
    struct TrackPoint {
        int64_t timeMs = 0;
        double distanceM = 0;
    };

    bool read = false; // false: the file's telemetry could not be read at all
    int fixes = 0; // valid GPS fixes
    double distanceM = 0;
    double maxSpeedKmh = 0;
    std::vector<TrackPoint> track; // one point per valid fix, in time order
    std::vector<int64_t> impactsMs; // times of the impacts, in order
    std::optional<int> utcOffsetSeconds; // the recorder's offset from UTC, when its GPS tells it

    // The distance driven between two moments of the recording (interpolated between fixes).
    double DistanceBetween(int64_t fromMs, int64_t toMs) const;
    // The impacts at or after fromMs and before toMs.
    int ImpactsBetween(int64_t fromMs, int64_t toMs) const;
};

// Receivers that lose their fix for a moment can report a position far off; a step between two
// fixes that would need more than this speed is left out of the distance, and a reported speed above
// it is not taken as the maximum.
constexpr double kPlausibleSpeedKmh = 400.0;

// The great-circle distance in metres between two points in decimal degrees.
double HaversineMetres(double latitude1, double longitude1, double latitude2, double longitude2);

// Reads a front recording's telemetry and sums it up. Safe on a worker thread: it touches nothing
// but the file.
RecordingSummary SummarizeRecording(const QString &frontPath);
// The same for telemetry already read (TelemetryExport::Collect of the front file), for a caller
// that needs the records for more than the summary and reads the file once.
RecordingSummary SummarizeTelemetry(
    const QString &frontPath, const std::vector<media::TelemetryExportEntry> &entries);

} // namespace library
