#include "app/CTAVINApp.h"

#include "app/AppLog.h"
#include "app/CAppRegistry.h"
#include "app/CTAVINDlg.h"
#include "app/MainWindowSettings.h"
#include "app/MainWindowStartup.h"
#include "app/UserMessages.h"
#include "i18n/UiLanguage.h"
#include "platform/settings_backend.h"
#include "platform/single_instance.h"
#include "skin/SkinRuntime.h"
#include "skin/core/SkinPackReader.h"
#include "views/ViewControlFactories.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

QString CTAVINApp::AlreadyRunningText()
{
    return QCoreApplication::translate("CTAVINApp", "이미 실행중입니다.");
}

namespace {

// The desktop's language: Qt's default locale, which is the system's (QLocale::system()) unless
// the program sets another; the test suites set Korean there so that they see a Korean desktop.
QLocale DesktopLocale()
{
    return QLocale();
}

} // namespace

CTAVINApp::CTAVINApp(AppEnvironment environment)
    : m_environment(std::move(environment))
{
}

CTAVINApp::~CTAVINApp() = default;

bool CTAVINApp::InitInstance()
{
    const QString applicationName = ApplicationNameOf(m_environment.programPath);
    // Until the settings are read, the program speaks the desktop's language.
    m_translation = std::make_unique<i18n::ProgramTranslation>();
    ApplyLanguage(QString());
    m_instanceLock
        = std::make_unique<platform::SingleInstanceLock>(applicationName, m_environment.lockFolder);
    if (!m_instanceLock->TryAcquire()) {
        if (m_environment.messages)
            m_environment.messages->ShowMessage(
                applicationName, AlreadyRunningText(), UserMessages::Icon::None);
        m_exitCode = 1;
        return false;
    }

    std::unique_ptr<platform::SettingsBackend> ownSettings;
    platform::SettingsBackend *settings = m_environment.settings;
    if (!settings) {
        ownSettings = platform::CreateSettingsBackend(m_environment.settingsLocation);
        settings = ownSettings.get();
    }
    m_exitCode = RunMainWindow(*settings) ? 0 : 1;
    return false;
}

bool CTAVINApp::RunMainWindow(platform::SettingsBackend &settings)
{
    // The main window's start-up part. The variables are declared before the store so that
    // they outlive it: the store writes every value back when it goes.
    MainWindowSettings variables;
    CAppRegistry registry(&settings);
    if (!m_environment.messages)
        return false;
    if (!RunMainWindowStartup(
            m_environment.programPath, settings, *m_environment.messages, registry, variables))
        return false;
    return RunWindow(variables);
}

bool CTAVINApp::RunWindow(MainWindowSettings &variables)
{
    skin::SkinRuntime runtime;
    const QDir folder = QFileInfo(m_environment.programPath).absoluteDir();
    runtime.SetBaseFolder(folder.absolutePath());
    // The settings' language, else the desktop's: the fixed texts and the skin pack follow it.
    const QString pack
        = i18n::SkinPackFor(variables.skin, ApplyLanguage(variables.language), folder.absolutePath());
    QStringList broken;
    if (runtime.LoadPack(folder.filePath(pack), &broken) != skin::kSkinPackOk)
        qCWarning(lcApp) << "cannot read the skin pack" << folder.filePath(pack);
    // The windows of the intact entries still open; the damaged ones are named for whoever
    // reinstalls the skin.
    for (const QString &entry : std::as_const(broken))
        qCWarning(lcApp) << "the skin pack's entry" << entry << "is damaged and was skipped";
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        runtime.SetMonitorSize(screen->size());
    RegisterViewControlFactories(runtime);

    CTAVINDlg::Services services;
    services.commandLine = m_environment.commandLine;
    services.cardFolders = m_environment.cardFolders;
    CTAVINDlg window(runtime, variables, std::move(services));
    if (!window.Init())
        return false;
    window.show();
    window.exec();
    return true;
}

i18n::UiLanguage CTAVINApp::ApplyLanguage(const QString &choice)
{
    const i18n::UiLanguage language = i18n::ChooseLanguage(choice, DesktopLocale());
    if (!m_translation)
        m_translation = std::make_unique<i18n::ProgramTranslation>();
    QString error;
    if (!m_translation->Apply(language, QFileInfo(m_environment.programPath).absolutePath(), &error))
        qCWarning(lcApp) << error << "- the program's texts stay Korean";
    return language;
}
