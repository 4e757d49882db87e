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

    std::vector<MountedVolume> removableVolumes() const override;

    // True for a block device ("major:minor") on removable media: the disk's own `removable`
    // flag, or a disk attached through a device that reports itself removable (a USB port).
    bool isRemovableBlockDevice(const QString &deviceNumber) const;

    QString mountInfoPath() const;

private:
    QStringList m_cardFolders;
    QString m_procRoot;
    QString m_sysRoot;
};

} // namespace platform
