#pragma once

#include "device/CSDConfig.h"
#include "device/CXmlItemDoc.h"
#include "device/ConfigItems.h"

#include <memory>

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
    // every item. With an empty name: keeps the document and only binds again.
    bool Load(const QString &fileName) override;
    // Writes the document with the current values to the selected card. Read-only files are not
    // touched and fail; hidden files stay hidden. False when nothing was written.
    bool Save(const QString &fileName) override;
    // Replaces the document by the default text and the values by the built-in defaults; with the
    // flag, PartitionMode and CarBatVoltCalib keep their current values.
    bool Reset(bool keepCardValues);
    // Value string 10 := CarBatVoltCalib as the card's file holds it now (looked for in bytes 300
    // to 1299; "0" when it is not found there), then bound.
    void ReadBatteryCalibration();
    void SetDefaultValues(bool keepCardValues);

    CXmlItemDoc &Document() { return *m_document; }

private:
    void BindAll(bool keepCardValues);

    std::unique_ptr<CXmlItemDoc> m_document;
    ValueStrings *m_values = nullptr;
};

} // namespace device
