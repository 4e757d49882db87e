#include "app/ViewLayout.h"

namespace {
// Rectangles as left, top, right, bottom edges, the right and bottom ones outside.
QRect Edges(int left, int top, int right, int bottom)
{
    return QRect(left, top, right - left, bottom - top);
}
} // namespace

ViewLayout::ViewLayout(QSize monitor)
    : m_monitor(monitor)
{
}

ViewLayout::VideoPlaces ViewLayout::Places(Mode mode) const
{
    const int w = m_monitor.width();
    const int h = m_monitor.height();
    switch (mode) {
    case kLarge:
        return { Edges(5, 48, w - 386, h - 174), Edges(w - 381, 48, w - 5, 293) };
    case kFull:
        return { Edges(5, 48, w - 10, h - 71), QRect() };
    case kSmall:
        break;
    }
    return { Edges(6, 49, 982, 597), Edges(986, 48, 1360, 291) };
}
