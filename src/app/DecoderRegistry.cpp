#include "app/DecoderRegistry.h"

#include "platform/settings_backend.h"

namespace {

const QString kVideoDecoderKey = QStringLiteral("Software\\KV\\ffdshow");
const QString kGnuVideoDecoderKey = QStringLiteral("Software\\GNU\\ffdshow");
const QString kGnuAudioDecoderKey = QStringLiteral("Software\\GNU\\ffdshow_audio");
const QString kBrowserEmulationKey = QStringLiteral(
    "Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\FEATURE_BROWSER_EMULATION");

} // namespace

bool OpenOrCreateKey(platform::SettingsBackend &settings, const QString &keyPath)
{
    if (settings.KeyExists(keyPath))
        return true;
    const qsizetype last = keyPath.lastIndexOf(QLatin1Char('\\'));
    if (last > 0) {
        const QString parent = keyPath.left(last);
        if (!settings.KeyExists(parent) && !settings.CreateKey(parent))
            return false;
    }
    return settings.CreateKey(keyPath);
}

bool AppendToWhitelist(platform::SettingsBackend &settings, const QString &keyPath, const QString &token)
{
    const QString list = settings.ReadString(keyPath, QStringLiteral("whitelist")).value_or(QString());
    if (list.contains(token))
        return false;
    return settings.WriteString(keyPath, QStringLiteral("whitelist"), list + token);
}

void PrepareDecoderRegistry(platform::SettingsBackend &settings, const QString &programFileName)
{
    const QString token = programFileName + QLatin1Char(';');
    if (OpenOrCreateKey(settings, kVideoDecoderKey))
        AppendToWhitelist(settings, kVideoDecoderKey, token);
    if (OpenOrCreateKey(settings, kGnuVideoDecoderKey)) {
        settings.WriteDword(kGnuVideoDecoderKey, QStringLiteral("trayIcon"), 0);
        AppendToWhitelist(settings, kGnuVideoDecoderKey, token);
    }
    OpenOrCreateKey(settings, kGnuAudioDecoderKey);
    if (OpenOrCreateKey(settings, kBrowserEmulationKey))
        settings.WriteDword(kBrowserEmulationKey, programFileName, kBrowserEmulationMode);
}
