#include "panels/RecordingCopier.h"

#include "library/RecordingName.h"
#include "platform/file_attributes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <filesystem>
#include <system_error>

namespace panels {

namespace {
    constexpr qint64 kBlockBytes = 1 << 20;

    QString Tr(const char *text)
    {
        return QCoreApplication::translate("RecordingCopier", text);
    }

    // The copy being written, beside its final name: recognisable after a crash or a power cut,
    // and removed by the next copy to the same name.
    QString PartPathOf(const QString &destination)
    {
        return destination + QStringLiteral(".part");
    }
} // namespace

RecordingCopier::RecordingCopier(std::vector<CopyJob> jobs)
    : m_jobs(std::move(jobs))
{
}

std::vector<CopyJob> RecordingCopier::JobsForSave(const QStringList &paths, const QString &folder)
{
    std::vector<CopyJob> jobs;
    const QDir target(folder);
    QSet<QString> taken;
    for (const QString &path : paths) {
        QString base = library::FileNameOf(path);
        const int dot = base.lastIndexOf(QLatin1Char('.'));
        if (dot >= 0)
            base.truncate(dot);
        QString name = base + QStringLiteral(".avi");
        bool renamed = false;
        for (int n = 2; taken.contains(name.toCaseFolded()); ++n) {
            name = QStringLiteral("%1 (%2).avi").arg(base).arg(n);
            renamed = true;
        }
        taken.insert(name.toCaseFolded());
        jobs.push_back({ path, target.filePath(name), library::ParseRecordingName(path).IsRear(), renamed });
    }
    return jobs;
}

void RecordingCopier::Run(const std::atomic_bool *stop, const std::function<void(qint64, qint64)> &progress)
{
    m_stop = stop;
    m_progress = progress;
    qint64 total = 0;
    for (const CopyJob &job : m_jobs)
        total += QFileInfo(job.source).size();
    m_totalBytes = total;
    for (int i = 0; i < int(m_jobs.size()) && !Stopped(); ++i) {
        m_currentJob = i;
        if (CopyOne(m_jobs[size_t(i)]))
            m_written << m_jobs[size_t(i)].destination;
    }
    if (Stopped()) {
        m_cancel = true;
        for (const QString &path : std::as_const(m_created))
            QFile::remove(path);
        m_written.clear();
    }
}

bool RecordingCopier::CopyOne(const CopyJob &job)
{
    const auto fail = [&](const QString &reason) {
        m_failures.push_back({ job.source, job.destination, reason });
        return false;
    };
    QFile source(job.source);
    if (!source.exists()) {
        if (job.optional)
            return false;
        return fail(Tr("the recording no longer exists"));
    }
    if (!source.open(QIODevice::ReadOnly))
        return fail(source.errorString());
    const bool existed = QFileInfo::exists(job.destination);
    const QString partPath = PartPathOf(job.destination);
    QFile::remove(partPath);
    QFile target(partPath);
    const auto abandon = [&] {
        target.close();
        QFile::remove(partPath);
    };
    // Unbuffered, so that a write the disk cannot take fails at once with the system's reason.
    if (!target.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(target.errorString());
    // A card pulled out mid-copy can end the reading early without an error: the copy must then
    // have as many bytes as the recording had when it was opened.
    const qint64 expected = source.size();
    qint64 copied = 0;
    QByteArray block;
    while (!source.atEnd()) {
        if (Stopped()) {
            abandon();
            return false;
        }
        block = source.read(kBlockBytes);
        if (block.isEmpty() && source.error() != QFileDevice::NoError) {
            abandon();
            return fail(source.errorString());
        }
        // A disk that fills up first takes part of a block; writing the rest tells why it stopped.
        for (qint64 done = 0; done < block.size();) {
            const qint64 written = target.write(block.constData() + done, block.size() - done);
            if (written <= 0) {
                const QString reason = target.errorString();
                abandon();
                return fail(reason);
            }
            done += written;
        }
        m_copiedBytes += block.size();
        if (m_progress)
            m_progress(m_copiedBytes, m_totalBytes);
        copied += block.size();
    }
    if (copied != expected || source.size() != expected) {
        abandon();
        return fail(Tr("the recording could not be read to its end; was the card removed?"));
    }
    // On the disk before it takes the final name, so that a power cut leaves the old file or the
    // whole new one; the rename replaces an earlier copy in one step.
    if (!platform::SyncFile(target)) {
        const QString reason = target.errorString();
        abandon();
        return fail(reason);
    }
    target.close();
    std::error_code renamed;
    std::filesystem::rename(std::filesystem::path(partPath.toStdU16String()),
        std::filesystem::path(job.destination.toStdU16String()), renamed);
    if (renamed) {
        QFile::remove(partPath);
        return fail(QString::fromLocal8Bit(renamed.message()));
    }
    platform::SyncFolder(QFileInfo(job.destination).absolutePath()); // best effort
    // The copy keeps the recording's time, as the card shows it.
    QFile copy(job.destination);
    if (copy.open(QIODevice::ReadWrite))
        copy.setFileTime(
            source.fileTime(QFileDevice::FileModificationTime), QFileDevice::FileModificationTime);
    if (!existed)
        m_created << job.destination;
    return true;
}

} // namespace panels
