#include "archive/TrackShape.h"

#include "library/RecordingSummary.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace archive {

namespace {

    constexpr double kMetresPerDegree = 6371008.8 * 3.14159265358979323846 / 180.0;

    // Metres east and north of an origin; flat enough over one recording's few kilometres.
    struct Flat {
        double x;
        double y;
    };

    double DistanceToSegment(const Flat &p, const Flat &a, const Flat &b)
    {
        const double dx = b.x - a.x;
        const double dy = b.y - a.y;
        const double lengthSquared = dx * dx + dy * dy;
        double share = 0;
        if (lengthSquared > 0)
            share = std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / lengthSquared, 0.0, 1.0);
        return std::hypot(p.x - (a.x + share * dx), p.y - (a.y + share * dy));
    }

} // namespace

std::vector<size_t> SimplifyTrack(const std::vector<ArchivePoint> &points, double toleranceM)
{
    if (points.size() <= 2) {
        std::vector<size_t> all(points.size());
        for (size_t i = 0; i < all.size(); ++i)
            all[i] = i;
        return all;
    }
    const double originLatitude = points.front().latitude;
    const double eastScale = kMetresPerDegree * std::cos(originLatitude * 3.14159265358979323846 / 180.0);
    std::vector<Flat> flat;
    flat.reserve(points.size());
    for (const ArchivePoint &point : points) {
        flat.push_back({ (point.longitude - points.front().longitude) * eastScale,
            (point.latitude - originLatitude) * kMetresPerDegree });
    }

    std::vector<bool> keep(points.size(), false);
    keep.front() = keep.back() = true;
    // A stack instead of recursion: a long recording must not run deep.
    std::vector<std::pair<size_t, size_t>> spans { { 0, points.size() - 1 } };
    while (!spans.empty()) {
        const auto [first, last] = spans.back();
        spans.pop_back();
        double farthest = 0;
        size_t at = first;
        for (size_t i = first + 1; i < last; ++i) {
            const double d = DistanceToSegment(flat[i], flat[first], flat[last]);
            if (d > farthest) {
                farthest = d;
                at = i;
            }
        }
        if (farthest > toleranceM) {
            keep[at] = true;
            spans.push_back({ first, at });
            spans.push_back({ at, last });
        }
    }
    std::vector<size_t> kept;
    for (size_t i = 0; i < keep.size(); ++i) {
        if (keep[i])
            kept.push_back(i);
    }
    return kept;
}

std::vector<size_t> ThinTrack(const std::vector<QPointF> &points, double minStepM)
{
    std::vector<size_t> kept;
    for (size_t i = 0; i < points.size(); ++i) {
        const bool last = i + 1 == points.size();
        if (!kept.empty() && !last) {
            const QPointF &from = points[kept.back()];
            if (library::HaversineMetres(from.y(), from.x(), points[i].y(), points[i].x()) < minStepM)
                continue;
        }
        kept.push_back(i);
    }
    return kept;
}

} // namespace archive
