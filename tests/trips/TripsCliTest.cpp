#include "TripRecorder.h"
#include "support/Files.h"
#include "support/Process.h"

#include <QDateTime>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

using namespace tripstest;
using media::recorder::SampleRecordingPlan;

namespace {

// The recorder's clock `offsetS` seconds after the suite's start, as the command writes it.
QString RecorderTime(int64_t offsetS)
{
    return QDateTime::fromMSecsSinceEpoch(
        kRecorderStartUtcMs + offsetS * 1000 + 9 * 3600 * 1000LL, QTimeZone::utc())
        .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QStringList Strings(const QJsonValue &value)
{
    QStringList strings;
    for (const QJsonValue &each : value.toArray())
        strings << each.toString();
    return strings;
}

} // namespace

TEST(TripsCli, ListsTheDrivesAndParkingSessionsOfACard)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString root = dir.path();
    // A drive: two three-second recordings back to back, an event recording inside the second, a
    // pause of three seconds, one more recording. Ten minutes later another drive; then the car is
    // parked, and a passer-by is recorded before the receiver has a fix.
    SampleRecordingPlan event = ShortPlan("EVENT", 'S', 4, 2000, 124);
    event.impactMs = 800;
    event.impactStrength = 45;
    SampleRecordingPlan parked = ShortPlan("PARKING", 'M', 1200, 3000, 900);
    parked.parked = true;
    parked.gpsFix = false;
    const std::vector<std::pair<SampleRecordingPlan, bool>> plans = {
        { ShortPlan("NORMAL", 'N', 0, 3000, 120), true },
        { ShortPlan("NORMAL", 'N', 3, 3000, 123), false },
        { event, true },
        { ShortPlan("NORMAL", 'N', 9, 3000, 129), true },
        { ShortPlan("NORMAL", 'N', 600, 3000, 720), true },
        { parked, false },
    };
    QStringList fronts;
    for (const auto &[plan, withRear] : plans) {
        fronts << WriteRecording(root, plan, withRear);
        ASSERT_FALSE(fronts.back().isEmpty());
    }
    ASSERT_TRUE(testsupport::WriteFile(QDir(root).filePath(QStringLiteral("NORMAL/NOTES.AVI")), "notes"));

    const testsupport::ProcessResult result = testsupport::RunCli({ "trips", root, "--json" });
    ASSERT_TRUE(result.Ok()) << result.err.constData();
    QJsonParseError error;
    const QJsonArray trips = QJsonDocument::fromJson(result.out, &error).array();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << result.out.constData();
    ASSERT_EQ(trips.size(), 3);

    const QJsonObject first = trips[0].toObject();
    EXPECT_EQ(first["kind"].toString(), QStringLiteral("drive"));
    EXPECT_EQ(first["start"].toString(), RecorderTime(0));
    EXPECT_EQ(first["end"].toString(), RecorderTime(12));
    EXPECT_EQ(first["duration_s"].toDouble(), 12.0);
    EXPECT_EQ(Strings(first["recordings"]), QStringList({ fronts[0], fronts[1], fronts[2], fronts[3] }));
    EXPECT_EQ(first["gaps"].toInt(), 1);
    EXPECT_EQ(first["events"].toInt(), 1);
    EXPECT_EQ(first["overlapped"].toInt(), 1);
    EXPECT_EQ(first["utc_offset"].toString(), QStringLiteral("+09:00"));
    EXPECT_GT(first["distance_m"].toDouble(), 0);
    EXPECT_GT(first["max_speed_kmh"].toDouble(), 0);
    EXPECT_LT(first["max_speed_kmh"].toDouble(), 150);
    // Nine seconds of driving at most at the top speed.
    EXPECT_LE(first["distance_m"].toDouble(), first["max_speed_kmh"].toDouble() / 3.6 * 12);
    const QStringList rears = Strings(first["rear"]);
    ASSERT_EQ(rears.size(), 4);
    EXPECT_TRUE(rears[0].endsWith(QStringLiteral("_RN.AVI")));
    EXPECT_TRUE(rears[1].isEmpty());

    const QJsonObject second = trips[1].toObject();
    EXPECT_EQ(second["kind"].toString(), QStringLiteral("drive"));
    EXPECT_EQ(second["start"].toString(), RecorderTime(600));
    EXPECT_EQ(Strings(second["recordings"]), QStringList({ fronts[4] }));
    EXPECT_EQ(second["gaps"].toInt(), 0);
    EXPECT_EQ(second["events"].toInt(), 0);
    EXPECT_GT(second["distance_m"].toDouble(), 0);

    const QJsonObject parking = trips[2].toObject();
    EXPECT_EQ(parking["kind"].toString(), QStringLiteral("parking"));
    EXPECT_EQ(parking["start"].toString(), RecorderTime(1200));
    EXPECT_EQ(parking["end"].toString(), RecorderTime(1203));
    EXPECT_EQ(Strings(parking["recordings"]), QStringList({ fronts[5] }));
    EXPECT_EQ(parking["events"].toInt(), 1);
    EXPECT_EQ(parking["distance_m"].toDouble(), 0);
    EXPECT_EQ(parking["max_speed_kmh"].toDouble(), 0);
    EXPECT_TRUE(parking["utc_offset"].isNull());

    const testsupport::ProcessResult text = testsupport::RunCli({ "trips", root });
    ASSERT_TRUE(text.Ok());
    EXPECT_TRUE(text.out.contains(RecorderTime(0).toUtf8() + " +09:00"));
    EXPECT_TRUE(text.err.contains("1 files"));
}

TEST(TripsCli, RefusesWhatIsNoFolder)
{
    EXPECT_EQ(testsupport::RunForExitCode(testsupport::CliPath(), { "trips" }), 2);
    EXPECT_EQ(testsupport::RunForExitCode(testsupport::CliPath(), { "trips", "a", "b" }), 2);
    EXPECT_EQ(testsupport::RunForExitCode(testsupport::CliPath(), { "trips", "/nonexistent/card" }), 1);
}
