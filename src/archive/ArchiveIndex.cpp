#include "archive/ArchiveIndex.h"

#include "archive/ArchiveLog.h"
#include "archive/ArchiveSchema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTimeZone>
#include <QVariant>

namespace archive {

namespace {

    // How long a connection waits for another one's write before it calls the file locked.
    constexpr int kBusyTimeoutMs = 3000;

    // SQLite's primary result codes that tell what is wrong with a file.
    enum SqliteCode {
        kBusy = 5,
        kLocked = 6,
        kReadOnly = 8,
        kIoError = 10,
        kCorrupt = 11,
        kCantOpen = 14,
        kNotADatabase = 26,
        kPermission = 3
    };

    int PrimaryCode(const QSqlError &error)
    {
        return error.nativeErrorCode().toInt() & 0xff;
    }

    // Which way a file that cannot serve as the archive goes aside; empty when the error is the
    // folder's (nothing to move, no new file would do better).
    QString ProblemOf(const QSqlError &error)
    {
        switch (PrimaryCode(error)) {
        case kBusy:
        case kLocked:
            return QStringLiteral("locked");
        case kReadOnly:
        case kCantOpen:
        case kPermission:
            return {};
        default:
            return QStringLiteral("damaged");
        }
    }

    // Whether a file that cannot be used may be moved aside as a damaged archive: a database file
    // (its header says so), an empty one, or one named as the program names its archive. Any other
    // file was given by mistake (a recording, a document) and is left where it is.
    bool MayBeAnArchive(const QString &path)
    {
        QFile file(path);
        if (QFileInfo(path).fileName() == ArchiveIndex::DefaultFileName() || !file.open(QIODevice::ReadOnly)
            || file.size() == 0)
            return true;
        return file.read(16) == QByteArray("SQLite format 3\0", 16);
    }

    QString NextConnectionName()
    {
        static std::atomic_int counter { 0 };
        return QStringLiteral("tavin.archive.%1").arg(++counter);
    }

    // Moves the file and its journal aside under a name that tells why and when; the new name.
    QString MoveAside(const QString &path, const QString &problem, QString *error)
    {
        const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
        QString target = QStringLiteral("%1.%2-%3").arg(path, problem, stamp);
        for (int n = 2; QFileInfo::exists(target); ++n)
            target = QStringLiteral("%1.%2-%3-%4").arg(path, problem, stamp).arg(n);
        if (QFileInfo::exists(path) && !QFile::rename(path, target)) {
            *error = QStringLiteral("cannot move %1 aside").arg(QDir::toNativeSeparators(path));
            return {};
        }
        for (const char *suffix : { "-wal", "-shm" }) {
            const QString side = path + QLatin1String(suffix);
            if (QFileInfo::exists(side) && !QFile::rename(side, target + QLatin1String(suffix)))
                QFile::remove(side);
        }
        return target;
    }

} // namespace

ArchiveIndex::ArchiveIndex()
    : m_connection(NextConnectionName())
{
}

ArchiveIndex::~ArchiveIndex()
{
    Close();
}

QString ArchiveIndex::DefaultPath()
{
    const QString chosen = qEnvironmentVariable("TAVIN_ARCHIVE_DB");
    if (!chosen.isEmpty())
        return chosen;
    // The viewer's application data folder, named here so that tavin-cli finds the same file.
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/tavin-viewer/") + DefaultFileName();
}

QString ArchiveIndex::DefaultFileName()
{
    return QStringLiteral("archive.sqlite");
}

bool ArchiveIndex::Fail(const QString &reason, QString *error) const
{
    m_lastError = reason;
    if (error)
        *error = reason;
    return false;
}

bool ArchiveIndex::OpenOnce(const QString &path, Check check, QString *problem, QString *reason)
{
    problem->clear();
    {
        QSqlDatabase db = QSqlDatabase::contains(m_connection)
            ? QSqlDatabase::database(m_connection, false)
            : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
        if (!db.isValid()) {
            *reason = QStringLiteral("Qt's SQLite driver (QSQLITE) is not installed");
            return false;
        }
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
        if (!db.open()) {
            *problem = ProblemOf(db.lastError());
            *reason = db.lastError().text();
            return false;
        }
        QSqlQuery query(db);
        const auto run = [&](const QString &statement) {
            if (query.exec(statement))
                return true;
            *problem = ProblemOf(query.lastError());
            *reason = query.lastError().text();
            return false;
        };
        if (!run(QStringLiteral("PRAGMA user_version")) || !query.next())
            return false;
        const int version = query.value(0).toInt();
        // No version of the program writes a negative layout: the header is damaged.
        if (version < 0) {
            *problem = QStringLiteral("damaged");
            *reason = QStringLiteral("its layout number %1 is not one the program writes").arg(version);
            return false;
        }
        if (version == 0) {
            // The layout is written in the same transaction as the tables: tables without it are
            // another program's, which is never changed or moved.
            if (!run(QStringLiteral("SELECT count(*) FROM sqlite_master")) || !query.next())
                return false;
            if (query.value(0).toInt() > 0) {
                problem->clear();
                *reason = QStringLiteral("it is another program's database; it was left as it is");
                return false;
            }
        }
        if (version > kArchiveSchemaVersion) {
            *problem = QStringLiteral("newer");
            *reason = QStringLiteral("it was written by a newer version of the program (layout %1, this one "
                                     "knows up to %2)")
                          .arg(version)
                          .arg(kArchiveSchemaVersion);
            return false;
        }
        if (check == Check::Full) {
            if (!run(QStringLiteral("PRAGMA quick_check")) || !query.next())
                return false;
            if (query.value(0).toString() != QLatin1String("ok")) {
                *problem = QStringLiteral("damaged");
                *reason = QStringLiteral("its check failed: %1").arg(query.value(0).toString());
                return false;
            }
        }
        if (!run(QStringLiteral("PRAGMA journal_mode = WAL"))
            || !run(QStringLiteral("PRAGMA synchronous = NORMAL")))
            return false;
        QString error;
        if (!MigrateArchive(db, version, &error)) {
            *problem = ProblemOf(db.lastError());
            *reason = error;
            return false;
        }
    }
    return true;
}

bool ArchiveIndex::Open(const QString &path, QString *note, Check check)
{
    Close();
    if (note)
        note->clear();
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const QString folder = QFileInfo(absolute).absolutePath();
    if (!QDir().mkpath(folder))
        return Fail(
            QStringLiteral("cannot create the archive's folder %1").arg(QDir::toNativeSeparators(folder)),
            note);

    QString problem;
    QString reason;
    if (QFileInfo(absolute).isFile() && !MayBeAnArchive(absolute)) {
        return Fail(QStringLiteral("%1 is not an archive (no database file); it was left as it is")
                        .arg(QDir::toNativeSeparators(absolute)),
            note);
    }
    if (OpenOnce(absolute, check, &problem, &reason)) {
        m_path = absolute;
        return true;
    }
    Close();
    if (problem.isEmpty() || !QFileInfo::exists(absolute)) {
        return Fail(
            QStringLiteral("cannot open the archive %1: %2").arg(QDir::toNativeSeparators(absolute), reason),
            note);
    }
    QString moveError;
    const QString aside = MoveAside(absolute, problem, &moveError);
    if (aside.isEmpty())
        return Fail(QStringLiteral("the archive %1 cannot be used (%2) and %3")
                        .arg(QDir::toNativeSeparators(absolute), reason, moveError),
            note);
    const QString told
        = QStringLiteral("The archive %1 could not be used (%2); it was moved to %3 and a new "
                         "one was started. Add the cards and folders again to fill it.")
              .arg(QDir::toNativeSeparators(absolute), reason, QDir::toNativeSeparators(aside));
    qCWarning(lcArchive) << told;
    if (note)
        *note = told;
    if (!OpenOnce(absolute, check, &problem, &reason)) {
        Close();
        return Fail(QStringLiteral("cannot start a new archive %1: %2")
                        .arg(QDir::toNativeSeparators(absolute), reason),
            note);
    }
    m_path = absolute;
    return true;
}

bool ArchiveIndex::OpenForReading(const QString &path, QString *error)
{
    Close();
    const QString absolute = QFileInfo(path).absoluteFilePath();
    // SQLite would make an empty file of a path that is not there.
    if (!QFileInfo(absolute).isFile())
        return Fail(QStringLiteral("no archive at %1").arg(QDir::toNativeSeparators(absolute)), error);
    QString reason;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
        db.setDatabaseName(absolute);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
        if (!db.open()) {
            reason = db.lastError().text();
        } else {
            QSqlQuery query(db);
            if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next())
                reason = query.lastError().text();
            else if (query.value(0).toInt() != kArchiveSchemaVersion)
                reason = QStringLiteral("its layout is %1, not %2")
                             .arg(query.value(0).toInt())
                             .arg(kArchiveSchemaVersion);
        }
    }
    if (!reason.isEmpty()) {
        Close();
        return Fail(
            QStringLiteral("cannot read the archive %1: %2").arg(QDir::toNativeSeparators(absolute), reason),
            error);
    }
    m_path = absolute;
    return true;
}

void ArchiveIndex::Close()
{
    if (!QSqlDatabase::contains(m_connection))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
    m_path.clear();
}

bool ArchiveIndex::IsOpen() const
{
    return QSqlDatabase::contains(m_connection) && QSqlDatabase::database(m_connection, false).isOpen();
}

QString ArchiveIndex::Path() const
{
    return m_path;
}

std::vector<ArchiveSource> ArchiveIndex::Sources() const
{
    m_lastError.clear();
    std::vector<ArchiveSource> sources;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    if (!query.exec(QStringLiteral(
            "SELECT s.id, s.root, s.label, s.is_card, s.online, s.indexed_at,"
            " (SELECT COUNT(*) FROM recordings r WHERE r.source_id = s.id) FROM sources s ORDER BY s.id"))) {
        Fail(query.lastError().text(), nullptr);
        return sources;
    }
    while (query.next()) {
        ArchiveSource source;
        source.id = query.value(0).toLongLong();
        source.root = query.value(1).toString();
        source.label = query.value(2).toString();
        source.isCard = query.value(3).toInt() != 0;
        source.online = query.value(4).toInt() != 0;
        if (!query.value(5).isNull())
            source.indexedAt = QDateTime::fromMSecsSinceEpoch(query.value(5).toLongLong(), QTimeZone::utc());
        source.recordings = query.value(6).toInt();
        sources.push_back(source);
    }
    return sources;
}

qint64 ArchiveIndex::SourceIdOf(const QString &root) const
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral("SELECT id FROM sources WHERE root = ?"));
    query.addBindValue(QDir::cleanPath(QDir(root).absolutePath()));
    if (query.exec() && query.next())
        return query.value(0).toLongLong();
    return 0;
}

void ArchiveIndex::SetOnline(qint64 sourceId, bool online)
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral("UPDATE sources SET online = ? WHERE id = ? AND online != ?"));
    query.addBindValue(online ? 1 : 0);
    query.addBindValue(sourceId);
    query.addBindValue(online ? 1 : 0);
    if (!query.exec())
        qCWarning(lcArchive) << "cannot mark source" << sourceId
                             << "online or offline:" << query.lastError().text();
}

void ArchiveIndex::UpdateOnline()
{
    for (const ArchiveSource &source : Sources())
        SetOnline(source.id, QFileInfo(source.root).isDir());
}

bool ArchiveIndex::RemoveSource(qint64 id)
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT COUNT(*) FROM sources WHERE id = ?"));
    query.addBindValue(id);
    if (!query.exec() || !query.next() || query.value(0).toInt() == 0)
        return Fail(QStringLiteral("no source %1 in the archive").arg(id), nullptr);
    if (!db.transaction())
        return Fail(db.lastError().text(), nullptr);
    // Only rows go; the folder and its recordings are not touched.
    const QString statements[] = {
        QStringLiteral("DELETE FROM point_boxes WHERE id IN (SELECT p.id FROM points p JOIN recordings r"
                       " ON p.recording_id = r.id WHERE r.source_id = ?)"),
        QStringLiteral(
            "DELETE FROM points WHERE recording_id IN (SELECT id FROM recordings WHERE source_id = ?)"),
        QStringLiteral(
            "DELETE FROM recording_boxes WHERE id IN (SELECT id FROM recordings WHERE source_id = ?)"),
        QStringLiteral("DELETE FROM recordings WHERE source_id = ?"),
        QStringLiteral("DELETE FROM sources WHERE id = ?"),
    };
    for (const QString &statement : statements) {
        query.prepare(statement);
        query.addBindValue(id);
        if (!query.exec()) {
            const QString error = query.lastError().text();
            db.rollback();
            return Fail(QStringLiteral("cannot remove source %1: %2").arg(id).arg(error), nullptr);
        }
    }
    if (!db.commit()) {
        const QString error = db.lastError().text();
        db.rollback();
        return Fail(QStringLiteral("cannot remove source %1: %2").arg(id).arg(error), nullptr);
    }
    return true;
}

} // namespace archive
