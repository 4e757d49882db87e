#pragma once

#include "library/RecordingSummary.h"

#include <QChar>
#include <QDateTime>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace library {

enum class TripKind { Drive, Parking };

// One recording of a trip: a front file of the listing and the rear file recorded with it.
struct TripRecording {
    int listingIndex = -1; // the front file's place in the listing the trips were grouped from
    QString path;
    QString rearPath; // empty when the listing has none
    QChar kind; // the kind letter of its name: N, S, U, P or M
    int64_t startMs = 0; // from the trip's start, by the time in its name
    int64_t lengthMs = 0; // as listed
    int segment = -1; // the timeline's part that plays it; -1 when others play all of its moments

    std::optional<RecordingSummary> summary; // once it arrived

    bool IsEvent() const;
};

// One stretch of a trip's timeline: a part of one recording that plays, or a gap where the recorder
// did not record.
struct TripSegment {
    int recording = -1; // into Trip::recordings; -1 for a gap
    int64_t tripMs = 0; // where the stretch starts in the trip
    int64_t lengthMs = 0;
    int64_t recordingMs = 0; // where in the recording it starts

    bool IsGap() const { return recording < 0; }
};

// A recording whose moments the timeline plays (partly or all) from another recording, as an event
// recording inside a normal one: kept so that the timeline can show where it was.
struct TripMark {
    int recording = -1;
    int64_t tripMs = 0;
    int64_t lengthMs = 0;
};

// Where a moment of a trip is played from.
struct TripPosition {
    int segment = -1;
    int recording = -1; // -1 inside a gap
    int64_t recordingMs = 0; // into the recording; into the gap inside one
};

// A drive (the recordings the recorder made one after another while the car was driving, with the
// event and manual recordings made meanwhile) or a parking session (the recordings made while the car
// stood between two drives). TripModel builds them from a listing.
struct Trip {
    TripKind kind = TripKind::Drive;
    QDateTime
        start; // the recorder's local time as its file names give it (held as UTC so no zone rule bends it)
    QDateTime end;
    std::vector<TripRecording> recordings; // in the order of their start
    std::vector<TripSegment> timeline; // in trip order, end to end from 0 to DurationMs()
    std::vector<TripMark> marks;
    int gaps = 0; // gap stretches of the timeline
    int events = 0; // event recordings (S, P, M)

    // Filled in as the recordings' summaries arrive; each moment counts once, from the recording
    // that plays it.
    int summarized = 0;
    double distanceM = 0;
    double maxSpeedKmh = 0;
    int impacts = 0;
    std::optional<int> utcOffsetSeconds; // from the first summary whose GPS tells it

    int64_t DurationMs() const;
    bool IsSummarized() const { return summarized == int(recordings.size()); }

    // The stretch of the timeline that plays a moment of the trip; none before 0 or at and after
    // its end.
    std::optional<TripPosition> Locate(int64_t tripMs) const;

    // "2024-03-07 08:53:17", the recorder's time.
    static QString TimeText(const QDateTime &time);
    // The recorder's time as a user types it, "2024-03-07 08:53:17" or without the seconds, held as
    // UTC like the names' times; invalid when the text is neither.
    static QDateTime ParseTimeText(const QString &text);
    // The same with the recorder's UTC offset where a summary told it ("... +09:00").
    QString StartText() const;
    QString EndText() const;
};

} // namespace library
