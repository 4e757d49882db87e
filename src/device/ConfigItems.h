#pragma once

#include <QString>

#include <array>

// The recorder's settings as the viewer knows them: 28 items in a fixed order. The order is the
// item's index everywhere in the device code and in the settings panel.

namespace device {

enum ItemIndex {
    kItemName = 0,
    kItemFWVersion = 1,
    kItemMICOM = 2,
    kItemGSensorSensi = 3,
    kItemAudioRecEnable = 4,
    kItemSpeakerVol = 5,
    kItemSoundEffect = 6,
    kItemPartitionMode = 7,
    kItemPmImpactSensi = 8,
    kItemPmMotionSensi = 9,
    kItemCarBatVoltCalib = 10,
    kItemCarBatSafeVoltage = 11,
    kItemTempSafeValue = 12,
    kItemTempStableValue = 13,
    kItemLcdOffTime = 14,
    kItemFormatDays = 15,
    kItemLastPowerOnDays = 16,
    kItemRealUsedDays = 17,
    kItemFormatAlarmPeriod = 18,
    kItemBrightness = 19,
    kItemLDWS = 20,
    kItemLDWSSpeedOver = 21,
    kItemLDWSSensi = 22,
    kItemSafeDriving = 23,
    kItemAutoReboot = 24,
    kItemAutoRebootHour = 25,
    kItemAutoRebootMin = 26,
    kItemFactoryReset = 27,
};

constexpr int kItemCount = 28;

struct ConfigItem {
    const char *id; // the item's `id` attribute, compared case-sensitively
    const char *defaultValue; // built-in default; CarBatVoltCalib has none and is never set
};

// The table in ItemIndex order.
const std::array<ConfigItem, kItemCount> &ConfigItems();

// ItemIndex of an id, or -1 for an id the viewer does not know.
int ItemIndexOf(const QString &id);

// The 28 value strings that the settings panel owns and installs into the configuration object.
using ValueStrings = std::array<QString, kItemCount>;

// The complete settings file written when a card has none or the user resets: 27 items (no
// CarBatVoltCalib) and three comments, as one line without spaces between the parts.
const char *DefaultSetupText();

// Name of the settings file in a card's root folder.
inline constexpr const char *kSetupFileName = "setup.xml";

} // namespace device
