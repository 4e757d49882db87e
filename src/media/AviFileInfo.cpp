#include "media/AviFileInfo.h"

#include "media/AviChunkWalker.h"

namespace media {

namespace {

    // The whole walk touches every chunk header of the "movi" list; a small window keeps each
    // hop over a large frame down to one short read.
    constexpr std::size_t kWholeFileWindow = 4096;

} // namespace

bool ReadAviFileInfo(const char *path, AviFileInfo &info, const AviTraceSink &trace, AviReadStats *stats)
{
    AviFileSource source(kWholeFileWindow);
    if (!source.Open(path))
        return false;
    AviChunkWalker walker(source, info, trace);
    const bool isAvi = walker.Walk(AviWalkScope::WholeFile);
    if (stats) {
        *stats = source.Stats();
        stats->chunksVisited = walker.ChunksVisited();
    }
    return isAvi;
}

} // namespace media
