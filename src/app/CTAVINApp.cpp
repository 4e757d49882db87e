#include "app/CTAVINApp.h"

#include "app/AppLog.h"
#include "app/CAppRegistry.h"
#include "app/CTAVINDlg.h"
#include "app/MainWindowSettings.h"
#include "app/MainWindowStartup.h"
#include "app/UserMessages.h"
#include "platform/settings_backend.h"
#include "platform/single_instance.h"
#include "skin/SkinRuntime.h"
#include "skin/core/SkinPackReader.h"
#include "views/ViewControlFactories.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

const QString CTAVINApp::kAlreadyRunningText = QStringLiteral("이미 실행중입니다.");

CTAVINApp::CTAVINApp(AppEnvironment environment)
    : m_environment(std::move(environment))
{
}

CTAVINApp::~CTAVINApp() = default;

bool CTAVINApp::InitInstance()
{
    const QString applicationName = ApplicationNameOf(m_environment.programPath);
    m_instanceLock
        = std::make_unique<platform::SingleInstanceLock>(applicationName, m_environment.lockFolder);
    if (!m_instanceLock->TryAcquire()) {
        if (m_environment.messages)
            m_environment.messages->ShowMessage(
                applicationName, kAlreadyRunningText, UserMessages::Icon::None);
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
    QStringList broken;
    if (runtime.LoadPack(folder.filePath(variables.skin), &broken) != skin::kSkinPackOk)
        qCWarning(lcApp) << "cannot read the skin pack" << folder.filePath(variables.skin);
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
