#include "Pictures.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QPainter>

#include <algorithm>

namespace screenshots {

namespace {

    // Every few pixels is enough to tell a picture from an empty window and keeps the checks quick
    // on full-size grabs.
    constexpr int kStep = 3;

    template <class Visit> void Sample(const QImage &image, const QRect &area, Visit visit)
    {
        const QRect inside = area.intersected(image.rect());
        for (int y = inside.top(); y <= inside.bottom(); y += kStep)
            for (int x = inside.left(); x <= inside.right(); x += kStep)
                visit(image.pixel(x, y));
    }

} // namespace

double LitShare(const QImage &image, const QRect &area)
{
    int lit = 0, all = 0;
    Sample(image, area, [&](QRgb pixel) {
        ++all;
        lit += qGray(pixel) > 40;
    });
    return all > 0 ? double(lit) / all : 0.0;
}

int ColouredPixels(const QImage &image, const QRect &area)
{
    int coloured = 0;
    Sample(image, area, [&](QRgb pixel) {
        const int high = std::max({ qRed(pixel), qGreen(pixel), qBlue(pixel) });
        const int low = std::min({ qRed(pixel), qGreen(pixel), qBlue(pixel) });
        coloured += high - low > 80;
    });
    return coloured;
}

QString UniformReason(const QImage &image)
{
    if (image.isNull() || image.width() < 16 || image.height() < 16)
        return QStringLiteral("the grab is empty");
    QHash<QRgb, int> counts;
    int all = 0;
    Sample(image, image.rect(), [&](QRgb pixel) {
        ++counts[pixel & 0xFFFFFF];
        ++all;
    });
    int most = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        most = std::max(most, it.value());
    // A drawn window has text, icons and edges in a handful of colours at least; one that has not
    // drawn yet is its background colour all over.
    if (counts.size() < 16)
        return QStringLiteral("only %1 colours").arg(counts.size());
    if (most > all * 97 / 100)
        return QStringLiteral("one colour covers %1% of it").arg(most * 100 / all);
    return QString();
}

QImage Compose(const QImage &base, const std::vector<Placed> &over)
{
    QRect bounds = base.rect();
    for (const Placed &window : over)
        bounds |= QRect(window.offset, window.image.size());
    QImage composed(bounds.size(), QImage::Format_RGB32);
    // Past the main window the screen's own background shows: Xvfb's is black.
    composed.fill(Qt::black);
    QPainter painter(&composed);
    painter.translate(-bounds.topLeft());
    painter.drawImage(QPoint(0, 0), base);
    for (const Placed &window : over)
        painter.drawImage(window.offset, window.image);
    return composed;
}

bool SavePicture(const QImage &image, const QString &path, QString *error)
{
    if (const QString reason = UniformReason(image); !reason.isEmpty()) {
        *error = QStringLiteral("%1 looks blank (%2); not saved").arg(QFileInfo(path).fileName(), reason);
        return false;
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!image.convertToFormat(QImage::Format_RGB32).save(path, "PNG")) {
        *error = QStringLiteral("cannot write %1").arg(QDir::toNativeSeparators(path));
        return false;
    }
    return true;
}

} // namespace screenshots
