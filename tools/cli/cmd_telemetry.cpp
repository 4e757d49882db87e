#include "CliCommand.h"

#include "media/telemetry/TelemetryExport.h"
#include "media/telemetry/TelemetryReader.h"

#include <QFileInfo>

#include <cstdio>

namespace {

int RunTelemetry(const QStringList &args)
{
    using media::TelemetryExport;
    QString path;
    TelemetryExport::Format format = TelemetryExport::Format::Csv;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (arg == QLatin1String("--format") && i + 1 < args.size()) {
            const QString name = args[++i];
            if (name == QLatin1String("csv"))
                format = TelemetryExport::Format::Csv;
            else if (name == QLatin1String("gpx"))
                format = TelemetryExport::Format::Gpx;
            else if (name == QLatin1String("kml"))
                format = TelemetryExport::Format::Kml;
            else if (name == QLatin1String("nmea"))
                format = TelemetryExport::Format::Nmea;
            else {
                CliErr(QStringLiteral("telemetry: unknown format '%1'\n").arg(name));
                return 2;
            }
        } else if (!arg.startsWith(QLatin1String("--")) && path.isEmpty()) {
            path = arg;
        } else {
            CliErr(QStringLiteral("telemetry: bad argument '%1'\n").arg(arg));
            return 2;
        }
    }
    if (path.isEmpty()) {
        CliErr(QStringLiteral("usage: tavin-cli telemetry FILE [--format csv|gpx|kml|nmea]\n"));
        return 2;
    }

    media::TelemetryReader reader;
    if (!reader.Open(path)) {
        CliErr(QStringLiteral("telemetry: %1 is not a readable AVI recording\n").arg(path));
        return 1;
    }
    const auto entries = TelemetryExport::Collect(reader);
    const QByteArray out = TelemetryExport::Render(format, entries, QFileInfo(path).fileName());
    std::fwrite(out.constData(), 1, static_cast<size_t>(out.size()), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace

TAVIN_CLI_COMMAND(QStringLiteral("telemetry"),
    QStringLiteral("telemetry FILE [--format csv|gpx|kml|nmea]\n"
                   "    print a recording's GPS and G-sensor records"),
    false, RunTelemetry);
