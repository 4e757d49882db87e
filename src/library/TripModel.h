#pragma once

#include "library/RecordingLibrary.h"
#include "library/RecordingSummary.h"
#include "library/Trip.h"

#include <QHash>
#include <QString>

#include <cstdint>
#include <vector>

namespace library {

// The trips of a listing: the recorder cuts a drive into one-minute recordings, users think in
// drives. Grouping reads only what listing gives (names and listed lengths), so it is quick enough
// for the UI thread; the telemetry summaries are made on workers (SummarizeRecording) and merged in
// as they arrive.
//
// - A recording belongs to a trip by the local start time in its name ("yyyyMMdd_HHmmss") and its
//   listed length. Names that do not carry a valid time, a channel letter F or R and a kind letter
//   N, S, U, P or M are left out.
// - Drives: the front recordings of kinds N, S and U. The next recording joins the drive when it
//   starts no more than kJoinToleranceMs after everything before it ended; so event and manual
//   recordings made during a drive belong to it.
// - Parking sessions: the front recordings of kinds P and M made between two drives, one session per
//   stay, however far apart (the recorder records only when something happens to the parked car).
// - Rear files go with the front file of the same name in the same folder.
// - Each moment plays once: recordings in start order, a normal one before an event one starting at
//   the same second. A recording plays from where those before it ended; one that adds nothing is a
//   mark. A stretch nothing covers is a gap, except up to kRoundingMs, which comes from names and
//   listed lengths being whole seconds: there the recording before plays on to the next start.
class TripModel
{
public:
    static constexpr int64_t kJoinToleranceMs = 5000;
    static constexpr int64_t kRoundingMs = 1000;

    // Replaces the trips by those of the listing; drives and parking sessions together in the
    // order of their start.
    void Build(const std::vector<Recording> &listing);

    const std::vector<Trip> &Trips() const { return m_trips; }
    // Listed files that name no recording the trips understand.
    int SkippedCount() const { return m_skipped; }

    // The trip and its recording that a front file (its path as listed) belongs to.
    struct Place {
        int trip = -1;
        int recording = -1;
    };
    Place Find(const QString &frontPath) const;

    // Merges a recording's summary into its trip; a second summary of the same recording replaces
    // the first. Returns the trip's index, -1 when the path is in none.
    int MergeSummary(const QString &frontPath, const RecordingSummary &summary);

private:
    std::vector<Trip> m_trips;
    QHash<QString, Place> m_places;
    int m_skipped = 0;
};

} // namespace library
