#include "TripListing.h"
#include "library/TripModel.h"

#include <gtest/gtest.h>

#include <random>

using namespace library;
using namespace tripstest;

namespace {

// A drive of two minute-long recordings, an event recording reaching past the second, a pause of
// four seconds, and a last recording.
struct Drive {
    std::vector<Recording> listing = {
        At("NORMAL", 0, 60),
        At("NORMAL", 60, 60),
        At("EVENT", 100, 30, 'S'),
        At("NORMAL", 134, 60),
    };
    TripModel model;
    Drive() { model.Build(listing); }
    const Trip &trip() const { return model.Trips().front(); }
    // The path of the recording a moment of the trip plays, or "gap".
    QString playedAt(int64_t tripMs) const
    {
        const std::optional<TripPosition> position = trip().Locate(tripMs);
        if (!position)
            return QStringLiteral("none");
        return position->recording < 0 ? QStringLiteral("gap")
                                       : trip().recordings[size_t(position->recording)].path;
    }
};

} // namespace

TEST(TripTimeline, StretchesFollowEachOtherFromStartToEnd)
{
    const Drive drive;
    ASSERT_EQ(drive.model.Trips().size(), 1u);
    const Trip &trip = drive.trip();
    int64_t at = 0;
    int gaps = 0;
    for (const TripSegment &segment : trip.timeline) {
        EXPECT_EQ(segment.tripMs, at);
        EXPECT_GT(segment.lengthMs, 0);
        at += segment.lengthMs;
        gaps += segment.IsGap() ? 1 : 0;
    }
    EXPECT_EQ(at, trip.DurationMs());
    EXPECT_EQ(trip.DurationMs(), 194'000);
    EXPECT_EQ(gaps, 1);
    EXPECT_EQ(trip.gaps, 1);
}

TEST(TripTimeline, SeekingFindsTheRecordingAndItsOffset)
{
    const Drive drive;
    const Trip &trip = drive.trip();
    const auto expectAt = [&](int64_t tripMs, const QString &path, int64_t recordingMs) {
        const std::optional<TripPosition> position = trip.Locate(tripMs);
        ASSERT_TRUE(position) << tripMs;
        ASSERT_GE(position->recording, 0) << tripMs;
        EXPECT_EQ(trip.recordings[size_t(position->recording)].path, path) << tripMs;
        EXPECT_EQ(position->recordingMs, recordingMs) << tripMs;
        EXPECT_EQ(trip.timeline[size_t(position->segment)].recording, position->recording);
    };
    expectAt(0, drive.listing[0].path, 0);
    expectAt(59'999, drive.listing[0].path, 59'999);
    expectAt(60'000, drive.listing[1].path, 0);
    expectAt(110'000, drive.listing[1].path, 50'000); // the normal recording, not the event inside it
    expectAt(120'000, drive.listing[2].path, 20'000); // the event recording's own last ten seconds
    expectAt(129'999, drive.listing[2].path, 29'999);
    expectAt(134'000, drive.listing[3].path, 0);
    expectAt(193'999, drive.listing[3].path, 59'999);
}

TEST(TripTimeline, AGapIsWhereTheRecorderDidNotRecord)
{
    const Drive drive;
    const Trip &trip = drive.trip();
    EXPECT_EQ(drive.playedAt(129'999), drive.listing[2].path);
    EXPECT_EQ(drive.playedAt(130'000), QStringLiteral("gap"));
    EXPECT_EQ(drive.playedAt(133'999), QStringLiteral("gap"));
    const std::optional<TripPosition> inGap = trip.Locate(131'500);
    ASSERT_TRUE(inGap);
    EXPECT_TRUE(trip.timeline[size_t(inGap->segment)].IsGap());
    EXPECT_EQ(inGap->recordingMs, 1'500);
    EXPECT_EQ(trip.timeline[size_t(inGap->segment)].lengthMs, 4'000);
}

TEST(TripTimeline, NothingPlaysOutsideTheTrip)
{
    const Drive drive;
    EXPECT_EQ(drive.playedAt(-1), QStringLiteral("none"));
    EXPECT_EQ(drive.playedAt(drive.trip().DurationMs()), QStringLiteral("none"));
    EXPECT_EQ(drive.playedAt(INT64_MAX), QStringLiteral("none"));
    EXPECT_EQ(drive.playedAt(INT64_MIN), QStringLiteral("none"));
}

TEST(TripTimeline, OverlappedRecordingsAreKeptAsMarks)
{
    const Drive drive;
    const Trip &trip = drive.trip();
    ASSERT_EQ(trip.marks.size(), 1u);
    const TripMark &mark = trip.marks[0];
    EXPECT_EQ(trip.recordings[size_t(mark.recording)].path, drive.listing[2].path);
    EXPECT_EQ(mark.tripMs, 100'000);
    EXPECT_EQ(mark.lengthMs, 30'000);
    EXPECT_EQ(trip.recordings[size_t(mark.recording)].startMs, 100'000);
}

TEST(TripTimeline, ASingleRecordingIsATimelineOfOne)
{
    TripModel model;
    model.Build({ At("MANUAL", 0, 45, 'U') });
    ASSERT_EQ(model.Trips().size(), 1u);
    const Trip &trip = model.Trips()[0];
    ASSERT_EQ(trip.timeline.size(), 1u);
    EXPECT_EQ(trip.DurationMs(), 45'000);
    const std::optional<TripPosition> position = trip.Locate(44'000);
    ASSERT_TRUE(position);
    EXPECT_EQ(position->recording, 0);
    EXPECT_EQ(position->recordingMs, 44'000);
}

TEST(TripTimeline, RandomListingsKeepEveryRecordingAndAWholeTimeline)
{
    std::mt19937 random(3);
    const char kinds[] = { 'N', 'N', 'N', 'S', 'U', 'P', 'M' };
    for (int round = 0; round < 20; ++round) {
        std::vector<Recording> listing;
        for (int i = 0; i < 300; ++i) {
            const char kind = kinds[random() % sizeof(kinds)];
            listing.push_back(At("CARD", int64_t(random() % 20000), int(random() % 90), kind));
        }
        TripModel model;
        model.Build(listing);
        size_t recordings = 0;
        for (const Trip &trip : model.Trips()) {
            recordings += trip.recordings.size();
            int64_t at = 0;
            int gaps = 0;
            for (size_t s = 0; s < trip.timeline.size(); ++s) {
                const TripSegment &segment = trip.timeline[s];
                ASSERT_EQ(segment.tripMs, at);
                at += segment.lengthMs;
                gaps += segment.IsGap() ? 1 : 0;
                const std::optional<TripPosition> position = trip.Locate(segment.tripMs);
                ASSERT_TRUE(position);
                EXPECT_EQ(position->segment, int(s));
                if (segment.IsGap())
                    continue;
                const TripRecording &played = trip.recordings[size_t(segment.recording)];
                EXPECT_EQ(played.segment, int(s));
                // A recording plays at the moment of the trip its name says.
                EXPECT_EQ(played.startMs + segment.recordingMs, segment.tripMs);
                if (trip.kind == TripKind::Drive) {
                    EXPECT_NE(played.kind, QLatin1Char('P'));
                    EXPECT_NE(played.kind, QLatin1Char('M'));
                } else {
                    EXPECT_TRUE(played.kind == QLatin1Char('P') || played.kind == QLatin1Char('M'));
                }
            }
            EXPECT_EQ(at, trip.DurationMs());
            EXPECT_EQ(gaps, trip.gaps);
            EXPECT_EQ(trip.start.msecsTo(trip.end), trip.DurationMs());
            for (size_t r = 1; r < trip.recordings.size(); ++r)
                EXPECT_LE(trip.recordings[r - 1].startMs, trip.recordings[r].startMs);
        }
        EXPECT_EQ(recordings, listing.size());
        for (size_t t = 1; t < model.Trips().size(); ++t)
            EXPECT_LE(model.Trips()[t - 1].start, model.Trips()[t].start);
    }
}
