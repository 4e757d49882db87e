#pragma once

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <vector>

namespace panels {

// One file to copy: a recording's channel file and the name it gets in the save folder.
struct CopyJob {
    QString source;
    QString destination;
    bool optional = false; // a rear-channel file that may not exist: skipped quietly when missing
    bool renamed = false; // numbered, because an earlier file of the same copy has its name
};

// A copy that did not happen, with the reason in the system's words.
struct CopyFailure {
    QString source;
    QString destination;
    QString reason;
};

// Copies recordings into a folder, one file after another. A file is written as "NAME.part" and
// renamed only when it is complete and on the disk, so a failed, cancelled or killed copy never
// leaves a partial file under the final name, and an earlier copy of the same name survives a
// failed one. A ".part" a killed copy left is removed by the next copy to that name.
// Run() may run on a worker thread while the UI thread reads the progress and cancels.
class RecordingCopier
{
public:
    explicit RecordingCopier(std::vector<CopyJob> jobs);

    // The jobs for the save panel's paths: each file keeps its name with the extension ".avi".
    // Rear-channel files are optional. When an earlier path of the list already gets a name
    // (in any case, as the save folder may not tell case apart), the later one is numbered
    // "name (2).avi", "name (3).avi"... so that both are kept; a front file and its rear file,
    // numbered alike, stay a pair.
    static std::vector<CopyJob> JobsForSave(const QStringList &paths, const QString &folder);

    // stop, when given, cancels as Cancel() does; progress is told the bytes copied after each block.
    void Run(const std::atomic_bool *stop = nullptr,
        const std::function<void(qint64 done, qint64 total)> &progress = {});
    // Stops at the next block; the file being written and the files this run created are removed.
    void Cancel() { m_cancel = true; }

    qint64 TotalBytes() const { return m_totalBytes; }
    qint64 CopiedBytes() const { return m_copiedBytes; }
    int CurrentJob() const { return m_currentJob; }
    const std::vector<CopyJob> &Jobs() const { return m_jobs; }

    // After Run() returned.
    bool Cancelled() const { return m_cancel; }
    const std::vector<CopyFailure> &Failures() const { return m_failures; }
    const QStringList &Written() const { return m_written; }

private:
    bool CopyOne(const CopyJob &job);
    bool Stopped() const { return m_cancel || (m_stop && m_stop->load()); }

    std::vector<CopyJob> m_jobs;
    std::atomic_bool m_cancel { false };
    const std::atomic_bool *m_stop = nullptr;
    std::function<void(qint64, qint64)> m_progress;
    std::atomic<qint64> m_totalBytes { 0 };
    std::atomic<qint64> m_copiedBytes { 0 };
    std::atomic_int m_currentJob { -1 };
    std::vector<CopyFailure> m_failures;
    QStringList m_written;
    QStringList m_created; // written where no file of that name stood before
};

} // namespace panels
