#include "media/AviHeaderReader.h"

#include "media/AviChunkWalker.h"
#include "media/RecordingLength.h"

namespace media {

bool ReadAviHeaderInfo(const char *path, AviFileInfo &info, const AviTraceSink &trace, AviReadStats *stats)
{
    AviFileSource source(kAviHeaderWindow);
    if (!source.open(path))
        return false;
    AviChunkWalker walker(source, info, trace);
    const bool isAvi = walker.walk(AviWalkScope::HeadersOnly);
    if (stats) {
        *stats = source.stats();
        stats->chunksVisited = walker.chunksVisited();
    }
    return isAvi;
}

int ReadRecordingLength(const char *path)
{
    AviFileInfo info;
    if (!ReadAviHeaderInfo(path, info) || info.mainHeader.totalFrames != 0)
        return RecordingLengthSeconds(info.mainHeader);
    // Only a file that its recorder could not finish pays for the walk through its chunks.
    AviFileInfo walked;
    ReadAviFileInfo(path, walked);
    return RecordingLengthSeconds(walked);
}

} // namespace media
