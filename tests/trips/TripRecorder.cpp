#include "TripRecorder.h"

#include "media/recorder/SampleRecordingWriter.h"

#include <QDir>

#include <gtest/gtest.h>

extern "C" {
#include <libavutil/log.h>
}

namespace tripstest {

namespace {
    constexpr uint64_t kSeed = 5;
}

media::recorder::SampleRecordingPlan ShortPlan(
    const char *folder, char kind, int64_t offsetS, int durationMs, double driveS)
{
    media::recorder::SampleRecordingPlan plan;
    plan.folder = QString::fromLatin1(folder);
    plan.kind = kind;
    plan.startUtcMs = kRecorderStartUtcMs + offsetS * 1000;
    plan.utcOffsetMinutes = 540;
    plan.durationMs = durationMs;
    plan.driveStartS = driveS;
    return plan;
}

const media::recorder::SampleDrive &SuiteDrive()
{
    static const media::recorder::SampleDrive drive(kSeed, 1800);
    return drive;
}

QString WriteRecording(const QString &root, const media::recorder::SampleRecordingPlan &plan, bool withRear)
{
    av_log_set_level(AV_LOG_ERROR);
    media::recorder::SampleRecordingWriter writer(
        plan, SuiteDrive(), kSeed, media::recorder::SampleVideoCodec::Automatic, 1);
    const QString front = QDir(root).filePath(plan.RelativePath('F'));
    if (!QDir().mkpath(QDir(root).filePath(plan.folder))) {
        ADD_FAILURE() << "cannot create " << qPrintable(plan.folder);
        return {};
    }
    if (!writer.Write(front, { 'F', 160, 96, true, true })) {
        ADD_FAILURE() << qPrintable(writer.ErrorString());
        return {};
    }
    if (withRear
        && !writer.Write(QDir(root).filePath(plan.RelativePath('R')), { 'R', 160, 96, false, false })) {
        ADD_FAILURE() << qPrintable(writer.ErrorString());
        return {};
    }
    return front;
}

} // namespace tripstest
