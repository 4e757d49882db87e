#pragma once

#include "media/AviFileInfo.h"
#include "media/AviFileSource.h"

namespace media {

// How far a walk goes: through the whole file, or only through the headers in front of the
// "movi" list (which is all that the recording's length needs).
enum class AviWalkScope { WholeFile, HeadersOnly };

// The RIFF chunk walk over a recording. Lists are entered, not skipped, so every chunk of
// every list is visited in file order; leaf chunks are skipped by their size field.
class AviChunkWalker
{
public:
    AviChunkWalker(AviFileSource &source, AviFileInfo &info, const AviTraceSink &trace);

    // False when the file does not start with a RIFF "AVI " header; true otherwise.
    bool Walk(AviWalkScope scope);

    int ChunksVisited() const { return m_chunksVisited; }

private:
    enum class StreamKind { None, Video, Audio };
    enum class Step { Continue, Stop };

    Step VisitChunk(AviWalkScope scope);
    Step VisitLeaf(const char id[4], std::int32_t size);
    void Trace(const char *format, ...) __attribute__((format(printf, 2, 3)));

    AviFileSource &m_source;
    AviFileInfo &m_info;
    const AviTraceSink &m_trace;
    StreamKind m_kind = StreamKind::None;
    int m_chunksVisited = 0;
};

} // namespace media
