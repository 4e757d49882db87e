// Arbitrary bytes as the recorder's settings file on a card: the load the settings panel does
// (through TinyXML), the battery calibration's byte-window read, and the write of a file that
// loaded.

#include "FuzzFile.h"
#include "device/CTAVINSDConfig.h"
#include "platform/volume_source.h"

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString card = [] {
        const QString root = fuzz::ScratchFolder() + QStringLiteral("/card");
        QDir().mkpath(root);
        return root;
    }();
    const QString path = card + QStringLiteral("/setup.xml");
    QFile::remove(path);
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return 0;
        file.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size));
    }
    device::ValueStrings values;
    device::CTAVINSDConfig config;
    config.SetValueStrings(&values);
    config.SetVolumeSource(std::make_unique<platform::FolderVolumeSource>(QStringList { card }));
    if (config.ScanDrives(false) != 1 || !config.SelectDrive(0))
        return 0;
    if (!config.Load(QStringLiteral("setup.xml")))
        return 0;
    config.ReadBatteryCalibration();
    config.Save(QStringLiteral("setup.xml"));
    return 0;
}
