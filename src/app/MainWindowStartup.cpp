#include "app/MainWindowStartup.h"

#include "app/AppLog.h"
#include "app/CAppRegistry.h"
#include "app/DecoderRegistry.h"
#include "app/MainWindowSettings.h"
#include "app/UserMessages.h"
#include "platform/settings_backend.h"
#include "skin/core/SkinTextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

const char kLayoutErrorText[] = "Fail to load skin file. Please reinstall program.";

QString ApplicationNameOf(const QString &programPath)
{
    return QFileInfo(programPath).completeBaseName();
}

QString LayoutPathOf(const QString &programPath)
{
    const QFileInfo program(programPath);
    return program.absoluteDir().filePath(program.completeBaseName() + QStringLiteral(".xml"));
}

namespace {

// UTF-16 with its byte-order mark, otherwise 8-bit text (UTF-8 here); only a file that
// cannot be read at all fails.
bool ReadLayout(const QString &path, QString *text)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcApp) << "cannot open the settings layout" << path << ":" << file.errorString();
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        qCWarning(lcApp) << "cannot read the settings layout" << path << ":" << file.errorString();
        return false;
    }
    if (!skin::DecodeSkinText(bytes, text))
        *text = QString::fromUtf8(bytes);
    return true;
}

} // namespace

bool RunMainWindowStartup(const QString &programPath, platform::SettingsBackend &settings,
    UserMessages &messages, CAppRegistry &registry, MainWindowSettings &variables)
{
    // The decoders' white-lists and the browser's mode are read by other programs of the system;
    // where nothing reads them they would only clutter the user's settings.
    if (settings.IsSystemRegistry())
        PrepareDecoderRegistry(settings, QFileInfo(programPath).fileName());

    QString layout;
    const QString layoutPath = LayoutPathOf(programPath);
    bool loaded = ReadLayout(layoutPath, &layout);
    if (loaded && !registry.LoadLayout(layout)) {
        qCWarning(lcApp) << "the settings layout" << layoutPath << "holds no readable markup";
        loaded = false;
    }
    if (!loaded) {
        messages.ShowMessage(
            ApplicationNameOf(programPath), QString::fromLatin1(kLayoutErrorText), UserMessages::Icon::Error);
        return false;
    }
    variables.BindTo(registry);
    return true;
}
