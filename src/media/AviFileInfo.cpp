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
    if (!source.open(path))
        return false;
    AviChunkWalker walker(source, info, trace);
    const bool isAvi = walker.walk(AviWalkScope::WholeFile);
    if (stats) {
        *stats = source.stats();
        stats->chunksVisited = walker.chunksVisited();
    }
    return isAvi;
}

} // namespace media
