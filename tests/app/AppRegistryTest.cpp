#include "AppTestUtil.h"

#include "app/CAppRegistry.h"
#include "app/CRegDWORD.h"
#include "app/CRegString.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kApp = QStringLiteral("Software\\TavinSoft\\Viewer");

QString layout(const QString &body)
{
    return QStringLiteral("<?xml version=\"1.0\"?>\n<settings>\n<company>TavinSoft</company>\n"
                          "<appliction>Viewer</appliction>\n")
        + body + QStringLiteral("\n</settings>\n");
}

const QString kConfigLayout
    = layout(QStringLiteral("<key type=\"string\" default=\"default.skin\">Skin</key>\n"
                            "<key type=\"String\" default=\"M1\">Model</key>\n"
                            "<section name=\"Config\">\n"
                            "  <key type=\"dword\" default=\"50\">Volume</key>\n"
                            "  <key default=\" -3 steps\">Brightness</key>\n"
                            "  <key type=\"dword\">SpeedUnit</key>\n"
                            "</section>"));

class AppRegistryTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_settings = platform::CreateSettingsBackend(m_dir.filePath(QStringLiteral("settings.ini")));
    }

    QTemporaryDir m_dir;
    std::unique_ptr<platform::SettingsBackend> m_settings;
};

TEST_F(AppRegistryTest, BasePathFromTheLayout)
{
    CAppRegistry registry(m_settings.get());
    EXPECT_EQ(registry.BasePath(), QStringLiteral("Software\\"));
    EXPECT_TRUE(registry.LoadLayout(kConfigLayout));
    EXPECT_EQ(registry.BasePath(), kApp);
    EXPECT_EQ(registry.ValueCount(), 5);

    CAppRegistry fallback(m_settings.get());
    EXPECT_TRUE(fallback.LoadLayout(QStringLiteral("<s><company>  </company><key>X</key></s>")));
    EXPECT_EQ(fallback.BasePath(), QStringLiteral("Software\\MyCompany\\MyAppName"));
    ASSERT_NE(fallback.FindValue(QStringLiteral("\\X")), nullptr);
    EXPECT_EQ(fallback.FindValue(QStringLiteral("\\X"))->SubkeyPath(),
        QStringLiteral("Software\\MyCompany\\MyAppName"));

    CAppRegistry nothing(m_settings.get());
    EXPECT_FALSE(nothing.LoadLayout(QStringLiteral("no markup")));
    EXPECT_EQ(nothing.ValueCount(), 0);
}

TEST_F(AppRegistryTest, BindingReadsTheDefaultsWhenNothingIsStored)
{
    QString skin, model;
    int volume = -1, brightness = -1, speedUnit = -1;
    {
        CAppRegistry registry(m_settings.get());
        registry.LoadLayout(kConfigLayout);
        EXPECT_TRUE(registry.BindValue(QStringLiteral("\\Skin"), &skin));
        // Lookups ignore case.
        EXPECT_TRUE(registry.BindValue(QStringLiteral("\\model"), &model));
        EXPECT_TRUE(registry.BindValue(QStringLiteral("\\CONFIG\\volume"), &volume));
        EXPECT_TRUE(registry.BindValue(QStringLiteral("\\Config\\Brightness"), &brightness));
        EXPECT_TRUE(registry.BindValue(QStringLiteral("\\Config\\SpeedUnit"), &speedUnit));
        EXPECT_EQ(skin, QStringLiteral("default.skin"));
        EXPECT_EQ(model, QStringLiteral("M1")); // "String" in another case is still a string
        EXPECT_EQ(volume, 50);
        EXPECT_EQ(brightness, -3); // a default is read like atoi reads it
        EXPECT_EQ(speedUnit, 0); // no default attribute: 0, not the starting value
    }
    // Written back at the end, with their types.
    EXPECT_EQ(
        m_settings->ReadDword(kApp + QStringLiteral("\\Config"), QStringLiteral("Brightness")), quint32(-3));
    EXPECT_EQ(m_settings->ReadString(kApp, QStringLiteral("Model")), QStringLiteral("M1"));
}

TEST_F(AppRegistryTest, StoredValuesWinOverDefaults)
{
    m_settings->WriteDword(kApp + QStringLiteral("\\Config"), QStringLiteral("Volume"), 12);
    m_settings->WriteString(kApp, QStringLiteral("Skin"), QStringLiteral("night.skin"));
    CAppRegistry registry(m_settings.get());
    registry.LoadLayout(kConfigLayout);
    int volume = 0;
    QString skin;
    registry.BindValue(QStringLiteral("\\Config\\Volume"), &volume);
    registry.BindValue(QStringLiteral("\\Skin"), &skin);
    EXPECT_EQ(volume, 12);
    EXPECT_EQ(skin, QStringLiteral("night.skin"));
    EXPECT_TRUE(registry.FindValue(QStringLiteral("\\Config\\Volume"))->IsDone());
}

TEST_F(AppRegistryTest, ValuesMissingFromTheLayoutStayAndAreNotWritten)
{
    int volume = 50;
    int brightness = 0;
    QString skin;
    {
        CAppRegistry registry(m_settings.get());
        registry.LoadLayout(layout(QStringLiteral("<key type=\"string\" default=\"a.skin\">Skin</key>")));
        EXPECT_FALSE(registry.BindValue(QStringLiteral("\\Config\\Volume"), &volume));
        EXPECT_FALSE(registry.BindValue(QStringLiteral("\\Config\\Brightness"), &brightness));
        registry.BindValue(QStringLiteral("\\Skin"), &skin);
        volume = 90;
    }
    EXPECT_EQ(volume, 90);
    EXPECT_EQ(brightness, 0);
    EXPECT_FALSE(m_settings->KeyExists(kApp + QStringLiteral("\\Config")));
    EXPECT_EQ(m_settings->ReadString(kApp, QStringLiteral("Skin")), QStringLiteral("a.skin"));
}

TEST_F(AppRegistryTest, BindingRefusesTheOtherType)
{
    CAppRegistry registry(m_settings.get());
    registry.LoadLayout(kConfigLayout);
    QString text = QStringLiteral("unchanged");
    int number = 7;
    EXPECT_FALSE(registry.BindValue(QStringLiteral("\\Config\\Volume"), &text));
    EXPECT_FALSE(registry.BindValue(QStringLiteral("\\Skin"), &number));
    EXPECT_EQ(text, QStringLiteral("unchanged"));
    EXPECT_EQ(number, 7);
    EXPECT_FALSE(registry.FindValue(QStringLiteral("\\Skin"))->IsBound());
}

TEST_F(AppRegistryTest, EveryValueIsWrittenExactlyOnceAtTheEnd)
{
    m_settings->WriteString(kApp, QStringLiteral("Model"), QStringLiteral("stored"));
    RecordingBackend recorder(*m_settings);
    int volume = 0;
    {
        CAppRegistry registry(&recorder);
        registry.LoadLayout(kConfigLayout);
        EXPECT_TRUE(recorder.log.isEmpty()); // loading the layout touches nothing
        registry.BindValue(QStringLiteral("\\Config\\Volume"), &volume);
        EXPECT_EQ(recorder.log, QStringList { QStringLiteral("read %1\\Config\\Volume").arg(kApp) });
        volume = 33;
        volume = 34;
        EXPECT_TRUE(recorder.Entries(QStringLiteral("write")).isEmpty());
    }
    QStringList writes = recorder.Entries(QStringLiteral("write"));
    writes.sort();
    const QStringList expected { QStringLiteral("write %1\\Config\\Brightness").arg(kApp),
        QStringLiteral("write %1\\Config\\SpeedUnit").arg(kApp),
        QStringLiteral("write %1\\Config\\Volume").arg(kApp), QStringLiteral("write %1\\Model").arg(kApp),
        QStringLiteral("write %1\\Skin").arg(kApp) };
    EXPECT_EQ(writes, expected);
    // The bound value with its last value; unbound ones with their layout default,
    // even over what was stored.
    EXPECT_EQ(m_settings->ReadDword(kApp + QStringLiteral("\\Config"), QStringLiteral("Volume")), 34u);
    EXPECT_EQ(m_settings->ReadString(kApp, QStringLiteral("Model")), QStringLiteral("M1"));
}

TEST_F(AppRegistryTest, NestedSectionsAndKeyOrder)
{
    CAppRegistry registry(m_settings.get());
    registry.LoadLayout(layout(QStringLiteral(
        "<section name=\"A\"><section name=\"B\"><key type=\"string\" default=\"deep\">V</key></section>"
        "<key type=\"string\" default=\"shallow\">V</key></section>"
        "<key type=\"string\" default=\"first\">Dup</key><key type=\"string\" "
        "default=\"second\">DUP</key>")));
    QString deep, shallow, dup;
    EXPECT_TRUE(registry.BindValue(QStringLiteral("\\A\\B\\V"), &deep));
    EXPECT_TRUE(registry.BindValue(QStringLiteral("\\A\\V"), &shallow));
    EXPECT_TRUE(registry.BindValue(QStringLiteral("\\dup"), &dup));
    EXPECT_EQ(deep, QStringLiteral("deep"));
    EXPECT_EQ(shallow, QStringLiteral("shallow"));
    EXPECT_EQ(dup, QStringLiteral("first")); // a repeated declaration is ignored
    EXPECT_EQ(registry.FindValue(QStringLiteral("\\A\\B\\V"))->SubkeyPath(), kApp + QStringLiteral("\\A\\B"));
}

TEST(RegValue, FullPathIsSplitIntoKeyAndName)
{
    CRegString value(nullptr, QStringLiteral("\\\\Software\\A\\\\B\\\\Value"), QString());
    EXPECT_EQ(value.SubkeyPath(), QStringLiteral("Software\\A\\\\B"));
    EXPECT_EQ(value.ValueName(), QStringLiteral("Value"));
    CRegDWORD bare(nullptr, QStringLiteral("Name"), 0);
    EXPECT_EQ(bare.SubkeyPath(), QString());
    EXPECT_EQ(bare.ValueName(), QStringLiteral("Name"));
}

TEST(RegValue, WithoutStorageTheDefaultIsUsed)
{
    int target = 5;
    CRegDWORD value(nullptr, QStringLiteral("K\\V"), 9);
    value.BindTo(&target);
    EXPECT_EQ(target, 9);
    EXPECT_FALSE(value.IsDone());
    EXPECT_FALSE(value.WriteValue());
}

} // namespace
