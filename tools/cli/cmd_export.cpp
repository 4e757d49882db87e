#include "CliCommand.h"

#include "media/export/ClipExporter.h"

#include <QFileInfo>

#include <cmath>

extern "C" {
#include <libavutil/log.h>
}

namespace {

int runExport(const QStringList &args)
{
    using media::ClipExporter;
    media::ClipExportOptions options;
    QStringList paths;
    QString rear = QStringLiteral("auto");
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        bool ok = true;
        if ((arg == QLatin1String("--from") || arg == QLatin1String("--to")) && i + 1 < args.size()) {
            const double seconds = args[++i].toDouble(&ok);
            ok = ok && seconds >= 0 && std::isfinite(seconds) && seconds < 1e6;
            (arg == QLatin1String("--from") ? options.fromMs : options.toMs) = std::llround(seconds * 1000);
        } else if (arg == QLatin1String("--rear") && i + 1 < args.size()) {
            rear = args[++i];
            ok = rear == QLatin1String("auto") || rear == QLatin1String("none");
        } else if (arg == QLatin1String("--no-overlay")) {
            options.caption = false;
        } else if (arg == QLatin1String("--unit") && i + 1 < args.size()) {
            const QString unit = args[++i];
            ok = unit == QLatin1String("kmh") || unit == QLatin1String("mph");
            options.speedUnit
                = unit == QLatin1String("mph") ? media::ExportSpeedUnit::Mph : media::ExportSpeedUnit::Kmh;
        } else if (!arg.startsWith(QLatin1String("--")) && paths.size() < 2) {
            paths << arg;
        } else {
            ok = false;
        }
        if (!ok) {
            cliErr(QStringLiteral("export: bad argument '%1'\n").arg(arg));
            return 2;
        }
    }
    if (paths.size() != 2) {
        cliErr(QStringLiteral("usage: tavin-cli export FRONT_FILE OUT.mp4 [--from SECONDS] [--to SECONDS] "
                              "[--rear auto|none] [--no-overlay] [--unit kmh|mph]\n"));
        return 2;
    }
    if (options.toMs >= 0 && options.toMs <= options.fromMs) {
        cliErr(QStringLiteral("export: --to must lie after --from\n"));
        return 2;
    }
    options.frontPath = paths[0];
    options.outputPath = paths[1];
    if (rear == QLatin1String("auto"))
        options.rearPath = ClipExporter::rearFileFor(options.frontPath);
    av_log_set_level(AV_LOG_ERROR);

    int shown = -1;
    const auto progress = [&shown](int64_t doneMs, int64_t totalMs) {
        const int percent = totalMs > 0 ? int(doneMs * 100 / totalMs) : 0;
        if (percent == shown)
            return;
        shown = percent;
        cliErr(QStringLiteral("\rexport: %1 % (%2 s of %3 s)")
                   .arg(percent, 3)
                   .arg(doneMs / 1000.0, 0, 'f', 1)
                   .arg(totalMs / 1000.0, 0, 'f', 1));
    };
    ClipExporter exporter;
    const ClipExporter::Outcome outcome = exporter.run(options, nullptr, progress);
    if (outcome == ClipExporter::Outcome::Done)
        cliErr(QStringLiteral("\rexport: 100 %\n"));
    else if (shown >= 0)
        cliErr(QStringLiteral("\n"));
    if (outcome != ClipExporter::Outcome::Done) {
        cliErr(QStringLiteral("export: %1\n").arg(exporter.errorString()));
        return 1;
    }
    cliOut(QStringLiteral("%1: %2 frames, %3 s%4\n%5\n%6\n")
               .arg(options.outputPath)
               .arg(exporter.frames())
               .arg(exporter.writtenMs() / 1000.0, 0, 'f', 3)
               .arg(options.rearPath.isEmpty()
                       ? QString()
                       : QStringLiteral(", rear ") + QFileInfo(options.rearPath).fileName())
               .arg(exporter.gpxPath(), exporter.sumsPath()));
    return 0;
}

} // namespace

TAVIN_CLI_COMMAND(QStringLiteral("export"),
    QStringLiteral(
        "export FRONT_FILE OUT.mp4 [--from SECONDS] [--to SECONDS] [--rear auto|none] [--no-overlay]\n"
        "    [--unit kmh|mph]   write an evidence clip (H.264/AAC MP4 with the rear camera and\n"
        "    the time, speed and position burnt in), its GPX track and SHA256SUMS"),
    true, runExport);
