#include "library/RecordingSummary.h"
#include "TripListing.h"
#include "TripRecorder.h"
#include "library/TripModel.h"
#include "support/Files.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

using namespace library;
using namespace tripstest;

TEST(RecordingSummary, ADrivenRecordingHasDistanceAndSpeed)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const int durationMs = 5000;
    const QString path = WriteRecording(dir.path(), ShortPlan("NORMAL", 'N', 0, durationMs, 130), false);
    ASSERT_FALSE(path.isEmpty());
    const RecordingSummary summary = SummarizeRecording(path);
    EXPECT_TRUE(summary.read);
    EXPECT_GE(summary.fixes, 4);
    EXPECT_GT(summary.distanceM, 0);
    EXPECT_GT(summary.maxSpeedKmh, 0);
    EXPECT_LT(summary.maxSpeedKmh, 150); // city roads
    // Never farther than the top speed allows in the time between the first and last fix.
    ASSERT_FALSE(summary.track.empty());
    const double seconds = double(summary.track.back().timeMs - summary.track.front().timeMs) / 1000.0;
    EXPECT_LE(summary.distanceM, summary.maxSpeedKmh / 3.6 * seconds * 1.2 + 1.0);
    EXPECT_DOUBLE_EQ(summary.track.back().distanceM, summary.distanceM);
    EXPECT_NEAR(summary.DistanceBetween(0, durationMs), summary.distanceM, 1e-6);
    EXPECT_LT(summary.DistanceBetween(0, durationMs / 2), summary.distanceM);
    ASSERT_TRUE(summary.utcOffsetSeconds);
    EXPECT_EQ(*summary.utcOffsetSeconds, 9 * 3600);
    EXPECT_TRUE(summary.impactsMs.empty());
}

// A parked car's receiver wanders by a few metres while its speed says it stands: that is no
// distance driven.
TEST(RecordingSummary, AParkedCarWithAFixDrivesNoDistance)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    media::recorder::SampleRecordingPlan plan = ShortPlan("PARKING", 'P', 0, 8000, 400);
    plan.parked = true;
    const QString path = WriteRecording(dir.path(), plan, false);
    ASSERT_FALSE(path.isEmpty());
    const RecordingSummary summary = SummarizeRecording(path);
    EXPECT_GE(summary.fixes, 6);
    EXPECT_LT(summary.maxSpeedKmh, 1.0);
    EXPECT_EQ(summary.distanceM, 0);
}

TEST(RecordingSummary, WithoutAFixThereIsNoDistance)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    media::recorder::SampleRecordingPlan plan = ShortPlan("PARKING", 'M', 0, 3000, 400);
    plan.gpsFix = false;
    plan.parked = true;
    const QString path = WriteRecording(dir.path(), plan, false);
    ASSERT_FALSE(path.isEmpty());
    const RecordingSummary summary = SummarizeRecording(path);
    EXPECT_TRUE(summary.read);
    EXPECT_EQ(summary.fixes, 0);
    EXPECT_EQ(summary.distanceM, 0);
    EXPECT_EQ(summary.maxSpeedKmh, 0);
    EXPECT_FALSE(summary.utcOffsetSeconds);
    EXPECT_EQ(summary.DistanceBetween(0, 3000), 0);
}

TEST(RecordingSummary, CountsTheImpactsOfTheGSensor)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    media::recorder::SampleRecordingPlan plan = ShortPlan("EVENT", 'S', 0, 4000, 200);
    plan.impactMs = 1500;
    plan.impactStrength = 45;
    const QString path = WriteRecording(dir.path(), plan, false);
    ASSERT_FALSE(path.isEmpty());
    const RecordingSummary summary = SummarizeRecording(path);
    ASSERT_EQ(summary.impactsMs.size(), 1u);
    EXPECT_NEAR(double(summary.impactsMs[0]), 1500.0, 500.0);
    EXPECT_EQ(summary.ImpactsBetween(0, 4000), 1);
    EXPECT_EQ(summary.ImpactsBetween(2100, 4000), 0);
}

TEST(RecordingSummary, AFileThatIsNoRecordingIsNotRead)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("20240307_090000_FN.AVI"));
    ASSERT_TRUE(testsupport::WriteFile(path, QByteArray("not a recording at all")));
    const RecordingSummary summary = SummarizeRecording(path);
    EXPECT_FALSE(summary.read);
    EXPECT_EQ(summary.distanceM, 0);
    EXPECT_FALSE(SummarizeRecording(dir.filePath(QStringLiteral("missing.AVI"))).read);
}

TEST(RecordingSummary, HaversineKnowsTheEarth)
{
    EXPECT_EQ(HaversineMetres(37.5, 127.0, 37.5, 127.0), 0);
    // A degree of latitude is about 111.2 km anywhere; a degree of longitude shrinks with it.
    EXPECT_NEAR(HaversineMetres(37.0, 127.0, 38.0, 127.0), 111'195, 200);
    EXPECT_NEAR(HaversineMetres(0.0, 0.0, 0.0, 1.0), 111'195, 200);
    EXPECT_LT(HaversineMetres(60.0, 10.0, 60.0, 11.0), HaversineMetres(0.0, 10.0, 0.0, 11.0) * 0.51);
    EXPECT_NEAR(HaversineMetres(0.0, 0.0, 0.0, 180.0), 20'015'000, 10'000);
}

namespace {

// A summary of a recording driven at a steady 36 km/h (10 m/s) with one fix per second.
RecordingSummary Steady(int seconds, std::vector<int64_t> impacts = {}, double maxKmh = 36)
{
    RecordingSummary summary;
    summary.read = true;
    for (int s = 0; s <= seconds; ++s)
        summary.track.push_back({ s * 1000, s * 10.0 });
    summary.fixes = seconds + 1;
    summary.distanceM = seconds * 10.0;
    summary.maxSpeedKmh = maxKmh;
    summary.impactsMs = std::move(impacts);
    summary.utcOffsetSeconds = 9 * 3600;
    return summary;
}

} // namespace

TEST(TripSummaries, MergedSummariesCountEachMomentOnce)
{
    // Two minutes of driving and an event recording inside the second whose moments the normal
    // recording already plays; a last event recording that runs ten seconds past the drive.
    const std::vector<Recording> listing
        = { At("NORMAL", 0, 60), At("NORMAL", 60, 60), At("EVENT", 90, 20, 'S'), At("EVENT", 110, 20, 'S') };
    TripModel model;
    model.Build(listing);
    ASSERT_EQ(model.Trips().size(), 1u);
    EXPECT_EQ(model.Trips()[0].StartText(), QStringLiteral("2024-03-07 09:00:00"));

    EXPECT_EQ(model.MergeSummary(listing[0].path, Steady(60, { 5000 })), 0);
    EXPECT_EQ(model.MergeSummary(listing[1].path, Steady(60, { 35000 })), 0);
    EXPECT_EQ(model.MergeSummary(listing[2].path, Steady(20, { 5000 }, 80)), 0);
    const Trip &trip = model.Trips()[0];
    EXPECT_FALSE(trip.IsSummarized());
    EXPECT_NEAR(trip.distanceM, 1200.0, 1e-6);
    EXPECT_EQ(trip.impacts, 2); // the event recording's impact is the second recording's
    EXPECT_EQ(trip.maxSpeedKmh, 80);
    ASSERT_TRUE(trip.utcOffsetSeconds);
    EXPECT_EQ(trip.StartText(), QStringLiteral("2024-03-07 09:00:00 +09:00"));
    EXPECT_EQ(trip.EndText(), QStringLiteral("2024-03-07 09:02:10 +09:00"));

    // Only the last ten seconds of the last event recording play.
    EXPECT_EQ(model.MergeSummary(listing[3].path, Steady(20, { 3000, 15000 })), 0);
    EXPECT_TRUE(trip.IsSummarized());
    EXPECT_NEAR(trip.distanceM, 1300.0, 1e-6);
    EXPECT_EQ(trip.impacts, 3);
}

TEST(TripSummaries, ASecondSummaryOfARecordingReplacesTheFirst)
{
    const std::vector<Recording> listing = { At("NORMAL", 0, 60), At("NORMAL", 60, 60) };
    TripModel model;
    model.Build(listing);
    model.MergeSummary(listing[0].path, Steady(60, {}, 90));
    model.MergeSummary(listing[1].path, Steady(60));
    model.MergeSummary(listing[0].path, Steady(60, { 1000 }, 40));
    const Trip &trip = model.Trips()[0];
    EXPECT_EQ(trip.summarized, 2);
    EXPECT_NEAR(trip.distanceM, 1200.0, 1e-6);
    EXPECT_EQ(trip.maxSpeedKmh, 40);
    EXPECT_EQ(trip.impacts, 1);

    EXPECT_EQ(model.MergeSummary(QStringLiteral("/card/NORMAL/elsewhere.AVI"), Steady(10)), -1);
    RecordingSummary unread;
    model.MergeSummary(listing[1].path, unread);
    EXPECT_NEAR(trip.distanceM, 600.0, 1e-6);
}
