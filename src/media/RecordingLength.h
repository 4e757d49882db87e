#pragma once

#include "media/AviFileInfo.h"

#include <cstdint>

namespace media {

// A recording's length in whole seconds from its main header: TotalFrames divided by the
// frame rate 1000000.125 / MicroSecPerFrame, then cut to whole seconds, except that a first
// decimal of 9 rounds up (59.95 s is 60, 59.85 s is 59): a recorder's one-minute segment
// often ends a frame or two short of the minute and must still list as a minute.
// A zero frame time gives 0; a length beyond the int range is clamped to it.
int RecordingLengthSeconds(std::uint32_t microSecPerFrame, std::uint32_t totalFrames);
int RecordingLengthSeconds(const AviMainHeader &header);

// The length of a walked recording: by its main header, except when that says 0 frames (the
// recorder lost power before it finished the file), then by the video chunks the walk counted,
// at the header's frame time or, when that is 0 too, the video stream's rate. Same rounding.
int RecordingLengthSeconds(const AviFileInfo &info);

} // namespace media
