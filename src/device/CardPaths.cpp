#include "device/CardPaths.h"

#include <QDir>
#include <QFileInfo>

namespace device {

QString CardFilePath(const QString &root, const QString &name)
{
    if (root.isEmpty())
        return QString();
    if (root.endsWith(QLatin1Char('/')) || root.endsWith(QDir::separator()))
        return root + name;
    return root + QLatin1Char('/') + name;
}

bool MakeFolders(const QString &path)
{
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (path[i] != QLatin1Char('/') && path[i] != QDir::separator())
            continue;
        const QString prefix = path.left(i + 1);
        if (QFileInfo(prefix).isDir())
            continue;
        // Another program may create it between the test and here: existing counts as success.
        if (!QDir().mkdir(prefix) && !QFileInfo(prefix).isDir())
            return false;
    }
    return true;
}

} // namespace device
