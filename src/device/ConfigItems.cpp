#include "device/ConfigItems.h"

namespace device {

const std::array<ConfigItem, kItemCount> &ConfigItems()
{
    static const std::array<ConfigItem, kItemCount> items = { {
        { "Name", "TAVIN Q7" },
        { "FWVersion", "" },
        { "MICOM", "" },
        { "GSensorSensi", "1" },
        { "AudioRecEnable", "TRUE" },
        { "SpeakerVol", "2" },
        { "SoundEffect", "1" },
        { "PartitionMode", "5" },
        { "PmImpactSensi", "1" },
        { "PmMotionSensi", "1" },
        { "CarBatVoltCalib", "" },
        { "CarBatSafeVoltage", "120" },
        { "TempSafeValue", "80" },
        { "TempStableValue", "45" },
        { "LcdOffTime", "2" },
        { "FormatDays", "0" },
        { "LastPowerOnDays", "0" },
        { "RealUsedDays", "0" },
        { "FormatAlarmPeriod", "0" },
        { "Brightness", "1" },
        { "LDWS", "FALSE" },
        { "LDWSSpeedOver", "40" },
        { "LDWSSensi", "1" },
        { "SafeDriving", "FALSE" },
        { "AutoReboot", "TRUE" },
        { "AutoRebootHour", "3" },
        { "AutoRebootMin", "0" },
        { "FactoryReset", "FALSE" },
    } };
    return items;
}

int ItemIndexOf(const QString &id)
{
    const auto &items = ConfigItems();
    for (int i = 0; i < kItemCount; ++i) {
        if (id == QLatin1String(items[i].id))
            return i;
    }
    return -1;
}

const char *DefaultSetupText()
{
    // The recorder keeps its day counters itself; the comment after each tells a person editing
    // the card by hand to leave them alone.
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
           "<setup>"
           "<!-- Product Information -->"
           "<item id=\"Name\" value=\"TAVIN Q7\" />"
           "<item id=\"FWVersion\" value=\"\" />"
           "<item id=\"MICOM\" value=\"\" />"
           "<item id=\"GSensorSensi\" value=\"1\" />"
           "<item id=\"AudioRecEnable\" value=\"TRUE\" />"
           "<item id=\"SpeakerVol\" value=\"2\" />"
           "<item id=\"SoundEffect\" value=\"1\" />"
           "<item id=\"PartitionMode\" value=\"5\" />"
           "<item id=\"PmImpactSensi\" value=\"1\" />"
           "<item id=\"PmMotionSensi\" value=\"1\" />"
           "<item id=\"CarBatSafeVoltage\" value=\"120\" />"
           "<item id=\"TempSafeValue\" value=\"80\" />"
           "<item id=\"TempStableValue\" value=\"45\" />"
           "<item id=\"LcdOffTime\" value=\"2\" />"
           "<item id=\"FormatDays\" value=\"0\" />"
           "<!-- Do not revise it -->"
           "<item id=\"LastPowerOnDays\" value=\"0\" />"
           "<!-- Do not revise it -->"
           "<item id=\"RealUsedDays\" value=\"0\" />"
           "<!-- Do not revise it -->"
           "<item id=\"FormatAlarmPeriod\" value=\"0\" />"
           "<item id=\"Brightness\" value=\"1\" />"
           "<item id=\"LDWS\" value=\"FALSE\" />"
           "<item id=\"LDWSSpeedOver\" value=\"40\" />"
           "<item id=\"LDWSSensi\" value=\"1\" />"
           "<item id=\"SafeDriving\" value=\"FALSE\" />"
           "<item id=\"AutoReboot\" value=\"TRUE\" />"
           "<item id=\"AutoRebootHour\" value=\"3\" />"
           "<item id=\"AutoRebootMin\" value=\"0\" />"
           "<item id=\"FactoryReset\" value=\"FALSE\" />"
           "</setup>";
}

} // namespace device
