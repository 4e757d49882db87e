// ArchiveIndex: reading cards and folders into the archive.

#include "archive/ArchiveIndex.h"

#include "archive/ArchiveLog.h"
#include "archive/ArchiveWriter.h"
#include "archive/RecordingRead.h"
#include "library/RecordingLibrary.h"
#include "library/RecordingName.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <thread>

namespace archive {

namespace {

    // Files read, then written in one transaction: few enough that a cancel is honoured soon and
    // progress moves, many enough that a transaction's cost is shared.
    constexpr int kBatchFiles = 32;

    struct StoredFile {
        qint64 id = 0;
        qint64 size = 0;
        qint64 mtimeMs = 0;
        int listedSeconds = 0;
        QString rearPath;
        bool seen = false;
    };

    // Reads the files on a few workers, as many as the machine has cores up to four: a card is
    // read faster by a few readers at once, and more only compete for it.
    std::vector<RecordingRead> ReadAll(const std::vector<ArchiveWriter::RecordingRow> &rows)
    {
        std::vector<RecordingRead> reads(rows.size());
        std::atomic<size_t> next { 0 };
        const auto work = [&]() {
            for (size_t i = next++; i < rows.size(); i = next++)
                reads[i] = ReadRecordingForArchive(rows[i].path);
        };
        const unsigned workers = std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
        std::vector<std::thread> threads;
        for (unsigned i = 1; i < workers && i < rows.size(); ++i)
            threads.emplace_back(work);
        work();
        for (std::thread &thread : threads)
            thread.join();
        return reads;
    }

} // namespace

bool ArchiveIndex::AddFolder(const QString &root, bool isCard, const std::atomic_bool *cancel,
    const Progress &progress, IndexReport *report, QString *error)
{
    IndexReport local;
    IndexReport *out = report ? report : &local;
    *out = {};
    if (!IsOpen())
        return Fail(QStringLiteral("the archive is not open"), error);
    const QString absolute = QDir::cleanPath(QDir(root).absolutePath());
    if (!QFileInfo(absolute).isDir()) {
        if (const qint64 known = SourceIdOf(absolute))
            SetOnline(known, false);
        return Fail(
            QStringLiteral("%1 is not a folder that can be read").arg(QDir::toNativeSeparators(root)), error);
    }
    QString label = isCard ? QDir::toNativeSeparators(absolute) : QFileInfo(absolute).fileName();
    if (label.isEmpty())
        label = QDir::toNativeSeparators(absolute);
    ArchiveWriter writer(m_connection);
    const qint64 id = writer.AddSource(absolute, label, isCard);
    if (id == 0)
        return Fail(writer.LastError(), error);
    return Index(id, absolute, cancel, progress, out, error);
}

bool ArchiveIndex::Refresh(qint64 sourceId, const std::atomic_bool *cancel, const Progress &progress,
    IndexReport *report, QString *error)
{
    IndexReport local;
    IndexReport *out = report ? report : &local;
    *out = {};
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral("SELECT root FROM sources WHERE id = ?"));
    query.addBindValue(sourceId);
    if (!query.exec() || !query.next())
        return Fail(QStringLiteral("no source %1 in the archive").arg(sourceId), error);
    const QString root = query.value(0).toString();
    if (!QFileInfo(root).isDir()) {
        SetOnline(sourceId, false);
        return Fail(QStringLiteral("%1 is not there (a card taken out?); its recordings stay in the archive")
                        .arg(QDir::toNativeSeparators(root)),
            error);
    }
    return Index(sourceId, root, cancel, progress, out, error);
}

bool ArchiveIndex::Index(qint64 sourceId, const QString &root, const std::atomic_bool *cancel,
    const Progress &progress, IndexReport *report, QString *error)
{
    QElapsedTimer total;
    total.start();
    const auto cancelled = [cancel]() { return cancel && cancel->load(); };
    const std::vector<library::Recording> listing
        = library::ListRecordings(root, library::VideoExtensions(), cancel);
    const bool listedAll = !cancelled();

    QHash<QString, QString> rearByKey;
    std::vector<const library::Recording *> fronts;
    for (const library::Recording &recording : listing) {
        if (library::ParseRecordingName(recording.path).IsRear())
            rearByKey.insert(library::PairKey(recording.path), recording.path);
        else
            fronts.push_back(&recording);
    }

    QHash<QString, StoredFile> stored;
    {
        QSqlQuery query(QSqlDatabase::database(m_connection, false));
        query.setForwardOnly(true);
        query.prepare(QStringLiteral(
            "SELECT id, path, size, mtime_ms, listed_s, rear_path FROM recordings WHERE source_id = ?"));
        query.addBindValue(sourceId);
        if (!query.exec())
            return Fail(QStringLiteral("cannot read the archive: %1").arg(query.lastError().text()), error);
        while (query.next()) {
            stored.insert(query.value(1).toString(),
                { query.value(0).toLongLong(), query.value(2).toLongLong(), query.value(3).toLongLong(),
                    query.value(4).toInt(), query.value(5).toString(), false });
        }
    }

    struct Relisted {
        qint64 id;
        int listedSeconds;
        QString rearPath;
    };
    std::vector<Relisted> relisted;
    std::vector<ArchiveWriter::RecordingRow> toRead;
    std::vector<bool> isNew;
    for (const library::Recording *recording : fronts) {
        const QFileInfo info(recording->path);
        ArchiveWriter::RecordingRow row;
        row.sourceId = sourceId;
        row.path = recording->path;
        row.size = info.size();
        row.mtimeMs = info.lastModified().toMSecsSinceEpoch();
        row.listedSeconds = recording->lengthSeconds;
        row.rearPath = rearByKey.value(library::PairKey(recording->path));
        const auto known = stored.find(recording->path);
        if (known != stored.end()) {
            known->seen = true;
            if (known->size == row.size && known->mtimeMs == row.mtimeMs) {
                ++report->unchanged;
                if (known->listedSeconds != row.listedSeconds || known->rearPath != row.rearPath)
                    relisted.push_back({ known->id, row.listedSeconds, row.rearPath });
                continue;
            }
        }
        isNew.push_back(known == stored.end());
        toRead.push_back(row);
    }

    const int totalFiles = int(fronts.size());
    int done = report->unchanged;
    if (progress)
        progress(done, totalFiles, QString());
    ArchiveWriter writer(m_connection);
    const auto writeFailed = [&]() {
        writer.Rollback();
        report->totalSeconds = double(total.nsecsElapsed()) / 1e9;
        return Fail(QStringLiteral("cannot write the archive %1: %2").arg(m_path, writer.LastError()), error);
    };
    for (size_t first = 0; first < toRead.size(); first += kBatchFiles) {
        if (cancelled())
            break;
        const size_t end = std::min(toRead.size(), first + kBatchFiles);
        const std::vector<ArchiveWriter::RecordingRow> batch(
            toRead.begin() + qsizetype(first), toRead.begin() + qsizetype(end));
        QElapsedTimer reading;
        reading.start();
        const std::vector<RecordingRead> reads = ReadAll(batch);
        report->telemetrySeconds += double(reading.nsecsElapsed()) / 1e9;
        // A card taken out fails the reads of its files: they must not go in as unreadable with
        // their listed size and time, or they would pass for unchanged and never be read again.
        for (size_t i = 0; i < batch.size(); ++i) {
            if (reads[i].ok || QFileInfo::exists(batch[i].path))
                continue;
            SetOnline(sourceId, false);
            report->cancelled = true;
            report->totalSeconds = double(total.nsecsElapsed()) / 1e9;
            return Fail(
                QStringLiteral("%1 went away while it was indexed (was the card taken out?): %2 of %3 "
                               "recordings were read and stay in the archive; the rest are read "
                               "when it is back")
                    .arg(QDir::toNativeSeparators(root))
                    .arg(done)
                    .arg(totalFiles),
                error);
        }
        if (!writer.Begin())
            return writeFailed();
        for (size_t i = 0; i < batch.size(); ++i) {
            if (writer.WriteRecording(batch[i], reads[i]) == 0)
                return writeFailed();
            if (!reads[i].ok) {
                ++report->failed;
                report->failures << QStringLiteral("%1: %2").arg(
                    QDir::toNativeSeparators(batch[i].path), reads[i].error);
            } else if (isNew[first + i]) {
                ++report->added;
            } else {
                ++report->changed;
            }
        }
        if (!writer.Commit())
            return writeFailed();
        for (const ArchiveWriter::RecordingRow &row : batch) {
            if (progress)
                progress(++done, totalFiles, row.path);
        }
    }
    report->cancelled = cancelled() || !listedAll;

    if (!writer.Begin())
        return writeFailed();
    // A listing cut short by a cancel does not tell what is gone.
    if (listedAll) {
        for (auto it = stored.cbegin(); it != stored.cend(); ++it) {
            if (it->seen)
                continue;
            if (!writer.DeleteRecording(it->id))
                return writeFailed();
            ++report->removed;
        }
    }
    for (const Relisted &each : relisted) {
        if (!writer.SetListing(each.id, each.listedSeconds, each.rearPath))
            return writeFailed();
    }
    if (!writer.GroupTrips(sourceId))
        return writeFailed();
    if (!report->cancelled && !writer.MarkIndexed(sourceId))
        return writeFailed();
    if (!writer.Commit())
        return writeFailed();
    SetOnline(sourceId, QFileInfo(root).isDir());
    report->totalSeconds = double(total.nsecsElapsed()) / 1e9;
    qCDebug(lcArchive).nospace() << "indexed " << root << ": " << report->added << " added, "
                                 << report->changed << " changed, " << report->unchanged << " unchanged, "
                                 << report->removed << " removed, " << report->failed << " failed in "
                                 << report->totalSeconds << " s";
    return true;
}

} // namespace archive
