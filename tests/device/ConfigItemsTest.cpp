#include "device/ConfigItems.h"

#include <gtest/gtest.h>

#include <tinyxml.h>

#include <string>
#include <vector>

using namespace device;

TEST(ConfigItems, TableHoldsTheTwentyEightItemsInOrder)
{
    const std::vector<std::string> ids = { "Name", "FWVersion", "MICOM", "GSensorSensi", "AudioRecEnable",
        "SpeakerVol", "SoundEffect", "PartitionMode", "PmImpactSensi", "PmMotionSensi", "CarBatVoltCalib",
        "CarBatSafeVoltage", "TempSafeValue", "TempStableValue", "LcdOffTime", "FormatDays",
        "LastPowerOnDays", "RealUsedDays", "FormatAlarmPeriod", "Brightness", "LDWS", "LDWSSpeedOver",
        "LDWSSensi", "SafeDriving", "AutoReboot", "AutoRebootHour", "AutoRebootMin", "FactoryReset" };
    ASSERT_EQ(ids.size(), size_t(kItemCount));
    for (int i = 0; i < kItemCount; ++i) {
        EXPECT_EQ(ConfigItems()[i].id, ids[i]) << i;
        EXPECT_EQ(ItemIndexOf(QString::fromStdString(ids[i])), i);
    }
    EXPECT_EQ(ItemIndexOf(QStringLiteral("partitionmode")), -1) << "ids are case-sensitive";
    EXPECT_EQ(ItemIndexOf(QString()), -1);
    EXPECT_STREQ(ConfigItems()[kItemName].defaultValue, "TAVIN Q7");
    EXPECT_STREQ(ConfigItems()[kItemPartitionMode].defaultValue, "5");
    EXPECT_STREQ(ConfigItems()[kItemCarBatSafeVoltage].defaultValue, "120");
    EXPECT_STREQ(ConfigItems()[kItemFWVersion].defaultValue, "");
}

TEST(ConfigItems, DefaultTextHoldsEveryItemButTheCalibrationWithItsDefault)
{
    const std::string text = DefaultSetupText();
    EXPECT_EQ(text.find('\n'), std::string::npos);
    EXPECT_EQ(text.find("> "), std::string::npos) << "no space between the parts";
    EXPECT_EQ(text.find(" <"), std::string::npos) << "no space between the parts";
    EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0), 0u);

    TiXmlDocument document;
    document.Parse(text.c_str());
    ASSERT_FALSE(document.Error()) << document.ErrorDesc();
    const TiXmlElement *setup = document.FirstChildElement("setup");
    ASSERT_NE(setup, nullptr);

    // Walk the root's children: items in table order, comments where they belong.
    std::vector<std::string> sequence;
    for (const TiXmlNode *node = setup->FirstChild(); node; node = node->NextSibling()) {
        if (const TiXmlComment *comment = node->ToComment()) {
            sequence.push_back("#" + std::string(comment->Value()));
        } else if (const TiXmlElement *item = node->ToElement()) {
            ASSERT_STREQ(item->Value(), "item");
            ASSERT_NE(item->Attribute("value"), nullptr);
            const int index = ItemIndexOf(QString::fromLatin1(item->Attribute("id")));
            ASSERT_GE(index, 0);
            EXPECT_STREQ(item->Attribute("value"), ConfigItems()[index].defaultValue);
            EXPECT_STREQ(item->FirstAttribute()->Name(), "id");
            sequence.push_back(item->Attribute("id"));
        }
    }
    std::vector<std::string> expected = { "# Product Information " };
    for (int i = 0; i < kItemCount; ++i) {
        if (i == kItemCarBatVoltCalib)
            continue;
        expected.push_back(ConfigItems()[i].id);
        if (i == kItemFormatDays || i == kItemLastPowerOnDays || i == kItemRealUsedDays)
            expected.push_back("# Do not revise it ");
    }
    EXPECT_EQ(sequence, expected);
    EXPECT_EQ(expected.size(), 27u + 4u);
}
