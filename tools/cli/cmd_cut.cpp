// tavin-cli cut: leaves a recording as a power loss leaves the file being written.

#include "CliCommand.h"

#include "media/recorder/PowerLossCut.h"

#include <QFile>

namespace {

const QString kUsage = QStringLiteral("usage: tavin-cli cut FILE [--output OUT] [--halve-last-chunk]\n");

int RunCut(const QStringList &args)
{
    media::recorder::PowerLossCutOptions options;
    QString path;
    QString output;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (arg == QLatin1String("--halve-last-chunk")) {
            options.halveLastChunk = true;
        } else if (arg == QLatin1String("--output") && i + 1 < args.size()) {
            output = args[++i];
        } else if (!arg.startsWith(QLatin1String("--")) && path.isEmpty()) {
            path = arg;
        } else {
            CliErr(QStringLiteral("cut: bad argument '%1'\n").arg(arg));
            return 2;
        }
    }
    if (path.isEmpty()) {
        CliErr(kUsage);
        return 2;
    }
    if (!output.isEmpty()) {
        // The copy is cut; the recording itself stays as it is.
        if (QFile::exists(output) && !QFile::remove(output)) {
            CliErr(QStringLiteral("cut: cannot replace %1\n").arg(output));
            return 1;
        }
        if (!QFile::copy(path, output)) {
            CliErr(QStringLiteral("cut: cannot copy %1 to %2\n").arg(path, output));
            return 1;
        }
        path = output;
    }
    QString error;
    if (!media::recorder::CutLikePowerLoss(path, options, &error)) {
        CliErr(QStringLiteral("cut: %1\n").arg(error));
        return 1;
    }
    return 0;
}

} // namespace

TAVIN_CLI_COMMAND(QStringLiteral("cut"),
    QStringLiteral("cut FILE [--output OUT] [--halve-last-chunk]\n"
                   "    leave a recording as a power loss does: no index, sizes and frame counts 0\n"
                   "    (in place, or in a copy OUT); optionally cut its last chunk in half"),
    false, RunCut);
