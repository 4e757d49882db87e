#include "CliCommand.h"

#include "media/export/ClipExporter.h"
#include "media/export/TripSpan.h"

#include <QFileInfo>

#include <cmath>

extern "C" {
#include <libavutil/log.h>
}

namespace {

int RunExport(const QStringList &args)
{
    using media::ClipExporter;
    media::ClipExportOptions options;
    QStringList paths;
    QString rear = QStringLiteral("auto");
    QString start;
    QString end;
    bool seconds = false;
    bool force = false;
    bool layoutGiven = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        bool ok = true;
        if ((arg == QLatin1String("--from") || arg == QLatin1String("--to")) && i + 1 < args.size()) {
            const double value = args[++i].toDouble(&ok);
            ok = ok && value >= 0 && std::isfinite(value) && value < 1e6;
            (arg == QLatin1String("--from") ? options.fromMs : options.toMs) = std::llround(value * 1000);
            seconds = true;
        } else if (arg == QLatin1String("--start") && i + 1 < args.size()) {
            start = args[++i];
        } else if (arg == QLatin1String("--end") && i + 1 < args.size()) {
            end = args[++i];
        } else if (arg == QLatin1String("--rear") && i + 1 < args.size()) {
            rear = args[++i];
            ok = rear == QLatin1String("auto") || rear == QLatin1String("none");
        } else if (arg == QLatin1String("--no-overlay")) {
            options.caption = false;
        } else if (arg == QLatin1String("--no-audio")) {
            options.audio = false;
        } else if (arg == QLatin1String("--with-sources")) {
            options.withSources = true;
        } else if (arg == QLatin1String("--force")) {
            force = true;
        } else if (arg == QLatin1String("--copy")) {
            options.streamCopy = true;
        } else if (arg == QLatin1String("--layout") && i + 1 < args.size()) {
            const QString layout = args[++i];
            layoutGiven = true;
            ok = layout == QLatin1String("pip") || layout == QLatin1String("stacked");
            options.layout = layout == QLatin1String("stacked") ? media::ClipLayout::Stacked
                                                                : media::ClipLayout::PictureInPicture;
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
            CliErr(QStringLiteral("export: bad argument '%1'\n").arg(arg));
            return 2;
        }
    }
    if (paths.size() != 2) {
        CliErr(QStringLiteral(
            "usage: tavin-cli export FRONT_FILE OUT.mp4 [--from SECONDS] [--to SECONDS] [OPTIONS]\n"
            "       tavin-cli export DIR OUT.mp4 --start \"YYYY-MM-DD hh:mm:ss\" "
            "--end \"YYYY-MM-DD hh:mm:ss\" [OPTIONS]\n"
            "OPTIONS: [--rear auto|none] [--layout pip|stacked] [--no-overlay] [--no-audio] "
            "[--with-sources] [--unit kmh|mph] [--copy] [--force]\n"));
        return 2;
    }
    if (options.streamCopy && layoutGiven) {
        CliErr(QStringLiteral("export: --layout does not go with --copy, which keeps each camera a track of "
                              "its own\n"));
        return 2;
    }
    options.outputPath = paths[1];
    if (QFileInfo(paths[0]).isDir()) {
        // A moment of a drive, by the recorder's time, over as many one-minute recordings as it takes.
        if (seconds || start.isEmpty() || end.isEmpty()) {
            CliErr(QStringLiteral("export: a folder takes --start and --end (the recorder's time, "
                                  "\"YYYY-MM-DD hh:mm:ss\"), not --from and --to\n"));
            return 2;
        }
        QString error;
        if (!media::TripSpan::PiecesIn(paths[0], start, end, &options.pieces, &error)) {
            CliErr(QStringLiteral("export: %1\n").arg(error));
            return 1;
        }
        if (rear != QLatin1String("auto")) {
            for (media::ClipPiece &piece : options.pieces)
                piece.rearPath.clear();
        }
    } else {
        if (!start.isEmpty() || !end.isEmpty()) {
            CliErr(QStringLiteral("export: --start and --end take a folder or card, not a recording\n"));
            return 2;
        }
        if (options.toMs >= 0 && options.toMs <= options.fromMs) {
            CliErr(QStringLiteral("export: --to must lie after --from\n"));
            return 2;
        }
        options.frontPath = paths[0];
        if (rear == QLatin1String("auto"))
            options.rearPath = ClipExporter::RearFileFor(options.frontPath);
    }
    QString refused;
    if (!ClipExporter::CheckOutputs(options, &refused)) {
        CliErr(QStringLiteral("export: %1\n").arg(refused));
        return 1;
    }
    if (!force) {
        // What an export cut off earlier left is no one's finished file; the export takes it away.
        const QStringList leftovers = ClipExporter::Leftovers(options);
        QStringList existing;
        for (const QString &file : ClipExporter::OutputFiles(options)) {
            if (QFileInfo::exists(file) && !leftovers.contains(file))
                existing << file;
        }
        if (!existing.isEmpty()) {
            CliErr(QStringLiteral("export: these files exist already (give --force to replace them): %1\n")
                       .arg(existing.join(QStringLiteral(", "))));
            return 1;
        }
    }
    av_log_set_level(AV_LOG_ERROR);

    int shown = -1;
    const auto progress = [&shown](int64_t doneMs, int64_t totalMs) {
        const int percent = totalMs > 0 ? int(doneMs * 100 / totalMs) : 0;
        if (percent == shown)
            return;
        shown = percent;
        CliErr(QStringLiteral("\rexport: %1 % (%2 s of %3 s)")
                   .arg(percent, 3)
                   .arg(doneMs / 1000.0, 0, 'f', 1)
                   .arg(totalMs / 1000.0, 0, 'f', 1));
    };
    ClipExporter exporter;
    const ClipExporter::Outcome outcome = exporter.Run(options, nullptr, progress);
    if (outcome == ClipExporter::Outcome::Done)
        CliErr(QStringLiteral("\rexport: 100 %\n"));
    else if (shown >= 0)
        CliErr(QStringLiteral("\n"));
    if (outcome != ClipExporter::Outcome::Done) {
        CliErr(QStringLiteral("export: %1\n").arg(exporter.ErrorString()));
        return 1;
    }
    for (const QString &note : exporter.Notes())
        CliErr(QStringLiteral("export: note: %1\n").arg(note));
    QStringList parts;
    for (const media::ClipPiece &piece : exporter.WrittenPieces()) {
        parts << QStringLiteral("%1 %2-%3 s%4%5")
                     .arg(QFileInfo(piece.frontPath).fileName())
                     .arg(piece.fromMs / 1000.0, 0, 'f', 3)
                     .arg(piece.toMs / 1000.0, 0, 'f', 3)
                     .arg(piece.rearPath.isEmpty()
                             ? QString()
                             : QStringLiteral(", rear ") + QFileInfo(piece.rearPath).fileName())
                     .arg(piece.gapBeforeMs > 0 ? QStringLiteral(" (after a gap of %1 s)")
                                                      .arg(piece.gapBeforeMs / 1000.0, 0, 'f', 1)
                                                : QString());
    }
    CliOut(QStringLiteral("%1: %2 frames, %3 s\n  %4\n%5\n%6\n%7\n")
               .arg(options.outputPath)
               .arg(exporter.Frames())
               .arg(exporter.WrittenMs() / 1000.0, 0, 'f', 3)
               .arg(parts.join(QStringLiteral("\n  ")))
               .arg(exporter.GpxPath(), exporter.ProvenancePath(), exporter.SumsPath()));
    return 0;
}

} // namespace

TAVIN_CLI_COMMAND(QStringLiteral("export"),
    QStringLiteral(
        "export FRONT_FILE OUT.mp4 [--from SECONDS] [--to SECONDS] [--rear auto|none]\n"
        "    [--layout pip|stacked] [--no-overlay] [--no-audio] [--with-sources] [--unit kmh|mph] [--copy]\n"
        "    [--force]\n"
        "export DIR OUT.mp4 --start \"YYYY-MM-DD hh:mm:ss\" --end \"YYYY-MM-DD hh:mm:ss\" [same options]\n"
        "    write an evidence clip (H.264/AAC MP4 with the rear camera over or below the front and\n"
        "    the recorder's time, speed and position in a band below), its GPX track, a provenance\n"
        "    text and SHA256SUMS; --with-sources copies the recordings, verified, into sources/.\n"
        "    --copy keeps the recorder's own pictures, not re-encoded: front and rear as two video\n"
        "    tracks, the caption as a subtitle track, the start moved back to a key frame.\n"
        "    With a card or folder, the span in the recorder's time runs over as many recordings of\n"
        "    one drive as it takes, played end to end (gaps where nothing was recorded stepped over).\n"
        "    Refuses to write into the card or over existing files (unless --force)"),
    true, RunExport);
