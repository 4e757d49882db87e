#pragma once

#include "media/export/ClipCaption.h"

#include <QString>

#include <cstdint>

namespace media {

// Where the rear picture goes: over the front's top right corner, or below the front at its width
// (no pixel of either camera covered).
enum class ClipLayout { PictureInPicture, Stacked };

// What to export: a span of a front recording, with or without its rear channel and caption.
struct ClipExportOptions {
    QString frontPath;
    QString rearPath; // empty: front only
    QString outputPath; // the MP4 to write; the GPX and SHA256SUMS go beside it
    int64_t fromMs = 0;
    int64_t toMs = -1; // -1: to the end of the recording
    bool caption = true;
    bool audio = true; // false leaves the cabin's sound out
    bool withSources = false; // copies the recordings, verified, into "sources/" beside the clip
    ClipLayout layout = ClipLayout::PictureInPicture;
    ExportSpeedUnit speedUnit = ExportSpeedUnit::Kmh;
};

} // namespace media
