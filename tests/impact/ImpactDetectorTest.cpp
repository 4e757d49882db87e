#include "media/telemetry/ImpactDetector.h"
#include "media/telemetry/TelemetryReader.h"
#include "support/Process.h"
#include "support/SampleCards.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using media::Impact;
using media::ImpactDetector;

namespace {

std::vector<Impact> ImpactsOf(const QString &path)
{
    media::TelemetryReader reader;
    EXPECT_TRUE(reader.Open(path)) << path.toStdString();
    return ImpactDetector::Detect(ImpactDetector::CollectSamples(reader));
}

// A recording of the sample recorder; an impact of the given strength at impactMs when >= 0.
QString Record(const QTemporaryDir &dir, const QString &name, int seconds, uint64_t seed, int impactMs = -1,
    double strength = 0)
{
    const QString path = dir.filePath(name);
    QStringList args { QStringLiteral("sample-recording"), path, QStringLiteral("--seconds"),
        QString::number(seconds), QStringLiteral("--size"), QStringLiteral("64x36"), QStringLiteral("--seed"),
        QString::number(seed) };
    if (impactMs >= 0)
        args << QStringLiteral("--impact-ms") << QString::number(impactMs)
             << QStringLiteral("--impact-strength") << QString::number(strength);
    const auto run = testsupport::RunCli(args);
    EXPECT_TRUE(run.Ok()) << run.err.toStdString();
    return path;
}

} // namespace

// Every event recording of the sample card gives its jolt as one impact at the reading that
// follows it; recordings without a jolt, and the parking motion's slight one, give none.
TEST(ImpactDetector, FindsTheSampleCardsJoltsAndNothingElse)
{
    const testsupport::SampleCard &card = testsupport::SharedSampleCard();
    int withImpact = 0;
    for (const auto &plan : card.plans) {
        const std::vector<Impact> impacts = ImpactsOf(testsupport::CardFile(plan, 'F'));
        SCOPED_TRACE(plan.FileName('F').toStdString());
        if (plan.impactMs < 0 || plan.impactStrength < 10) {
            EXPECT_TRUE(impacts.empty()) << impacts.front().timeMs << " " << impacts.front().strength;
            continue;
        }
        ++withImpact;
        ASSERT_EQ(impacts.size(), 1u);
        // The sensor reads every 100 ms; the peak is the first reading at or after the jolt.
        EXPECT_GE(int(impacts[0].timeMs), plan.impactMs);
        EXPECT_LT(int(impacts[0].timeMs), plan.impactMs + 100);
        EXPECT_GT(impacts[0].strength, plan.impactStrength * 0.9);
    }
    EXPECT_EQ(withImpact, 4); // saved, driving event, crash, parking knock
}

// Longer drives: a weak knock while driving is found at its second, the same drive without it
// gives nothing, and the command line prints the same as text and JSON.
TEST(ImpactDetector, WeakKnockWhileDrivingAndTheCommandLine)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (uint64_t seed : { 3u, 11u }) {
        SCOPED_TRACE(seed);
        const QString seeded = QString::number(seed);
        EXPECT_TRUE(ImpactsOf(Record(dir, QStringLiteral("calm%1.avi").arg(seeded), 120, seed)).empty());
        const std::vector<Impact> knock
            = ImpactsOf(Record(dir, QStringLiteral("knock%1.avi").arg(seeded), 120, seed, 73450, 25));
        ASSERT_EQ(knock.size(), 1u);
        EXPECT_EQ(knock[0].timeMs / 1000, 73u);
    }

    const QString event = Record(dir, QStringLiteral("event.avi"), 30, 5, 17420, 45);
    const auto text = testsupport::RunCli({ QStringLiteral("events"), event });
    ASSERT_TRUE(text.Ok()) << text.err.toStdString();
    EXPECT_TRUE(text.out.contains(", 1 impact\n")) << text.out.toStdString();
    EXPECT_TRUE(text.out.contains("00:17.")) << text.out.toStdString();

    const auto json = testsupport::RunCli({ QStringLiteral("events"), event, QStringLiteral("--json") });
    ASSERT_TRUE(json.Ok());
    const QJsonObject root = QJsonDocument::fromJson(json.out).object();
    EXPECT_EQ(root[QStringLiteral("samples")].toInt(), 300);
    const QJsonArray impacts = root[QStringLiteral("impacts")].toArray();
    ASSERT_EQ(impacts.size(), 1);
    EXPECT_EQ(impacts[0][QStringLiteral("time_ms")].toInt() / 1000, 17);
    EXPECT_GT(impacts[0][QStringLiteral("strength")].toDouble(), 40);

    EXPECT_EQ(testsupport::RunCli({ QStringLiteral("events"), dir.filePath(QStringLiteral("missing.avi")) })
                  .exitCode,
        1);
    EXPECT_EQ(testsupport::RunCli({ QStringLiteral("events") }).exitCode, 2);
}

// Readings above the threshold less than a second apart are one impact, at the strongest; a
// second apart they are two; readings out of order change nothing; next and previous walk them.
TEST(ImpactDetector, MergesWithinASecondAndWalksThem)
{
    std::vector<media::GSensorSample> samples;
    for (uint32_t t = 0; t < 20000; t += 100)
        samples.push_back({ 50, 60, 70, t });
    const auto hit = [&](uint32_t t, uint32_t dx) { samples[t / 100].x = 50 + dx; };
    hit(5000, 30);
    hit(5400, 60); // strongest of the first impact
    hit(5900, 30); // 500 ms after the last reading above: still the same impact
    hit(6900, 40); // a whole second later: a new one
    hit(15000, 20); // below the threshold
    std::reverse(samples.begin(), samples.end());
    const std::vector<Impact> impacts = ImpactDetector::Detect(samples);
    ASSERT_EQ(impacts.size(), 2u);
    EXPECT_EQ(impacts[0], (Impact { 5400, 60 }));
    EXPECT_EQ(impacts[1], (Impact { 6900, 40 }));
    EXPECT_TRUE(ImpactDetector::Detect({}).empty());

    EXPECT_EQ(ImpactDetector::Next(impacts, 0), 0u);
    EXPECT_EQ(ImpactDetector::Next(impacts, ImpactDetector::JumpTarget(impacts[0])), 1u);
    EXPECT_EQ(ImpactDetector::Next(impacts, ImpactDetector::JumpTarget(impacts[1])), std::nullopt);
    EXPECT_EQ(ImpactDetector::Previous(impacts, 19000), 1u);
    EXPECT_EQ(ImpactDetector::Previous(impacts, ImpactDetector::JumpTarget(impacts[1])), 0u);
    EXPECT_EQ(ImpactDetector::Previous(impacts, ImpactDetector::JumpTarget(impacts[0])), std::nullopt);
    EXPECT_EQ(ImpactDetector::Previous(impacts, 0), std::nullopt);
}
