#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

// The whole-card backup: every file of the card copied into a folder, each copy read back and
// compared by SHA-256, and a manifest beside the copy that `sha256sum -c` reads. Runs on any
// thread; it never touches a window.

namespace device {

inline constexpr const char *kBackupManifestName = "SHA256SUMS";

struct BackupProgress {
    qint64 bytesDone = 0;
    qint64 bytesTotal = 0;
    int filesDone = 0;
    int filesTotal = 0;
    QString current; // relative path of the file being copied or checked
};

struct BackupReport {
    QString destination;
    int files = 0; // files copied (or checked) in full
    qint64 bytes = 0;
    double seconds = 0;
    QStringList differing; // relative paths whose copy does not match the card (or the manifest)
    QStringList failed; // "relative path: reason"
    QString error; // why the backup could not run at all
    bool cancelled = false;

    // Everything was copied (or checked) and every copy matches.
    bool Ok() const { return error.isEmpty() && !cancelled && differing.isEmpty() && failed.isEmpty(); }
};

using BackupProgressFn = std::function<void(const BackupProgress &)>;

// Copies the card's tree into destination, which must not exist yet or be an empty folder (so that
// nothing there is ever overwritten). With cancel set, everything the backup created is removed
// again and nothing else is touched.
BackupReport RunCardBackup(const QString &cardRoot, const QString &destination,
    const std::atomic_bool *cancel = nullptr, const BackupProgressFn &progress = {});

// Checks an earlier copy against its manifest: missing files fail, changed files differ.
BackupReport VerifyBackup(const QString &destination, const std::atomic_bool *cancel = nullptr,
    const BackupProgressFn &progress = {});

// Copies one file as the backup does: the copy must not exist yet, keeps the source's time, is
// synced and read back from the disk and compared by SHA-256 with what was read from the source.
// The hex SHA-256 on success; otherwise empty with the reason, and no copy left behind.
QByteArray CopyFileVerified(
    const QString &from, const QString &to, const std::atomic_bool *cancel, QString *error);

// Empty, or what tells that the folder holds a backup that was cut off (the program killed, the
// power gone): it has no manifest and copies still under their temporary names ("x.avi.part").
// Every file of a backup is copied under such a name and renamed when complete, and the manifest
// is written last, so a folder with a manifest holds a finished backup.
QString UnfinishedBackupText(const QString &destination);

} // namespace device
