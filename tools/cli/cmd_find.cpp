// tavin-cli find: the moments of the archive's recordings near a place or within a span of time.

#include "CliCommand.h"

#include "archive/ArchiveIndex.h"
#include "library/Trip.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

using namespace archive;

namespace {

constexpr double kDefaultRadiusM = 50.0;
constexpr const char *kUsage = "usage: tavin-cli find --near LAT,LON [--radius M] [--json] [--db PATH]\n"
                               "       tavin-cli find --from \"YYYY-MM-DD hh:mm\" --to \"YYYY-MM-DD hh:mm\" "
                               "[--json] [--db PATH]\n";

int BadArguments(const QString &why)
{
    CliErr(QStringLiteral("tavin-cli find: %1\n").arg(why) + QLatin1String(kUsage));
    return 2;
}

QJsonValue Number(double value, int decimals)
{
    if (!std::isfinite(value))
        return QJsonValue();
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale;
}

int RunFind(const QStringList &args)
{
    QString database;
    QString near;
    QString from;
    QString to;
    double radius = kDefaultRadiusM;
    bool json = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        const auto value = [&](QString *into) {
            if (i + 1 >= args.size())
                return false;
            *into = args[++i];
            return true;
        };
        QString radiusText;
        if (arg == QLatin1String("--json")) {
            json = true;
        } else if (arg == QLatin1String("--db")) {
            if (!value(&database))
                return BadArguments(QStringLiteral("--db needs a path"));
        } else if (arg == QLatin1String("--near")) {
            if (!value(&near))
                return BadArguments(QStringLiteral("--near needs LAT,LON"));
        } else if (arg == QLatin1String("--radius")) {
            bool ok = false;
            if (!value(&radiusText) || (radius = radiusText.toDouble(&ok), !ok) || !(radius > 0))
                return BadArguments(QStringLiteral("--radius needs a distance in metres above 0"));
        } else if (arg == QLatin1String("--from")) {
            if (!value(&from))
                return BadArguments(QStringLiteral("--from needs a time"));
        } else if (arg == QLatin1String("--to")) {
            if (!value(&to))
                return BadArguments(QStringLiteral("--to needs a time"));
        } else {
            return BadArguments(QStringLiteral("unexpected argument '%1'").arg(arg));
        }
    }
    const bool byPlace = !near.isEmpty();
    if (byPlace == (!from.isEmpty() || !to.isEmpty()))
        return BadArguments(QStringLiteral("give either --near or --from and --to"));

    double latitude = 0;
    double longitude = 0;
    QDateTime start;
    QDateTime end;
    if (byPlace) {
        const QStringList parts = near.split(QLatin1Char(','));
        bool latitudeOk = false;
        bool longitudeOk = false;
        if (parts.size() == 2) {
            latitude = parts[0].trimmed().toDouble(&latitudeOk);
            longitude = parts[1].trimmed().toDouble(&longitudeOk);
        }
        if (!latitudeOk || !longitudeOk || std::abs(latitude) > 90 || std::abs(longitude) > 180)
            return BadArguments(QStringLiteral("'%1' is no LAT,LON in decimal degrees").arg(near));
    } else {
        start = library::Trip::ParseTimeText(from);
        end = library::Trip::ParseTimeText(to);
        if (!start.isValid() || !end.isValid())
            return BadArguments(QStringLiteral("--from and --to need times as \"YYYY-MM-DD hh:mm\""));
        if (end <= start)
            return BadArguments(QStringLiteral("--to must come after --from"));
    }

    ArchiveIndex index;
    QString note;
    const bool opened = index.Open(database.isEmpty() ? ArchiveIndex::DefaultPath() : database, &note);
    if (!note.isEmpty())
        CliErr(QStringLiteral("tavin-cli find: %1\n").arg(note));
    if (!opened)
        return 1;
    index.UpdateOnline();
    const std::vector<Pass> passes
        = byPlace ? index.PassesNear(latitude, longitude, radius) : index.PassesBetween(start, end);
    if (!index.LastError().isEmpty()) {
        CliErr(QStringLiteral("tavin-cli find: the archive cannot be read: %1\n").arg(index.LastError()));
        return 1;
    }

    QJsonArray out;
    for (const Pass &pass : passes) {
        const QString time = library::Trip::TimeText(pass.time);
        if (json) {
            out.append(QJsonObject {
                { "time", time },
                { "file", pass.file },
                { "offset_s", double(pass.offsetMs) / 1000.0 },
                { "lat", Number(pass.latitude, 7) },
                { "lon", Number(pass.longitude, 7) },
                { "speed_kmh", Number(pass.speedKmh, 1) },
                { "heading_deg", Number(pass.headingDeg, 1) },
                { "distance_m", Number(pass.distanceM, 1) },
                { "source", pass.sourceLabel },
                { "source_id", pass.sourceId },
                { "online", pass.online },
            });
            continue;
        }
        const QString where = std::isfinite(pass.latitude)
            ? QStringLiteral("%1,%2").arg(pass.latitude, 0, 'f', 6).arg(pass.longitude, 0, 'f', 6)
            : QStringLiteral("-");
        const QString speed = std::isfinite(pass.speedKmh)
            ? QString::number(pass.speedKmh, 'f', 0) + QStringLiteral(" km/h")
            : QStringLiteral("-");
        const QString distance = std::isfinite(pass.distanceM)
            ? QStringLiteral("\t%1 m away").arg(pass.distanceM, 0, 'f', 0)
            : QString();
        CliOut(QStringLiteral("%1\t%2 +%3 s\t%4\t%5%6\t%7%8\n")
                   .arg(time, QDir::toNativeSeparators(pass.file))
                   .arg(double(pass.offsetMs) / 1000.0, 0, 'f', 1)
                   .arg(where, speed, distance, pass.sourceLabel,
                       pass.online ? QString() : QStringLiteral(" (offline)")));
    }
    if (json)
        CliOut(QString::fromUtf8(QJsonDocument(out).toJson(QJsonDocument::Indented)));
    return 0;
}

} // namespace

TAVIN_CLI_COMMAND(QStringLiteral("find"),
    QStringLiteral(
        "find --near LAT,LON [--radius M] [--json] [--db PATH]   every time the car passed within M "
        "metres (50) of a place, from the archive\n"
        "find --from \"YYYY-MM-DD hh:mm\" --to \"YYYY-MM-DD hh:mm\" [--json] [--db PATH]   the "
        "archive's recordings in a span of the recorder's time, with where the car was"),
    false, RunFind);
