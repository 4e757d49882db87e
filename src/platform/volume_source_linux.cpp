#include "platform/volume_source_linux.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace platform {
namespace {

    QString DecodeField(const QByteArray &field)
    {
        QByteArray out;
        out.reserve(field.size());
        for (int i = 0; i < field.size(); ++i) {
            const char c = field[i];
            if (c == '\\' && i + 3 < field.size()) {
                const QByteArray digits = field.mid(i + 1, 3);
                bool ok = digits.size() == 3;
                for (char d : digits)
                    ok = ok && d >= '0' && d <= '7';
                if (ok) {
                    out.append(static_cast<char>(digits.toInt(nullptr, 8)));
                    i += 3;
                    continue;
                }
            }
            out.append(c);
        }
        return QFile::decodeName(out);
    }

    QByteArray ReadSmallFile(const QString &path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return QByteArray();
        return file.read(4096).trimmed();
    }

} // namespace

std::vector<MountInfoEntry> ParseMountInfo(const QByteArray &text)
{
    std::vector<MountInfoEntry> entries;
    for (const QByteArray &line : text.split('\n')) {
        // id parent major:minor root mount-point options [optional fields...] - fstype source super-options
        const QList<QByteArray> fields = line.simplified().split(' ');
        const qsizetype separator = fields.indexOf(QByteArray("-"));
        if (separator < 6 || separator + 2 >= fields.size())
            continue;
        MountInfoEntry entry;
        entry.deviceNumber = QString::fromLatin1(fields[2]);
        entry.fsRoot = DecodeField(fields[3]);
        entry.mountPoint = DecodeField(fields[4]);
        entry.fileSystem = DecodeField(fields[separator + 1]);
        entry.source = DecodeField(fields[separator + 2]);
        if (!entry.deviceNumber.contains(QLatin1Char(':')) || !entry.mountPoint.startsWith(QLatin1Char('/')))
            continue;
        entries.push_back(std::move(entry));
    }
    return entries;
}

LinuxVolumeSource::LinuxVolumeSource(QStringList cardFolders, QString procRoot, QString sysRoot)
    : m_cardFolders(std::move(cardFolders))
    , m_procRoot(std::move(procRoot))
    , m_sysRoot(std::move(sysRoot))
{
}

QString LinuxVolumeSource::MountInfoPath() const
{
    return m_procRoot + QStringLiteral("/self/mountinfo");
}

bool LinuxVolumeSource::IsCardBlockDevice(const QString &deviceNumber) const
{
    const QString link = m_sysRoot + QStringLiteral("/dev/block/") + deviceNumber;
    QString disk = QFileInfo(link).canonicalFilePath();
    if (disk.isEmpty())
        return false;
    // A partition's flags live on its disk, the folder above it.
    if (QFileInfo::exists(disk + QStringLiteral("/partition")))
        disk = QFileInfo(disk).path();
    if (ReadSmallFile(disk + QStringLiteral("/removable")) == "1")
        return true;

    // Built-in SD readers report their disks as fixed. The card device on the MMC bus says what it
    // is: "SD" for an SD card, "MMC" for soldered-in eMMC storage, which is no card.
    const QString card = QFileInfo(disk + QStringLiteral("/device")).canonicalFilePath();
    if (card.isEmpty())
        return false;
    const QFileInfo bus(QFileInfo(card + QStringLiteral("/subsystem")).canonicalFilePath());
    return bus.fileName() == QLatin1String("mmc") && ReadSmallFile(card + QStringLiteral("/type")) == "SD";
}

std::vector<MountedVolume> LinuxVolumeSource::RemovableVolumes() const
{
    std::vector<MountedVolume> volumes;
    QFile file(MountInfoPath());
    if (file.open(QIODevice::ReadOnly)) {
        QStringList seenDevices;
        std::vector<MountInfoEntry> entries = ParseMountInfo(file.readAll());
        std::sort(entries.begin(), entries.end(),
            [](const MountInfoEntry &a, const MountInfoEntry &b) { return a.mountPoint < b.mountPoint; });
        for (const MountInfoEntry &entry : entries) {
            // A bind mount of a folder inside the card is not the card's root.
            if (entry.fsRoot != QLatin1String("/") || seenDevices.contains(entry.deviceNumber))
                continue;
            if (!IsCardBlockDevice(entry.deviceNumber))
                continue;
            seenDevices.append(entry.deviceNumber);
            volumes.push_back(MountedVolume {
                NormalizedRoot(entry.mountPoint), entry.source, entry.fileSystem, entry.deviceNumber });
        }
    }
    for (MountedVolume &volume : FolderVolumeSource(m_cardFolders).RemovableVolumes()) {
        const bool known = std::any_of(
            volumes.begin(), volumes.end(), [&](const MountedVolume &v) { return v.root == volume.root; });
        if (!known)
            volumes.push_back(std::move(volume));
    }
    std::stable_sort(volumes.begin(), volumes.end(),
        [](const MountedVolume &a, const MountedVolume &b) { return a.root < b.root; });
    return volumes;
}

std::unique_ptr<VolumeSource> CreateSystemVolumeSource(const QStringList &cardFolders)
{
    return std::make_unique<LinuxVolumeSource>(cardFolders);
}

} // namespace platform
