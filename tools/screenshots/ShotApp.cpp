#include "ShotApp.h"

#include "app/CTAVINDlg.h"
#include "app/MainWindowSettings.h"
#include "i18n/UiLanguage.h"
#include "platform/card_formatter.h"
#include "platform/volume_source.h"
#include "skin/SkinRuntime.h"
#include "skin/core/SkinPackReader.h"
#include "views/ViewControlFactories.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

#include <cstdio>

namespace screenshots {

namespace {

    // Whatever the panels ask, a run of this tool never formats anything.
    class NoFormatting : public platform::CardFormatter
    {
    public:
        std::optional<platform::VolumeGeometry> QueryGeometry(const QString &) override
        {
            return std::nullopt;
        }
        platform::FormatResult Format(
            const platform::MountedVolume &, const QString &, const QString &, quint32) override
        {
            return { platform::FormatStatus::Unavailable, QString(),
                QStringLiteral("not while taking pictures") };
        }
    };

    void PrintError(const QString &text)
    {
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    }

} // namespace

void PrintedMessages::ShowMessage(const QString &caption, const QString &text, Icon)
{
    m_any = true;
    PrintError(QStringLiteral("message at start-up: %1: %2").arg(caption, text));
}

ShotApp::ShotApp(AppEnvironment environment, ShotOptions options)
    : CTAVINApp(std::move(environment))
    , m_options(std::move(options))
{
}

bool ShotApp::Fail(const QString &error)
{
    m_ok = false;
    m_error = error;
    return false;
}

bool ShotApp::RunWindow(MainWindowSettings &variables)
{
    // As CTAVINApp::RunWindow starts the window, with the language asked for and the message boxes
    // answered here.
    skin::SkinRuntime runtime;
    const QDir folder = QFileInfo(Environment().programPath).absoluteDir();
    runtime.SetBaseFolder(folder.absolutePath());
    variables.language = m_options.language;
    const i18n::UiLanguage language = ApplyLanguage(variables.language);
    const QString pack = i18n::SkinPackFor(variables.skin, language, folder.absolutePath());
    if (language == i18n::UiLanguage::English
        && (pack == variables.skin || !folder.exists(QString::fromLatin1(i18n::kEnglishTranslationFile))))
        return Fail(QStringLiteral("the English skin pack or translation is missing in %1")
                        .arg(QDir::toNativeSeparators(folder.absolutePath())));
    QStringList broken;
    if (runtime.LoadPack(folder.filePath(pack), &broken) != skin::kSkinPackOk || !broken.isEmpty())
        return Fail(QStringLiteral("cannot read the skin pack %1")
                        .arg(QDir::toNativeSeparators(folder.filePath(pack))));
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        runtime.SetMonitorSize(screen->size());
    runtime.SetMessageBoxHandler([this](QWidget *, const QString &text, const QString &caption, int) {
        m_boxes << QStringLiteral("%1: %2").arg(caption, text);
        PrintError(QStringLiteral("message box: ") + m_boxes.back());
        return int(skin::kIdOk);
    });
    RegisterViewControlFactories(runtime);

    // The card folder is the one inserted card; no sound, no watching the system's mounts.
    CTAVINDlg::Services services;
    services.audioOutputs = {};
    services.volumes = std::make_unique<platform::FolderVolumeSource>(QStringList { m_options.card });
    services.chooseCard = [](const QStringList &) { return std::optional<int>(0); };
    services.chooseFolder = [] { return QString(); };
    services.watchMounts = false;
    services.cardFormatter = std::make_unique<NoFormatting>();
    CTAVINDlg window(runtime, variables, std::move(services));
    if (!window.Init())
        return Fail(QStringLiteral("the main window could not start"));
    window.move(0, 0);
    window.show();
    ShotRun run(window, m_options, m_boxes);
    m_ok = run.Run();
    m_error = run.Error();
    m_saved = run.Saved();
    window.close();
    return true;
}

} // namespace screenshots
