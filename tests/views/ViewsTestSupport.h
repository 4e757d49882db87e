#pragma once

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QString>

class QWidget;

namespace views_test {

// The widgets need an application object; tests share one for the whole run.
void EnsureApplication();

// The widget as it paints now, in 32-bit RGB.
QImage Render(QWidget &widget);

// Where snapshots go (a folder of the build tree, kept after the run for a look).
QString SnapshotDir();

// Base of widget fixtures: the application exists before the fixture's widgets are made.
class WidgetTest : public ::testing::Test
{
protected:
    WidgetTest() { EnsureApplication(); }
};

inline bool SameRgb(QRgb pixel, const QColor &colour)
{
    return (pixel & RGB_MASK) == (colour.rgb() & RGB_MASK);
}

} // namespace views_test
