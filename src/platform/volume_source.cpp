#include "platform/volume_source.h"

#include <QDir>
#include <QFileInfo>

namespace platform {

QString NormalizedRoot(const QString &path)
{
    if (path.isEmpty())
        return QString();
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

FolderVolumeSource::FolderVolumeSource(QStringList folders)
    : m_folders(std::move(folders))
{
}

std::vector<MountedVolume> FolderVolumeSource::RemovableVolumes() const
{
    std::vector<MountedVolume> volumes;
    for (const QString &folder : m_folders) {
        const QString root = NormalizedRoot(folder);
        if (root.isEmpty() || !QFileInfo(root).isDir())
            continue;
        bool seen = false;
        for (const MountedVolume &volume : volumes)
            seen = seen || volume.root == root;
        if (!seen)
            volumes.push_back(MountedVolume { root, QString(), QString(), QString() });
    }
    return volumes;
}

} // namespace platform
