#include "archive/ArchiveWriter.h"

#include "archive/ArchiveBlobs.h"
#include "archive/ArchiveLog.h"
#include "library/RecordingLibrary.h"
#include "library/TripModel.h"
#include "media/RecorderClock.h"

#include <QDateTime>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <limits>

namespace archive {

namespace {

    // A null QString binds as SQL NULL; these columns hold an empty text instead.
    QString Text(const QString &text)
    {
        return text.isNull() ? QStringLiteral("") : text;
    }

    QVariant OrNull(const std::optional<int> &value)
    {
        return value ? QVariant(*value) : QVariant(QMetaType(QMetaType::Int));
    }

} // namespace

ArchiveWriter::ArchiveWriter(const QString &connectionName)
    : m_connection(connectionName)
{
}

bool ArchiveWriter::Fail(const QString &what, const QString &error)
{
    m_error = QStringLiteral("%1: %2").arg(what, error);
    qCWarning(lcArchive) << "cannot write the archive:" << m_error;
    return false;
}

bool ArchiveWriter::Fail(const QString &what, const QSqlError &error)
{
    // SQLite's primary result codes for a write the disk did not take: SQLITE_IOERR (which is also
    // what a file size limit gives) and SQLITE_FULL.
    const int code = error.nativeErrorCode().toInt() & 0xff;
    if (code == 10 || code == 13)
        return Fail(what, error.text() + QStringLiteral(" (is the disk full?)"));
    return Fail(what, error.text());
}

bool ArchiveWriter::Begin()
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    return db.transaction() || Fail(QStringLiteral("begin"), db.lastError());
}

bool ArchiveWriter::Commit()
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    // By a statement rather than db.commit(), whose error carries no SQLite result code.
    QSqlQuery query(db);
    if (query.exec(QStringLiteral("COMMIT")))
        return true;
    Fail(QStringLiteral("commit"), query.lastError());
    db.rollback();
    return false;
}

void ArchiveWriter::Rollback()
{
    QSqlDatabase::database(m_connection, false).rollback();
}

qint64 ArchiveWriter::AddSource(const QString &root, const QString &label, bool isCard)
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral("SELECT id FROM sources WHERE root = ?"));
    query.addBindValue(root);
    if (query.exec() && query.next())
        return query.value(0).toLongLong();
    query.prepare(QStringLiteral("INSERT INTO sources (root, label, is_card, online) VALUES (?, ?, ?, 1)"));
    query.addBindValue(root);
    query.addBindValue(label);
    query.addBindValue(isCard ? 1 : 0);
    if (!query.exec()) {
        Fail(QStringLiteral("add source %1").arg(root), query.lastError());
        return 0;
    }
    return query.lastInsertId().toLongLong();
}

bool ArchiveWriter::MarkIndexed(qint64 sourceId)
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral("UPDATE sources SET online = 1, indexed_at = ? WHERE id = ?"));
    query.addBindValue(QDateTime::currentMSecsSinceEpoch());
    query.addBindValue(sourceId);
    return query.exec() || Fail(QStringLiteral("mark source indexed"), query.lastError());
}

bool ArchiveWriter::DeleteRecording(qint64 recordingId)
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    const QString statements[] = {
        QStringLiteral("DELETE FROM point_boxes WHERE id IN (SELECT id FROM points WHERE recording_id = ?)"),
        QStringLiteral("DELETE FROM points WHERE recording_id = ?"),
        QStringLiteral("DELETE FROM recording_boxes WHERE id = ?"),
        QStringLiteral("DELETE FROM recordings WHERE id = ?"),
    };
    for (const QString &statement : statements) {
        query.prepare(statement);
        query.addBindValue(recordingId);
        if (!query.exec())
            return Fail(QStringLiteral("delete recording %1").arg(recordingId), query.lastError());
    }
    return true;
}

qint64 ArchiveWriter::WriteRecording(const RecordingRow &row, const RecordingRead &read)
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT id FROM recordings WHERE source_id = ? AND path = ?"));
    query.addBindValue(row.sourceId);
    query.addBindValue(row.path);
    if (!query.exec()) {
        Fail(QStringLiteral("look up %1").arg(row.path), query.lastError());
        return 0;
    }
    if (query.next() && !DeleteRecording(query.value(0).toLongLong()))
        return 0;

    const library::RecordingName name = library::ParseRecordingName(row.path);
    const QDateTime start = media::RecorderClock::NameTime(row.path);
    const int64_t listedMs = int64_t(std::max(0, row.listedSeconds)) * 1000;
    const library::RecordingSummary &summary = read.summary;
    query.prepare(QStringLiteral(
        "INSERT INTO recordings (source_id, path, size, mtime_ms, kind, channel, start_ms, listed_s, real_ms,"
        " length_ms, utc_offset_s, rear_path, read_ok, fixes, distance_m, max_speed_kmh, impacts, "
        "point_count,"
        " summary, track) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    query.addBindValue(row.sourceId);
    query.addBindValue(row.path);
    query.addBindValue(row.size);
    query.addBindValue(row.mtimeMs);
    query.addBindValue(Text(name.kindLetter.isNull() ? QString() : QString(name.kindLetter)));
    query.addBindValue(Text(name.channelLetter.isNull() ? QString() : QString(name.channelLetter)));
    query.addBindValue(
        start.isValid() ? QVariant(start.toMSecsSinceEpoch()) : QVariant(QMetaType(QMetaType::LongLong)));
    query.addBindValue(row.listedSeconds);
    query.addBindValue(qint64(read.realLengthMs));
    query.addBindValue(qint64(read.realLengthMs > 0 ? read.realLengthMs : listedMs));
    query.addBindValue(OrNull(summary.utcOffsetSeconds));
    query.addBindValue(Text(row.rearPath));
    query.addBindValue(read.ok ? 1 : 0);
    query.addBindValue(summary.fixes);
    query.addBindValue(summary.distanceM);
    query.addBindValue(summary.maxSpeedKmh);
    query.addBindValue(int(summary.impactsMs.size()));
    query.addBindValue(int(read.points.size()));
    query.addBindValue(read.ok ? EncodeSummary(summary) : QByteArray());
    query.addBindValue(read.track);
    if (!query.exec()) {
        Fail(QStringLiteral("store %1").arg(row.path), query.lastError());
        return 0;
    }
    const qint64 id = query.lastInsertId().toLongLong();
    if (read.points.empty())
        return id;

    QSqlQuery point(db);
    point.prepare(
        QStringLiteral("INSERT INTO points (recording_id, seq, t_ms, lat, lon, speed_kmh, heading_deg)"
                       " VALUES (?, ?, ?, ?, ?, ?, ?)"));
    QSqlQuery box(db);
    box.prepare(QStringLiteral("INSERT INTO point_boxes VALUES (?, ?, ?, ?, ?)"));
    double south = std::numeric_limits<double>::max();
    double north = -south;
    double west = south;
    double east = -south;
    for (size_t i = 0; i < read.points.size(); ++i) {
        const ArchivePoint &p = read.points[i];
        point.bindValue(0, id);
        point.bindValue(1, int(i));
        point.bindValue(2, qint64(p.timeMs));
        point.bindValue(3, p.latitude);
        point.bindValue(4, p.longitude);
        point.bindValue(5, double(p.speedKmh));
        point.bindValue(6, double(p.headingDeg));
        if (!point.exec()) {
            Fail(QStringLiteral("store the points of %1").arg(row.path), point.lastError());
            return 0;
        }
        box.bindValue(0, point.lastInsertId());
        box.bindValue(1, p.latitude);
        box.bindValue(2, p.latitude);
        box.bindValue(3, p.longitude);
        box.bindValue(4, p.longitude);
        if (!box.exec()) {
            Fail(QStringLiteral("store the points of %1").arg(row.path), box.lastError());
            return 0;
        }
        south = std::min(south, p.latitude);
        north = std::max(north, p.latitude);
        west = std::min(west, p.longitude);
        east = std::max(east, p.longitude);
    }
    box.prepare(QStringLiteral("INSERT INTO recording_boxes VALUES (?, ?, ?, ?, ?)"));
    box.addBindValue(id);
    box.addBindValue(south);
    box.addBindValue(north);
    box.addBindValue(west);
    box.addBindValue(east);
    if (!box.exec()) {
        Fail(QStringLiteral("store the track of %1").arg(row.path), box.lastError());
        return 0;
    }
    return id;
}

bool ArchiveWriter::SetListing(qint64 recordingId, int listedSeconds, const QString &rearPath)
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral("UPDATE recordings SET listed_s = ?, rear_path = ?,"
                                 " length_ms = CASE WHEN real_ms > 0 THEN real_ms ELSE ? END WHERE id = ?"));
    query.addBindValue(listedSeconds);
    query.addBindValue(Text(rearPath));
    query.addBindValue(qint64(std::max(0, listedSeconds)) * 1000);
    query.addBindValue(recordingId);
    return query.exec() || Fail(QStringLiteral("update recording %1").arg(recordingId), query.lastError());
}

bool ArchiveWriter::GroupTrips(qint64 sourceId)
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT id, path, listed_s, rear_path, trip_start_ms, trip_kind FROM "
                                 "recordings WHERE source_id = ?"));
    query.addBindValue(sourceId);
    if (!query.exec())
        return Fail(QStringLiteral("read the trips of source %1").arg(sourceId), query.lastError());
    struct Stored {
        qint64 id;
        QVariant tripStart;
        QString tripKind;
    };
    std::vector<Stored> stored;
    std::vector<library::Recording> listing;
    QHash<QString, size_t> byPath;
    while (query.next()) {
        library::Recording front;
        front.path = query.value(1).toString();
        front.lengthSeconds = query.value(2).toInt();
        byPath.insert(front.path, stored.size());
        stored.push_back({ query.value(0).toLongLong(), query.value(4), query.value(5).toString() });
        const QString rear = query.value(3).toString();
        listing.push_back(front);
        if (!rear.isEmpty()) {
            front.path = rear;
            listing.push_back(front);
        }
    }
    library::TripModel model;
    model.Build(listing);

    std::vector<std::pair<QVariant, QString>> wanted(
        stored.size(), { QVariant(QMetaType(QMetaType::LongLong)), QString() });
    for (const library::Trip &trip : model.Trips()) {
        const QString kind
            = trip.kind == library::TripKind::Drive ? QStringLiteral("D") : QStringLiteral("P");
        for (const library::TripRecording &recording : trip.recordings) {
            const auto at = byPath.constFind(recording.path);
            if (at != byPath.constEnd())
                wanted[*at] = { QVariant(trip.start.toMSecsSinceEpoch()), kind };
        }
    }
    QSqlQuery update(db);
    update.prepare(QStringLiteral("UPDATE recordings SET trip_start_ms = ?, trip_kind = ? WHERE id = ?"));
    for (size_t i = 0; i < stored.size(); ++i) {
        const bool same = stored[i].tripStart.isNull() == wanted[i].first.isNull()
            && (wanted[i].first.isNull() || stored[i].tripStart.toLongLong() == wanted[i].first.toLongLong())
            && stored[i].tripKind == wanted[i].second;
        if (same)
            continue;
        update.bindValue(0, wanted[i].first);
        update.bindValue(
            1, wanted[i].second.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : wanted[i].second);
        update.bindValue(2, stored[i].id);
        if (!update.exec())
            return Fail(QStringLiteral("group the trips of source %1").arg(sourceId), update.lastError());
    }
    return true;
}

} // namespace archive
