#include "media/recorder/SampleCardSetup.h"

#include "device/CXmlItemDoc.h"
#include "device/ConfigItems.h"

#include <QFile>

#include <cstring>

namespace {

TiXmlElement *FindItem(device::CXmlItemDoc &doc, const char *id)
{
    for (TiXmlElement *e = doc.FirstItem(); e; e = e->NextSiblingElement()) {
        const char *itemId = e->Attribute("id");
        if (itemId && std::strcmp(itemId, id) == 0)
            return e;
    }
    return nullptr;
}

} // namespace

bool WriteSampleSetupXml(const QString &path, uint64_t seed, QString *error)
{
    device::CXmlItemDoc doc;
    if (!doc.ParseDefault() || !doc.FindFirstItem()) {
        if (error)
            *error = QStringLiteral("the built-in default settings do not parse");
        return false;
    }
    const struct {
        const char *id;
        QByteArray value;
    } recorderValues[] = {
        { "FWVersion", "1.04.22" },
        { "MICOM", "0.31" },
        { "FormatDays", QByteArray::number(static_cast<int>(seed % 30)) },
        { "LastPowerOnDays", QByteArray::number(static_cast<int>(seed % 30) + 41) },
        { "RealUsedDays", QByteArray::number(static_cast<int>(seed % 30) + 38) },
    };
    for (const auto &v : recorderValues) {
        if (TiXmlElement *item = FindItem(doc, v.id))
            item->SetAttribute("value", v.value.constData());
    }
    // The calibration item stands in its table place, after the parking motion sensitivity.
    if (TiXmlElement *before = FindItem(doc, "PmMotionSensi")) {
        TiXmlElement calibration("item");
        calibration.SetAttribute("id", "CarBatVoltCalib");
        calibration.SetAttribute("value", QByteArray::number(static_cast<int>(seed % 7) - 3).constData());
        before->Parent()->InsertAfterChild(before, calibration);
    }

    const QByteArray bytes = doc.Render();
    QFile file(path);
    if (bytes.isEmpty() || !file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(bytes) != bytes.size() || !file.flush()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}
