#pragma once

// Checks and composition of the grabbed windows: a documentation picture must show what the window
// really drew, never a blank or half-drawn one.

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

#include <vector>

namespace screenshots {

// Share (0 to 1) of the area's pixels brighter than a dark grey, sampled on a grid: a video window
// that shows a picture is mostly lit, an idle or black one is not.
double LitShare(const QImage &image, const QRect &area);

// Strongly coloured pixels of the area, sampled on a grid: the track on the map's grey page.
int ColouredPixels(const QImage &image, const QRect &area);

// Why the picture cannot be a window as drawn (one colour, or nearly so), or empty when it can.
QString UniformReason(const QImage &image);

// One window's picture placed where it stands relative to the first window.
struct Placed {
    QImage image;
    QPoint offset;
};

// The first window with the others painted over it at their places, as the screen shows them; the
// result grows to hold windows that stand past its edges.
QImage Compose(const QImage &base, const std::vector<Placed> &over);

// Saves the picture as PNG after the uniformity check; false with the reason.
bool SavePicture(const QImage &image, const QString &path, QString *error);

} // namespace screenshots
