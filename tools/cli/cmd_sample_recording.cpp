#include "CliCommand.h"

#include "media/recorder/PowerLossCut.h"
#include "media/recorder/SampleDrive.h"
#include "media/recorder/SampleRecordingPlan.h"
#include "media/recorder/SampleRecordingWriter.h"

#include <QDir>
#include <QFileInfo>

#include <cmath>

extern "C" {
#include <libavutil/log.h>
}

namespace {

// One small recording, for seed corpora and quick experiments where a whole card is too much.
int RunSampleRecording(const QStringList &args)
{
    using namespace media::recorder;
    SampleRecordingPlan plan;
    plan.folder = QStringLiteral("EVENT");
    plan.kind = 'S';
    plan.startUtcMs = 1'709'802'330'000; // 2024-03-07 09:05:30 UTC
    SampleRecordingWriter::Channel channel { 'F', 320, 180, true, true };
    uint64_t seed = 1;
    bool cut = false;
    QString output;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        bool ok = true;
        if (arg == QLatin1String("--seconds") && i + 1 < args.size()) {
            const double seconds = args[++i].toDouble(&ok);
            ok = ok && seconds > 0 && seconds <= 600;
            plan.durationMs = int(std::lround(seconds * 1000));
        } else if (arg == QLatin1String("--size") && i + 1 < args.size()) {
            const QStringList wh = args[++i].split(QLatin1Char('x'));
            bool okHeight = false;
            ok = wh.size() == 2;
            if (ok) {
                channel.width = wh[0].toInt(&ok);
                channel.height = wh[1].toInt(&okHeight);
            }
            ok = ok && okHeight && channel.width >= 16 && channel.height >= 16 && channel.width % 2 == 0
                && channel.height % 2 == 0 && channel.width <= 3840 && channel.height <= 2160;
        } else if (arg == QLatin1String("--rear")) {
            channel = { 'R', channel.width, channel.height, false, false };
        } else if (arg == QLatin1String("--impact-ms") && i + 1 < args.size()) {
            plan.impactMs = args[++i].toInt(&ok);
            if (plan.impactStrength <= 0)
                plan.impactStrength = 45;
            ok = ok && plan.impactMs >= 0;
        } else if (arg == QLatin1String("--impact-strength") && i + 1 < args.size()) {
            // Peak deflection of the jolt in sensor counts; a weak knock is about 25.
            plan.impactStrength = args[++i].toDouble(&ok);
            ok = ok && plan.impactStrength > 0 && plan.impactStrength <= 255;
        } else if (arg == QLatin1String("--no-fix")) {
            plan.gpsFix = false;
        } else if (arg == QLatin1String("--cut")) {
            cut = true;
        } else if (arg == QLatin1String("--seed") && i + 1 < args.size()) {
            seed = args[++i].toULongLong(&ok);
        } else if (!arg.startsWith(QLatin1String("--")) && output.isEmpty()) {
            output = arg;
        } else {
            ok = false;
        }
        if (!ok) {
            CliErr(QStringLiteral("sample-recording: bad argument '%1'\n").arg(arg));
            return 2;
        }
    }
    if (output.isEmpty()) {
        CliErr(QStringLiteral("usage: tavin-cli sample-recording OUT [--seconds S] [--size WxH] [--rear] "
                              "[--impact-ms T] [--impact-strength S] [--no-fix] [--cut] [--seed N]\n"));
        return 2;
    }
    // A test recording never takes the place of a file that is there: it may be a real one.
    if (QFileInfo::exists(output)) {
        CliErr(QStringLiteral("sample-recording: %1 exists; nothing was written\n")
                   .arg(QDir::toNativeSeparators(output)));
        return 1;
    }
    if (plan.impactMs >= plan.durationMs)
        plan.impactMs = -1;
    av_log_set_level(AV_LOG_ERROR);
    const SampleDrive drive(seed * 7919 + 17, int(std::ceil(plan.durationMs / 1000.0)) + 1);
    SampleRecordingWriter writer(plan, drive, seed, SampleVideoCodec::Automatic, 1);
    if (!writer.Write(output, channel)) {
        CliErr(QStringLiteral("sample-recording: %1\n").arg(writer.ErrorString()));
        return 1;
    }
    QString error;
    if (cut && !CutLikePowerLoss(output, PowerLossCutOptions { true }, &error)) {
        CliErr(QStringLiteral("sample-recording: %1\n").arg(error));
        return 1;
    }
    return 0;
}

} // namespace

TAVIN_CLI_COMMAND(QStringLiteral("sample-recording"),
    QStringLiteral(
        "sample-recording OUT [--seconds S] [--size WxH] [--rear] [--impact-ms T] [--impact-strength S]\n"
        "    [--no-fix] [--cut] [--seed N]   write one small recording (default 3 s of 320x180 front "
        "camera)"),
    false, RunSampleRecording);
