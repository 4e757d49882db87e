#include "media/recorder/SampleCardGenerator.h"

#include "media/recorder/PowerLossCut.h"
#include "media/recorder/SampleDrive.h"
#include "media/recorder/SampleRandom.h"
#include "media/recorder/SampleRecordingWriter.h"

#include <QDateTime>
#include <QDir>
#include <QTimeZone>

#include <algorithm>
#include <cmath>

namespace media::recorder {

const char *const SampleCardGenerator::kSetupFileName = "setup.xml";

namespace {

    constexpr int kKoreaUtcOffsetMinutes = 9 * 60;
    // Parking recordings come this long after the drive ended.
    constexpr int64_t kParkingDelayMs = 25 * 60 * 1000;

} // namespace

SampleCardGenerator::SampleCardGenerator(SampleCardOptions options)
    : m_options(std::move(options))
{
}

std::vector<SampleRecordingPlan> SampleCardGenerator::Plan() const
{
    SampleRandom random(m_options.seed);
    const int duration = m_options.minutes > 0 ? static_cast<int>(std::lround(m_options.minutes * 60000.0))
                                               : kDefaultDurationMs;
    // A morning drive on 7 March 2024, starting between 08:50 and 09:00 local time.
    const int64_t localStartMs
        = QDateTime(QDate(2024, 3, 7), QTime(8, 50, 0), QTimeZone::utc()).toMSecsSinceEpoch()
        + int64_t(random.Between(0, 599)) * 1000;
    const int64_t driveStartUtcMs = localStartMs - int64_t(kKoreaUtcOffsetMinutes) * 60000;

    std::vector<SampleRecordingPlan> plans;
    plans.reserve(9); // add() hands out references into it
    const auto add
        = [&](const char *folder, char kind, int64_t utcMs, double driveS) -> SampleRecordingPlan & {
        SampleRecordingPlan p;
        p.folder = QString::fromLatin1(folder);
        p.kind = kind;
        p.startUtcMs = utcMs;
        p.utcOffsetMinutes = kKoreaUtcOffsetMinutes;
        p.durationMs = duration;
        p.driveStartS = driveS;
        plans.push_back(p);
        return plans.back();
    };
    const auto impactTime = [&]() { return duration * 2 / 5 + random.Between(-200, 200); };

    // An event early in the drive that the driver kept in the protected folder.
    SampleRecordingPlan &saved = add("SAVE", 'S', driveStartUtcMs, 0);
    saved.impactMs = impactTime();
    saved.impactStrength = random.Uniform(35, 50);

    // Then the recorder's back-to-back segments: continuous, a driving event, a manual recording,
    // and a last continuous one after the rear camera's cable came loose.
    // Names carry whole seconds, so each segment starts on a second of its own.
    const double segmentS = std::max(1.0, std::ceil(duration / 1000.0));
    double driveS = std::max(120.0, segmentS);
    const auto nextUtc
        = [&]() { return driveStartUtcMs + static_cast<int64_t>(std::lround(driveS * 1000.0)); };
    add("NORMAL", 'N', nextUtc(), driveS);
    driveS += segmentS;
    add("NORMAL", 'N', nextUtc(), driveS);
    driveS += segmentS;
    SampleRecordingPlan &event = add("EVENT", 'S', nextUtc(), driveS);
    event.impactMs = impactTime();
    event.impactStrength = random.Uniform(35, 50);
    driveS += segmentS;
    add("MANUAL", 'U', nextUtc(), driveS);
    driveS += segmentS;
    add("NORMAL", 'N', nextUtc(), driveS).hasRear = false;
    driveS += segmentS;
    // A crash that cut the recorder's power while it was writing the event.
    SampleRecordingPlan &crash = add("EVENT", 'S', nextUtc(), driveS);
    crash.impactMs = impactTime();
    crash.impactStrength = random.Uniform(50, 60);
    crash.cutByPowerLoss = true;
    driveS += segmentS;

    // Parked: a knock on the car, later a passer-by in front of it while the receiver, woken by
    // the motion, has no fix yet.
    const int64_t parkedUtc = nextUtc() + kParkingDelayMs;
    SampleRecordingPlan &knock = add("PARKING", 'P', parkedUtc, driveS);
    knock.parked = true;
    knock.impactMs = impactTime();
    knock.impactStrength = random.Uniform(25, 40);
    SampleRecordingPlan &motion
        = add("PARKING", 'M', parkedUtc + 13 * 60 * 1000 + random.Between(0, 59) * 1000, driveS);
    motion.parked = true;
    motion.gpsFix = false;
    motion.impactMs = impactTime();
    motion.impactStrength = random.Uniform(4, 8);
    return plans;
}

bool SampleCardGenerator::Generate()
{
    m_written.clear();
    m_error.clear();
    QDir root(m_options.directory);
    if (m_options.directory.isEmpty() || !root.mkpath(QStringLiteral("."))) {
        m_error = QStringLiteral("cannot create the card folder %1").arg(m_options.directory);
        return false;
    }

    const std::vector<SampleRecordingPlan> plans = Plan();
    if (m_options.writeSetup) {
        if (m_options.progress)
            m_options.progress(QString::fromLatin1(kSetupFileName));
        QString error;
        if (!m_options.writeSetup(root.filePath(QString::fromLatin1(kSetupFileName)), &error)) {
            m_error = QStringLiteral("cannot write %1: %2").arg(QString::fromLatin1(kSetupFileName), error);
            return false;
        }
        m_written << QString::fromLatin1(kSetupFileName);
    }

    for (size_t i = 0; i < plans.size(); ++i) {
        const SampleRecordingPlan &p = plans[i];
        if (!root.mkpath(p.folder)) {
            m_error = QStringLiteral("cannot create the folder %1").arg(root.filePath(p.folder));
            return false;
        }
        for (const char channel : { 'F', 'R' }) {
            if (channel == 'R' && !p.hasRear)
                continue;
            const QString relative = p.RelativePath(channel);
            if (m_options.progress)
                m_options.progress(relative);
            if (!WriteFile(plans, i, channel, root.filePath(relative)))
                return false;
            m_written << relative;
        }
    }
    return true;
}

bool SampleCardGenerator::GenerateFile(size_t planIndex, char channel, const QString &path)
{
    m_error.clear();
    const std::vector<SampleRecordingPlan> plans = Plan();
    if (planIndex >= plans.size() || (channel != 'F' && channel != 'R')
        || (channel == 'R' && !plans[planIndex].hasRear)) {
        m_error = QStringLiteral("the card has no such file");
        return false;
    }
    return WriteFile(plans, planIndex, channel, path);
}

bool SampleCardGenerator::WriteFile(
    const std::vector<SampleRecordingPlan> &plans, size_t index, char channel, const QString &path)
{
    // One drive covers every recording, so that back-to-back segments join up.
    double driveEndS = 1;
    for (const SampleRecordingPlan &p : plans)
        driveEndS = std::max(driveEndS, p.driveStartS + p.durationMs / 1000.0 + 1);
    const SampleDrive drive(m_options.seed * 7919 + 17, static_cast<int>(std::ceil(driveEndS)));

    const SampleRecordingPlan &p = plans[index];
    SampleRecordingWriter writer(
        p, drive, m_options.seed * 1000003 + index, m_options.codec, m_options.threads);
    const SampleRecordingWriter::Channel front { 'F', kFrontWidth, kFrontHeight, true, true };
    const SampleRecordingWriter::Channel rear { 'R', kRearWidth, kRearHeight, false, false };
    if (!writer.Write(path, channel == 'F' ? front : rear)) {
        m_error = QStringLiteral("cannot write %1: %2").arg(p.RelativePath(channel), writer.ErrorString());
        return false;
    }
    QString cutError;
    if (p.cutByPowerLoss && !CutLikePowerLoss(path, PowerLossCutOptions { true }, &cutError)) {
        m_error = QStringLiteral("cannot cut %1: %2").arg(p.RelativePath(channel), cutError);
        return false;
    }
    return true;
}

} // namespace media::recorder
