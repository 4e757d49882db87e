#pragma once

#include "platform/card_formatter.h"

#include <QDBusConnection>
#include <QStringList>
#include <QVariantMap>

namespace platform {

// The kernel's file-system name turned into the name the recorder's world uses; FAT12/16 and
// FAT32 are told apart by their cluster count, which is what defines them.
QString CardFileSystemName(const QString &kernelName, quint64 clusterCount);

struct UDisksFormatRequest {
    QString type; // udisks2's file-system type ("vfat", "exfat", ...)
    QVariantMap options; // label and the mkfs arguments that keep the cluster size
};

UDisksFormatRequest MakeUDisksFormatRequest(
    const QString &fileSystem, quint32 clusterBytes, quint32 sectorBytes, const QString &label);

class UDisksCardFormatter : public CardFormatter
{
public:
    explicit UDisksCardFormatter(QDBusConnection bus, QString procRoot = QStringLiteral("/proc"),
        QString sysRoot = QStringLiteral("/sys"));

    std::optional<VolumeGeometry> QueryGeometry(const QString &root) override;
    FormatResult Format(const MountedVolume &card, const QString &fileSystem, const QString &label,
        quint32 clusterBytes) override;

private:
    QDBusConnection m_bus;
    QString m_procRoot;
    QString m_sysRoot;
};

} // namespace platform
