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
    // Parking recordings come this long after the last drive ended.
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
    const int64_t firstStartUtcMs = localStartMs - int64_t(kKoreaUtcOffsetMinutes) * 60000;

    std::vector<SampleRecordingPlan> plans;
    plans.reserve(11); // add() hands out references into it
    // The recorder starts each segment as the one before ends. Names carry whole seconds, so each
    // segment starts on a second of its own.
    const int segmentMs = static_cast<int>(std::ceil(duration / 1000.0)) * 1000;
    int64_t utcMs = firstStartUtcMs;
    // Where the car is in the simulated drive: it moves on with the clock, so that the position and
    // speed of one segment continue in the next, and across the recorder's restart too.
    double driveS = 0;
    const auto add = [&](const char *folder, char kind) -> SampleRecordingPlan & {
        SampleRecordingPlan p;
        p.folder = QString::fromLatin1(folder);
        p.kind = kind;
        p.startUtcMs = utcMs;
        p.utcOffsetMinutes = kKoreaUtcOffsetMinutes;
        p.durationMs = duration;
        p.driveStartS = driveS;
        plans.push_back(p);
        utcMs += segmentMs;
        driveS += segmentMs / 1000.0;
        return plans.back();
    };
    const auto impactTime = [&]() { return duration * 2 / 5 + random.Between(-200, 200); };
    const auto withImpact = [&](SampleRecordingPlan &p, double low, double high) {
        p.impactMs = impactTime();
        p.impactStrength = random.Uniform(low, high);
    };

    // The morning drive. A jolt right after setting off, whose event the driver kept in the
    // protected folder; continuous segments; a driving event; the recorder restarting at a stop
    // (a few seconds without a file, short enough for the viewer to keep one drive); a manual
    // recording.
    withImpact(add("SAVE", 'S'), 35, 50);
    add("NORMAL", 'N');
    add("NORMAL", 'N');
    withImpact(add("EVENT", 'S'), 35, 50);
    const int restartMs = random.Between(2, 3) * 1000;
    utcMs += restartMs;
    driveS += restartMs / 1000.0;
    add("NORMAL", 'N');
    add("MANUAL", 'U');

    // Around noon, after a stop of three to four hours, a second drive: continuous segments, the
    // last after the rear camera's cable came loose, and a crash that cut the recorder's power
    // while it was writing the event.
    utcMs += (3 * 3600 + random.Between(0, 3599)) * int64_t(1000);
    driveS += 30;
    add("NORMAL", 'N');
    add("NORMAL", 'N').hasRear = false;
    SampleRecordingPlan &crash = add("EVENT", 'S');
    withImpact(crash, 50, 60);
    crash.cutByPowerLoss = true;

    // Parked: a knock on the car, later a passer-by in front of it while the receiver, woken by
    // the motion, has no fix yet.
    utcMs += kParkingDelayMs;
    SampleRecordingPlan &knock = add("PARKING", 'P');
    knock.parked = true;
    withImpact(knock, 25, 40);
    utcMs += 13 * 60 * 1000 + random.Between(0, 59) * 1000;
    SampleRecordingPlan &motion = add("PARKING", 'M');
    motion.parked = true;
    motion.gpsFix = false;
    withImpact(motion, 4, 8);
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
