#pragma once

#include "device/CSDConfig.h"
#include "device/CXmlItemDoc.h"
#include "device/ConfigItems.h"

#include <memory>
#include <optional>

namespace device {

// The recorder's settings file on the selected card, tied to the settings panel's 28 value strings.
class CTAVINSDConfig : public CSDConfig
{
public:
    explicit CTAVINSDConfig(QString fileName = QString::fromLatin1(kSetupFileName));
    ~CTAVINSDConfig() override;

    // Installs the value strings (owned by the caller, which keeps them alive). Until then Load and
    // Reset do nothing and fail.
    void SetValueStrings(ValueStrings *values) { m_values = values; }
    ValueStrings *GetValueStrings() const { return m_values; }

    // With a name: reads selected root + name (the root last selected, even after a rescan) and binds
    // every item. With an empty name: keeps the document and only binds again. A file that does not
    // load leaves no document behind; ErrorString() says why.
    bool Load(const QString &fileName) override;
    // Writes the document with the current values to the selected card. Read-only files are not
    // touched and fail; hidden files stay hidden. A file there that does not load (the one the
    // defaults replace) is first kept beside it under a name of its own, see KeptCopyPath(); when
    // that copy cannot be made, nothing is written. False when nothing was written; ErrorString()
    // then says why.
    bool Save(const QString &fileName) override;
    // Where the last Save kept the unreadable file it replaced (setup.xml.unreadable-YYYYMMDD-hhmmss,
    // with "-2", "-3" ... when that name is taken), or empty when it replaced none.
    const QString &KeptCopyPath() const { return m_keptCopy; }
    // Replaces the document by the default text and the values by the built-in defaults; with the
    // flag, PartitionMode and CarBatVoltCalib keep their current values, and the new document holds
    // them as the card's did (the calibration, which the default text lacks, after PmMotionSensi).
    bool Reset(bool keepCardValues);
    // Value string 10 := CarBatVoltCalib as the card's file holds it now (looked for in bytes 300
    // to 1299), then bound. When it is not found there, the document's value is kept: the item may
    // stand elsewhere in the file, and the card's calibration must never be overwritten with "0".
    void ReadBatteryCalibration();
    void SetDefaultValues(bool keepCardValues);

    CXmlItemDoc &Document() { return *m_document; }

private:
    void BindAll(bool keepCardValues);
    // The document's first item of that index, or null.
    TiXmlElement *FindItem(int index) const;
    // The bytes item index would be written with now, or nothing when neither the document nor the
    // value string has a value for it.
    std::optional<QByteArray> KeptValue(int index) const;
    bool KeepUnreadableFile(const QString &path);

    std::unique_ptr<CXmlItemDoc> m_document;
    ValueStrings *m_values = nullptr;
    QString m_keptCopy;
};

} // namespace device
