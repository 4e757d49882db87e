#include "archive/ArchiveBlobs.h"

#include <QDataStream>
#include <QIODevice>
#include <QtEndian>

#include <cmath>
#include <cstring>

namespace archive {

namespace {
    constexpr quint8 kSummaryFormat = 1;
    constexpr quint8 kTrackFormat = 1;
    constexpr int kTrackPointBytes = 12; // latitude and longitude as int32 of 1e-7 degree, speed as float
    constexpr double kTrackScale = 1e7;
} // namespace

QByteArray EncodeSummary(const library::RecordingSummary &summary)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << kSummaryFormat << bool(summary.read) << qint32(summary.fixes) << summary.distanceM
        << summary.maxSpeedKmh << bool(summary.utcOffsetSeconds.has_value())
        << qint32(summary.utcOffsetSeconds.value_or(0)) << quint32(summary.track.size());
    for (const library::RecordingSummary::TrackPoint &point : summary.track)
        out << qint64(point.timeMs) << point.distanceM;
    out << quint32(summary.impactsMs.size());
    for (const int64_t impact : summary.impactsMs)
        out << qint64(impact);
    return bytes;
}

bool DecodeSummary(const QByteArray &bytes, library::RecordingSummary *summary)
{
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_6_0);
    quint8 format = 0;
    bool read = false;
    bool hasOffset = false;
    qint32 fixes = 0;
    qint32 offset = 0;
    quint32 count = 0;
    library::RecordingSummary result;
    in >> format;
    if (format != kSummaryFormat)
        return false;
    in >> read >> fixes >> result.distanceM >> result.maxSpeedKmh >> hasOffset >> offset >> count;
    // A count the bytes cannot hold is damage, not a reason to reserve gigabytes.
    if (in.status() != QDataStream::Ok || qint64(count) * 16 > bytes.size())
        return false;
    result.track.reserve(count);
    for (quint32 i = 0; i < count; ++i) {
        qint64 time = 0;
        double distance = 0;
        in >> time >> distance;
        result.track.push_back({ time, distance });
    }
    in >> count;
    if (in.status() != QDataStream::Ok || qint64(count) * 8 > bytes.size())
        return false;
    for (quint32 i = 0; i < count; ++i) {
        qint64 impact = 0;
        in >> impact;
        result.impactsMs.push_back(impact);
    }
    if (in.status() != QDataStream::Ok)
        return false;
    result.read = read;
    result.fixes = fixes;
    if (hasOffset)
        result.utcOffsetSeconds = offset;
    *summary = std::move(result);
    return true;
}

QByteArray EncodeTrack(const std::vector<ArchivePoint> &points, const std::vector<size_t> &kept)
{
    QByteArray bytes(1 + qsizetype(kept.size()) * kTrackPointBytes, Qt::Uninitialized);
    bytes[0] = char(kTrackFormat);
    char *at = bytes.data() + 1;
    for (const size_t index : kept) {
        const ArchivePoint &point = points[index];
        qToLittleEndian(qint32(std::lround(point.latitude * kTrackScale)), at);
        qToLittleEndian(qint32(std::lround(point.longitude * kTrackScale)), at + 4);
        quint32 speedBits = 0;
        std::memcpy(&speedBits, &point.speedKmh, sizeof speedBits);
        qToLittleEndian(speedBits, at + 8);
        at += kTrackPointBytes;
    }
    return bytes;
}

bool DecodeTrack(const QByteArray &bytes, std::vector<QPointF> *points, std::vector<float> *speeds)
{
    points->clear();
    speeds->clear();
    if (bytes.isEmpty() || quint8(bytes[0]) != kTrackFormat || (bytes.size() - 1) % kTrackPointBytes != 0)
        return false;
    const qsizetype count = (bytes.size() - 1) / kTrackPointBytes;
    points->reserve(size_t(count));
    speeds->reserve(size_t(count));
    const char *at = bytes.constData() + 1;
    for (qsizetype i = 0; i < count; ++i, at += kTrackPointBytes) {
        const double latitude = qFromLittleEndian<qint32>(at) / kTrackScale;
        const double longitude = qFromLittleEndian<qint32>(at + 4) / kTrackScale;
        const quint32 speedBits = qFromLittleEndian<quint32>(at + 8);
        float speed = 0;
        std::memcpy(&speed, &speedBits, sizeof speed);
        points->emplace_back(longitude, latitude);
        speeds->push_back(speed);
    }
    return true;
}

} // namespace archive
