#include "AppTestUtil.h"

#include "app/CAppRegistry.h"
#include "app/CTAVINApp.h"
#include "app/DecoderRegistry.h"
#include "app/MainWindowSettings.h"
#include "app/MainWindowStartup.h"
#include "app/UserMessages.h"
#include "panels/MainWindowMessages.h"
#include "platform/single_instance.h"
#include "skin/WindowMessageEvent.h"
#include "support/Files.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace {

// Runs the start-up part alone: the window itself is driven by the main window's suite.
class StartupOnlyApp : public CTAVINApp
{
public:
    using CTAVINApp::CTAVINApp;

protected:
    bool RunWindow(MainWindowSettings &) override { return true; }
};

struct Shown {
    QString caption;
    QString text;
    UserMessages::Icon icon;
};

class RecordingMessages final : public UserMessages
{
public:
    void ShowMessage(const QString &caption, const QString &text, Icon icon) override
    {
        shown.push_back({ caption, text, icon });
    }
    std::vector<Shown> shown;
};

const QString kApp = QStringLiteral("Software\\TavinSoft\\TAVIN Viewer");
const QString kKvDecoder = QStringLiteral("Software\\KV\\ffdshow");
const QString kGnuDecoder = QStringLiteral("Software\\GNU\\ffdshow");
const QString kBrowser = QStringLiteral(
    "Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\FEATURE_BROWSER_EMULATION");

QByteArray shippedLayout()
{
    return testsupport::ReadFile(QStringLiteral(TAVIN_SOURCE_DIR "/src/app/tavin-viewer.xml"));
}

class StartupTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_program = m_dir.filePath(QStringLiteral("bin/tavin-viewer"));
        writeLayout(shippedLayout());
        m_settings = platform::CreateSettingsBackend(m_dir.filePath(QStringLiteral("cfg/settings.ini")));
    }

    void writeLayout(const QByteArray &bytes)
    {
        ASSERT_TRUE(testsupport::WriteFile(m_dir.filePath(QStringLiteral("bin/tavin-viewer.xml")), bytes));
    }

    AppEnvironment environment()
    {
        AppEnvironment env;
        env.programPath = m_program;
        env.lockFolder = m_dir.filePath(QStringLiteral("run"));
        env.settings = m_settings.get();
        env.messages = &m_messages;
        return env;
    }

    QTemporaryDir m_dir;
    QString m_program;
    std::unique_ptr<platform::SettingsBackend> m_settings;
    RecordingMessages m_messages;
};

TEST_F(StartupTest, FirstStartBindsTheShippedLayoutAndWritesItBack)
{
    {
        StartupOnlyApp app(environment());
        EXPECT_FALSE(app.InitInstance());
        EXPECT_EQ(app.ExitCode(), 0);
    }
    EXPECT_TRUE(m_messages.shown.empty());
    EXPECT_EQ(m_settings->ReadString(kApp, QStringLiteral("Skin")), QStringLiteral("default.skin"));
    EXPECT_EQ(m_settings->ReadString(kApp + QStringLiteral("\\Xml"), QStringLiteral("Small")),
        QStringLiteral("main_small"));
    EXPECT_EQ(m_settings->ReadString(kApp + QStringLiteral("\\Xml"), QStringLiteral("BBSetting")),
        QStringLiteral("bbsetting"));
    EXPECT_EQ(m_settings->ReadDword(kApp + QStringLiteral("\\Config"), QStringLiteral("Volume")), 50u);
    EXPECT_EQ(m_settings->ReadDword(kApp + QStringLiteral("\\Config"), QStringLiteral("SpeedUnit")), 0u);
}

// Values meant for the system's decoders and browser go only where those programs read them.
TEST_F(StartupTest, DecoderAndBrowserValuesOnlyInASystemRegistry)
{
    m_settings->WriteString(kKvDecoder, QStringLiteral("whitelist"), QStringLiteral("player.exe;"));
    {
        StartupOnlyApp app(environment());
        app.InitInstance();
    }
    EXPECT_EQ(m_settings->ReadString(kKvDecoder, QStringLiteral("whitelist")), QStringLiteral("player.exe;"));
    EXPECT_FALSE(m_settings->KeyExists(kGnuDecoder));
    EXPECT_FALSE(m_settings->KeyExists(kBrowser));

    RecordingBackend registry(*m_settings, true);
    for (int run = 0; run < 2; ++run) {
        AppEnvironment env = environment();
        env.settings = &registry;
        StartupOnlyApp app(env);
        app.InitInstance();
    }
    // Appended once, after what was there, however often the program starts.
    EXPECT_EQ(m_settings->ReadString(kKvDecoder, QStringLiteral("whitelist")),
        QStringLiteral("player.exe;tavin-viewer;"));
    EXPECT_EQ(
        m_settings->ReadString(kGnuDecoder, QStringLiteral("whitelist")), QStringLiteral("tavin-viewer;"));
    EXPECT_EQ(m_settings->ReadDword(kGnuDecoder, QStringLiteral("trayIcon")), 0u);
    EXPECT_TRUE(registry.KeyExists(QStringLiteral("Software\\GNU\\ffdshow_audio")));
    EXPECT_EQ(m_settings->ReadDword(kBrowser, QStringLiteral("tavin-viewer")), 6000u);
}

TEST_F(StartupTest, WhitelistTokenIsTheFileNameWithExtension)
{
    EXPECT_TRUE(AppendToWhitelist(*m_settings, kKvDecoder, QStringLiteral("viewer.exe;")));
    EXPECT_FALSE(AppendToWhitelist(*m_settings, kKvDecoder, QStringLiteral("viewer.exe;")));
    PrepareDecoderRegistry(*m_settings, QStringLiteral("viewer.exe"));
    PrepareDecoderRegistry(*m_settings, QStringLiteral("viewer.exe"));
    EXPECT_EQ(m_settings->ReadString(kKvDecoder, QStringLiteral("whitelist")), QStringLiteral("viewer.exe;"));
    EXPECT_EQ(m_settings->ReadDword(kBrowser, QStringLiteral("viewer.exe")), 6000u);
}

TEST_F(StartupTest, SecondCopyIsRefusedWhileTheFirstRuns)
{
    auto untouched = platform::CreateSettingsBackend(m_dir.filePath(QStringLiteral("second/settings.ini")));
    RecordingBackend recorder(*untouched);
    {
        StartupOnlyApp first(environment());
        first.InitInstance();
        ASSERT_EQ(first.ExitCode(), 0);
        ASSERT_TRUE(m_messages.shown.empty());

        AppEnvironment env = environment();
        env.settings = &recorder;
        StartupOnlyApp second(env);
        EXPECT_FALSE(second.InitInstance());
        EXPECT_EQ(second.ExitCode(), 1);
    }
    ASSERT_EQ(m_messages.shown.size(), 1u);
    EXPECT_EQ(m_messages.shown[0].caption, QStringLiteral("tavin-viewer"));
    EXPECT_EQ(m_messages.shown[0].text, QStringLiteral("이미 실행중입니다."));
    // Nothing else happened: no settings read or written.
    EXPECT_TRUE(recorder.log.isEmpty());

    // Once the first copy has ended, the lock is free again.
    StartupOnlyApp again(environment());
    again.InitInstance();
    EXPECT_EQ(again.ExitCode(), 0);
    EXPECT_EQ(m_messages.shown.size(), 1u);
}

TEST_F(StartupTest, ARunningCopysLockNeverAges)
{
    StartupOnlyApp first(environment());
    first.InitInstance();
    platform::SingleInstanceLock probe(QStringLiteral("tavin-viewer"), m_dir.filePath(QStringLiteral("run")));
    QFile lockFile(probe.FilePath());
    ASSERT_TRUE(lockFile.exists());
    ASSERT_TRUE(lockFile.open(QIODevice::ReadWrite));
    ASSERT_TRUE(
        lockFile.setFileTime(QDateTime::currentDateTimeUtc().addDays(-1), QFileDevice::FileModificationTime));
    lockFile.close();
    EXPECT_FALSE(probe.TryAcquire());
}

TEST_F(StartupTest, ACrashedCopysLockIsTakenOver)
{
    const QString folder = m_dir.filePath(QStringLiteral("run"));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Take the lock and end without releasing it, as a crash would.
        platform::SingleInstanceLock lock(QStringLiteral("crashy"), folder);
        _exit(lock.TryAcquire() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    platform::SingleInstanceLock lock(QStringLiteral("crashy"), folder);
    ASSERT_TRUE(QFile::exists(lock.FilePath()));
    EXPECT_TRUE(lock.TryAcquire());
}

TEST_F(StartupTest, MissingOrUnreadableLayoutShowsTheErrorAndEnds)
{
    QFile::remove(m_dir.filePath(QStringLiteral("bin/tavin-viewer.xml")));
    {
        StartupOnlyApp app(environment());
        EXPECT_FALSE(app.InitInstance());
        EXPECT_EQ(app.ExitCode(), 1);
    }
    ASSERT_EQ(m_messages.shown.size(), 1u);
    EXPECT_EQ(m_messages.shown[0].text, QStringLiteral("Fail to load skin file. Please reinstall program."));
    EXPECT_EQ(m_messages.shown[0].caption, QStringLiteral("tavin-viewer"));
    EXPECT_EQ(m_messages.shown[0].icon, UserMessages::Icon::Error);
    EXPECT_FALSE(m_settings->KeyExists(kApp));

    // A layout without any element counts as unreadable.
    writeLayout("this is not a layout");
    StartupOnlyApp again(environment());
    again.InitInstance();
    EXPECT_EQ(again.ExitCode(), 1);
    ASSERT_EQ(m_messages.shown.size(), 2u);
    EXPECT_EQ(m_messages.shown[1].text, m_messages.shown[0].text);
}

TEST_F(StartupTest, LayoutInUtf16AndUtf8WithByteOrderMarks)
{
    const QString text
        = QString::fromUtf8(shippedLayout()).replace(QStringLiteral("TAVIN 2CH"), QStringLiteral("모델 2"));
    for (const QByteArray &bytes :
        { testsupport::Utf16LeWithBom(text), QByteArray("\xEF\xBB\xBF") + text.toUtf8() }) {
        writeLayout(bytes);
        MainWindowSettings variables;
        {
            auto settings = platform::CreateSettingsBackend(
                m_dir.filePath(QStringLiteral("fresh%1.ini").arg(bytes.size())));
            CAppRegistry registry(settings.get());
            ASSERT_TRUE(RunMainWindowStartup(m_program, *settings, m_messages, registry, variables));
        }
        EXPECT_EQ(variables.model, QStringLiteral("모델 2"));
        EXPECT_EQ(variables.xmlPrint, QStringLiteral("print"));
    }
    EXPECT_TRUE(m_messages.shown.empty());
}

// Start-up binds every value of the shipped layout, each read once, and writes nothing yet.
TEST_F(StartupTest, EveryValueOfTheLayoutIsBoundOnce)
{
    RecordingBackend recorder(*m_settings);
    MainWindowSettings variables;
    CAppRegistry registry(&recorder);
    ASSERT_TRUE(RunMainWindowStartup(m_program, recorder, m_messages, registry, variables));
    QStringList reads = recorder.Entries(QStringLiteral("read ") + kApp);
    EXPECT_EQ(reads.size(), registry.ValueCount());
    EXPECT_EQ(reads.removeDuplicates(), 0);
    EXPECT_GE(registry.ValueCount(), 19);
    EXPECT_TRUE(recorder.Entries(QStringLiteral("write ") + kApp).isEmpty());
}

TEST_F(StartupTest, ChangedVolumeIsReadAtTheNextStart)
{
    for (int run = 0; run < 2; ++run) {
        MainWindowSettings variables;
        CAppRegistry registry(m_settings.get());
        ASSERT_TRUE(RunMainWindowStartup(m_program, *m_settings, m_messages, registry, variables));
        EXPECT_EQ(variables.volume, run == 0 ? 50 : 73);
        variables.volume = 73;
        variables.lastOpen = QStringLiteral("/media/card");
    }
    EXPECT_EQ(m_settings->ReadString(kApp, QStringLiteral("LastOpen")), QStringLiteral("/media/card"));
}

TEST_F(StartupTest, LayoutWithoutConfigKeepsStartingValues)
{
    writeLayout("<settings><company>TavinSoft</company><appliction>TAVIN Viewer</appliction>"
                "<key type=\"string\" default=\"default.skin\">Skin</key></settings>");
    MainWindowSettings variables;
    {
        CAppRegistry registry(m_settings.get());
        ASSERT_TRUE(RunMainWindowStartup(m_program, *m_settings, m_messages, registry, variables));
        EXPECT_EQ(variables.volume, 50);
        EXPECT_EQ(variables.brightness, 0);
        EXPECT_EQ(variables.speedUnit, 0);
        EXPECT_EQ(variables.skin, QStringLiteral("default.skin"));
        EXPECT_TRUE(variables.xmlSmall.isEmpty());
    }
    EXPECT_FALSE(m_settings->KeyExists(kApp + QStringLiteral("\\Config")));
}

TEST(StartupNames, FromTheProgramPath)
{
    EXPECT_EQ(ApplicationNameOf(QStringLiteral("/opt/tavin/tavin-viewer")), QStringLiteral("tavin-viewer"));
    EXPECT_EQ(ApplicationNameOf(QStringLiteral("C:/Program Files/viewer.exe")), QStringLiteral("viewer"));
    EXPECT_EQ(LayoutPathOf(QStringLiteral("/opt/tavin/tavin-viewer")),
        QStringLiteral("/opt/tavin/tavin-viewer.xml"));
    EXPECT_EQ(LayoutPathOf(QStringLiteral("/opt/tavin/viewer.exe")), QStringLiteral("/opt/tavin/viewer.xml"));
}

// The real main window after start-up, with the layout and skin the build put beside the program:
// the card chooser is cancelled, the window comes up and is closed like a user closes it, and the
// settings are written back.
TEST(MainWindowRun, ShowsTheWindowAndWritesTheSettingsBack)
{
    QTemporaryDir dir;
    RecordingMessages messages;
    AppEnvironment env;
    env.programPath = QStringLiteral(TAVIN_BIN_DIR "/tavin-viewer");
    env.lockFolder = dir.filePath(QStringLiteral("run"));
    env.settingsLocation = dir.filePath(QStringLiteral("settings.ini"));
    env.messages = &messages;
    env.cardFolders = { dir.path() };
    QDir(dir.path()).mkpath(QStringLiteral("run"));
    ASSERT_TRUE(testsupport::WriteFile(dir.filePath(QStringLiteral("setup.xml")), "<setup/>"));

    bool windowShown = false;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (QWidget *modal = QApplication::activeModalWidget(); modal && !modal->inherits("CTAVINDlg")) {
            modal->close();
            return;
        }
        for (QWidget *top : QApplication::topLevelWidgets()) {
            if (top->inherits("CTAVINDlg") && top->isVisible()) {
                windowShown = true;
                skin::PostWindowMessage(top, mainwindow::kMsgQuit);
            }
        }
    });
    closer.start(100);
    CTAVINApp app(env);
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(app.ExitCode(), 0);
    EXPECT_TRUE(windowShown);

    auto settings = platform::CreateSettingsBackend(env.settingsLocation);
    EXPECT_EQ(settings->ReadString(kApp, QStringLiteral("Skin")), QStringLiteral("default.skin"));
    EXPECT_EQ(settings->ReadDword(kApp + QStringLiteral("\\Config"), QStringLiteral("Volume")), 50u);
}

} // namespace
