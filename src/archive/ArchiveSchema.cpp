#include "archive/ArchiveSchema.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

#include <functional>
#include <vector>

namespace archive {

namespace {

    bool Run(QSqlDatabase &db, const QStringList &statements, QString *error)
    {
        QSqlQuery query(db);
        for (const QString &statement : statements) {
            if (!query.exec(statement)) {
                *error = query.lastError().text();
                return false;
            }
        }
        return true;
    }

    // Version 1. Times are milliseconds; a recording's start is its name's time on the recorder's
    // clock counted as if it were UTC, like library::Trip holds it. Coordinates are decimal degrees.
    bool CreateVersion1(QSqlDatabase &db, QString *error)
    {
        return Run(db,
            {
                QStringLiteral("CREATE TABLE sources ("
                               " id INTEGER PRIMARY KEY,"
                               " root TEXT NOT NULL UNIQUE,"
                               " label TEXT NOT NULL,"
                               " is_card INTEGER NOT NULL,"
                               " online INTEGER NOT NULL DEFAULT 1,"
                               " indexed_at INTEGER)"),
                // size and mtime tell whether the file must be read again. trip_start_ms with
                // source_id names the trip; trip_kind is 'D' (drive) or 'P' (parking).
                QStringLiteral("CREATE TABLE recordings ("
                               " id INTEGER PRIMARY KEY,"
                               " source_id INTEGER NOT NULL REFERENCES sources(id),"
                               " path TEXT NOT NULL,"
                               " size INTEGER NOT NULL,"
                               " mtime_ms INTEGER NOT NULL,"
                               " kind TEXT NOT NULL,"
                               " channel TEXT NOT NULL,"
                               " start_ms INTEGER,"
                               " listed_s INTEGER NOT NULL,"
                               " real_ms INTEGER NOT NULL,"
                               " length_ms INTEGER NOT NULL,"
                               " utc_offset_s INTEGER,"
                               " rear_path TEXT NOT NULL DEFAULT '',"
                               " read_ok INTEGER NOT NULL,"
                               " fixes INTEGER NOT NULL,"
                               " distance_m REAL NOT NULL,"
                               " max_speed_kmh REAL NOT NULL,"
                               " impacts INTEGER NOT NULL,"
                               " point_count INTEGER NOT NULL,"
                               " trip_start_ms INTEGER,"
                               " trip_kind TEXT,"
                               " summary BLOB,"
                               " track BLOB,"
                               " UNIQUE (source_id, path))"),
                QStringLiteral("CREATE INDEX recordings_start ON recordings (start_ms)"),
                QStringLiteral("CREATE INDEX recordings_trip ON recordings (trip_start_ms)"),
                // seq is the point's place in its recording: passes are runs of successive points.
                QStringLiteral("CREATE TABLE points ("
                               " id INTEGER PRIMARY KEY,"
                               " recording_id INTEGER NOT NULL,"
                               " seq INTEGER NOT NULL,"
                               " t_ms INTEGER NOT NULL,"
                               " lat REAL NOT NULL,"
                               " lon REAL NOT NULL,"
                               " speed_kmh REAL NOT NULL,"
                               " heading_deg REAL NOT NULL)"),
                QStringLiteral("CREATE INDEX points_recording ON points (recording_id, t_ms)"),
                // The place search's prefilter: each point as a box of no size, by the point's id.
                QStringLiteral(
                    "CREATE VIRTUAL TABLE point_boxes USING rtree (id, min_lat, max_lat, min_lon, max_lon)"),
                // The map's: each recording's track as its bounding box, by the recording's id.
                QStringLiteral("CREATE VIRTUAL TABLE recording_boxes USING rtree (id, min_lat, max_lat, "
                               "min_lon, max_lon)"),
            },
            error);
    }

} // namespace

bool MigrateArchive(QSqlDatabase &db, int fromVersion, QString *error)
{
    // Step i brings version i to i + 1; a later layout appends its step here.
    const std::vector<std::function<bool(QSqlDatabase &, QString *)>> steps { CreateVersion1 };
    static_assert(kArchiveSchemaVersion == 1, "a new layout needs its migration step");
    if (fromVersion >= int(steps.size()))
        return true;
    if (!db.transaction()) {
        *error = db.lastError().text();
        return false;
    }
    for (int version = fromVersion; version < int(steps.size()); ++version) {
        if (!steps[size_t(version)](db, error)) {
            db.rollback();
            return false;
        }
    }
    if (!Run(db, { QStringLiteral("PRAGMA user_version = %1").arg(kArchiveSchemaVersion) }, error)) {
        db.rollback();
        return false;
    }
    if (!db.commit()) {
        *error = db.lastError().text();
        db.rollback();
        return false;
    }
    return true;
}

} // namespace archive
