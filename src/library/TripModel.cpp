#include "library/TripModel.h"

#include "library/RecordingName.h"

#include "media/RecorderClock.h"

#include <QTimeZone>

#include <algorithm>

namespace library {

namespace {

    struct Listed {
        int index = -1;
        int64_t startMs = 0; // the name's local time, as milliseconds of a UTC clock
        int64_t lengthMs = 0;
        QChar kind;
    };

    bool IsParkingKind(QChar kind)
    {
        return kind == QLatin1Char('P') || kind == QLatin1Char('M');
    }

    bool IsKnownKind(QChar kind)
    {
        return kind == QLatin1Char('N') || kind == QLatin1Char('S') || kind == QLatin1Char('U')
            || IsParkingKind(kind);
    }

    // Start order; at the same second a normal recording first, so that it plays and the event
    // recording made meanwhile becomes a mark, then the longer one, then the listing's order.
    bool PlaysFirst(const Listed &a, const Listed &b)
    {
        if (a.startMs != b.startMs)
            return a.startMs < b.startMs;
        const bool aNormal = a.kind == QLatin1Char('N');
        const bool bNormal = b.kind == QLatin1Char('N');
        if (aNormal != bNormal)
            return aNormal;
        if (a.lengthMs != b.lengthMs)
            return a.lengthMs > b.lengthMs;
        return a.index < b.index;
    }

    QDateTime NameClock(int64_t ms)
    {
        return QDateTime::fromMSecsSinceEpoch(ms, QTimeZone::utc());
    }

    Trip MakeTrip(TripKind kind, const std::vector<Listed> &members, const std::vector<Recording> &listing,
        const QHash<QString, int> &rearByKey)
    {
        Trip trip;
        trip.kind = kind;
        const int64_t origin = members.front().startMs;
        int64_t covered = origin; // everything before this moment plays already
        for (const Listed &member : members) {
            TripRecording recording;
            recording.listingIndex = member.index;
            recording.path = listing[size_t(member.index)].path;
            const int rear = rearByKey.value(PairKey(recording.path), -1);
            if (rear >= 0)
                recording.rearPath = listing[size_t(rear)].path;
            recording.kind = member.kind;
            recording.startMs = member.startMs - origin;
            recording.lengthMs = member.lengthMs;
            if (recording.IsEvent())
                ++trip.events;
            const int self = int(trip.recordings.size());

            if (member.startMs > covered) {
                const int64_t hole = member.startMs - covered;
                TripSegment *last = trip.timeline.empty() ? nullptr : &trip.timeline.back();
                if (last && last->IsGap()) {
                    last->lengthMs += hole;
                } else if (last && hole <= TripModel::kRoundingMs) {
                    last->lengthMs += hole;
                } else {
                    trip.timeline.push_back({ -1, covered - origin, hole, 0 });
                    ++trip.gaps;
                }
                covered = member.startMs;
            }
            const int64_t end = member.startMs + member.lengthMs;
            if (member.startMs < covered || end <= covered)
                trip.marks.push_back({ self, recording.startMs, recording.lengthMs });
            if (end > covered) {
                recording.segment = int(trip.timeline.size());
                trip.timeline.push_back({ self, covered - origin, end - covered, covered - member.startMs });
                covered = end;
            }
            trip.recordings.push_back(std::move(recording));
        }
        trip.start = NameClock(origin);
        trip.end = NameClock(covered);
        return trip;
    }

    void AddSummary(Trip &trip, const TripRecording &recording)
    {
        const RecordingSummary &summary = *recording.summary;
        ++trip.summarized;
        trip.maxSpeedKmh = std::max(trip.maxSpeedKmh, summary.maxSpeedKmh);
        if (!trip.utcOffsetSeconds)
            trip.utcOffsetSeconds = summary.utcOffsetSeconds;
        if (recording.segment < 0)
            return;
        const TripSegment &segment = trip.timeline[size_t(recording.segment)];
        const int64_t from = segment.recordingMs;
        const int64_t to = segment.recordingMs + segment.lengthMs;
        trip.distanceM += summary.DistanceBetween(from, to);
        trip.impacts += summary.ImpactsBetween(from, to);
    }

} // namespace

void TripModel::Build(const std::vector<Recording> &listing)
{
    m_trips.clear();
    m_places.clear();
    m_skipped = 0;

    std::vector<Listed> drives;
    std::vector<Listed> parking;
    QHash<QString, int> rearByKey;
    for (size_t i = 0; i < listing.size(); ++i) {
        const Recording &recording = listing[i];
        const RecordingName name = ParseRecordingName(recording.path);
        const QDateTime time = media::RecorderClock::NameTime(recording.path);
        if (!time.isValid() || !IsKnownKind(name.kindLetter) || !(name.IsFront() || name.IsRear())) {
            ++m_skipped;
            continue;
        }
        if (name.IsRear()) {
            rearByKey.insert(PairKey(recording.path), int(i)); // a later copy of the same name wins
            continue;
        }
        Listed listed;
        listed.index = int(i);
        listed.startMs = time.toMSecsSinceEpoch();
        listed.lengthMs = int64_t(std::max(0, recording.lengthSeconds)) * 1000;
        listed.kind = name.kindLetter;
        (IsParkingKind(listed.kind) ? parking : drives).push_back(listed);
    }
    std::sort(drives.begin(), drives.end(), PlaysFirst);
    std::sort(parking.begin(), parking.end(), PlaysFirst);

    std::vector<Trip> driveTrips;
    std::vector<Listed> members;
    int64_t reach = 0; // where the drive's recordings so far end
    for (const Listed &listed : drives) {
        if (!members.empty() && listed.startMs > reach + kJoinToleranceMs) {
            driveTrips.push_back(MakeTrip(TripKind::Drive, members, listing, rearByKey));
            members.clear();
        }
        reach = members.empty() ? listed.startMs + listed.lengthMs
                                : std::max(reach, listed.startMs + listed.lengthMs);
        members.push_back(listed);
    }
    if (!members.empty())
        driveTrips.push_back(MakeTrip(TripKind::Drive, members, listing, rearByKey));
    members.clear();

    // A parking session ends where a drive starts.
    std::vector<Trip> parkingTrips;
    size_t nextDrive = 0;
    for (const Listed &listed : parking) {
        bool droveMeanwhile = false;
        while (nextDrive < driveTrips.size()
            && driveTrips[nextDrive].start.toMSecsSinceEpoch() <= listed.startMs) {
            ++nextDrive;
            droveMeanwhile = true;
        }
        if (!members.empty() && droveMeanwhile) {
            parkingTrips.push_back(MakeTrip(TripKind::Parking, members, listing, rearByKey));
            members.clear();
        }
        members.push_back(listed);
    }
    if (!members.empty())
        parkingTrips.push_back(MakeTrip(TripKind::Parking, members, listing, rearByKey));

    m_trips.reserve(driveTrips.size() + parkingTrips.size());
    std::merge(std::make_move_iterator(driveTrips.begin()), std::make_move_iterator(driveTrips.end()),
        std::make_move_iterator(parkingTrips.begin()), std::make_move_iterator(parkingTrips.end()),
        std::back_inserter(m_trips), [](const Trip &a, const Trip &b) { return a.start < b.start; });

    m_places.reserve(qsizetype(listing.size()));
    for (size_t t = 0; t < m_trips.size(); ++t) {
        const std::vector<TripRecording> &recordings = m_trips[t].recordings;
        for (size_t r = 0; r < recordings.size(); ++r)
            m_places.insert(recordings[r].path, Place { int(t), int(r) });
    }
}

TripModel::Place TripModel::Find(const QString &frontPath) const
{
    return m_places.value(frontPath);
}

int TripModel::MergeSummary(const QString &frontPath, const RecordingSummary &summary)
{
    const Place place = Find(frontPath);
    if (place.trip < 0)
        return -1;
    Trip &trip = m_trips[size_t(place.trip)];
    TripRecording &recording = trip.recordings[size_t(place.recording)];
    const bool replacing = recording.summary.has_value();
    recording.summary = summary;
    if (!replacing) {
        AddSummary(trip, recording);
        return place.trip;
    }
    // The totals cannot take a summary back (the maximum), so they are summed again.
    trip.summarized = 0;
    trip.distanceM = 0;
    trip.maxSpeedKmh = 0;
    trip.impacts = 0;
    trip.utcOffsetSeconds.reset();
    for (const TripRecording &each : trip.recordings) {
        if (each.summary)
            AddSummary(trip, each);
    }
    return place.trip;
}

} // namespace library
