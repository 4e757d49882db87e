#include "CliCommand.h"

#include "media/telemetry/ImpactDetector.h"
#include "media/telemetry/TelemetryReader.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace {

QString ClockText(uint32_t ms)
{
    const uint32_t seconds = ms / 1000;
    return QStringLiteral("%1:%2.%3")
        .arg(seconds / 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'))
        .arg(ms % 1000 / 100);
}

int RunEvents(const QStringList &args)
{
    QString path;
    bool json = false;
    for (const QString &arg : args) {
        if (arg == QLatin1String("--json")) {
            json = true;
        } else if (!arg.startsWith(QLatin1String("--")) && path.isEmpty()) {
            path = arg;
        } else {
            CliErr(QStringLiteral("events: bad argument '%1'\n").arg(arg));
            return 2;
        }
    }
    if (path.isEmpty()) {
        CliErr(QStringLiteral("usage: tavin-cli events FILE [--json]\n"));
        return 2;
    }
    media::TelemetryReader reader;
    if (!reader.Open(path)) {
        CliErr(QStringLiteral("events: %1 is not a readable AVI recording\n").arg(path));
        return 1;
    }
    using media::ImpactDetector;
    const std::vector<media::GSensorSample> samples = ImpactDetector::CollectSamples(reader);
    const std::vector<media::Impact> impacts = ImpactDetector::Detect(samples);
    const std::array<double, 3> rest = ImpactDetector::RestingLevel(samples);

    if (json) {
        QJsonArray list;
        for (const media::Impact &impact : impacts)
            list.append(QJsonObject { { QStringLiteral("time_ms"), qint64(impact.timeMs) },
                { QStringLiteral("strength"), std::round(impact.strength * 10) / 10 } });
        const QJsonObject root { { QStringLiteral("file"), path },
            { QStringLiteral("samples"), qint64(samples.size()) },
            { QStringLiteral("resting_level"), QJsonArray { rest[0], rest[1], rest[2] } },
            { QStringLiteral("threshold"), ImpactDetector::kDefaultThreshold },
            { QStringLiteral("impacts"), list } };
        CliOut(QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Indented)));
        return 0;
    }
    CliOut(QStringLiteral("%1: %2 G-sensor readings, resting level %3/%4/%5, %6 %7\n")
               .arg(path)
               .arg(samples.size())
               .arg(rest[0])
               .arg(rest[1])
               .arg(rest[2])
               .arg(impacts.size())
               .arg(impacts.size() == 1 ? QLatin1String("impact") : QLatin1String("impacts")));
    for (const media::Impact &impact : impacts)
        CliOut(QStringLiteral("%1  %2 ms  strength %3\n")
                   .arg(ClockText(impact.timeMs))
                   .arg(impact.timeMs, 8)
                   .arg(impact.strength, 0, 'f', 1));
    return 0;
}

} // namespace

TAVIN_CLI_COMMAND(QStringLiteral("events"),
    QStringLiteral("events FILE [--json]\n"
                   "    list the impacts found in a recording's G-sensor readings (time and strength)"),
    false, RunEvents);
