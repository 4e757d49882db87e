#include "media/AviHeaderReader.h"

#include "media/AviChunkWalker.h"
#include "media/MediaLog.h"
#include "media/RecordingLength.h"

namespace media {

bool ReadAviHeaderInfo(const char *path, AviFileInfo &info, const AviTraceSink &trace, AviReadStats *stats)
{
    AviFileSource source(kAviHeaderWindow);
    if (!source.Open(path))
        return false;
    AviChunkWalker walker(source, info, trace);
    const bool isAvi = walker.Walk(AviWalkScope::HeadersOnly);
    if (stats) {
        *stats = source.Stats();
        stats->chunksVisited = walker.ChunksVisited();
    }
    return isAvi;
}

int ReadRecordingLength(const char *path)
{
    AviFileInfo info;
    if (!ReadAviHeaderInfo(path, info)) {
        qCWarning(lcMedia) << "cannot read the length of" << (path ? path : "(no path)")
                           << ": it cannot be opened or is not a RIFF AVI file";
        return 0;
    }
    if (info.mainHeader.totalFrames != 0)
        return RecordingLengthSeconds(info.mainHeader);
    // Only a file that its recorder could not finish pays for the walk through its chunks.
    AviFileInfo walked;
    ReadAviFileInfo(path, walked);
    qCDebug(lcMedia) << path << "says 0 frames in its header; its length comes from" << walked.videoChunks
                     << "video chunks";
    return RecordingLengthSeconds(walked);
}

} // namespace media
