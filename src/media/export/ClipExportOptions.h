#pragma once

#include "media/export/ClipCaption.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace media {

// Where the rear picture goes: over the front's top right corner, or below the front at its width
// (no pixel of either camera covered).
enum class ClipLayout { PictureInPicture, Stacked };

// One recording's part of a clip. A clip plays its pieces end to end, each picture once.
struct ClipPiece {
    QString frontPath;
    QString rearPath; // empty: no rear picture for this part
    int64_t fromMs = 0;
    int64_t toMs = -1; // -1: to the end of the recording
    // The recorder recorded nothing for this long right before the piece: a gap of its timeline
    // that the clip steps over, which the provenance text tells.
    int64_t gapBeforeMs = 0;
};

// What to export: a span of a front recording, with or without its rear channel and caption, or
// consecutive pieces of several recordings (a moment that runs over the recorder's one-minute cuts).
struct ClipExportOptions {
    // When not empty, the clip's pieces in play order, and the single recording's fields below
    // (frontPath, rearPath, fromMs, toMs) are not read.
    std::vector<ClipPiece> pieces;
    QString frontPath;
    QString rearPath; // empty: front only
    QString outputPath; // the MP4 to write; the GPX and SHA256SUMS go beside it
    int64_t fromMs = 0;
    int64_t toMs = -1; // -1: to the end of the recording
    bool caption = true;
    bool audio = true; // false leaves the cabin's sound out
    bool withSources = false; // copies the recordings, verified, into "sources/" beside the clip
    ClipLayout layout = ClipLayout::PictureInPicture; // not read with streamCopy
    // The recorder's coded pictures copied as they are instead of re-encoded: front and rear as two
    // tracks, the caption as a timed text track, the span widened to key frames (StreamCopyWriter).
    bool streamCopy = false;
    ExportSpeedUnit speedUnit = ExportSpeedUnit::Kmh;

    // The pieces the export plays: the list, or the single recording's span as one piece.
    std::vector<ClipPiece> Pieces() const
    {
        if (!pieces.empty())
            return pieces;
        return { ClipPiece { frontPath, rearPath, fromMs, toMs, 0 } };
    }
};

} // namespace media
