#include "TelemetryTestSupport.h"
#include "support/Process.h"
#include "support/SampleCards.h"

#include "media/AviHeaderReader.h"
#include "media/telemetry/TelemetryLoader.h"
#include "media/telemetry/TelemetryReader.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>

#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <deque>
#include <string>

using media::CGPSArray;
using media::CSpeedItem;
using media::GSensorSample;
using media::TelemetryLoader;
using namespace telemetry_test;

namespace {

// A source that answers from a script: records, other results, then the end.
class ScriptedSource : public media::IStreamParseData
{
public:
    struct Step {
        media::StreamParseResult result;
        uint32_t timeMs = 0;
        QByteArray payload;
    };

    media::StreamParseResult Configure(uint8_t) override { return media::kStreamParseOk; }
    media::StreamParseResult SetRecordRange(int64_t, int64_t) override { return media::kStreamParseOk; }
    media::StreamParseResult GetNextRecord(uint8_t *buffer, uint32_t *length, uint32_t *timeMs) override
    {
        ++calls;
        EXPECT_EQ(*length, 1024u); // the loader always offers its whole buffer
        if (steps.empty())
            return endless ? endlessResult : media::kStreamParseEndOfFile;
        const Step step = steps.front();
        steps.pop_front();
        if (step.result == media::kStreamParseOk) {
            std::memcpy(buffer, step.payload.constData(), static_cast<size_t>(step.payload.size()));
            *length = static_cast<uint32_t>(step.payload.size());
            *timeMs = step.timeMs;
        }
        return step.result;
    }

    void record(uint32_t timeMs, const QByteArray &payload)
    {
        steps.push_back({ media::kStreamParseOk, timeMs, payload });
    }

    std::deque<Step> steps;
    bool endless = false;
    media::StreamParseResult endlessResult = media::kStreamParseNotReady;
    uint32_t calls = 0;
};

// Records what the loader hands the gauge; what the gauge makes of it is the gauge's own test.
class GaugeItems : public media::ISpeedItemSink
{
public:
    void Add(const CSpeedItem &item) override { adds.push_back(item); }
    void Update(const CSpeedItem &item) override { updates.push_back(item); }
    std::vector<CSpeedItem> adds, updates;
};

const char kFixA[] = "$GPRMC,001530.00,A,3729.8772,N,12701.6560,E,22.40,84.40,070324,,,A*6A";
const char kFixB[] = "$GPRMC,001531.00,A,3729.8801,N,12701.6800,E,23.00,84.10,070324,,,A*6A";
const char kNoFix[] = "$GPRMC,001532.00,V,,,,,,,070324,,,N*4F";

} // namespace

TEST(TelemetryLoader, KeepsTheFirstGSensorSampleOfEachWholeSecond)
{
    ScriptedSource source;
    for (uint32_t t = 0; t < 1000; t += 100) // ten within one second
        source.record(t, GSensorPayload(uint8_t(t / 100), 2, 3));
    source.record(1999, GSensorPayload(50, 51, 52)); // one millisecond either side of 2 s
    source.record(2000, GSensorPayload(60, 61, 62));
    source.record(2500, GSensorPayload(70, 71, 72));
    CGPSArray track;
    std::vector<GSensorSample> samples;
    const auto result = TelemetryLoader::Load(&source, 10000, track, samples, nullptr);
    EXPECT_TRUE(result.reachedEnd);
    EXPECT_EQ(result.gsensorRecords, 13u);
    EXPECT_EQ(
        samples, (std::vector<GSensorSample> { { 0, 2, 3, 0 }, { 50, 51, 52, 1999 }, { 60, 61, 62, 2000 } }));
    EXPECT_TRUE(track.IsEmpty());
}

TEST(TelemetryLoader, ZeroDurationOrNoSourceLoadsNothing)
{
    ScriptedSource source;
    source.record(0, GSensorPayload(1, 2, 3));
    source.record(40, GpsPayload(kFixA));
    CGPSArray track;
    std::vector<GSensorSample> samples;
    GaugeItems gauge;
    for (int64_t duration : { int64_t { 0 }, int64_t { -5 } }) {
        const auto result = TelemetryLoader::Load(&source, duration, track, samples, &gauge);
        EXPECT_EQ(result.records, 0u);
    }
    EXPECT_EQ(source.calls, 0u);
    EXPECT_EQ(TelemetryLoader::Load(nullptr, 1000, track, samples, &gauge).records, 0u);
    EXPECT_TRUE(samples.empty());
    EXPECT_TRUE(track.IsEmpty());
    EXPECT_TRUE(gauge.adds.empty() && gauge.updates.empty());
}

TEST(TelemetryLoader, ValidFixesFeedTrackAndGaugeAndTheSpeedIsReReadOncePerSecond)
{
    ScriptedSource source;
    source.record(40, GpsPayload(kFixA));
    source.record(540, GpsPayload(kFixA)); // same second: stored again, but no second re-read
    source.record(1040, GpsPayload(kFixB));
    source.record(2040, GpsPayload(kNoFix)); // no fix: nothing stored, nothing re-read
    source.record(2100, QByteArray("Zxyz")); // neither kind
    CGPSArray track;
    std::vector<GSensorSample> samples;
    GaugeItems gauge;
    const auto result = TelemetryLoader::Load(&source, 60000, track, samples, &gauge);
    EXPECT_EQ(result.gpsRecords, 4u);
    EXPECT_EQ(result.validFixes, 3u);
    EXPECT_EQ(result.ignoredRecords, 1u);

    ASSERT_EQ(track.GetSize(), 3);
    EXPECT_EQ(track[0].timeMs, 40u);
    EXPECT_EQ(track[2].timeMs, 1040u);
    EXPECT_FLOAT_EQ(track[0].speed, 22.40f * 1.852f);

    // Add per valid fix, with the fix's time; the gauge keeps the first per fix time.
    ASSERT_EQ(gauge.adds.size(), 3u);
    EXPECT_EQ(gauge.adds[0].fixTime, track[0].GetFixTime());
    EXPECT_EQ(gauge.adds[0].valid, 1);
    EXPECT_NEAR(gauge.adds[0].speed, 41.4848, 1e-3);
    // Update per GPS second, with fix time 0 and the speed cut to whole km/h: 22.40 kn is 41.48.
    ASSERT_EQ(gauge.updates.size(), 2u);
    EXPECT_EQ(gauge.updates[0], (CSpeedItem { 40, 0, 41.0f, 1 }));
    EXPECT_EQ(gauge.updates[1], (CSpeedItem { 1040, 0, 42.0f, 1 })); // 23.00 kn = 42.596
}

TEST(TelemetryLoader, SpeedReReadFollowsTheFieldPositions)
{
    float kmh = -1;
    // Two decimals: status at index 18 of the record text.
    EXPECT_TRUE(TelemetryLoader::ReadSpeedFromRecordText(
        "G$GPRMC,001530.00,A,3729.8772,N,12701.6560,E,10.00,84.40,070324,,,A*6A", kmh));
    EXPECT_FLOAT_EQ(kmh, 18.0f); // 18.52 cut
    // Three decimals: status at 19, and GNRMC is accepted too.
    EXPECT_TRUE(TelemetryLoader::ReadSpeedFromRecordText(
        "G$GNRMC,001530.000,A,3729.8772,N,12701.6560,E,054.0,84.40,070324,,,A*6A", kmh));
    EXPECT_FLOAT_EQ(kmh, 100.0f); // 100.008
    // No fix, too short, or another sentence: nothing.
    EXPECT_FALSE(TelemetryLoader::ReadSpeedFromRecordText("G$GPRMC,001532.00,V,,,,,,,070324,,,N*4F", kmh));
    EXPECT_FALSE(TelemetryLoader::ReadSpeedFromRecordText(
        "G$GPGGA,001530.00,A,3729.8772,N,12701.6560,E,10.00,84.40,070324,,,A*6A", kmh));
    EXPECT_FALSE(TelemetryLoader::ReadSpeedFromRecordText("G$GPRMC,001530.00,A,3729.8772,N,1270", kmh));
    // Commas missing after the status: nothing is read past the end.
    EXPECT_FALSE(TelemetryLoader::ReadSpeedFromRecordText(
        "G$GPRMC,001530.00,A,3729.8772N12701.6560E10.0084.40070324AAAAAAAAAA", kmh));
    EXPECT_FALSE(TelemetryLoader::ReadSpeedFromRecordText(nullptr, kmh));
}

namespace {

// Switches LC_NUMERIC to a locale whose decimal sign is a comma: an installed one, or one
// compiled for this test from the system's locale sources. False when neither is possible.
bool useCommaDecimalLocale()
{
    for (const char *name : { "de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "ru_RU.UTF-8" }) {
        if (std::setlocale(LC_NUMERIC, name))
            return std::strcmp(std::localeconv()->decimal_point, ",") == 0;
    }
    const QString folder = TemporaryFolder() + QStringLiteral("/locales");
    const QString made = folder + QStringLiteral("/de_DE.UTF-8");
    if (!QFile::exists(made)
        && (!QDir().mkpath(folder)
            || testsupport::RunForExitCode(QStringLiteral("localedef"),
                   { QStringLiteral("-i"), QStringLiteral("de_DE"), QStringLiteral("-f"),
                       QStringLiteral("UTF-8"), made })
                != 0))
        return false;
    qputenv("LOCPATH", QFile::encodeName(folder));
    return std::setlocale(LC_NUMERIC, "de_DE.UTF-8")
        && std::strcmp(std::localeconv()->decimal_point, ",") == 0;
}

} // namespace

TEST(TelemetryLoader, SpeedReReadRefusesDamagedNumbersAndIgnoresTheLocale)
{
    const auto speedOf = [](const char *speedField, float &kmh) {
        const std::string text = std::string("G$GPRMC,001530.00,A,3729.8772,N,12701.6560,E,") + speedField
            + ",84.40,070324,,,A*6A";
        return TelemetryLoader::ReadSpeedFromRecordText(text.c_str(), kmh);
    };
    // Text that is no usable number gives no speed instead of an undefined conversion.
    float kmh = -1;
    for (const char *field : { "nan", "NAN", "inf", "-inf", "1e999", "99999999999999999999" })
        EXPECT_FALSE(speedOf(field, kmh)) << field << " gave " << kmh;
    EXPECT_TRUE(speedOf("0.00", kmh));
    EXPECT_FLOAT_EQ(kmh, 0.0f);

    // NMEA's decimal sign is '.', whatever the user's locale says.
    const bool switched = useCommaDecimalLocale();
    const auto restore = qScopeGuard([] { std::setlocale(LC_NUMERIC, "C"); });
    if (!switched)
        GTEST_SKIP() << "no locale with a decimal comma can be installed or made here";
    ASSERT_TRUE(speedOf("22.40", kmh));
    EXPECT_FLOAT_EQ(kmh, 41.0f); // 41.48, not 22 x 1.852 = 40.7
    ASSERT_TRUE(speedOf("054.9", kmh));
    EXPECT_FLOAT_EQ(kmh, 101.0f); // 101.67
}

TEST(TelemetryLoader, GivesUpOnASourceThatNeverAnswers)
{
    ScriptedSource source;
    source.record(0, GSensorPayload(1, 2, 3));
    source.steps.push_back({ media::kStreamParseNotReady, 0, {} });
    source.record(1500, GSensorPayload(4, 5, 6)); // one failure between records is harmless
    source.endless = true;
    CGPSArray track;
    std::vector<GSensorSample> samples;
    const auto result = TelemetryLoader::Load(&source, 60000, track, samples, nullptr, 50);
    EXPECT_FALSE(result.reachedEnd);
    EXPECT_EQ(result.records, 2u);
    EXPECT_EQ(result.fruitlessCalls, 51u);
    EXPECT_EQ(source.calls, 2u + 1u + 50u);
    EXPECT_EQ(samples.size(), 2u);

    // A source that reports records too long for the buffer is given up the same way.
    ScriptedSource tooLong;
    tooLong.endless = true;
    tooLong.endlessResult = media::kStreamParseMoreData;
    EXPECT_EQ(TelemetryLoader::Load(&tooLong, 1000, track, samples, nullptr).fruitlessCalls,
        TelemetryLoader::kDefaultMaxFruitlessCalls);
}

// The duration is the one the recording is listed with; for the event that a power loss left
// unfinished it comes from the chunks, and its telemetry is found without the index.
TEST(TelemetryLoader, LoadsSampleRecordingsFinishedOrCutByPowerLoss)
{
    const auto &card = testsupport::SharedSampleCard();
    for (const auto &plan : card.plans) {
        if (plan.folder != QLatin1String("EVENT"))
            continue;
        SCOPED_TRACE(plan.RelativePath('F').toStdString());
        const QString path = testsupport::CardFile(plan, 'F');
        const int64_t durationMs
            = int64_t(media::ReadRecordingLength(QFile::encodeName(path).constData())) * 1000;
        EXPECT_EQ(durationMs, plan.durationMs);
        media::TelemetryReader reader;
        ASSERT_TRUE(reader.Open(path));
        CGPSArray track;
        std::vector<GSensorSample> samples;
        GaugeItems gauge;
        const auto result = TelemetryLoader::Load(&reader, durationMs, track, samples, &gauge);
        EXPECT_TRUE(result.reachedEnd);
        const int seconds = plan.durationMs / 1000;
        EXPECT_EQ(result.gsensorRecords, uint32_t(plan.durationMs / 100)); // 10 Hz
        EXPECT_EQ(samples.size(), size_t(seconds)); // one per whole second
        EXPECT_EQ(track.GetSize(), seconds); // 1 Hz, all with a fix
        for (int i = 1; i < track.GetSize(); ++i) {
            EXPECT_LT(track[i - 1].timeMs, track[i].timeMs);
            EXPECT_EQ(track[i].GetFixTime() - track[i - 1].GetFixTime(), 1);
        }
        EXPECT_EQ(gauge.updates.size(), size_t(seconds));
    }
}
