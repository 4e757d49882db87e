#include "archive/PassGrouping.h"

#include <algorithm>
#include <tuple>

namespace archive {

namespace {

    struct Run {
        qint64 sourceId = 0;
        qint64 trip = 0; // the trip's start, or the recording's id when it is in none
        bool inTrip = false;
        int64_t startMs = 0;
        int64_t endMs = 0;
        bool startsFile = false; // its first point is its recording's first
        bool endsFile = false; // its last point is its recording's last
        qint64 recordingId = 0;
        const PointHit *closest = nullptr;
    };

    auto GroupOf(const Run &run)
    {
        return std::make_tuple(run.sourceId, run.inTrip, run.trip);
    }

} // namespace

std::vector<Pass> GroupPasses(std::vector<PointHit> hits)
{
    std::sort(hits.begin(), hits.end(), [](const PointHit &a, const PointHit &b) {
        return std::tie(a.recordingId, a.seq) < std::tie(b.recordingId, b.seq);
    });
    std::vector<Run> runs;
    for (size_t i = 0; i < hits.size(); ++i) {
        const PointHit &hit = hits[i];
        const bool continues
            = i > 0 && hits[i - 1].recordingId == hit.recordingId && hits[i - 1].seq + 1 == hit.seq;
        if (!continues) {
            Run run;
            run.sourceId = hit.pass.sourceId;
            run.inTrip = hit.inTrip;
            run.trip = hit.inTrip ? hit.tripStartMs : hit.recordingId;
            run.startMs = hit.recorderMs;
            run.startsFile = hit.seq == 0;
            run.recordingId = hit.recordingId;
            run.closest = &hit;
            runs.push_back(run);
        }
        Run &run = runs.back();
        run.endMs = hit.recorderMs;
        run.endsFile = hit.seq + 1 >= hit.pointCount;
        if (hit.pass.distanceM < run.closest->pass.distanceM)
            run.closest = &hit;
    }

    std::sort(runs.begin(), runs.end(), [](const Run &a, const Run &b) {
        return std::make_tuple(a.sourceId, a.inTrip, a.trip, a.startMs, a.recordingId)
            < std::make_tuple(b.sourceId, b.inTrip, b.trip, b.startMs, b.recordingId);
    });
    std::vector<Pass> passes;
    for (size_t i = 0; i < runs.size();) {
        Run pass = runs[i];
        size_t next = i + 1;
        for (; next < runs.size() && GroupOf(runs[next]) == GroupOf(pass); ++next) {
            const Run &run = runs[next];
            const bool overlaps = run.startMs <= pass.endMs;
            const bool handsOver = pass.endsFile && run.startsFile && run.recordingId != pass.recordingId
                && run.startMs - pass.endMs <= kPassJoinMs;
            if (!overlaps && !handsOver)
                break;
            if (run.endMs >= pass.endMs) {
                pass.endMs = run.endMs;
                pass.endsFile = run.endsFile;
                pass.recordingId = run.recordingId;
            }
            if (run.closest->pass.distanceM < pass.closest->pass.distanceM)
                pass.closest = run.closest;
        }
        passes.push_back(pass.closest->pass);
        i = next;
    }
    std::sort(passes.begin(), passes.end(), [](const Pass &a, const Pass &b) {
        return std::tie(a.time, a.sourceId, a.file) < std::tie(b.time, b.sourceId, b.file);
    });
    return passes;
}

} // namespace archive
