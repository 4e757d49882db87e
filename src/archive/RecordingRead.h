#pragma once

#include "archive/ArchivePoint.h"
#include "library/RecordingSummary.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace archive {

// What the archive keeps of one front recording's contents, read on a worker.
struct RecordingRead {
    bool ok = false; // false: the file could not be read, error tells why
    QString error;
    int64_t realLengthMs = 0; // from the main header's frames; 0 when it tells none
    library::RecordingSummary summary;
    std::vector<ArchivePoint> points; // every valid fix with a possible position, in time order
    QByteArray track; // the simplified track for the map (EncodeTrack)
    double seconds = 0; // what reading it took
};

// How closely the map's stored track follows the fixes.
constexpr double kTrackToleranceM = 10.0;

// Reads a front recording's telemetry once: its summary (as library::SummarizeRecording makes it),
// its GPS points and its simplified track. Touches nothing but the file, so it runs on any thread.
RecordingRead ReadRecordingForArchive(const QString &frontPath);

} // namespace archive
