#include "media/RecorderClock.h"
#include "media/export/ClipCaption.h"

#include <gtest/gtest.h>

using media::CGps;
using media::RecorderClock;

namespace {

// A fix at a moment of the recording telling a UTC time.
CGps FixAt(uint32_t timeMs, int hour, int minute, int second)
{
    CGps fix;
    fix.valid = 1;
    fix.year = 24;
    fix.month = 3;
    fix.day = 7;
    fix.hour = int8_t(hour);
    fix.minute = int8_t(minute);
    fix.second = int8_t(second);
    fix.fixTime = media::UtcToEpochSeconds(2024, 3, 7, hour, minute, second);
    fix.timeMs = timeMs;
    fix.latitude = 3733.5f;
    fix.longitude = 12658.5f;
    fix.speed = 50;
    return fix;
}

const std::vector<CGps> kFixes = { FixAt(0, 9, 5, 30), FixAt(1000, 9, 5, 31), FixAt(2000, 9, 5, 32) };

} // namespace

// The time shown is the recorder's own, as its file names and burnt-in stamp read, with the
// offset from UTC found from the GPS, whatever the desktop's zone.
TEST(RecorderClock, ShowsTheRecordersTimeWithItsOffset)
{
    qputenv("TZ", "Europe/Berlin");
    const RecorderClock seoul(QStringLiteral("/card/NORMAL/20240307_180530_FN.AVI"), kFixes);
    ASSERT_TRUE(seoul.UtcOffsetSeconds().has_value());
    EXPECT_EQ(seoul.TextAt(2500), QStringLiteral("2024-03-07 18:05:32 +09:00"));

    EXPECT_EQ(seoul.ClockDriftMs(), 0);
    // A recorder clock some seconds off still gives the zone's offset; the time stays the
    // recorder's, as its stamp shows it, and the difference is told.
    const RecorderClock drifted(QStringLiteral("20240307_180547_FN.AVI"), kFixes);
    EXPECT_EQ(drifted.TextAt(2500), QStringLiteral("2024-03-07 18:05:49 +09:00"));
    EXPECT_EQ(drifted.ClockDriftMs(), 17000);
    EXPECT_TRUE(drifted.RuleText().contains(QStringLiteral("+17 s"))) << drifted.RuleText().toStdString();
    // Half-hour zones, and zones west of Greenwich.
    EXPECT_EQ(RecorderClock(QStringLiteral("20240307_143530_FN.AVI"), kFixes).TextAt(0),
        QStringLiteral("2024-03-07 14:35:30 +05:30"));
    EXPECT_EQ(RecorderClock(QStringLiteral("20240307_060530_FN.AVI"), kFixes).TextAt(0),
        QStringLiteral("2024-03-07 06:05:30 -03:00"));
    // A recorder whose clock was never set tells no offset: the GPS time is shown as UTC.
    const RecorderClock unset(QStringLiteral("20000101_000012_FN.AVI"), kFixes);
    EXPECT_FALSE(unset.UtcOffsetSeconds().has_value());
    EXPECT_EQ(unset.TextAt(1000), QStringLiteral("2024-03-07 09:05:31 +00:00"));

    // Without a fix, the name's time runs on, marked as the recorder's clock.
    const RecorderClock noFix(QStringLiteral("20240307_180530_FN.AVI"), {});
    EXPECT_EQ(noFix.TextAt(2500), QStringLiteral("2024-03-07 18:05:32 (recorder clock)"));
    EXPECT_TRUE(RecorderClock(QStringLiteral("clip.avi"), {}).TextAt(0).isEmpty());
    // A time the name cannot hold (a day of daylight saving's gap in Berlin) is still read.
    EXPECT_EQ(RecorderClock(QStringLiteral("20240331_023000_FN.AVI"), {}).TextAt(0),
        QStringLiteral("2024-03-31 02:30:00 (recorder clock)"));
}

// The caption's texts: the recorder's time, the speed in the chosen unit while the fix is fresh,
// the position, and the recording's name.
TEST(RecorderClock, CaptionTexts)
{
    const media::ClipCaption kmh(
        QStringLiteral("/card/NORMAL/20240307_180530_FN.AVI"), kFixes, media::ExportSpeedUnit::Kmh);
    const media::ClipCaption mph(
        QStringLiteral("/card/NORMAL/20240307_180530_FN.AVI"), kFixes, media::ExportSpeedUnit::Mph);
    const auto texts = kmh.At(1500);
    EXPECT_EQ(texts.when, QStringLiteral("2024-03-07 18:05:31 +09:00"));
    EXPECT_EQ(texts.speed, QStringLiteral("50 km/h"));
    EXPECT_EQ(mph.At(1500).speed, QStringLiteral("31 mph"));
    EXPECT_EQ(texts.position, QStringLiteral("37.55833 N  126.97500 E"));
    EXPECT_EQ(texts.source, QStringLiteral("20240307_180530_FN.AVI"));
    // Long after the last fix the time runs on, but speed and place are no longer known.
    const auto stale = kmh.At(9000);
    EXPECT_EQ(stale.when, QStringLiteral("2024-03-07 18:05:39 +09:00"));
    EXPECT_EQ(stale.speed, QStringLiteral("-- km/h"));
    EXPECT_TRUE(stale.position.isEmpty());
}
