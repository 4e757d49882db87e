#include "views/archive/ArchiveMapHost.h"

#include <algorithm>
#include <cmath>

namespace {
// The page is not trusted to send sensible numbers.
bool IsLatitude(double value)
{
    return std::isfinite(value) && value >= -90 && value <= 90;
}
bool IsLongitude(double value)
{
    // A map panned round the world reports longitudes beyond ±180; those are still places.
    return std::isfinite(value) && value >= -1080 && value <= 1080;
}
double Wrapped(double longitude)
{
    return std::remainder(longitude, 360.0);
}
} // namespace

ArchiveMapHost::ArchiveMapHost(QObject *parent)
    : QObject(parent)
{
}

void ArchiveMapHost::PlaceClicked(double latitude, double longitude)
{
    if (IsLatitude(latitude) && IsLongitude(longitude))
        emit placeClicked(latitude, Wrapped(longitude));
}

void ArchiveMapHost::ViewChanged(double south, double west, double north, double east, double metresPerPixel)
{
    if (!IsLatitude(south) || !IsLatitude(north) || !IsLongitude(west) || !IsLongitude(east) || south > north
        || west > east || !std::isfinite(metresPerPixel) || metresPerPixel <= 0)
        return;
    // A view wider than the world asks for all of it.
    if (east - west >= 360) {
        west = -180;
        east = 180;
    } else {
        // A map panned round the world: the same view, brought back to the world's own longitudes.
        const double centre = (west + east) / 2;
        const double shift = centre - Wrapped(centre);
        west = std::max(-180.0, west - shift);
        east = std::min(180.0, east - shift);
        east = std::min(180.0, east);
    }
    emit viewChanged(south, west, north, east, metresPerPixel);
}
