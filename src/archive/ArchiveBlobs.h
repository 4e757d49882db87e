#pragma once

#include "archive/ArchivePoint.h"
#include "library/RecordingSummary.h"

#include <QByteArray>
#include <QPointF>

#include <vector>

namespace archive {

// The blobs a recording's row carries. Both start with a format byte, so that a later layout can be
// told from this one.

// A recording's summary as library::SummarizeRecording made it, for rebuilding its trip's numbers.
QByteArray EncodeSummary(const library::RecordingSummary &summary);
// False when the bytes are no summary of this layout.
bool DecodeSummary(const QByteArray &bytes, library::RecordingSummary *summary);

// A recording's simplified track for the map: the kept points' positions (to 1e-7 degree) and speeds.
QByteArray EncodeTrack(const std::vector<ArchivePoint> &points, const std::vector<size_t> &kept);
// x longitude, y latitude; false when the bytes are no track of this layout.
bool DecodeTrack(const QByteArray &bytes, std::vector<QPointF> *points, std::vector<float> *speeds);

} // namespace archive
