#include "TripListing.h"
#include "library/TripModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>

using namespace library;
using namespace tripstest;

namespace {

QStringList PathsOf(const Trip &trip)
{
    QStringList paths;
    for (const TripRecording &recording : trip.recordings)
        paths << recording.path;
    return paths;
}

TripModel Grouped(const std::vector<Recording> &listing)
{
    TripModel model;
    model.Build(listing);
    return model;
}

} // namespace

TEST(TripGrouping, BackToBackRecordingsMakeOneDrive)
{
    const std::vector<Recording> listing
        = { At("NORMAL", 0, 60), At("NORMAL", 60, 60), At("NORMAL", 120, 60), At("NORMAL", 180, 59) };
    const TripModel model = Grouped(listing);
    ASSERT_EQ(model.Trips().size(), 1u);
    const Trip &trip = model.Trips().front();
    EXPECT_EQ(trip.kind, TripKind::Drive);
    EXPECT_EQ(Trip::TimeText(trip.start), QStringLiteral("2024-03-07 09:00:00"));
    EXPECT_EQ(Trip::TimeText(trip.end), QStringLiteral("2024-03-07 09:03:59"));
    EXPECT_EQ(trip.DurationMs(), 239'000);
    EXPECT_EQ(trip.gaps, 0);
    EXPECT_EQ(trip.events, 0);
    EXPECT_TRUE(trip.marks.empty());
    EXPECT_EQ(
        PathsOf(trip), QStringList({ listing[0].path, listing[1].path, listing[2].path, listing[3].path }));
    EXPECT_FALSE(trip.IsSummarized());
}

TEST(TripGrouping, ListingOrderDoesNotMatter)
{
    std::vector<Recording> listing;
    for (int i = 0; i < 30; ++i)
        listing.push_back(At("NORMAL", i * 60 + (i >= 15 ? 600 : 0), 60));
    listing.push_back(At("EVENT", 200, 20, 'S'));
    listing.push_back(At("PARKING", 1500, 30, 'P'));
    const TripModel ordered = Grouped(listing);
    std::mt19937 random(7);
    std::shuffle(listing.begin(), listing.end(), random);
    const TripModel shuffled = Grouped(listing);
    ASSERT_EQ(ordered.Trips().size(), 3u);
    ASSERT_EQ(shuffled.Trips().size(), ordered.Trips().size());
    for (size_t i = 0; i < ordered.Trips().size(); ++i) {
        EXPECT_EQ(PathsOf(shuffled.Trips()[i]), PathsOf(ordered.Trips()[i]));
        EXPECT_EQ(shuffled.Trips()[i].start, ordered.Trips()[i].start);
    }
}

TEST(TripGrouping, APauseLongerThanTheToleranceStartsANewDrive)
{
    const int toleranceS = int(TripModel::kJoinToleranceMs / 1000);
    const TripModel within = Grouped({ At("NORMAL", 0, 60), At("NORMAL", 60 + toleranceS, 60) });
    ASSERT_EQ(within.Trips().size(), 1u);
    EXPECT_EQ(within.Trips()[0].gaps, 1);
    EXPECT_EQ(within.Trips()[0].DurationMs(), (120 + toleranceS) * 1000);

    const TripModel beyond = Grouped({ At("NORMAL", 0, 60), At("NORMAL", 61 + toleranceS, 60) });
    ASSERT_EQ(beyond.Trips().size(), 2u);
    EXPECT_EQ(beyond.Trips()[0].recordings.size(), 1u);
    EXPECT_EQ(beyond.Trips()[1].recordings.size(), 1u);
    EXPECT_EQ(beyond.Trips()[0].gaps, 0);
    EXPECT_EQ(Trip::TimeText(beyond.Trips()[1].start), QStringLiteral("2024-03-07 09:01:06"));
}

TEST(TripGrouping, ASecondLeftByWholeSecondNamesIsNoGap)
{
    // A segment of 59.5 s lists as 59 s while the next one is named a minute later.
    const TripModel model = Grouped({ At("NORMAL", 0, 59), At("NORMAL", 60, 59), At("NORMAL", 120, 60) });
    ASSERT_EQ(model.Trips().size(), 1u);
    const Trip &trip = model.Trips()[0];
    EXPECT_EQ(trip.gaps, 0);
    EXPECT_EQ(trip.DurationMs(), 180'000);
    for (const TripSegment &segment : trip.timeline)
        EXPECT_FALSE(segment.IsGap());
}

TEST(TripGrouping, EventAndManualRecordingsDuringADriveBelongToIt)
{
    const std::vector<Recording> listing = {
        At("NORMAL", 0, 60), At("NORMAL", 60, 60),
        At("EVENT", 30, 20, 'S'), // inside the first normal recording
        At("MANUAL", 60, 30, 'U'), // at the same second as the second
        At("EVENT", 110, 20, 'S'), // runs past the drive's last normal recording
        At("EVENT", 3600, 20, 'S'), // an hour later, on its own
    };
    const TripModel model = Grouped(listing);
    ASSERT_EQ(model.Trips().size(), 2u);
    const Trip &drive = model.Trips()[0];
    EXPECT_EQ(drive.recordings.size(), 5u);
    EXPECT_EQ(drive.events, 2);
    EXPECT_EQ(drive.gaps, 0);
    EXPECT_EQ(drive.DurationMs(), 130'000);
    // The normal recording plays where the manual one started at the same second.
    EXPECT_EQ(drive.recordings[1].path, listing[2].path);
    EXPECT_EQ(drive.recordings[2].path, listing[1].path);
    EXPECT_EQ(drive.recordings[3].path, listing[3].path);
    ASSERT_EQ(drive.marks.size(), 3u);
    EXPECT_EQ(drive.recordings[size_t(drive.marks[0].recording)].path, listing[2].path);
    EXPECT_EQ(drive.marks[0].tripMs, 30'000);
    EXPECT_EQ(drive.marks[0].lengthMs, 20'000);
    EXPECT_EQ(drive.recordings[size_t(drive.marks[1].recording)].path, listing[3].path);
    EXPECT_EQ(drive.recordings[size_t(drive.marks[2].recording)].path, listing[4].path);
    EXPECT_EQ(drive.recordings[1].segment, -1);
    EXPECT_EQ(drive.recordings[3].segment, -1);

    const Trip &alone = model.Trips()[1];
    EXPECT_EQ(alone.kind, TripKind::Drive);
    EXPECT_EQ(alone.events, 1);
    EXPECT_EQ(PathsOf(alone), QStringList({ listing[5].path }));
}

TEST(TripGrouping, ParkingRecordingsBetweenTwoDrivesAreOneSession)
{
    const std::vector<Recording> listing = {
        At("NORMAL", 0, 60),
        At("PARKING", 3600, 30, 'P'),
        At("PARKING", 3 * 3600, 20, 'M'),
        At("NORMAL", 5 * 3600, 60),
        At("PARKING", 6 * 3600, 30, 'M'),
    };
    const TripModel model = Grouped(listing);
    ASSERT_EQ(model.Trips().size(), 4u);
    const std::vector<Trip> &trips = model.Trips();
    EXPECT_EQ(trips[0].kind, TripKind::Drive);
    EXPECT_EQ(trips[1].kind, TripKind::Parking);
    EXPECT_EQ(trips[2].kind, TripKind::Drive);
    EXPECT_EQ(trips[3].kind, TripKind::Parking);

    const Trip &night = trips[1];
    EXPECT_EQ(PathsOf(night), QStringList({ listing[1].path, listing[2].path }));
    EXPECT_EQ(night.events, 2);
    EXPECT_EQ(night.gaps, 1);
    EXPECT_EQ(Trip::TimeText(night.start), QStringLiteral("2024-03-07 10:00:00"));
    EXPECT_EQ(Trip::TimeText(night.end), QStringLiteral("2024-03-07 12:00:20"));
    EXPECT_EQ(PathsOf(trips[3]), QStringList({ listing[4].path }));
}

TEST(TripGrouping, RearFilesGoWithTheFrontFileOfTheirNameAndFolder)
{
    const std::vector<Recording> listing = {
        At("NORMAL", 0, 60), At("NORMAL", 0, 60, 'N', 'R'), At("NORMAL", 60, 60),
        At("EVENT", 60, 60, 'N', 'R'), // same name, another folder
        At("NORMAL", 120, 60, 'N', 'R'), // a rear file without its front file
    };
    const TripModel model = Grouped(listing);
    ASSERT_EQ(model.Trips().size(), 1u);
    const Trip &trip = model.Trips()[0];
    ASSERT_EQ(trip.recordings.size(), 2u);
    EXPECT_EQ(trip.recordings[0].rearPath, listing[1].path);
    EXPECT_TRUE(trip.recordings[1].rearPath.isEmpty());
    EXPECT_EQ(trip.DurationMs(), 120'000);
}

TEST(TripGrouping, NamesWithoutARecorderTimeOrLettersAreLeftOut)
{
    const std::vector<Recording> listing = {
        Listed(QStringLiteral("/card/NORMAL/NOTES.AVI"), 60),
        Listed(QStringLiteral("/card/NORMAL/20241399_250000_FN.AVI"), 60), // no such day
        Listed(QStringLiteral("/card/NORMAL/20240307_090000_XN.AVI"), 60), // no channel
        Listed(QStringLiteral("/card/NORMAL/20240307_090000_FZ.AVI"), 60), // no kind
        Listed(QStringLiteral("/card/NORMAL/2024030_7090000_FN.AVI"), 60),
        Listed(QStringLiteral("/card/NORMAL/x20240307_090000_FN.AVI"), 60),
        Listed(QString(), 60),
        At("NORMAL", 0, 60),
    };
    const TripModel model = Grouped(listing);
    EXPECT_EQ(model.SkippedCount(), 7);
    ASSERT_EQ(model.Trips().size(), 1u);
    EXPECT_EQ(PathsOf(model.Trips()[0]), QStringList({ listing.back().path }));
    EXPECT_EQ(model.Find(listing[0].path).trip, -1);
}

TEST(TripGrouping, AttackerChosenTimesAndLengthsStayInRange)
{
    const std::vector<Recording> listing = {
        Listed(QStringLiteral("/card/NORMAL/99991231_235959_FN.AVI"), INT_MAX),
        Listed(QStringLiteral("/card/NORMAL/00010101_000000_FN.AVI"), INT_MAX),
        Listed(QStringLiteral("/card/NORMAL/19700101_000000_FN.AVI"), -5),
        Listed(QStringLiteral("/card/NORMAL/19700101_000001_FN.AVI"), INT_MIN),
        At("NORMAL", 0, 0),
    };
    const TripModel model = Grouped(listing);
    EXPECT_EQ(model.SkippedCount(), 0);
    size_t recordings = 0;
    for (const Trip &trip : model.Trips()) {
        recordings += trip.recordings.size();
        EXPECT_GE(trip.DurationMs(), 0);
        EXPECT_LE(trip.start, trip.end);
        for (const TripRecording &recording : trip.recordings) {
            EXPECT_GE(recording.lengthMs, 0);
            EXPECT_GE(recording.startMs, 0);
        }
        for (const TripSegment &segment : trip.timeline)
            EXPECT_GE(segment.lengthMs, 0);
    }
    EXPECT_EQ(recordings, listing.size());
    // The recording that claims 68 years of length swallows everything after it.
    const Trip &first = model.Trips().front();
    EXPECT_EQ(first.start.date().year(), 1);
    EXPECT_EQ(first.DurationMs(), int64_t(INT_MAX) * 1000);
}

TEST(TripGrouping, ManyRecordingsAtTheSameMomentPlayOnce)
{
    std::vector<Recording> listing;
    for (int i = 0; i < 20000; ++i)
        listing.push_back(Listed(QStringLiteral("/card/EVENT/%1/").arg(i) + NameAt(0, 'F', 'S'), 60));
    listing.push_back(At("NORMAL", 0, 30));
    const TripModel model = Grouped(listing);
    ASSERT_EQ(model.Trips().size(), 1u);
    const Trip &trip = model.Trips()[0];
    EXPECT_EQ(trip.recordings.size(), listing.size());
    EXPECT_EQ(trip.DurationMs(), 60'000);
    // The normal recording first, then the rest of one event recording.
    ASSERT_EQ(trip.timeline.size(), 2u);
    EXPECT_EQ(trip.recordings[size_t(trip.timeline[0].recording)].path, listing.back().path);
    EXPECT_EQ(trip.timeline[1].recordingMs, 30'000);
    EXPECT_EQ(trip.marks.size(), listing.size() - 1);
}

TEST(TripGrouping, FindsTheTripOfAFrontFile)
{
    const std::vector<Recording> listing
        = { At("NORMAL", 0, 60), At("NORMAL", 600, 60), At("NORMAL", 660, 60) };
    const TripModel model = Grouped(listing);
    EXPECT_EQ(model.Find(listing[0].path).trip, 0);
    EXPECT_EQ(model.Find(listing[2].path).trip, 1);
    EXPECT_EQ(model.Find(listing[2].path).recording, 1);
    EXPECT_EQ(model.Trips()[1].recordings[1].listingIndex, 2);
    EXPECT_EQ(model.Find(QStringLiteral("/card/NORMAL/other.AVI")).trip, -1);
}

TEST(TripGrouping, TypedTimesReadAsTheRecorderClock)
{
    // A trip's start as printed reads back as the same moment; minutes alone mean second 0.
    const TripModel model = Grouped({ At("NORMAL", 75, 60) });
    const QDateTime start = model.Trips()[0].start;
    EXPECT_EQ(Trip::ParseTimeText(Trip::TimeText(start)), start);
    EXPECT_EQ(Trip::ParseTimeText(QStringLiteral(" 2024-03-07 09:01 ")), start.addSecs(-15));
    for (const char *bad : { "", "2024-03-07", "2024-02-30 09:00", "2024-03-07 24:00", "07.03.2024 09:00" })
        EXPECT_FALSE(Trip::ParseTimeText(QString::fromLatin1(bad)).isValid()) << bad;
}
