#pragma once

#include "library/Trip.h"

#include <QDate>
#include <QDateTime>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <vector>

namespace archive {

// A card or folder the archive has indexed.
struct ArchiveSource {
    qint64 id = 0;
    QString root; // absolute path, as added
    QString label; // the folder's name, or a card's root
    bool isCard = false;
    bool online = false; // its root was there when last looked at (UpdateOnline, AddFolder, Refresh)
    QDateTime indexedAt; // UTC, when it was last indexed
    int recordings = 0; // front recordings indexed
};

// A moment of a recording that a query found: a pass near a place, or the first moment of a span.
struct Pass {
    QDateTime time; // the recorder's local time, held as UTC like library::Trip
    QString file; // the front file's path as stored
    qint64 offsetMs = 0; // into that file
    double latitude = 0; // NaN where the recording's GPS does not tell
    double longitude = 0;
    double speedKmh = 0;
    double headingDeg = 0;
    double distanceM = 0; // from the asked point; NaN for PassesBetween
    qint64 sourceId = 0;
    QString sourceLabel;
    bool online = false; // whether its source was online when last looked at
};

// What one AddFolder or Refresh did.
struct IndexReport {
    int added = 0; // recordings new to the archive
    int changed = 0; // re-read because their size or modification time changed
    int unchanged = 0;
    int removed = 0; // gone from the folder, so taken out of the archive
    int failed = 0; // could not be read: listed in the archive without telemetry (failures says why)
    double telemetrySeconds = 0; // spent reading telemetry
    double totalSeconds = 0;
    QStringList failures; // "path: reason"
    bool cancelled = false; // stopped early; what was indexed stays, nothing was removed
};

// A trip of one source, rebuilt from the archive.
struct ArchivedTrip {
    library::Trip trip; // paths as stored; the summaries' numbers filled in
    qint64 sourceId = 0;
    QString sourceLabel;
    bool online = false;
};

// A recording's simplified track for the archive's map.
struct TrackLine {
    qint64 recordingId = 0;
    std::vector<QPointF> points; // x longitude, y latitude, in decimal degrees
    std::vector<float> speeds; // km/h, one per point
};

// The archive: every card and backup folder the user added, indexed in one SQLite file so that
// drives can be found by day and by place without the cards at hand. The archive holds only what
// it read from the recordings (names, sizes, times, GPS points, summaries): nothing in it is the only
// copy of anything, and removing a source or the whole file deletes no recording.
//
// One ArchiveIndex per thread: each opens its own connection, and the file is kept in WAL mode so
// that a window reads while a worker indexes. Safe on a worker thread; no widgets.
class ArchiveIndex
{
public:
    // Tells what is being indexed: files looked at so far, their total, the current file.
    using Progress = std::function<void(int done, int total, const QString &file)>;

    ArchiveIndex();
    ~ArchiveIndex();
    ArchiveIndex(const ArchiveIndex &) = delete;
    ArchiveIndex &operator=(const ArchiveIndex &) = delete;

    // The application data folder's "archive.sqlite", or the path in TAVIN_ARCHIVE_DB when set.
    static QString DefaultPath();
    // The name the program gives its archive file.
    static QString DefaultFileName();

    // How far Open() looks for damage: Full reads every page (seconds on a large archive, so on a
    // worker); HeaderOnly checks the file's header and layout, for a window that must not wait.
    enum class Check { Full, HeaderOnly };

    // Opens the archive file, creating it or bringing its layout up to date. A file that is
    // damaged, from a newer version of the program, or kept locked by another program is moved
    // aside ("archive.sqlite.damaged-20240307-090530", ".newer-", ".locked-") and a fresh one
    // made; note then tells what happened. A file that is no database and not named as the
    // archive, or another program's database, is never changed or moved. False, with the reason in
    // note, when it is such a file or no archive can be made at all (the folder cannot be written).
    bool Open(const QString &path, QString *note = nullptr, Check check = Check::Full);
    // Opens an archive that another connection keeps, only to query it from a thread of its own:
    // nothing is created, brought up to date or moved aside. False with the reason when the file
    // is not there or not of this program's layout.
    bool OpenForReading(const QString &path, QString *error = nullptr);
    void Close();
    bool IsOpen() const;
    QString Path() const;

    // Indexes a card or folder, registering it when it is new (a folder already added is
    // refreshed). Only recordings that are new or whose size or modification time changed are
    // read; rows of files gone from the folder are deleted. `cancel`, when set, stops after the
    // batch in hand (what was indexed stays, report->cancelled tells). False with error when the
    // folder is not there or the archive cannot be written; single files that cannot be read go
    // to report->failures and are kept without telemetry. `progress` is called on this thread.
    bool AddFolder(const QString &root, bool isCard, const std::atomic_bool *cancel = nullptr,
        const Progress &progress = {}, IndexReport *report = nullptr, QString *error = nullptr);
    // The same for a source already added; false when it is offline or unknown.
    bool Refresh(qint64 sourceId, const std::atomic_bool *cancel = nullptr, const Progress &progress = {},
        IndexReport *report = nullptr, QString *error = nullptr);
    // Marks every source whose root is missing (a card taken out) offline, and those back online;
    // their rows stay either way.
    void UpdateOnline();
    // Deletes the source's rows from the archive; never a file. False when it is unknown.
    bool RemoveSource(qint64 id);

    std::vector<ArchiveSource> Sources() const;
    // The source whose root is this folder (after making it absolute and clean), or 0.
    qint64 SourceIdOf(const QString &root) const;

    // The recorder's local dates on which some source has a drive recording, in order.
    std::vector<QDate> DaysWithDrives() const;
    // The trips (drives and parking sessions) of every source that start on the recorder's date,
    // in order of start, grouped per source as library::TripModel does.
    std::vector<ArchivedTrip> TripsOn(const QDate &day) const;

    // Every time the car passed within radiusM of the place: a run of GPS points within the radius,
    // over one recording or a trip's consecutive ones, is one pass, reported at its closest point.
    // In order of time.
    std::vector<Pass> PassesNear(double latitude, double longitude, double radiusM) const;
    // For each recording that overlaps [from, to) on the recorder's clock, its first moment inside
    // the span, with position and speed there where its GPS tells (else NaN). In order of time.
    std::vector<Pass> PassesBetween(const QDateTime &from, const QDateTime &to) const;

    // The simplified tracks of the recordings that cross the bounds (x longitude, y latitude),
    // thinned so that no two kept points are nearer than minStepM (the ends are kept).
    std::vector<TrackLine> Tracks(const QRectF &bounds, double minStepM) const;

    // Why the last call failed, when it did.
    QString LastError() const { return m_lastError; }
    // The Qt SQL connection of this thread's archive, for ArchiveWriter.
    QString ConnectionName() const { return m_connection; }

private:
    bool OpenOnce(const QString &path, Check check, QString *problem, QString *reason);
    bool Index(qint64 sourceId, const QString &root, const std::atomic_bool *cancel, const Progress &progress,
        IndexReport *report, QString *error);
    void SetOnline(qint64 sourceId, bool online);
    bool Fail(const QString &reason, QString *error) const;

    QString m_connection;
    QString m_path;
    mutable QString m_lastError;
};

} // namespace archive
