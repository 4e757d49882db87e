#pragma once

#include "media/AviFileInfo.h"

namespace media {

// The headers in front of the "movi" list fit in this many bytes in every recording we know
// of; the header read fetches them with one read of this size.
constexpr std::size_t kAviHeaderWindow = 64 * 1024;

// Walks the chunk tree like ReadAviFileInfo but stops at the "movi" list: the main header,
// the stream headers and formats, riffSize and moviSize are the same as the whole walk gives;
// the data chunk counters stay as they were. Its cost does not depend on the recording's
// length: one read of at most kAviHeaderWindow bytes when the headers fit in it (further
// reads of that size only if they do not). Same return values as ReadAviFileInfo.
bool ReadAviHeaderInfo(
    const char *path, AviFileInfo &info, const AviTraceSink &trace = {}, AviReadStats *stats = nullptr);

// The recording's length in whole seconds from its main header (see RecordingLengthSeconds);
// 0 when the file cannot be read. A header that says 0 frames costs a walk of the whole file,
// whose video chunks then give the length.
int ReadRecordingLength(const char *path);

} // namespace media
