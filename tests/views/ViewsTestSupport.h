#pragma once

#include <QColor>
#include <QImage>
#include <QString>

class QWidget;

namespace views_test {

// The widget as it paints now, in 32-bit RGB.
QImage Render(QWidget &widget);

// Where snapshots go (a folder of the build tree, kept after the run for a look).
QString SnapshotDir();

inline bool SameRgb(QRgb pixel, const QColor &colour)
{
    return (pixel & RGB_MASK) == (colour.rgb() & RGB_MASK);
}

} // namespace views_test
