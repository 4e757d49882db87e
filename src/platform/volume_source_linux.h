#pragma once

#include "platform/volume_source.h"

#include <QByteArray>

// The Linux side of card discovery, with its /proc and /sys roots as parameters so that tests can
// point it at a tree of their own.

namespace platform {

struct MountInfoEntry {
    QString deviceNumber; // "major:minor"
    QString fsRoot; // the mounted folder inside the file system ("/" for a whole one)
    QString mountPoint;
    QString fileSystem;
    QString source;
};

// The lines of /proc/<pid>/mountinfo, with the kernel's octal escapes (\040 ...) decoded.
// Malformed lines are skipped.
std::vector<MountInfoEntry> ParseMountInfo(const QByteArray &text);

class LinuxVolumeSource : public VolumeSource
{
public:
    explicit LinuxVolumeSource(QStringList cardFolders = {}, QString procRoot = QStringLiteral("/proc"),
        QString sysRoot = QStringLiteral("/sys"));

    std::vector<MountedVolume> RemovableVolumes() const override;

    // True for a block device ("major:minor") on a memory card: a disk that reports itself
    // removable (card readers), or an SD card in a reader on the MMC bus (built-in readers, whose
    // disks report removable 0). A fixed disk is never a card, wherever it is plugged in.
    bool IsCardBlockDevice(const QString &deviceNumber) const;

    QString MountInfoPath() const;

private:
    QStringList m_cardFolders;
    QString m_procRoot;
    QString m_sysRoot;
};

} // namespace platform
