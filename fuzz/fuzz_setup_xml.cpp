// Arbitrary bytes as the recorder's settings file on a card: the load the settings panel does
// (through TinyXML), the battery calibration's byte-window read, the write of a file that loaded,
// and the reset to defaults that keeps the card's values (with the copy kept of a file that did
// not load).

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
    if (config.Load(QStringLiteral("setup.xml"))) {
        config.ReadBatteryCalibration();
        // A value the 8-bit encoding cannot carry, as the panel may hand one back.
        values[0] = QStringLiteral("\u00e9\uac00");
        config.Save(QStringLiteral("setup.xml"));
        // A partition chosen in the panel, then kept through the reset.
        values[device::kItemPartitionMode] = QStringLiteral("2");
    }
    if (config.Reset(true))
        config.Save(QStringLiteral("setup.xml"));
    // The copies of unreadable files would pile up from run to run.
    QDir folder(card);
    for (const QString &name : folder.entryList(QDir::Files))
        folder.remove(name);
    return 0;
}
