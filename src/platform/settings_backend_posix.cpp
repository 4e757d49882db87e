#include "platform/settings_backend_qsettings.h"

#include <QStandardPaths>

namespace platform {

std::unique_ptr<SettingsBackend> CreateSettingsBackend(const QString &location)
{
    QString path = location;
    if (path.isEmpty())
        path = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)
            + QStringLiteral("/settings.ini");
    return std::make_unique<QSettingsBackend>(std::make_unique<QSettings>(path, QSettings::IniFormat), false);
}

} // namespace platform
