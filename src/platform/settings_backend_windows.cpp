#include "platform/settings_backend_qsettings.h"

namespace platform {

std::unique_ptr<SettingsBackend> CreateSettingsBackend(const QString &location)
{
    // The key paths are relative to the user's root; `location` moves that root below it.
    QString root = QStringLiteral("HKEY_CURRENT_USER");
    if (!location.isEmpty())
        root += QLatin1Char('\\') + location;
    return std::make_unique<QSettingsBackend>(
        std::make_unique<QSettings>(root, QSettings::NativeFormat), true);
}

} // namespace platform
