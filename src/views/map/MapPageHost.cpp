#include "views/map/MapPageHost.h"

#include <cmath>

MapPageHost::MapPageHost(QObject *parent)
    : QObject(parent)
{
}

void MapPageHost::TrackClicked(double timeMs)
{
    // The page is not trusted to send a sensible number.
    if (!std::isfinite(timeMs) || timeMs < 0 || timeMs > 9e15)
        return;
    emit trackClicked(qint64(std::llround(timeMs)));
}
