// NMEA RMC parsing, coordinate conversion and the UTC fix time.

#include "media/CGps.h"
#include "media/NmeaTokenizer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

using namespace media;

namespace {

struct RmcCase {
    const char *name;
    std::string sentence;
    int valid;
    int hour, minute, second;
    float latitude, longitude, speed, course;
    int day, month, year;
    std::int64_t fixTime; // -1: not checked
};

void PrintTo(const RmcCase &c, std::ostream *out)
{
    *out << c.sentence;
}

const char kExample[] = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W";
constexpr std::int64_t kExampleTime = 764426119; // 1994-03-23 12:35:19 UTC

std::vector<RmcCase> rmcCases()
{
    return {
        { "example", kExample, 1, 12, 35, 19, 4807.038f, 1131.0f, 41.4848f, 84.4f, 23, 3, 94, kExampleTime },
        { "example with checksum", std::string(kExample) + "*6A", 1, 12, 35, 19, 4807.038f, 1131.0f, 41.4848f,
            84.4f, 23, 3, 94, kExampleTime },
        // The checksum is not examined: a wrong one still parses.
        { "wrong checksum", std::string(kExample) + "*00", 1, 12, 35, 19, 4807.038f, 1131.0f, 41.4848f, 84.4f,
            23, 3, 94, kExampleTime },
        { "empty speed", "$GPRMC,123519,A,4807.038,N,01131.000,E,,084.4,230394,003.1,W", 1, 12, 35, 19,
            4807.038f, 1131.0f, 0.0f, 84.4f, 23, 3, 94, kExampleTime },
        { "date is the last field", "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394*6A", 1, 12, 35,
            19, 4807.038f, 1131.0f, 41.4848f, 84.4f, 23, 3, 94, kExampleTime },
        // The recorder writes seconds with two decimals; the fraction is dropped.
        { "recorder, two-decimal seconds",
            "$GPRMC,013045.00,A,3733.1234,N,12658.5678,E,35.2,270.5,150623,,,A*6C", 1, 1, 30, 45, 3733.1234f,
            12658.5678f, 65.1904f, 270.5f, 15, 6, 23, 1686792645 },
        { "south and west", "$GNRMC,082210.50,A,3723.4500,S,14457.1200,W,0.5,12.0,010124,,,A", 1, 8, 22, 10,
            -3723.45f, -14457.12f, 0.926f, 12.0f, 1, 1, 24, 1704097330 },
        { "void fix", "$GPRMC,123519,V,,,,,,,230394,,,N*53", 0, 12, 35, 19, -0.0f, -0.0f, 0, 0, 23, 3, 94,
            kExampleTime },
        { "receiver without time", "$GPRMC,,V,,,,,,,,,,N", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, -1 },
        { "cut after latitude", "$GPRMC,123519,A,4807.038,N", 0, 12, 35, 19, 4807.038f, 0, 0, 0, 0, 0, 0, 0 },
        { "nine fields, no date", "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4", 0, 12, 35, 19,
            4807.038f, 1131.0f, 41.4848f, 84.4f, 0, 0, 0, 0 },
        { "identifier only", "$GPRMC", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 },
        { "empty", "", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 },
        { "non-numeric latitude", "$GPRMC,123519,A,abc,N,01131.000,E,022.4,084.4,230394", 1, 12, 35, 19, 0,
            1131.0f, 41.4848f, 84.4f, 23, 3, 94, kExampleTime },
        { "short time field", "$GPRMC,1235,A,4807.038,N,01131.000,E,0,0,230394", 1, 12, 35, 0, 4807.038f,
            1131.0f, 0, 0, 23, 3, 94, kExampleTime - 19 },
        { "year 70 is 1970", "$GPRMC,000000,A,0,N,0,E,0,0,010170", 1, 0, 0, 0, 0, 0, 0, 0, 1, 1, 70, 0 },
        { "year 69 is 2069", "$GPRMC,235959,A,0,N,0,E,0,0,311269", 1, 23, 59, 59, 0, 0, 0, 0, 31, 12, 69,
            3155759999 },
        { "leap day", "$GNRMC,010203.00,A,0,N,0,E,0,0,290224", 1, 1, 2, 3, 0, 0, 0, 0, 29, 2, 24,
            1709168523 },
    };
}

class RmcParseTest : public testing::TestWithParam<RmcCase>
{
};

TEST_P(RmcParseTest, Fields)
{
    const RmcCase &c = GetParam();
    const CGps fix(4321, c.sentence.c_str());
    EXPECT_EQ(fix.timeMs, 4321u);
    EXPECT_EQ(fix.valid, c.valid);
    EXPECT_EQ(fix.hour, c.hour);
    EXPECT_EQ(fix.minute, c.minute);
    EXPECT_EQ(fix.second, c.second);
    EXPECT_FLOAT_EQ(fix.latitude, c.latitude);
    EXPECT_FLOAT_EQ(fix.longitude, c.longitude);
    EXPECT_NEAR(fix.speed, c.speed, 1e-4);
    EXPECT_FLOAT_EQ(fix.course, c.course);
    EXPECT_EQ(fix.day, c.day);
    EXPECT_EQ(fix.month, c.month);
    EXPECT_EQ(fix.year, c.year);
    if (c.fixTime >= 0) {
        EXPECT_EQ(fix.GetFixTime(), c.fixTime);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sentences, RmcParseTest, testing::ValuesIn(rmcCases()), [](const testing::TestParamInfo<RmcCase> &info) {
        std::string name;
        for (const char c : std::string(info.param.name))
            name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });

TEST(Gps, OverlongSentenceIsCutNotOverrun)
{
    // Past the working buffer the date is lost, so the fix is void.
    const std::string sentence
        = "$GPRMC,123519,A," + std::string(1100, '0') + "4807.038,N,01131.000,E,1,1,230394";
    const CGps fix(0, sentence.c_str());
    EXPECT_EQ(fix.valid, 0);
    EXPECT_EQ(fix.hour, 12);
    EXPECT_EQ(fix.fixTime, 0);

    const CGps none(7, nullptr);
    EXPECT_EQ(none.valid, 0);
    EXPECT_EQ(none.timeMs, 7u);
}

TEST(Gps, ParseReplacesEarlierFields)
{
    CGps fix(0, kExample);
    ASSERT_TRUE(fix.IsValid());
    EXPECT_FALSE(fix.Parse(10, "$GPRMC,010101,V"));
    EXPECT_EQ(fix.hour, 1);
    EXPECT_FLOAT_EQ(fix.latitude, 0.0f);
    EXPECT_EQ(fix.fixTime, 0);
    EXPECT_EQ(fix.timeMs, 10u);
}

TEST(Gps, DefaultFixIsEmpty)
{
    const CGps empty;
    EXPECT_EQ(empty.fixTime, 0);
    EXPECT_EQ(empty.timeMs, 0u);
    EXPECT_EQ(empty.valid, 0);
}

TEST(Gps, DecimalDegrees)
{
    EXPECT_NEAR(CoordinateToDegrees(4807.038f), 48.1173, 1e-4);
    EXPECT_NEAR(NmeaToDecimalDegrees(-37.2345), -37.0 - 23.45 / 60.0, 1e-9);
    EXPECT_NEAR(CoordinateToDegrees(-3723.45f), -37.390833, 1e-5);
    EXPECT_NEAR(CoordinateToDegrees(-14457.12f), -144.952, 1e-4);
    EXPECT_NEAR(NmeaToDecimalDegrees(0.30), 0.5, 1e-9);
    EXPECT_EQ(NmeaToDecimalDegrees(0.0), 0.0);
}

// The fix time is the UTC instant whatever the machine's zone; Seoul is nine hours ahead,
// Los Angeles changes to summer time on 2023-03-12 at 10:00 UTC.
TEST(Gps, FixTimeDoesNotDependOnTheTimeZone)
{
    const char *saved = std::getenv("TZ");
    const std::string savedZone = saved ? saved : "";
    for (const char *zone : { "UTC", "Asia/Seoul", "America/Los_Angeles" }) {
        SCOPED_TRACE(zone);
        ASSERT_EQ(setenv("TZ", zone, 1), 0);
        tzset();
        EXPECT_EQ(CGps(0, kExample).GetFixTime(), kExampleTime);
        EXPECT_EQ(CGps(0, "$GPRMC,103000.00,A,0,N,0,E,0,0,120323").GetFixTime(), 1678617000);
        EXPECT_EQ(CGps(0, "$GPRMC,153000.00,A,0,N,0,E,0,0,311224").GetFixTime(), 1735659000);
    }
    if (saved)
        setenv("TZ", savedZone.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

TEST(Gps, UtcToEpochSecondsCarriesLikeTimegm)
{
    EXPECT_EQ(UtcToEpochSeconds(1970, 1, 1, 0, 0, 0), 0);
    EXPECT_EQ(UtcToEpochSeconds(2000, 3, 1, 0, 0, 0), 951868800);
    EXPECT_EQ(UtcToEpochSeconds(2023, 13, 1, 0, 0, 0), UtcToEpochSeconds(2024, 1, 1, 0, 0, 0));
    EXPECT_EQ(UtcToEpochSeconds(2024, 0, 1, 0, 0, 0), UtcToEpochSeconds(2023, 12, 1, 0, 0, 0));
    EXPECT_EQ(UtcToEpochSeconds(2024, 2, 30, 0, 0, 0), UtcToEpochSeconds(2024, 3, 1, 0, 0, 0));
    EXPECT_EQ(UtcToEpochSeconds(1969, 12, 31, 23, 59, 59), -1);
}

TEST(NmeaTokenizer, EmptyFieldsComeBackEmpty)
{
    const struct {
        const char *text;
        std::vector<std::string> fields;
    } cases[] = {
        { "a,,b", { "a", "", "b" } },
        { ",,a,b", { "a", "b" } }, // only commas in front of the first field are skipped
        { "a,", { "a", "" } },
        { "a,b,,", { "a", "b", "", "" } },
        { "abc", { "abc" } },
        { "", { "" } },
    };
    for (const auto &c : cases) {
        NmeaTokenizer tokens(c.text);
        std::vector<std::string> fields;
        while (const std::optional<std::string_view> field = tokens.Next())
            fields.emplace_back(*field);
        EXPECT_EQ(fields, c.fields) << '"' << c.text << '"';
        EXPECT_FALSE(tokens.Next());
    }

    // Two sentences split side by side keep their own positions.
    NmeaTokenizer first("1,2");
    NmeaTokenizer second("x,y");
    EXPECT_EQ(*first.Next(), "1");
    EXPECT_EQ(*second.Next(), "x");
    EXPECT_EQ(*first.Next(), "2");
    EXPECT_EQ(*second.Next(), "y");
}

} // namespace
