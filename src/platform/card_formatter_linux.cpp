#include "platform/card_formatter_linux.h"

#include "platform/volume_source_linux.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QFile>
#include <QFileInfo>

#include <sys/statvfs.h>
#include <sys/sysmacros.h>

namespace platform {
namespace {

    const QString kService = QStringLiteral("org.freedesktop.UDisks2");
    const QString kBlockInterface = QStringLiteral("org.freedesktop.UDisks2.Block");
    const QString kFilesystemInterface = QStringLiteral("org.freedesktop.UDisks2.Filesystem");
    const QString kBusyError = QStringLiteral("org.freedesktop.UDisks2.Error.DeviceBusy");

    // A quick format returns in seconds, but the system may first ask the user for a password.
    constexpr int kFormatTimeoutMs = 10 * 60 * 1000;
    constexpr int kQueryTimeoutMs = 20 * 1000;

    struct BlockObject {
        QString path;
        QVariantMap block;
        QVariantMap filesystem;
    };

    QList<QByteArray> ByteArrayList(const QVariant &value)
    {
        QList<QByteArray> list;
        if (value.canConvert<QDBusArgument>())
            value.value<QDBusArgument>() >> list;
        return list;
    }

    QString PathFromBytes(QByteArray bytes)
    {
        while (bytes.endsWith('\0'))
            bytes.chop(1);
        return QFile::decodeName(bytes);
    }

    FormatStatus StatusOfError(const QDBusMessage &reply)
    {
        return reply.errorName() == kBusyError ? FormatStatus::InUse : FormatStatus::Failed;
    }

    QString FolderOf(const QString &sysRoot, quint64 deviceNumber)
    {
        const QString link = QStringLiteral("%1/dev/block/%2:%3")
                                 .arg(sysRoot)
                                 .arg(gnu_dev_major(deviceNumber))
                                 .arg(gnu_dev_minor(deviceNumber));
        QString folder = QFileInfo(link).canonicalFilePath();
        if (!folder.isEmpty() && QFileInfo::exists(folder + QStringLiteral("/partition")))
            folder = QFileInfo(folder).path();
        return folder;
    }

    std::optional<quint64> ParseDeviceNumber(const QString &text)
    {
        const QStringList numbers = text.split(QLatin1Char(':'));
        bool majorOk = false;
        bool minorOk = false;
        const uint major = numbers.value(0).toUInt(&majorOk);
        const uint minor = numbers.value(1).toUInt(&minorOk);
        if (numbers.size() != 2 || !majorOk || !minorOk)
            return std::nullopt;
        return gnu_dev_makedev(major, minor);
    }

    // The device whose whole file system is mounted at root now; the last mount over a folder is
    // the one that is seen there.
    QString DeviceMountedAt(const QString &procRoot, const QString &root)
    {
        QFile mountInfo(procRoot + QStringLiteral("/self/mountinfo"));
        if (!mountInfo.open(QIODevice::ReadOnly))
            return QString();
        QString device;
        const QString wanted = NormalizedRoot(root);
        for (const MountInfoEntry &entry : ParseMountInfo(mountInfo.readAll())) {
            if (NormalizedRoot(entry.mountPoint) == wanted)
                device = entry.fsRoot == QLatin1String("/") ? entry.deviceNumber : QString();
        }
        return device;
    }

    quint32 LogicalSectorBytes(const QString &diskFolder)
    {
        QFile file(diskFolder + QStringLiteral("/queue/logical_block_size"));
        if (diskFolder.isEmpty() || !file.open(QIODevice::ReadOnly))
            return 0;
        return file.readAll().trimmed().toUInt();
    }

} // namespace

QString CardFileSystemName(const QString &kernelName, quint64 clusterCount)
{
    if (kernelName == QLatin1String("vfat") || kernelName == QLatin1String("msdos"))
        return clusterCount >= 65525 ? QStringLiteral("FAT32") : QStringLiteral("FAT");
    if (kernelName == QLatin1String("exfat"))
        return QStringLiteral("exFAT");
    if (kernelName == QLatin1String("ntfs") || kernelName == QLatin1String("ntfs3"))
        return QStringLiteral("NTFS");
    return QString();
}

UDisksFormatRequest MakeUDisksFormatRequest(
    const QString &fileSystem, quint32 clusterBytes, quint32 sectorBytes, const QString &label)
{
    UDisksFormatRequest request;
    QStringList mkfsArguments;
    const QString name = fileSystem.toUpper();
    if (name == QLatin1String("FAT32") || name == QLatin1String("FAT")) {
        request.type = QStringLiteral("vfat");
        if (name == QLatin1String("FAT32"))
            mkfsArguments << QStringLiteral("-F") << QStringLiteral("32");
        // mkfs.fat counts clusters in logical sectors: a power of two up to 128.
        const quint32 sector = sectorBytes ? sectorBytes : 512;
        const quint32 sectorsPerCluster = clusterBytes / sector;
        if (clusterBytes % sector == 0 && sectorsPerCluster >= 1 && sectorsPerCluster <= 128
            && (sectorsPerCluster & (sectorsPerCluster - 1)) == 0)
            mkfsArguments << QStringLiteral("-s") << QString::number(sectorsPerCluster);
    } else if (name == QLatin1String("EXFAT") || name == QLatin1String("NTFS")) {
        request.type = name == QLatin1String("NTFS") ? QStringLiteral("ntfs") : QStringLiteral("exfat");
        if (clusterBytes > 0)
            mkfsArguments << QStringLiteral("-c") << QString::number(clusterBytes);
    } else {
        request.type = fileSystem.toLower();
    }
    request.options.insert(QStringLiteral("label"), label);
    if (!mkfsArguments.isEmpty())
        request.options.insert(QStringLiteral("mkfs-args"), mkfsArguments);
    return request;
}

UDisksCardFormatter::UDisksCardFormatter(QDBusConnection bus, QString procRoot, QString sysRoot)
    : m_bus(std::move(bus))
    , m_procRoot(std::move(procRoot))
    , m_sysRoot(std::move(sysRoot))
{
}

std::optional<VolumeGeometry> UDisksCardFormatter::QueryGeometry(const QString &root)
{
    struct statvfs info {
    };
    if (root.isEmpty() || ::statvfs(QFile::encodeName(root).constData(), &info) != 0 || info.f_bsize == 0)
        return std::nullopt;

    VolumeGeometry geometry;
    // FAT and exFAT report their cluster as the block size.
    geometry.clusterBytes = static_cast<quint32>(info.f_bsize);
    QFile mountInfo(m_procRoot + QStringLiteral("/self/mountinfo"));
    if (mountInfo.open(QIODevice::ReadOnly)) {
        const QString wanted = NormalizedRoot(root);
        for (const MountInfoEntry &entry : ParseMountInfo(mountInfo.readAll())) {
            if (NormalizedRoot(entry.mountPoint) != wanted)
                continue;
            geometry.fileSystem = CardFileSystemName(entry.fileSystem, info.f_blocks);
            const QStringList numbers = entry.deviceNumber.split(QLatin1Char(':'));
            if (numbers.size() == 2)
                geometry.sectorBytes = LogicalSectorBytes(
                    FolderOf(m_sysRoot, gnu_dev_makedev(numbers[0].toUInt(), numbers[1].toUInt())));
        }
    }
    return geometry;
}

FormatResult UDisksCardFormatter::Format(
    const MountedVolume &card, const QString &fileSystem, const QString &label, quint32 clusterBytes)
{
    FormatResult result;
    const QString &root = card.root;
    const std::optional<quint64> cardDevice = ParseDeviceNumber(card.deviceNumber);
    if (!cardDevice) {
        result.message = QStringLiteral("%1 is a folder, not a card found on a removable device").arg(root);
        return result;
    }
    if (!m_bus.isConnected()) {
        result.message = QStringLiteral("no system bus");
        return result;
    }

    QDBusMessage request
        = QDBusMessage::createMethodCall(kService, QStringLiteral("/org/freedesktop/UDisks2"),
            QStringLiteral("org.freedesktop.DBus.ObjectManager"), QStringLiteral("GetManagedObjects"));
    const QDBusMessage objects = m_bus.call(request, QDBus::Block, kQueryTimeoutMs);
    if (objects.type() != QDBusMessage::ReplyMessage || objects.arguments().isEmpty()) {
        result.message = objects.errorMessage();
        return result;
    }

    // Only the block device that udisks2 itself reports as mounted at this root is touched.
    const QString wanted = NormalizedRoot(root);
    std::optional<BlockObject> block;
    const QDBusArgument tree = objects.arguments().constFirst().value<QDBusArgument>();
    tree.beginMap();
    while (!tree.atEnd()) {
        BlockObject object;
        QDBusObjectPath path;
        tree.beginMapEntry();
        tree >> path;
        tree.beginMap();
        while (!tree.atEnd()) {
            QString interface;
            QVariantMap properties;
            tree.beginMapEntry();
            tree >> interface >> properties;
            tree.endMapEntry();
            if (interface == kBlockInterface)
                object.block = properties;
            else if (interface == kFilesystemInterface)
                object.filesystem = properties;
        }
        tree.endMap();
        tree.endMapEntry();
        object.path = path.path();
        if (block || object.block.isEmpty() || object.filesystem.isEmpty())
            continue;
        for (const QByteArray &mountPoint :
            ByteArrayList(object.filesystem.value(QStringLiteral("MountPoints")))) {
            if (NormalizedRoot(PathFromBytes(mountPoint)) == wanted)
                block = object;
        }
    }
    tree.endMap();

    if (!block) {
        result.message = QStringLiteral("%1 is not the mount point of a block device").arg(root);
        return result;
    }
    if (block->block.value(QStringLiteral("HintSystem")).toBool()) {
        result.message = QStringLiteral("%1 is on a system disk").arg(root);
        return result;
    }
    if (block->block.value(QStringLiteral("ReadOnly")).toBool()) {
        result.status = FormatStatus::Failed;
        result.message = QStringLiteral("the card is write-protected");
        return result;
    }

    // The card may have been swapped since the scan: only the scanned device is ever erased.
    const QString mountedDevice = DeviceMountedAt(m_procRoot, root);
    if (mountedDevice != card.deviceNumber) {
        result.status = FormatStatus::Failed;
        result.message = QStringLiteral("%1 no longer holds the card that was found (device %2, now %3)")
                             .arg(root, card.deviceNumber,
                                 mountedDevice.isEmpty() ? QStringLiteral("none") : mountedDevice);
        return result;
    }
    if (block->block.value(QStringLiteral("DeviceNumber")).toULongLong() != *cardDevice) {
        result.status = FormatStatus::Failed;
        result.message
            = QStringLiteral("udisks2 reports another device than %1 at %2").arg(card.deviceNumber, root);
        return result;
    }

    const QString sectorFolder
        = FolderOf(m_sysRoot, block->block.value(QStringLiteral("DeviceNumber")).toULongLong());
    const UDisksFormatRequest format
        = MakeUDisksFormatRequest(fileSystem, clusterBytes, LogicalSectorBytes(sectorFolder), label);

    auto call
        = [&](const QString &interface, const QString &method, const QVariantList &arguments, int timeout) {
              QDBusMessage message = QDBusMessage::createMethodCall(kService, block->path, interface, method);
              message.setArguments(arguments);
              return m_bus.call(message, QDBus::Block, timeout);
          };

    const QDBusMessage unmounted
        = call(kFilesystemInterface, QStringLiteral("Unmount"), { QVariantMap() }, kFormatTimeoutMs);
    if (unmounted.type() != QDBusMessage::ReplyMessage) {
        result.status = StatusOfError(unmounted);
        result.message = unmounted.errorMessage();
        result.root = root;
        return result;
    }

    const QDBusMessage formatted
        = call(kBlockInterface, QStringLiteral("Format"), { format.type, format.options }, kFormatTimeoutMs);
    if (formatted.type() != QDBusMessage::ReplyMessage) {
        result.status = StatusOfError(formatted);
        result.message = formatted.errorMessage();
    } else {
        result.status = FormatStatus::Formatted;
    }

    // Mounted again in either case, so the caller can write onto the card (or keep reading it).
    const QDBusMessage mounted
        = call(kFilesystemInterface, QStringLiteral("Mount"), { QVariantMap() }, kFormatTimeoutMs);
    if (mounted.type() == QDBusMessage::ReplyMessage && !mounted.arguments().isEmpty())
        result.root = NormalizedRoot(mounted.arguments().constFirst().toString());
    return result;
}

std::unique_ptr<CardFormatter> CreateSystemCardFormatter()
{
    return std::make_unique<UDisksCardFormatter>(QDBusConnection::systemBus());
}

} // namespace platform
