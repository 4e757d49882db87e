#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

// Where the memory cards are: the mounted file systems of removable media, and folders that the
// user names as cards (a copy of a card on disk).

namespace platform {

struct MountedVolume {
    QString root; // the card's root folder (a mount point or a given folder), without a trailing '/'
    QString device; // block device such as /dev/sdb1; empty for a given folder
    QString fileSystem; // the kernel's name (vfat, exfat, ...); empty for a given folder
    // "major:minor" of the card's block device; empty for a given folder, which is never formatted.
    QString deviceNumber;
};

class VolumeSource
{
public:
    virtual ~VolumeSource() = default;

    // Every present card, ordered by root; a reader without a medium has no mount and is absent.
    virtual std::vector<MountedVolume> RemovableVolumes() const = 0;
};

// The folders given by the user, those that exist, in the given order.
class FolderVolumeSource : public VolumeSource
{
public:
    explicit FolderVolumeSource(QStringList folders);
    std::vector<MountedVolume> RemovableVolumes() const override;

private:
    QStringList m_folders;
};

// Removable media of this system plus the given folders, all sorted by root.
std::unique_ptr<VolumeSource> CreateSystemVolumeSource(const QStringList &cardFolders = {});

// A root as this program writes it: absolute, clean, no trailing separator (except "/").
QString NormalizedRoot(const QString &path);

} // namespace platform
