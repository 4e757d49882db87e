#pragma once

#include "media/AviReadStats.h"

#include <QString>

#include <cstddef>

namespace library {

// The main header sits in the first few hundred bytes of a recording, so a listing reads a block
// of this size first and reads on only when the headers in front of the "movi" list go further.
constexpr std::size_t kListingFirstRead = 4 * 1024;

// A recording's length in whole seconds, by the container reader's rule (see
// media::RecordingLengthSeconds); 0 when the file cannot be read. A header that says 0 frames
// (a recording cut by a power loss) hands the file to media::ReadRecordingLength, which walks
// its chunks. `stats`, when given, receives what the header read cost.
int ReadListingLength(const QString &path, media::AviReadStats *stats = nullptr);

} // namespace library
