#include "ViewsTestSupport.h"

#include <QApplication>
#include <QDir>
#include <QWidget>

namespace views_test {

void EnsureApplication()
{
    if (QApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "test_views";
    static char *argv[] = { name, nullptr };
    static QApplication app(argc, argv);
}

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
