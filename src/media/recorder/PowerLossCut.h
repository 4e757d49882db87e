#pragma once

#include <QString>

namespace media::recorder {

struct PowerLossCutOptions {
    // Also cut the last chunk of the "movi" list in half, as when power fails while a frame is
    // being written.
    bool halveLastChunk = false;
};

// Leaves a finished recording the way the recorder leaves the file it was writing when its
// power fails: the "idx1" index and anything else after the "movi" data is gone, the RIFF and
// "movi" sizes are 0, and so are the main header's TotalFrames and every stream header's
// Length. The chunks themselves stay as they were (but for the last one, when asked).
// False, with the reason in *error when given, when the file cannot be changed or is not a
// RIFF "AVI " file with a "movi" list; the file may then be partly changed.
bool CutLikePowerLoss(const QString &path, const PowerLossCutOptions &options, QString *error);

} // namespace media::recorder
