#include "CliCommand.h"
#include "media/recorder/SampleCardSetup.h"

#include "media/recorder/SampleCardGenerator.h"

#include <QDir>
#include <QFileInfo>

extern "C" {
#include <libavutil/log.h>
}

namespace {

int RunSampleCard(const QStringList &args)
{
    using namespace media::recorder;
    SampleCardOptions options;
    bool quiet = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        bool ok = true;
        if (arg == QLatin1String("--seed") && i + 1 < args.size()) {
            options.seed = args[++i].toULongLong(&ok);
        } else if (arg == QLatin1String("--minutes") && i + 1 < args.size()) {
            options.minutes = args[++i].toDouble(&ok);
            ok = ok && options.minutes > 0 && options.minutes <= 60;
        } else if (arg == QLatin1String("--codec") && i + 1 < args.size()) {
            const QString codec = args[++i];
            if (codec == QLatin1String("h264"))
                options.codec = SampleVideoCodec::H264;
            else if (codec == QLatin1String("mpeg4"))
                options.codec = SampleVideoCodec::Mpeg4;
            else
                ok = false;
        } else if (arg == QLatin1String("--quiet")) {
            quiet = true;
        } else if (!arg.startsWith(QLatin1String("--")) && options.directory.isEmpty()) {
            options.directory = arg;
        } else {
            ok = false;
        }
        if (!ok) {
            CliErr(QStringLiteral("sample-card: bad argument '%1'\n").arg(arg));
            return 2;
        }
    }
    if (options.directory.isEmpty()) {
        CliErr(QStringLiteral(
            "usage: tavin-cli sample-card DIR [--seed N] [--minutes M] [--codec h264|mpeg4]\n"));
        return 2;
    }
    // Only into a new or empty folder: a real card's settings and recordings are never replaced.
    if (!QDir(options.directory)
             .isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)
        || (QFileInfo::exists(options.directory) && !QFileInfo(options.directory).isDir())) {
        CliErr(QStringLiteral("sample-card: %1 is not a new or empty folder; nothing was written\n")
                   .arg(QDir::toNativeSeparators(options.directory)));
        return 1;
    }
    const uint64_t seed = options.seed;
    options.writeSetup
        = [seed](const QString &path, QString *error) { return WriteSampleSetupXml(path, seed, error); };
    if (!quiet)
        options.progress = [](const QString &file) { CliOut(file + QLatin1Char('\n')); };

    // The encoders report statistics per file; only their errors matter here.
    av_log_set_level(AV_LOG_ERROR);
    SampleCardGenerator generator(options);
    if (!generator.Generate()) {
        CliErr(QStringLiteral("sample-card: %1\n").arg(generator.ErrorString()));
        return 1;
    }
    if (!quiet)
        CliOut(QStringLiteral("%1 files written to %2\n")
                   .arg(generator.WrittenFiles().size())
                   .arg(QDir::toNativeSeparators(options.directory)));
    return 0;
}

} // namespace

TAVIN_CLI_COMMAND(QStringLiteral("sample-card"),
    QStringLiteral(
        "sample-card DIR [--seed N] [--minutes M] [--codec h264|mpeg4] [--quiet]\n"
        "    write a recorder's memory card of a day: two drives and a parking session, recordings of\n"
        "    every kind, each M minutes long"),
    false, RunSampleCard);
