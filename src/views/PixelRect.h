#pragma once

#include <QRect>

// A rectangle by its four edges, right and bottom exclusive, as window rectangles are measured.
// The gauge and graph layouts compute with edges; QRect's inclusive right/bottom would make every
// "plot right" an off-by-one question.
struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    QRect ToQRect() const { return QRect(left, top, Width(), Height()); }
    static PixelRect FromQRect(const QRect &r)
    {
        return { r.x(), r.y(), r.x() + r.width(), r.y() + r.height() };
    }
    bool operator==(const PixelRect &) const = default;
};
