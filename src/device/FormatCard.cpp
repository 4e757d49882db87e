#include "device/FormatCard.h"

namespace device {

int FormatResultCode(FormatOutcome outcome)
{
    return outcome == FormatOutcome::Formatted ? 0 : 1;
}

FormatParameters ChooseFormatParameters(const std::optional<platform::VolumeGeometry> &geometry)
{
    FormatParameters parameters;
    parameters.label = QString::fromLatin1(kCardVolumeLabel);
    if (!geometry || geometry->clusterBytes == 0) {
        parameters.fileSystem = QStringLiteral("FAT32");
        parameters.clusterBytes = 64 * 512;
        return parameters;
    }
    parameters.fileSystem = geometry->fileSystem.isEmpty() ? QStringLiteral("FAT32") : geometry->fileSystem;
    parameters.clusterBytes = geometry->clusterBytes;
    return parameters;
}

} // namespace device
