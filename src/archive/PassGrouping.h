#pragma once

#include "archive/ArchiveIndex.h"

#include <cstdint>
#include <vector>

namespace archive {

// A GPS point found within the radius of a place, with what tells which pass it belongs to.
struct PointHit {
    qint64 recordingId = 0;
    int seq = 0; // the point's place among its recording's points
    int pointCount = 0; // of its recording
    qint64 tripStartMs = 0; // with the pass's source, the trip the recording belongs to
    bool inTrip = false; // false: the recording is a trip of its own
    int64_t recorderMs = 0; // the point's time on the recorder's clock
    Pass pass; // the point as a pass would report it
};

// How far apart the end of one recording's points and the start of the next may lie for a pass to
// run on across them: a fix a second, and the recorder's restart of a file.
constexpr int64_t kPassJoinMs = 5000;

// Groups the points within a radius into passes: points that follow each other in one recording,
// runs of a trip's recordings that overlap in time (an event recording made during a continuous
// one) or hand over from the end of one file to the start of the next. Each pass is reported at
// its closest point, in order of time.
std::vector<Pass> GroupPasses(std::vector<PointHit> hits);

} // namespace archive
