#include "platform/file_identity.h"

#include <QDir>
#include <QFileInfo>

namespace platform {

namespace {

    // The path with its existing part resolved, the part that does not exist yet appended.
    QString ResolvedPath(const QString &path)
    {
        const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
        QString existing = absolute;
        QStringList missing;
        while (!QFileInfo::exists(existing)) {
            const QString up = QFileInfo(existing).path();
            if (up == existing)
                return absolute;
            missing.prepend(QFileInfo(existing).fileName());
            existing = up;
        }
        missing.prepend(QFileInfo(existing).canonicalFilePath());
        return QDir::cleanPath(missing.join(QLatin1Char('/')));
    }

} // namespace

bool LiesWithin(const QString &path, const QString &folder)
{
    for (QString at = ResolvedPath(path);;) {
        if (SameFile(at, folder))
            return true;
        const QString up = QFileInfo(at).path();
        if (up == at)
            return false;
        at = up;
    }
}

} // namespace platform
