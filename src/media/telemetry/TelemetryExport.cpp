#include "media/telemetry/TelemetryExport.h"

#include "media/telemetry/TelemetryLoader.h"

#include <QDateTime>
#include <QTimeZone>
#include <QXmlStreamWriter>

#include <array>

namespace media {

namespace {

    QString Degrees(float stored)
    {
        return QString::number(CoordinateToDegrees(stored), 'f', 6);
    }

    std::vector<const TelemetryExportEntry *> ValidFixes(const std::vector<TelemetryExportEntry> &entries)
    {
        std::vector<const TelemetryExportEntry *> fixes;
        for (const TelemetryExportEntry &e : entries) {
            if (e.kind == telemetry::RecordKind::Gps && e.fix.IsValid())
                fixes.push_back(&e);
        }
        return fixes;
    }

} // namespace

std::vector<TelemetryExportEntry> TelemetryExport::Collect(IStreamParseData &source)
{
    std::vector<TelemetryExportEntry> entries;
    std::array<uint8_t, kStreamParseMaxRecord + 1> buffer;
    uint32_t fruitless = 0;
    while (entries.size() < TelemetryLoader::kMaxRecords) {
        buffer.fill(0);
        uint32_t length = kStreamParseMaxRecord;
        uint32_t timeMs = 0;
        const StreamParseResult answer = source.GetNextRecord(buffer.data(), &length, &timeMs);
        if (answer == kStreamParseEndOfFile)
            break;
        if (answer != kStreamParseOk || length > kStreamParseMaxRecord) {
            if (++fruitless >= TelemetryLoader::kDefaultMaxFruitlessCalls)
                break;
            continue;
        }
        fruitless = 0;
        buffer[length] = 0;
        TelemetryExportEntry entry;
        entry.timeMs = timeMs;
        entry.kind = telemetry::ClassifyRecord(buffer.data(), length);
        if (entry.kind == telemetry::RecordKind::Gps) {
            const char *sentence = reinterpret_cast<const char *>(buffer.data()) + 1;
            entry.sentence = sentence;
            entry.fix = CGps(timeMs, sentence);
        } else if (entry.kind == telemetry::RecordKind::GSensor) {
            entry.sample = { buffer[4], buffer[5], buffer[6], timeMs };
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

QString TelemetryExport::UtcText(const CGps &fix)
{
    if (fix.month < 1 || fix.month > 12 || fix.day < 1)
        return {};
    return QDateTime::fromSecsSinceEpoch(fix.GetFixTime(), QTimeZone::utc())
        .toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss'Z'"));
}

QByteArray TelemetryExport::ToCsv(const std::vector<TelemetryExportEntry> &entries)
{
    QByteArray out = "time_ms,kind,latitude,longitude,speed_kmh,course,utc,fix,x,y,z\n";
    for (const TelemetryExportEntry &e : entries) {
        QStringList row { QString::number(e.timeMs) };
        switch (e.kind) {
        case telemetry::RecordKind::Gps:
            if (e.fix.IsValid()) {
                row << QStringLiteral("gps") << Degrees(e.fix.latitude) << Degrees(e.fix.longitude)
                    << QString::number(e.fix.speed, 'f', 2) << QString::number(e.fix.course, 'f', 2)
                    << UtcText(e.fix) << QStringLiteral("valid");
            } else {
                // A fix the receiver marked void keeps its row; only its time is worth showing.
                row << QStringLiteral("gps") << QString() << QString() << QString() << QString()
                    << UtcText(e.fix) << QStringLiteral("invalid");
            }
            row << QString() << QString() << QString();
            break;
        case telemetry::RecordKind::GSensor:
            row << QStringLiteral("gsensor") << QString() << QString() << QString() << QString() << QString()
                << QString() << QString::number(e.sample.x) << QString::number(e.sample.y)
                << QString::number(e.sample.z);
            break;
        case telemetry::RecordKind::Unknown:
            row << QStringLiteral("other");
            for (int i = 0; i < 9; ++i)
                row << QString();
            break;
        }
        out += row.join(QLatin1Char(',')).toUtf8() + '\n';
    }
    return out;
}

QByteArray TelemetryExport::ToGpx(const std::vector<TelemetryExportEntry> &entries, const QString &name)
{
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("gpx"));
    xml.writeDefaultNamespace(QStringLiteral("http://www.topografix.com/GPX/1/1"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.1"));
    xml.writeAttribute(QStringLiteral("creator"), QStringLiteral("tavin-cli"));
    xml.writeStartElement(QStringLiteral("metadata"));
    xml.writeTextElement(QStringLiteral("name"), name);
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("trk"));
    xml.writeTextElement(QStringLiteral("name"), name);
    xml.writeStartElement(QStringLiteral("trkseg"));
    for (const TelemetryExportEntry *e : ValidFixes(entries)) {
        xml.writeStartElement(QStringLiteral("trkpt"));
        xml.writeAttribute(QStringLiteral("lat"), Degrees(e->fix.latitude));
        xml.writeAttribute(QStringLiteral("lon"), Degrees(e->fix.longitude));
        const QString when = UtcText(e->fix);
        if (!when.isEmpty())
            xml.writeTextElement(QStringLiteral("time"), when);
        xml.writeEndElement();
    }
    xml.writeEndElement(); // trkseg
    xml.writeEndElement(); // trk
    xml.writeEndElement(); // gpx
    xml.writeEndDocument();
    return out;
}

QByteArray TelemetryExport::ToKml(const std::vector<TelemetryExportEntry> &entries, const QString &name)
{
    const auto fixes = ValidFixes(entries);
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("kml"));
    xml.writeDefaultNamespace(QStringLiteral("http://www.opengis.net/kml/2.2"));
    const QString gx = QStringLiteral("http://www.google.com/kml/ext/2.2");
    xml.writeNamespace(gx, QStringLiteral("gx"));
    xml.writeStartElement(QStringLiteral("Document"));
    xml.writeTextElement(QStringLiteral("name"), name);

    // The path as a plain line for any viewer...
    xml.writeStartElement(QStringLiteral("Placemark"));
    xml.writeTextElement(QStringLiteral("name"), QStringLiteral("Route"));
    xml.writeStartElement(QStringLiteral("LineString"));
    xml.writeTextElement(QStringLiteral("tessellate"), QStringLiteral("1"));
    QStringList coordinates;
    for (const TelemetryExportEntry *e : fixes)
        coordinates << Degrees(e->fix.longitude) + QLatin1Char(',') + Degrees(e->fix.latitude)
                + QStringLiteral(",0");
    xml.writeTextElement(QStringLiteral("coordinates"), coordinates.join(QLatin1Char(' ')));
    xml.writeEndElement(); // LineString
    xml.writeEndElement(); // Placemark

    // ...and with the time of every fix for viewers that replay tracks.
    xml.writeStartElement(QStringLiteral("Placemark"));
    xml.writeTextElement(QStringLiteral("name"), QStringLiteral("Track"));
    xml.writeStartElement(gx, QStringLiteral("Track"));
    for (const TelemetryExportEntry *e : fixes)
        xml.writeTextElement(QStringLiteral("when"), UtcText(e->fix));
    for (const TelemetryExportEntry *e : fixes)
        xml.writeTextElement(gx, QStringLiteral("coord"),
            Degrees(e->fix.longitude) + QLatin1Char(' ') + Degrees(e->fix.latitude) + QStringLiteral(" 0"));
    xml.writeEndElement(); // gx:Track
    xml.writeEndElement(); // Placemark
    xml.writeEndElement(); // Document
    xml.writeEndElement(); // kml
    xml.writeEndDocument();
    return out;
}

QByteArray TelemetryExport::ToNmea(const std::vector<TelemetryExportEntry> &entries)
{
    QByteArray out;
    for (const TelemetryExportEntry &e : entries) {
        if (e.kind == telemetry::RecordKind::Gps)
            out += QByteArray::fromStdString(e.sentence) + "\r\n";
    }
    return out;
}

QByteArray TelemetryExport::Render(
    Format format, const std::vector<TelemetryExportEntry> &entries, const QString &name)
{
    switch (format) {
    case Format::Csv:
        return ToCsv(entries);
    case Format::Gpx:
        return ToGpx(entries, name);
    case Format::Kml:
        return ToKml(entries, name);
    case Format::Nmea:
        return ToNmea(entries);
    }
    return {};
}

} // namespace media
