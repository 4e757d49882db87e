#pragma once

#include "archive/ArchivePoint.h"

#include <QPointF>

#include <cstddef>
#include <vector>

namespace archive {

// The indices of the points that a simplified line keeps (Douglas-Peucker): no dropped point lies
// farther than toleranceM from the line through those kept. The ends are always kept.
std::vector<size_t> SimplifyTrack(const std::vector<ArchivePoint> &points, double toleranceM);

// The indices of a line's points (x longitude, y latitude) kept when no two successive ones may be
// nearer than minStepM; the first and the last are always kept.
std::vector<size_t> ThinTrack(const std::vector<QPointF> &points, double minStepM);

} // namespace archive
