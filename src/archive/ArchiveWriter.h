#pragma once

#include "archive/RecordingRead.h"

#include <QSqlError>
#include <QString>

namespace archive {

// Writes recordings into an open archive (ArchiveIndex::ConnectionName()): what ArchiveIndex's
// indexing stores, and what a tool that builds an archive without files (a benchmark) uses.
// Everything between Begin and Commit is one transaction.
class ArchiveWriter
{
public:
    explicit ArchiveWriter(const QString &connectionName);

    bool Begin();
    bool Commit();
    void Rollback();

    // The source's id, adding it when the root is new; 0 on failure.
    qint64 AddSource(const QString &root, const QString &label, bool isCard);
    bool MarkIndexed(qint64 sourceId);

    // One front recording as a listing found it.
    struct RecordingRow {
        qint64 sourceId = 0;
        QString path;
        qint64 size = 0;
        qint64 mtimeMs = 0;
        int listedSeconds = 0;
        QString rearPath;
    };
    // Stores the recording and what was read of it, in place of a stored one of the same path;
    // its id, or 0 on failure.
    qint64 WriteRecording(const RecordingRow &row, const RecordingRead &read);
    bool DeleteRecording(qint64 recordingId);
    bool SetListing(qint64 recordingId, int listedSeconds, const QString &rearPath);
    // Groups the source's stored recordings into trips (library::TripModel) and keeps each one's
    // trip where it changed.
    bool GroupTrips(qint64 sourceId);

    QString LastError() const { return m_error; }

private:
    bool Fail(const QString &what, const QString &error);
    // The same with SQLite's words, and what a write that the disk refused most likely means.
    bool Fail(const QString &what, const QSqlError &error);

    QString m_connection;
    QString m_error;
};

} // namespace archive
