#pragma once

#include <QColor>
#include <QImage>
#include <QString>

class QWidget;

namespace views_test {

// The widget as it paints now, in 32-bit RGB.
QImage Render(QWidget &widget);

// Draws the default skin's bitmaps into dir with our own tool (tavin-cli skin draw).
bool DrawDefaultSkinArt(const QString &dir, QString *error);

// Where snapshots go: views-snapshots beside the test program, kept after the run for a look.
QString SnapshotDir();

inline bool SameRgb(QRgb pixel, const QColor &colour)
{
    return (pixel & RGB_MASK) == (colour.rgb() & RGB_MASK);
}

} // namespace views_test
