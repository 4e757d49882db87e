#include "ViewsTestSupport.h"

#include "support/Process.h"

#include <QCoreApplication>
#include <QDir>
#include <QWidget>

namespace views_test {

QImage Render(QWidget &widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

bool DrawDefaultSkinArt(const QString &dir, QString *error)
{
    const testsupport::ProcessResult draw
        = testsupport::RunCli({ QStringLiteral("skin"), QStringLiteral("draw"), dir });
    if (!draw.Ok())
        *error = QStringLiteral("tavin-cli skin draw failed: ") + QString::fromUtf8(draw.err);
    return draw.Ok();
}

QString SnapshotDir()
{
    const QString dir
        = QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("views-snapshots"));
    QDir().mkpath(dir);
    return dir;
}

} // namespace views_test
