#include "AppTestUtil.h"
#include "support/Files.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using platform::CreateSettingsBackend;

namespace {

class SettingsBackendTest : public testing::Test
{
protected:
    QString iniPath() const { return m_dir.filePath(QStringLiteral("cfg/settings.ini")); }
    QByteArray iniText() const { return testsupport::ReadFile(iniPath()); }

    QTemporaryDir m_dir;
};

TEST_F(SettingsBackendTest, ValuesSurviveANewInstance)
{
    const QString key = QStringLiteral("Software\\TavinSoft\\TAVIN Viewer\\Config");
    const QString tricky = QStringLiteral("C:\\카드 \"SAVE\" = 1\nline2 ; not a comment [x]");
    {
        auto settings = CreateSettingsBackend(iniPath());
        EXPECT_TRUE(settings->WriteDword(key, QStringLiteral("Volume"), 77));
        EXPECT_TRUE(settings->WriteDword(key, QStringLiteral("Big"), 0xFFFFFFFFu));
        EXPECT_TRUE(settings->WriteString(key, QStringLiteral("Last \"Open\""), tricky));
        EXPECT_TRUE(settings->WriteString(key, QStringLiteral("Empty"), QString()));
    }
    auto settings = CreateSettingsBackend(iniPath());
    EXPECT_EQ(settings->ReadDword(key, QStringLiteral("Volume")), 77u);
    EXPECT_EQ(settings->ReadDword(key, QStringLiteral("Big")), 0xFFFFFFFFu);
    EXPECT_EQ(settings->ReadString(key, QStringLiteral("Last \"Open\"")), tricky);
    EXPECT_EQ(settings->ReadString(key, QStringLiteral("Empty")), QString());
    EXPECT_FALSE(settings->ReadString(key, QStringLiteral("Missing")).has_value());
    EXPECT_FALSE(
        settings->ReadDword(QStringLiteral("Software\\Nowhere"), QStringLiteral("Volume")).has_value());
}

TEST_F(SettingsBackendTest, NamesIgnoreCaseAndKeepTheFirstSpelling)
{
    auto settings = CreateSettingsBackend(iniPath());
    settings->WriteDword(QStringLiteral("Software\\Tavin\\Config"), QStringLiteral("Volume"), 10);
    settings->WriteDword(QStringLiteral("software\\TAVIN\\config"), QStringLiteral("VOLUME"), 20);
    EXPECT_EQ(settings->ReadDword(QStringLiteral("SOFTWARE\\tavin\\Config"), QStringLiteral("volume")), 20u);
    // A standard QSettings INI file, with the spelling of the first write.
    EXPECT_TRUE(iniText().contains("[Software]\nTavin\\Config\\Volume=20\n")) << iniText().toStdString();
    // Leading and trailing separators do not make another key.
    EXPECT_EQ(
        settings->ReadDword(QStringLiteral("\\Software\\Tavin\\Config\\"), QStringLiteral("Volume")), 20u);
}

TEST_F(SettingsBackendTest, OnlyNumbersInRangeReadAsDwords)
{
    auto settings = CreateSettingsBackend(iniPath());
    settings->WriteString(QStringLiteral("K"), QStringLiteral("word"), QStringLiteral("twelve"));
    settings->WriteString(QStringLiteral("K"), QStringLiteral("huge"), QStringLiteral("4294967296"));
    settings->WriteString(QStringLiteral("K"), QStringLiteral("negative"), QStringLiteral("-1"));
    settings->WriteDword(QStringLiteral("K"), QStringLiteral("d"), 12);
    auto reread = CreateSettingsBackend(iniPath());
    EXPECT_FALSE(reread->ReadDword(QStringLiteral("K"), QStringLiteral("word")).has_value());
    EXPECT_FALSE(reread->ReadDword(QStringLiteral("K"), QStringLiteral("huge")).has_value());
    EXPECT_FALSE(reread->ReadDword(QStringLiteral("K"), QStringLiteral("negative")).has_value());
    EXPECT_EQ(reread->ReadDword(QStringLiteral("K"), QStringLiteral("d")), 12u);
    EXPECT_EQ(reread->ReadString(QStringLiteral("K"), QStringLiteral("d")), QStringLiteral("12"));
}

TEST_F(SettingsBackendTest, KeysExistWithTheirParents)
{
    auto settings = CreateSettingsBackend(iniPath());
    EXPECT_FALSE(settings->KeyExists(QStringLiteral("Software\\GNU\\ffdshow_audio")));
    EXPECT_TRUE(settings->CreateKey(QStringLiteral("Software\\GNU\\ffdshow_audio")));
    EXPECT_TRUE(settings->KeyExists(QStringLiteral("software\\gnu\\FFDSHOW_AUDIO")));
    EXPECT_TRUE(settings->KeyExists(QStringLiteral("Software\\GNU")));
    EXPECT_TRUE(settings->KeyExists(QStringLiteral("Software")));
    EXPECT_FALSE(settings->KeyExists(QStringLiteral("Software\\GN")));
    EXPECT_FALSE(settings->KeyExists(QStringLiteral("Software\\GNU\\ffdshow")));
    settings->WriteDword(QStringLiteral("A\\B\\C"), QStringLiteral("v"), 1);
    auto reread = CreateSettingsBackend(iniPath());
    EXPECT_TRUE(reread->KeyExists(QStringLiteral("a\\b")));
    EXPECT_FALSE(reread->KeyExists(QStringLiteral("A\\B\\C\\D")));
}

TEST_F(SettingsBackendTest, AHandEditedFileStillReads)
{
    ASSERT_TRUE(testsupport::WriteFile(iniPath(),
        "orphan=1\n[K]\ngood=42\ngarbage line without equals\ntext=\"quoted, with "
        "comma\"\n[K/Sub]\nlast=ok\n"));
    auto settings = CreateSettingsBackend(iniPath());
    EXPECT_EQ(settings->ReadDword(QStringLiteral("K"), QStringLiteral("good")), 42u);
    EXPECT_EQ(settings->ReadString(QStringLiteral("K"), QStringLiteral("text")),
        QStringLiteral("quoted, with comma"));
    EXPECT_EQ(settings->ReadString(QStringLiteral("k\\sub"), QStringLiteral("LAST")), QStringLiteral("ok"));
    EXPECT_EQ(settings->ReadDword(QString(), QStringLiteral("orphan")), 1u);
}

TEST_F(SettingsBackendTest, FailedWritesChangeNothing)
{
    // A file where the folder should be: nothing can be stored.
    QFile blocker(m_dir.filePath(QStringLiteral("cfg")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    auto settings = CreateSettingsBackend(iniPath());
    EXPECT_FALSE(settings->WriteDword(QStringLiteral("K"), QStringLiteral("v"), 1));
    EXPECT_FALSE(settings->CreateKey(QStringLiteral("K")));
    EXPECT_FALSE(settings->ReadDword(QStringLiteral("K"), QStringLiteral("v")).has_value());
    EXPECT_FALSE(settings->KeyExists(QStringLiteral("K")));
}

TEST_F(SettingsBackendTest, WritesReplaceTheFileWhole)
{
    auto settings = CreateSettingsBackend(iniPath());
    for (int i = 0; i < 20; ++i)
        settings->WriteDword(QStringLiteral("K"), QStringLiteral("v%1").arg(i), static_cast<quint32>(i));
    // Only the file itself: no temporary or backup files left beside it.
    EXPECT_EQ(QDir(m_dir.filePath(QStringLiteral("cfg"))).entryList(QDir::Files | QDir::Hidden),
        QStringList { QStringLiteral("settings.ini") });
    EXPECT_EQ(CreateSettingsBackend(iniPath())->ReadDword(QStringLiteral("K"), QStringLiteral("v19")), 19u);
}

TEST_F(SettingsBackendTest, DefaultLocationIsTheApplicationsConfigFolder)
{
    const QByteArray savedHome = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("xdg")).toUtf8());
    const QString expected = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)
        + QStringLiteral("/settings.ini");
    CreateSettingsBackend()->WriteDword(QStringLiteral("K"), QStringLiteral("v"), 5);
    if (savedHome.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", savedHome);
    EXPECT_TRUE(expected.startsWith(m_dir.filePath(QStringLiteral("xdg"))));
    EXPECT_TRUE(QFile::exists(expected));
}

} // namespace
