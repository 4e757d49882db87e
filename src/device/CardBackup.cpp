#include "device/CardBackup.h"

#include "device/DeviceLog.h"

#include "platform/file_attributes.h"
#include "platform/file_cache.h"
#include "platform/file_identity.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <future>
#include <optional>
#include <vector>

namespace device {
namespace {

    constexpr qint64 kChunkBytes = 1 << 20;
    // A file of the backup is written under this suffix and takes its name only when complete.
    constexpr const char *kPartSuffix = ".part";

    bool Cancelled(const std::atomic_bool *cancel)
    {
        return cancel && cancel->load();
    }

    // sha256sum writes a name holding a backslash or a line break escaped, with a backslash before
    // the line; it reads them back the same way.
    QByteArray ManifestLine(const QByteArray &hex, const QString &relative)
    {
        QByteArray name = relative.toUtf8();
        const bool escaped = name.contains('\\') || name.contains('\n') || name.contains('\r');
        if (escaped)
            name.replace("\\", "\\\\").replace("\n", "\\n").replace("\r", "\\r");
        return (escaped ? QByteArray("\\") : QByteArray()) + hex + "  " + name + '\n';
    }

    bool ParseManifestLine(QByteArray line, QByteArray *hex, QString *relative)
    {
        if (line.endsWith('\r'))
            line.chop(1);
        const bool escaped = line.startsWith('\\');
        if (escaped)
            line.remove(0, 1);
        if (line.size() < 66 || (line[64] != ' ') || (line[65] != ' ' && line[65] != '*'))
            return false;
        *hex = line.left(64).toLower();
        QByteArray name = line.mid(66);
        if (escaped) {
            QByteArray plain;
            for (qsizetype i = 0; i < name.size(); ++i) {
                if (name[i] == '\\' && i + 1 < name.size()) {
                    const char next = name[++i];
                    plain += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
                } else {
                    plain += name[i];
                }
            }
            name = plain;
        }
        *relative = QString::fromUtf8(name);
        return !name.isEmpty();
    }

    // A relative path from a manifest that stays inside the copy.
    bool SafeRelativePath(const QString &relative)
    {
        if (relative.isEmpty() || QDir::isAbsolutePath(relative))
            return false;
        const QString clean = QDir::cleanPath(relative);
        return clean != QLatin1String("..") && !clean.startsWith(QLatin1String("../"));
    }

    // The file's SHA-256, or an empty array with the reason when it cannot be read.
    QByteArray HashFile(const QString &path, QString *error, const std::atomic_bool *cancel)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            *error = file.errorString();
            return {};
        }
        QCryptographicHash hash(QCryptographicHash::Sha256);
        while (!file.atEnd()) {
            if (Cancelled(cancel))
                return {};
            const QByteArray chunk = file.read(kChunkBytes);
            if (chunk.isEmpty() && file.error() != QFileDevice::NoError) {
                *error = file.errorString();
                return {};
            }
            hash.addData(chunk);
        }
        return hash.result().toHex();
    }

    // What the backup made, so that a cancelled backup takes exactly that away again.
    struct Created {
        std::vector<QString> folders; // in creation order
        std::vector<QString> files;

        void Undo() const
        {
            for (auto it = files.rbegin(); it != files.rend(); ++it)
                QFile::remove(*it);
            for (auto it = folders.rbegin(); it != folders.rend(); ++it)
                QDir().rmdir(*it);
        }
    };

    bool MakeFolder(const QString &path, Created &created)
    {
        QStringList missing;
        for (QString at = QDir::cleanPath(path); !QFileInfo::exists(at); at = QFileInfo(at).path()) {
            missing.prepend(at);
            if (QFileInfo(at).path() == at)
                break;
        }
        for (const QString &folder : missing) {
            if (!QDir().mkdir(folder))
                return false;
            created.folders.push_back(folder);
        }
        return QFileInfo(path).isDir();
    }

    struct CopyResult {
        QByteArray sourceHash;
        QString error;
    };

    // Copies one file, hashing what was read from the card on the way.
    CopyResult CopyFile(const QString &from, const QString &to, Created &created,
        const std::atomic_bool *cancel, const std::function<void(qint64)> &advanced)
    {
        CopyResult result;
        QFile source(from);
        if (!source.open(QIODevice::ReadOnly)) {
            result.error = source.errorString();
            return result;
        }
        QFile target(to);
        if (!target.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            result.error = target.errorString();
            return result;
        }
        created.files.push_back(to);
        // A file that failed leaves nothing half-written in the backup.
        const auto failed = [&](const QString &reason) {
            result.error = reason;
            target.close();
            if (QFile::remove(to))
                created.files.pop_back();
            return result;
        };
        // A card pulled out mid-copy can end the reading early without an error: the copy must
        // then hold as many bytes as the file had when it was opened.
        const qint64 expected = source.size();
        qint64 copied = 0;
        QCryptographicHash hash(QCryptographicHash::Sha256);
        while (!source.atEnd()) {
            if (Cancelled(cancel))
                return result;
            const QByteArray chunk = source.read(kChunkBytes);
            if (chunk.isEmpty() && source.error() != QFileDevice::NoError)
                return failed(source.errorString());
            if (target.write(chunk) != chunk.size())
                return failed(target.errorString());
            hash.addData(chunk);
            copied += chunk.size();
            advanced(chunk.size());
        }
        if (copied != expected || source.size() != expected)
            return failed(QStringLiteral("could not be read to its end; was the card removed?"));
        if (!platform::SyncFile(target))
            return failed(target.errorString());
        platform::DropCachedContent(target);
        target.close();
        // The copy carries the recording's own time, which matters for evidence.
        if (target.open(QIODevice::ReadWrite)) {
            target.setFileTime(QFileInfo(source).lastModified(), QFileDevice::FileModificationTime);
            target.close();
        }
        result.sourceHash = hash.result().toHex();
        return result;
    }

} // namespace

QString UnfinishedBackupText(const QString &destination)
{
    const QDir folder(destination);
    if (!folder.exists() || folder.exists(QLatin1String(kBackupManifestName)))
        return {};
    int parts = 0;
    QDirIterator walk(destination, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (walk.hasNext())
        parts += walk.next().endsWith(QLatin1String(kPartSuffix));
    if (parts == 0)
        return {};
    const QString copies = parts == 1 ? QStringLiteral("1 file there is an incomplete copy")
                                      : QStringLiteral("%1 files there are incomplete copies").arg(parts);
    return QStringLiteral("%1 holds a backup that did not finish: it has no %2, and %3 ending in %4. Nothing "
                          "in it is verified; remove the folder or choose another one and back the card up "
                          "again")
        .arg(QDir::toNativeSeparators(destination), QLatin1String(kBackupManifestName), copies,
            QLatin1String(kPartSuffix));
}

QByteArray CopyFileVerified(
    const QString &from, const QString &to, const std::atomic_bool *cancel, QString *error)
{
    Created created;
    const CopyResult copy = CopyFile(from, to, created, cancel, [](qint64) {});
    QString reason = copy.error;
    QByteArray copyHash;
    if (reason.isEmpty() && !Cancelled(cancel)) {
        copyHash = HashFile(to, &reason, cancel);
        if (reason.isEmpty() && copyHash != copy.sourceHash)
            reason = QStringLiteral("the copy read back differs from %1").arg(from);
    }
    if (Cancelled(cancel) && reason.isEmpty())
        reason = QStringLiteral("cancelled");
    if (!reason.isEmpty()) {
        created.Undo();
        *error = reason;
        return {};
    }
    return copy.sourceHash;
}

BackupReport RunCardBackup(const QString &cardRoot, const QString &destination,
    const std::atomic_bool *cancel, const BackupProgressFn &progress)
{
    QElapsedTimer clock;
    clock.start();
    BackupReport report;
    report.destination = QDir::cleanPath(QFileInfo(destination).absoluteFilePath());
    const QString root = QDir::cleanPath(QFileInfo(cardRoot).absoluteFilePath());
    const QString rootPrefix = root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/');
    if (!QFileInfo(root).isDir()) {
        report.error = QStringLiteral("%1 is not a folder").arg(cardRoot);
        return report;
    }
    if (platform::LiesWithin(report.destination, root)) {
        report.error = QStringLiteral("the backup folder %1 lies on the card itself").arg(destination);
        return report;
    }
    const QFileInfo destInfo(report.destination);
    if (destInfo.exists()
        && (!destInfo.isDir()
            || !QDir(report.destination)
                    .isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))) {
        report.error = UnfinishedBackupText(report.destination);
        if (report.error.isEmpty())
            report.error
                = QStringLiteral("%1 is not an empty folder; nothing there is overwritten").arg(destination);
        return report;
    }

    QStringList folders;
    QStringList files;
    qint64 total = 0;
    QDirIterator walk(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
        QDirIterator::Subdirectories);
    while (walk.hasNext()) {
        const QFileInfo entry(walk.next());
        const QString relative = entry.filePath().mid(rootPrefix.size());
        if (entry.isSymLink())
            continue;
        if (entry.isDir()) {
            folders << relative;
        } else if (entry.isFile()) {
            files << relative;
            total += entry.size();
        }
    }
    folders.sort();
    files.sort();
    if (files.contains(QLatin1String(kBackupManifestName))) {
        report.error = QStringLiteral("the card holds a file named %1 in its root").arg(kBackupManifestName);
        return report;
    }

    Created created;
    const auto giveUp = [&](const QString &error) {
        created.Undo();
        report.error = error;
        report.seconds = clock.elapsed() / 1000.0;
        return report;
    };
    if (!MakeFolder(report.destination, created))
        return giveUp(QStringLiteral("cannot create %1").arg(destination));
    for (const QString &folder : folders) {
        if (!MakeFolder(report.destination + QLatin1Char('/') + folder, created))
            return giveUp(QStringLiteral("cannot create %1/%2").arg(destination, folder));
    }

    BackupProgress state;
    state.bytesTotal = total;
    state.filesTotal = int(files.size());
    QByteArray manifest;
    // Each copy is read back on a second thread while the next file is copied; one read-back is
    // outstanding at a time, so the copy never runs far ahead of its check.
    struct ReadBack {
        QString relative;
        QString target;
        QByteArray sourceHash;
        std::future<std::pair<QByteArray, QString>> hash;
    };
    std::optional<ReadBack> pending;
    const auto collect = [&] {
        if (!pending)
            return;
        const auto [copyHash, readError] = pending->hash.get();
        if (!Cancelled(cancel)) {
            if (copyHash.isEmpty())
                report.failed << QStringLiteral("%1: %2").arg(pending->relative, readError);
            else if (copyHash != pending->sourceHash)
                report.differing << pending->relative;
            else {
                ++report.files;
                report.bytes += QFileInfo(pending->target).size();
            }
        }
        pending.reset();
    };
    const auto cancelled = [&] {
        collect();
        created.Undo();
        return BackupReport { report.destination, 0, 0, clock.elapsed() / 1000.0, {}, {}, {}, true };
    };
    for (const QString &relative : files) {
        state.current = relative;
        if (progress)
            progress(state);
        // Under a temporary name until complete: a backup cut off (killed, the power gone) never
        // leaves a short copy under the card file's name.
        const QString target = report.destination + QLatin1Char('/') + relative;
        const QString part = target + QLatin1String(kPartSuffix);
        CopyResult copy = CopyFile(rootPrefix + relative, part, created, cancel, [&](qint64 bytes) {
            state.bytesDone += bytes;
            if (progress)
                progress(state);
        });
        if (Cancelled(cancel))
            return cancelled();
        if (copy.error.isEmpty()) {
            if (QFile::rename(part, target)) {
                created.files.back() = target;
            } else {
                copy.error = QStringLiteral("cannot rename %1 to its name").arg(part);
                if (QFile::remove(part))
                    created.files.pop_back();
            }
        }
        ++state.filesDone;
        collect();
        if (!copy.error.isEmpty()) {
            report.failed << QStringLiteral("%1: %2").arg(relative, copy.error);
            qCWarning(lcDevice) << "backup: not copied" << relative << copy.error;
            continue;
        }
        manifest += ManifestLine(copy.sourceHash, relative);
        // What the backup holds must be what the card held: the copy is read back from the disk.
        pending
            = ReadBack { relative, target, copy.sourceHash, std::async(std::launch::async, [target, cancel] {
                            QString error;
                            QByteArray hash = HashFile(target, &error, cancel);
                            return std::make_pair(hash, error);
                        }) };
    }
    collect();
    if (Cancelled(cancel))
        return cancelled();

    // The manifest comes last and whole: a folder with SHA256SUMS holds a finished backup.
    const QString manifestPath = report.destination + QLatin1Char('/') + QLatin1String(kBackupManifestName);
    QFile manifestFile(manifestPath + QLatin1String(kPartSuffix));
    QString manifestError;
    if (!manifestFile.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        manifestError = manifestFile.errorString();
    } else {
        created.files.push_back(manifestFile.fileName());
        if (manifestFile.write(manifest) != manifest.size() || !platform::SyncFile(manifestFile))
            manifestError = manifestFile.errorString();
        manifestFile.close();
        if (manifestError.isEmpty() && QFile::rename(manifestFile.fileName(), manifestPath)) {
            created.files.back() = manifestPath;
            platform::SyncFolder(report.destination);
        } else {
            if (manifestError.isEmpty())
                manifestError = QStringLiteral("cannot rename %1 to its name").arg(manifestFile.fileName());
            if (manifestFile.remove())
                created.files.pop_back();
        }
    }
    if (!manifestError.isEmpty())
        report.failed << QStringLiteral("%1: %2").arg(kBackupManifestName, manifestError);
    report.seconds = clock.elapsed() / 1000.0;
    return report;
}

BackupReport VerifyBackup(
    const QString &destination, const std::atomic_bool *cancel, const BackupProgressFn &progress)
{
    QElapsedTimer clock;
    clock.start();
    BackupReport report;
    report.destination = QDir::cleanPath(QFileInfo(destination).absoluteFilePath());
    QFile manifest(report.destination + QLatin1Char('/') + QLatin1String(kBackupManifestName));
    if (!manifest.open(QIODevice::ReadOnly)) {
        report.error = UnfinishedBackupText(report.destination);
        if (report.error.isEmpty())
            report.error
                = QStringLiteral("cannot read %1: %2").arg(manifest.fileName(), manifest.errorString());
        return report;
    }
    std::vector<std::pair<QByteArray, QString>> entries;
    BackupProgress state;
    int row = 0;
    for (const QByteArray &line : manifest.readAll().split('\n')) {
        ++row;
        if (line.trimmed().isEmpty())
            continue;
        QByteArray hex;
        QString relative;
        if (!ParseManifestLine(line, &hex, &relative) || !SafeRelativePath(relative)) {
            report.failed
                << QStringLiteral("%1 line %2: not a checksum line").arg(kBackupManifestName).arg(row);
            continue;
        }
        state.bytesTotal += QFileInfo(report.destination + QLatin1Char('/') + relative).size();
        entries.emplace_back(hex, relative);
    }
    state.filesTotal = int(entries.size());
    for (const auto &[hex, relative] : entries) {
        state.current = relative;
        if (progress)
            progress(state);
        const QString path = report.destination + QLatin1Char('/') + relative;
        QString error;
        const QByteArray actual = HashFile(path, &error, cancel);
        if (Cancelled(cancel)) {
            report.cancelled = true;
            break;
        }
        ++state.filesDone;
        state.bytesDone += QFileInfo(path).size();
        if (actual.isEmpty())
            report.failed << QStringLiteral("%1: %2").arg(relative, error);
        else if (actual != hex)
            report.differing << relative;
        else {
            ++report.files;
            report.bytes += QFileInfo(path).size();
        }
    }
    report.seconds = clock.elapsed() / 1000.0;
    return report;
}

} // namespace device
