#pragma once

// What the trip targets share: a listing read from text as `tavin-cli list` prints it, so that the
// seeds are our own tool's output and the fuzzer mutates names and lengths as text, and the
// invariants the trips document (src/library/Trip.h, TripModel.h, docs/trips.md). A broken
// invariant stops the run like a crash.

#include "library/RecordingLibrary.h"
#include "library/TripModel.h"

#include <QByteArray>
#include <QList>

#include <cstdint>
#include <vector>

namespace fuzz {

inline void Require(bool holds)
{
    if (!holds)
        __builtin_trap();
}

// One file a line: its path up to the first tab; its listed length as the number after
// "length=", or after the tab when the line has no such word. The number wraps into an int, so
// that absurd and negative lengths come out as well.
inline std::vector<library::Recording> ReadListing(const QByteArray &text, size_t most = 400)
{
    std::vector<library::Recording> listing;
    for (const QByteArray &line : text.split('\n')) {
        if (listing.size() >= most)
            break;
        const qsizetype tab = line.indexOf('\t');
        library::Recording recording;
        recording.path = QString::fromUtf8(tab < 0 ? line : line.left(tab));
        if (tab >= 0) {
            const qsizetype word = line.indexOf("length=", tab);
            QByteArray number = word >= 0 ? line.mid(word + 7) : line.mid(tab + 1);
            const qsizetype space = number.indexOf(' ');
            if (space >= 0)
                number.truncate(space);
            recording.lengthSeconds = int(uint32_t(uint64_t(number.toLongLong())));
        }
        listing.push_back(recording);
    }
    return listing;
}

// Everything Trip.h and TripModel.h promise of one trip.
inline void CheckTrip(const library::Trip &trip)
{
    using library::TripKind;
    Require(!trip.recordings.empty());
    Require(trip.recordings.front().startMs == 0);
    int events = 0;
    for (size_t r = 0; r < trip.recordings.size(); ++r) {
        const library::TripRecording &recording = trip.recordings[r];
        if (r > 0)
            Require(trip.recordings[r - 1].startMs <= recording.startMs); // in the order of their start
        Require(recording.lengthMs >= 0);
        const bool parkingKind = recording.kind == QLatin1Char('P') || recording.kind == QLatin1Char('M');
        Require(parkingKind == (trip.kind == TripKind::Parking));
        events += recording.IsEvent() ? 1 : 0;
        if (recording.segment >= 0) {
            Require(size_t(recording.segment) < trip.timeline.size());
            Require(trip.timeline[size_t(recording.segment)].recording == int(r));
        }
    }
    Require(events == trip.events);
    // End to end from 0 to DurationMs().
    int64_t at = 0;
    int gaps = 0;
    for (const library::TripSegment &segment : trip.timeline) {
        Require(segment.tripMs == at);
        Require(segment.lengthMs >= 0 && segment.recordingMs >= 0);
        Require(segment.recording >= -1 && segment.recording < int(trip.recordings.size()));
        gaps += segment.IsGap() ? 1 : 0;
        at += segment.lengthMs;
    }
    Require(at == trip.DurationMs());
    Require(gaps == trip.gaps);
    for (const library::TripMark &mark : trip.marks)
        Require(mark.recording >= 0 && mark.recording < int(trip.recordings.size()));
    Require(trip.summarized >= 0 && trip.summarized <= int(trip.recordings.size()));
    Require(trip.start <= trip.end);
}

// Every trip, their order, and that each front file is found where it is.
inline void CheckModel(const library::TripModel &model, size_t listed)
{
    const std::vector<library::Trip> &trips = model.Trips();
    size_t recordings = 0;
    for (size_t t = 0; t < trips.size(); ++t) {
        CheckTrip(trips[t]);
        if (t > 0)
            Require(trips[t - 1].start <= trips[t].start);
        recordings += trips[t].recordings.size();
        for (const library::TripRecording &recording : trips[t].recordings) {
            // A name listed twice is found once, at one of its places.
            const library::TripModel::Place place = model.Find(recording.path);
            Require(place.trip >= 0 && size_t(place.trip) < trips.size());
            Require(place.recording >= 0
                && size_t(place.recording) < trips[size_t(place.trip)].recordings.size());
            Require(trips[size_t(place.trip)].recordings[size_t(place.recording)].path == recording.path);
        }
    }
    Require(model.SkippedCount() >= 0 && recordings + size_t(model.SkippedCount()) <= listed);
}

// Where each moment of the trip plays: inside the timeline a stretch that holds it, none outside.
inline void CheckLocate(const library::Trip &trip, int64_t tripMs)
{
    const std::optional<library::TripPosition> position = trip.Locate(tripMs);
    if (tripMs < 0 || tripMs >= trip.DurationMs()) {
        Require(!position);
        return;
    }
    Require(position.has_value());
    Require(position->segment >= 0 && size_t(position->segment) < trip.timeline.size());
    const library::TripSegment &segment = trip.timeline[size_t(position->segment)];
    Require(segment.tripMs <= tripMs && tripMs < segment.tripMs + segment.lengthMs);
    Require(position->recording == segment.recording);
    Require(position->recordingMs >= 0);
}

} // namespace fuzz
