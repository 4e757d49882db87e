#include "ViewsTestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QWidget>

namespace views_test {

QImage Render(QWidget &widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

bool DrawDefaultSkinArt(const QString &dir, QString *error)
{
    QProcess draw;
    draw.start(
        QStringLiteral(TAVIN_BIN_DIR "/tavin-cli"), { QStringLiteral("skin"), QStringLiteral("draw"), dir });
    if (!draw.waitForFinished(60000) || draw.exitStatus() != QProcess::NormalExit || draw.exitCode() != 0) {
        *error = QStringLiteral("tavin-cli skin draw failed: ") + draw.errorString() + QLatin1Char(' ')
            + QString::fromUtf8(draw.readAllStandardError());
        return false;
    }
    return true;
}

QString SnapshotDir()
{
    const QString dir
        = QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("views-snapshots"));
    QDir().mkpath(dir);
    return dir;
}

} // namespace views_test
