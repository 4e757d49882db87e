#include "ViewsTestSupport.h"

#include <QDir>
#include <QWidget>

namespace views_test {

QImage Render(QWidget &widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QString SnapshotDir()
{
    const QString dir = QDir::current().absoluteFilePath(QStringLiteral("views-snapshots"));
    QDir().mkpath(dir);
    return dir;
}

} // namespace views_test
