#pragma once

#include "platform/volume_source.h"

#include <QString>

#include <memory>
#include <optional>

// Formatting a memory card through the operating system. The platform layer only carries out
// what it is asked; the choice of file system and cluster size and the user's consent are the
// caller's business.

namespace platform {

struct VolumeGeometry {
    QString fileSystem; // "FAT32", "FAT", "exFAT", "NTFS"; empty when not one of these
    quint32 clusterBytes = 0;
    quint32 sectorBytes = 0; // 0 when unknown
};

enum class FormatStatus {
    Formatted, // the format ran
    InUse, // the card is busy (open files); nothing was changed
    Failed, // the system refused or the format broke off
    Unavailable, // no formatting service here, or the root is not a card's own file system
};

struct FormatResult {
    FormatStatus status = FormatStatus::Unavailable;
    QString root; // where the card is mounted afterwards (may differ: the label changed); may be empty
    QString message; // the system's reason, for logs and tests
};

class CardFormatter
{
public:
    virtual ~CardFormatter() = default;

    // The file system and cluster size of the card mounted at root, or nothing when unknown.
    virtual std::optional<VolumeGeometry> QueryGeometry(const QString &root) = 0;
    // Quick-formats the card as the last scan found it. Only that card's own block device is ever
    // touched: a given folder (no device number) is refused, and so is a root where another device
    // is mounted by now. Blocks until done.
    virtual FormatResult Format(
        const MountedVolume &card, const QString &fileSystem, const QString &label, quint32 clusterBytes)
        = 0;
};

// The system's formatter: udisks2 on the system bus on Linux.
std::unique_ptr<CardFormatter> CreateSystemCardFormatter();

} // namespace platform
