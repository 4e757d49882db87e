#pragma once

#include "media/CGps.h"
#include "media/telemetry/GSensorSample.h"
#include "media/telemetry/IStreamParseData.h"
#include "media/telemetry/TelemetryFormat.h"

#include <QByteArray>
#include <QString>

#include <string>
#include <vector>

namespace media {

// One telemetry record decoded for export.
struct TelemetryExportEntry {
    uint32_t timeMs = 0;
    telemetry::RecordKind kind = telemetry::RecordKind::Unknown;
    std::string sentence; // GPS: the NMEA sentence from its '$'
    CGps fix; // GPS: parsed, valid or not
    GSensorSample sample; // G-sensor
};

// Turns a recording's telemetry into files for other programs: a CSV table of every record, the
// track of valid fixes as GPX 1.1 or KML 2.2, or the bare NMEA sentences.
class TelemetryExport
{
public:
    enum class Format { Csv, Gpx, Kml, Nmea };

    // Every record of the source in the order it hands them out. Gives up, like the loader, on a
    // source that keeps answering neither a record nor the end.
    static std::vector<TelemetryExportEntry> Collect(IStreamParseData &source);

    static QByteArray ToCsv(const std::vector<TelemetryExportEntry> &entries);
    static QByteArray ToGpx(const std::vector<TelemetryExportEntry> &entries, const QString &name);
    static QByteArray ToKml(const std::vector<TelemetryExportEntry> &entries, const QString &name);
    static QByteArray ToNmea(const std::vector<TelemetryExportEntry> &entries);
    static QByteArray Render(
        Format format, const std::vector<TelemetryExportEntry> &entries, const QString &name);

    // "2024-03-07T00:05:30Z" for a fix's UTC time; empty when the sentence had no date and time.
    static QString UtcText(const CGps &fix);
};

} // namespace media
