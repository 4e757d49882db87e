#pragma once

#include <QString>

class QFileDevice;

#include <optional>

// DOS attributes of files on the card (hidden, read-only, ...), where the file system keeps them.

namespace platform {

enum FatAttribute : quint32 {
    kFatReadOnly = 0x01,
    kFatHidden = 0x02,
    kFatSystem = 0x04,
    kFatArchive = 0x20,
};

class FileAttributes
{
public:
    virtual ~FileAttributes() = default;

    // The file's attribute bits, or nothing where the file system has none (or the file is missing).
    virtual std::optional<quint32> Read(const QString &path) const = 0;
    // Sets the attribute bits; false where the file system has none or refuses.
    virtual bool Write(const QString &path, quint32 attributes) const = 0;
};

// The operating system's attributes (FAT attribute ioctls on Linux).
const FileAttributes &SystemFileAttributes();

// Flushes an open file and waits until its content is on the medium.
bool SyncFile(QFileDevice &file);

// Makes a rename inside the folder durable, so a card pulled right after a save keeps the new file.
// False where the folder cannot be synced; callers treat that as best effort.
bool SyncFolder(const QString &folder);

} // namespace platform
