// ArchiveIndex: finding drives by day, by place and by time.

#include "archive/ArchiveIndex.h"

#include "archive/ArchiveBlobs.h"
#include "archive/PassGrouping.h"
#include "archive/TrackShape.h"
#include "library/RecordingSummary.h"
#include "library/TripModel.h"

#include <QHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimeZone>
#include <QVariant>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <tuple>

namespace archive {

namespace {

    constexpr int64_t kDayMs = 24 * 3600 * 1000LL;
    constexpr double kMetresPerDegree = 6371008.8 * 3.14159265358979323846 / 180.0;
    // No recording the recorder makes is longer: bounds the search by start time.
    constexpr int64_t kLongestRecordingMs = kDayMs;
    // A fix farther than this from a moment does not tell where the car was then.
    constexpr int64_t kFixReachMs = 2000;

    QDateTime RecorderTime(int64_t ms)
    {
        return QDateTime::fromMSecsSinceEpoch(ms, QTimeZone::utc());
    }

    int64_t RecorderMs(const QDateTime &time)
    {
        // The recorder's clock is held as UTC; a time given in another zone means its wall clock.
        const QDateTime wall(time.date(), time.time(), QTimeZone::utc());
        return wall.toMSecsSinceEpoch();
    }

    int64_t DayStartMs(const QDate &day)
    {
        return QDateTime(day, QTime(0, 0), QTimeZone::utc()).toMSecsSinceEpoch();
    }

    // Times read back from the file lie within the recorder's four-digit years; anything beyond is
    // a damaged row, left out before sums and differences of such times could overflow.
    constexpr int64_t kFarthestMs = 400'000'000'000'000LL; // about 12,700 years either side of 1970

    bool PlausibleMs(int64_t ms)
    {
        return ms >= -kFarthestMs && ms <= kFarthestMs;
    }

} // namespace

std::vector<QDate> ArchiveIndex::DaysWithDrives() const
{
    m_lastError.clear();
    std::vector<QDate> days;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.setForwardOnly(true);
    // A damaged row may hold text or a real number where the time belongs.
    if (!query.exec(QStringLiteral("SELECT DISTINCT trip_start_ms / %1 FROM recordings WHERE trip_kind = 'D'"
                                   " AND typeof(trip_start_ms) = 'integer' AND trip_start_ms >= 0 ORDER BY 1")
                        .arg(kDayMs))) {
        Fail(query.lastError().text(), nullptr);
        return days;
    }
    while (query.next())
        days.push_back(RecorderTime(query.value(0).toLongLong() * kDayMs).date());
    return days;
}

std::vector<ArchivedTrip> ArchiveIndex::TripsOn(const QDate &day) const
{
    m_lastError.clear();
    std::vector<ArchivedTrip> trips;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.setForwardOnly(true);
    query.prepare(QStringLiteral(
        "SELECT r.source_id, s.label, s.online, r.path, r.listed_s, r.rear_path, r.read_ok, r.summary"
        " FROM recordings r JOIN sources s ON s.id = r.source_id"
        " WHERE r.trip_start_ms >= ? AND r.trip_start_ms < ? ORDER BY r.source_id"));
    query.addBindValue(qint64(DayStartMs(day)));
    query.addBindValue(qint64(DayStartMs(day) + kDayMs));
    if (!query.exec()) {
        Fail(query.lastError().text(), nullptr);
        return trips;
    }

    struct SourceRows {
        QString label;
        bool online = false;
        std::vector<library::Recording> listing;
        std::vector<std::pair<QString, library::RecordingSummary>> summaries;
    };
    std::map<qint64, SourceRows> bySource;
    while (query.next()) {
        SourceRows &rows = bySource[query.value(0).toLongLong()];
        rows.label = query.value(1).toString();
        rows.online = query.value(2).toInt() != 0;
        library::Recording front;
        front.path = query.value(3).toString();
        front.lengthSeconds = query.value(4).toInt();
        rows.listing.push_back(front);
        const QString rear = query.value(5).toString();
        if (!rear.isEmpty()) {
            library::Recording back = front;
            back.path = rear;
            rows.listing.push_back(back);
        }
        library::RecordingSummary summary; // not read: merged as such, like a file whose telemetry failed
        if (query.value(6).toInt() != 0)
            DecodeSummary(query.value(7).toByteArray(), &summary);
        rows.summaries.emplace_back(front.path, std::move(summary));
    }

    for (auto &[sourceId, rows] : bySource) {
        library::TripModel model;
        model.Build(rows.listing);
        for (const auto &[path, summary] : rows.summaries)
            model.MergeSummary(path, summary);
        for (const library::Trip &trip : model.Trips())
            trips.push_back({ trip, sourceId, rows.label, rows.online });
    }
    std::stable_sort(trips.begin(), trips.end(), [](const ArchivedTrip &a, const ArchivedTrip &b) {
        return std::tie(a.trip.start, a.sourceId) < std::tie(b.trip.start, b.sourceId);
    });
    return trips;
}

std::vector<Pass> ArchiveIndex::PassesNear(double latitude, double longitude, double radiusM) const
{
    m_lastError.clear();
    if (!std::isfinite(latitude) || !std::isfinite(longitude) || !(radiusM > 0))
        return {};
    // A box that holds the circle: a degree of longitude shrinks towards the poles.
    const double latitudeSpan = radiusM / kMetresPerDegree * 1.01;
    const double cosine = std::cos(latitude * 3.14159265358979323846 / 180.0);
    const double longitudeSpan = cosine > 1e-6 ? std::min(180.0, latitudeSpan / cosine) : 180.0;

    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.setForwardOnly(true);
    query.prepare(
        QStringLiteral("SELECT p.recording_id, p.seq, p.t_ms, p.lat, p.lon, p.speed_kmh, p.heading_deg"
                       " FROM point_boxes b JOIN points p ON p.id = b.id"
                       " WHERE b.max_lat >= ? AND b.min_lat <= ? AND b.max_lon >= ? AND b.min_lon <= ?"));
    query.addBindValue(latitude - latitudeSpan);
    query.addBindValue(latitude + latitudeSpan);
    query.addBindValue(longitude - longitudeSpan);
    query.addBindValue(longitude + longitudeSpan);
    if (!query.exec()) {
        Fail(query.lastError().text(), nullptr);
        return {};
    }
    std::vector<PointHit> hits;
    while (query.next()) {
        const double pointLatitude = query.value(3).toDouble();
        const double pointLongitude = query.value(4).toDouble();
        const double distance = library::HaversineMetres(latitude, longitude, pointLatitude, pointLongitude);
        if (distance > radiusM)
            continue;
        PointHit hit;
        hit.recordingId = query.value(0).toLongLong();
        hit.seq = query.value(1).toInt();
        hit.pass.offsetMs = query.value(2).toLongLong();
        // Passes are runs of successive places (seq + 1) at sensible times.
        if (hit.seq < 0 || hit.seq == std::numeric_limits<int>::max() || !PlausibleMs(hit.pass.offsetMs))
            continue;
        hit.pass.latitude = pointLatitude;
        hit.pass.longitude = pointLongitude;
        hit.pass.speedKmh = query.value(5).toDouble();
        hit.pass.headingDeg = query.value(6).toDouble();
        hit.pass.distanceM = distance;
        hits.push_back(std::move(hit));
    }
    if (hits.empty())
        return {};

    // What the passes need of their recordings, read once each.
    struct Owner {
        QString path;
        qint64 sourceId = 0;
        QString label;
        bool online = false;
        int64_t startMs = 0;
        int pointCount = 0;
        QVariant tripStart;
    };
    QHash<qint64, Owner> owners;
    QSqlQuery owner(QSqlDatabase::database(m_connection, false));
    owner.prepare(QStringLiteral(
        "SELECT r.path, r.source_id, s.label, s.online, r.start_ms, r.point_count, r.trip_start_ms"
        " FROM recordings r JOIN sources s ON s.id = r.source_id WHERE r.id = ?"));
    std::vector<PointHit> placed;
    placed.reserve(hits.size());
    for (PointHit &hit : hits) {
        auto found = owners.find(hit.recordingId);
        if (found == owners.end()) {
            Owner read;
            owner.bindValue(0, hit.recordingId);
            if (owner.exec() && owner.next()) {
                read = { owner.value(0).toString(), owner.value(1).toLongLong(), owner.value(2).toString(),
                    owner.value(3).toInt() != 0, owner.value(4).toLongLong(), owner.value(5).toInt(),
                    owner.value(6) };
            }
            owner.finish();
            found = owners.insert(hit.recordingId, read);
        }
        if (!PlausibleMs(found->startMs))
            continue;
        hit.pointCount = found->pointCount;
        hit.inTrip = !found->tripStart.isNull();
        hit.tripStartMs = found->tripStart.toLongLong();
        hit.recorderMs = found->startMs + hit.pass.offsetMs;
        hit.pass.time = RecorderTime(hit.recorderMs);
        hit.pass.file = found->path;
        hit.pass.sourceId = found->sourceId;
        hit.pass.sourceLabel = found->label;
        hit.pass.online = found->online;
        placed.push_back(std::move(hit));
    }
    return GroupPasses(std::move(placed));
}

std::vector<Pass> ArchiveIndex::PassesBetween(const QDateTime &from, const QDateTime &to) const
{
    m_lastError.clear();
    std::vector<Pass> passes;
    const int64_t fromMs = RecorderMs(from);
    const int64_t toMs = RecorderMs(to);
    if (!from.isValid() || !to.isValid() || toMs <= fromMs)
        return passes;
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(
        QStringLiteral("SELECT r.id, r.path, r.start_ms, r.source_id, s.label, s.online FROM recordings r"
                       " JOIN sources s ON s.id = r.source_id"
                       " WHERE r.start_ms > ? AND r.start_ms < ? AND r.start_ms + r.length_ms > ?"
                       " ORDER BY r.start_ms, r.source_id, r.path"));
    query.addBindValue(qint64(fromMs - kLongestRecordingMs));
    query.addBindValue(qint64(toMs));
    query.addBindValue(qint64(fromMs));
    if (!query.exec()) {
        Fail(query.lastError().text(), nullptr);
        return passes;
    }
    QSqlQuery before(db);
    before.prepare(QStringLiteral("SELECT t_ms, lat, lon, speed_kmh, heading_deg FROM points"
                                  " WHERE recording_id = ? AND t_ms <= ? ORDER BY t_ms DESC LIMIT 1"));
    QSqlQuery after(db);
    after.prepare(QStringLiteral("SELECT t_ms, lat, lon, speed_kmh, heading_deg FROM points"
                                 " WHERE recording_id = ? AND t_ms > ? ORDER BY t_ms LIMIT 1"));
    const double none = std::numeric_limits<double>::quiet_NaN();
    while (query.next()) {
        const qint64 id = query.value(0).toLongLong();
        const int64_t startMs = query.value(2).toLongLong();
        Pass pass;
        pass.file = query.value(1).toString();
        pass.offsetMs = std::max<int64_t>(0, fromMs - startMs);
        pass.time = RecorderTime(startMs + pass.offsetMs);
        pass.sourceId = query.value(3).toLongLong();
        pass.sourceLabel = query.value(4).toString();
        pass.online = query.value(5).toInt() != 0;
        pass.latitude = pass.longitude = pass.speedKmh = pass.headingDeg = pass.distanceM = none;

        // The nearer of the fixes either side of the moment, when one is near enough.
        int64_t nearest = kFixReachMs + 1;
        for (QSqlQuery *fix : { &before, &after }) {
            fix->bindValue(0, id);
            fix->bindValue(1, qint64(pass.offsetMs));
            if (fix->exec() && fix->next() && PlausibleMs(fix->value(0).toLongLong())) {
                const int64_t away = std::llabs(fix->value(0).toLongLong() - pass.offsetMs);
                if (away < nearest) {
                    nearest = away;
                    pass.latitude = fix->value(1).toDouble();
                    pass.longitude = fix->value(2).toDouble();
                    pass.speedKmh = fix->value(3).toDouble();
                    pass.headingDeg = fix->value(4).toDouble();
                }
            }
            fix->finish();
        }
        passes.push_back(pass);
    }
    return passes;
}

std::vector<TrackLine> ArchiveIndex::Tracks(const QRectF &bounds, double minStepM) const
{
    m_lastError.clear();
    std::vector<TrackLine> lines;
    const QRectF box = bounds.normalized();
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.setForwardOnly(true);
    query.prepare(
        QStringLiteral("SELECT r.id, r.track FROM recording_boxes b JOIN recordings r ON r.id = b.id"
                       " WHERE b.max_lat >= ? AND b.min_lat <= ? AND b.max_lon >= ? AND b.min_lon <= ?"
                       " ORDER BY r.start_ms, r.id"));
    query.addBindValue(box.top());
    query.addBindValue(box.bottom());
    query.addBindValue(box.left());
    query.addBindValue(box.right());
    if (!query.exec()) {
        Fail(query.lastError().text(), nullptr);
        return lines;
    }
    while (query.next()) {
        TrackLine line;
        line.recordingId = query.value(0).toLongLong();
        std::vector<QPointF> points;
        std::vector<float> speeds;
        if (!DecodeTrack(query.value(1).toByteArray(), &points, &speeds) || points.empty())
            continue;
        for (const size_t kept : ThinTrack(points, minStepM)) {
            line.points.push_back(points[kept]);
            line.speeds.push_back(speeds[kept]);
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

} // namespace archive
