#include "media/export/EvidenceFiles.h"

#include "media/telemetry/TelemetryExport.h"
#include "media/telemetry/TelemetryReader.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace media {

QString EvidenceFiles::gpxPathFor(const QString &clipPath)
{
    const QFileInfo info(clipPath);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".gpx"));
}

QString EvidenceFiles::sumsPathFor(const QString &clipPath)
{
    return QFileInfo(clipPath).dir().filePath(QStringLiteral("SHA256SUMS"));
}

bool EvidenceFiles::writeGpx(
    const QString &recordingPath, int64_t fromMs, int64_t toMs, const QString &gpxPath, QString *error)
{
    TelemetryReader reader;
    std::vector<TelemetryExportEntry> span;
    if (reader.open(recordingPath)) {
        for (TelemetryExportEntry &entry : TelemetryExport::collect(reader)) {
            if (int64_t(entry.timeMs) >= fromMs && int64_t(entry.timeMs) <= toMs)
                span.push_back(std::move(entry));
        }
    }
    QSaveFile file(gpxPath);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    file.write(TelemetryExport::toGpx(span, QFileInfo(gpxPath).completeBaseName()));
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

QByteArray EvidenceFiles::sha256(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file))
        return {};
    return hash.result().toHex();
}

bool EvidenceFiles::writeSums(const QString &sumsPath, const QStringList &files, QString *error)
{
    const QDir folder = QFileInfo(sumsPath).absoluteDir();
    QList<QPair<QString, QByteArray>> fresh;
    for (const QString &path : files) {
        const QFileInfo info(path);
        const QString name = info.absoluteDir() == folder ? info.fileName() : info.absoluteFilePath();
        const QByteArray sum = sha256(path);
        if (sum.isEmpty()) {
            *error = QStringLiteral("cannot read %1").arg(path);
            return false;
        }
        fresh.append({ name, sum });
    }
    QByteArray out;
    QFile old(sumsPath);
    if (old.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : old.readAll().split('\n')) {
            // sha256sum's lines: 64 hex digits, two spaces (or space and '*'), the name.
            const QString name = QString::fromUtf8(line.mid(66));
            const bool replaced = std::any_of(
                fresh.begin(), fresh.end(), [&](const auto &entry) { return entry.first == name; });
            if (line.size() > 66 && !replaced)
                out += line + '\n';
        }
        old.close();
    }
    for (const auto &[name, sum] : fresh)
        out += sum + "  " + name.toUtf8() + '\n';
    QSaveFile file(sumsPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size() || !file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace media
