#include "archive/RecordingRead.h"

#include "archive/ArchiveBlobs.h"
#include "archive/TrackShape.h"
#include "media/AviHeaderReader.h"
#include "media/CGps.h"
#include "media/telemetry/TelemetryExport.h"
#include "media/telemetry/TelemetryReader.h"

#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cmath>

namespace archive {

RecordingRead ReadRecordingForArchive(const QString &frontPath)
{
    QElapsedTimer timer;
    timer.start();
    RecordingRead read;
    media::TelemetryReader reader;
    if (!reader.Open(frontPath)) {
        read.error = QStringLiteral("cannot be opened or is no AVI recording");
        read.seconds = double(timer.nsecsElapsed()) / 1e9;
        return read;
    }
    const std::vector<media::TelemetryExportEntry> entries = media::TelemetryExport::Collect(reader);
    reader.Close();
    read.ok = true;
    read.summary = library::SummarizeTelemetry(frontPath, entries);

    for (const media::TelemetryExportEntry &entry : entries) {
        if (entry.kind != media::telemetry::RecordKind::Gps || !entry.fix.IsValid())
            continue;
        const double latitude = media::CoordinateToDegrees(entry.fix.latitude);
        const double longitude = media::CoordinateToDegrees(entry.fix.longitude);
        if (!std::isfinite(latitude) || !std::isfinite(longitude) || std::abs(latitude) > 90.0
            || std::abs(longitude) > 180.0)
            continue;
        read.points.push_back({ int64_t(entry.fix.timeMs), latitude, longitude,
            std::isfinite(entry.fix.speed) ? entry.fix.speed : 0.0f,
            std::isfinite(entry.fix.course) ? entry.fix.course : 0.0f });
    }
    std::stable_sort(read.points.begin(), read.points.end(),
        [](const ArchivePoint &a, const ArchivePoint &b) { return a.timeMs < b.timeMs; });
    read.track = EncodeTrack(read.points, SimplifyTrack(read.points, kTrackToleranceM));

    media::AviFileInfo info;
    const QByteArray nativePath = QFile::encodeName(frontPath);
    if (media::ReadAviHeaderInfo(nativePath.constData(), info) && info.mainHeader.totalFrames > 0)
        read.realLengthMs = int64_t(info.mainHeader.totalFrames) * info.mainHeader.microSecPerFrame / 1000;
    read.seconds = double(timer.nsecsElapsed()) / 1e9;
    return read;
}

} // namespace archive
