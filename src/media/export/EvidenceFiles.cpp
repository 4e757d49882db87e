#include "media/export/EvidenceFiles.h"

#include "media/telemetry/TelemetryExport.h"
#include "media/telemetry/TelemetryFormat.h"
#include "media/telemetry/TelemetryReader.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace media {

QString EvidenceFiles::GpxPathFor(const QString &clipPath)
{
    const QFileInfo info(clipPath);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".gpx"));
}

QString EvidenceFiles::SumsPathFor(const QString &clipPath)
{
    return QFileInfo(clipPath).dir().filePath(QStringLiteral("SHA256SUMS"));
}

QString EvidenceFiles::ProvenancePathFor(const QString &clipPath)
{
    const QFileInfo info(clipPath);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".provenance.txt"));
}

bool EvidenceFiles::WriteGpx(
    const std::vector<ClipPiece> &pieces, const QString &gpxPath, QString *error, int *points)
{
    std::vector<TelemetryExportEntry> span;
    for (const ClipPiece &piece : pieces) {
        TelemetryReader reader;
        if (!reader.Open(piece.frontPath))
            continue;
        // A piece's end is the next one's start: its moment is the next one's.
        const bool last = &piece == &pieces.back();
        for (TelemetryExportEntry &entry : TelemetryExport::Collect(reader)) {
            const int64_t at = entry.timeMs;
            if (at >= piece.fromMs && (at < piece.toMs || (last && at == piece.toMs)))
                span.push_back(std::move(entry));
        }
    }
    if (points) {
        *points = int(std::count_if(span.begin(), span.end(), [](const TelemetryExportEntry &entry) {
            return entry.kind == telemetry::RecordKind::Gps && entry.fix.IsValid();
        }));
    }
    QSaveFile file(gpxPath);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    // The track is named after the file it becomes, also while it is written under a temporary name.
    QString trackName = QFileInfo(gpxPath).completeBaseName();
    if (gpxPath.endsWith(QLatin1String(".part")))
        trackName = QFileInfo(gpxPath.chopped(5)).completeBaseName();
    file.write(TelemetryExport::ToGpx(span, trackName));
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

QByteArray EvidenceFiles::Sha256(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file))
        return {};
    return hash.result().toHex();
}

namespace {

    // The file's name in the sums of sumsPath's folder; empty when it lies outside that folder.
    QString SumsName(const QString &sumsPath, const QString &path)
    {
        const QString name
            = QFileInfo(sumsPath).absoluteDir().relativeFilePath(QFileInfo(path).absoluteFilePath());
        return name.startsWith(QLatin1String("../")) || QDir::isAbsolutePath(name) ? QString() : name;
    }

    // SHA256SUMS with the lines of the given names left out and the fresh ones added.
    bool RewriteSums(const QString &sumsPath, const QStringList &dropped,
        const QList<QPair<QString, QByteArray>> &fresh, QString *error)
    {
        QByteArray out;
        QFile old(sumsPath);
        if (old.open(QIODevice::ReadOnly)) {
            for (const QByteArray &line : old.readAll().split('\n')) {
                // sha256sum's lines: 64 hex digits, two spaces (or space and '*'), the name.
                if (line.size() > 66 && !dropped.contains(QString::fromUtf8(line.mid(66))))
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

} // namespace

bool EvidenceFiles::WriteSums(const QString &sumsPath, const QStringList &files, QString *error,
    const QHash<QString, QString> &readFrom)
{
    QList<QPair<QString, QByteArray>> fresh;
    QStringList names;
    for (const QString &path : files) {
        const QString name = SumsName(sumsPath, path);
        if (name.isEmpty()) {
            *error = QStringLiteral("%1 lies outside the folder of %2").arg(path, sumsPath);
            return false;
        }
        const QString content = readFrom.value(path, path);
        const QByteArray sum = Sha256(content);
        if (sum.isEmpty()) {
            *error = QStringLiteral("cannot read %1").arg(content);
            return false;
        }
        fresh.append({ name, sum });
        names << name;
    }
    return RewriteSums(sumsPath, names, fresh, error);
}

bool EvidenceFiles::DropSums(const QString &sumsPath, const QStringList &files, QString *error)
{
    if (!QFileInfo::exists(sumsPath))
        return true;
    QStringList names;
    for (const QString &path : files)
        names << SumsName(sumsPath, path);
    return RewriteSums(sumsPath, names, {}, error);
}

bool EvidenceFiles::WriteProvenance(const QString &path, const Provenance &provenance, QString *error)
{
    QString text;
    const auto line = [&text](const QString &label, const QString &value) {
        text += label + QStringLiteral(": ") + value + QLatin1Char('\n');
    };
    text += QStringLiteral("Evidence clip made by TAVIN Viewer %1\n\n").arg(QStringLiteral(TAVIN_VERSION));
    line(QStringLiteral("Clip"), QFileInfo(provenance.clipPath).fileName());
    line(QStringLiteral("Made"),
        QDateTime::currentDateTime()
                .toOffsetFromUtc(QDateTime::currentDateTime().offsetFromUtc())
                .toString(Qt::ISODate)
            + QStringLiteral(" (this computer's clock)"));
    line(QStringLiteral("Card or folder"), QDir::toNativeSeparators(provenance.folder));
    text += QStringLiteral("Source recordings (name, bytes, SHA-256):\n");
    for (const Source &source : provenance.sources) {
        text += QStringLiteral("  %1  %2  %3\n")
                    .arg(QFileInfo(source.path).fileName())
                    .arg(source.size)
                    .arg(QString::fromLatin1(source.sha256));
    }
    const auto partText = [](const Part &part) {
        return QStringLiteral("%1 s to %2 s of %3 (%4 s)")
            .arg(part.fromMs / 1000.0, 0, 'f', 3)
            .arg(part.toMs / 1000.0, 0, 'f', 3)
            .arg(QFileInfo(part.path).fileName())
            .arg((part.toMs - part.fromMs) / 1000.0, 0, 'f', 3);
    };
    if (provenance.parts.size() == 1) {
        line(QStringLiteral("Span"), partText(provenance.parts.front()));
    } else {
        int64_t totalMs = 0;
        for (const Part &part : provenance.parts)
            totalMs += part.toMs - part.fromMs;
        line(QStringLiteral("Span"),
            QStringLiteral("%1 recordings played end to end (%2 s)")
                .arg(provenance.parts.size())
                .arg(totalMs / 1000.0, 0, 'f', 3));
        for (const Part &part : provenance.parts) {
            if (!part.gapBefore.isEmpty())
                text += QStringLiteral("  gap: nothing was recorded for %1; the clip steps over it\n")
                            .arg(part.gapBefore);
            text += QStringLiteral("  ") + partText(part) + QLatin1Char('\n');
        }
    }
    if (!provenance.widened.isEmpty()) {
        text += QStringLiteral("Span widened: copied pictures start at a key frame, so the clip starts "
                               "earlier than asked:\n");
        for (const QString &part : provenance.widened)
            text += QStringLiteral("  ") + part + QLatin1Char('\n');
    }
    if (!provenance.startText.isEmpty())
        line(QStringLiteral("Recorder time"),
            provenance.startText + QStringLiteral(" to ") + provenance.endText);
    line(QStringLiteral("Time rule"), provenance.timeRule);
    line(QStringLiteral("Export settings"), provenance.settings);
    QSaveFile file(path);
    const QByteArray bytes = text.toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace media
