#include "library/ListingLength.h"

#include "library/LibraryLog.h"
#include "media/AviChunkWalker.h"
#include "media/AviHeaderReader.h"
#include "media/RecordingLength.h"

#include <QFile>

namespace library {

int ReadListingLength(const QString &path, media::AviReadStats *stats)
{
    const QByteArray nativePath = QFile::encodeName(path);
    media::AviFileSource source(kListingFirstRead);
    if (!source.Open(nativePath.constData())) {
        qCWarning(lcLibrary) << "listed with length 0:" << path << "cannot be opened";
        return 0;
    }
    media::AviFileInfo info;
    const media::AviTraceSink noTrace;
    media::AviChunkWalker walker(source, info, noTrace);
    const bool isAvi = walker.Walk(media::AviWalkScope::HeadersOnly);
    if (stats)
        *stats = source.Stats();
    if (!isAvi) {
        qCWarning(lcLibrary) << "listed with length 0:" << path << "is not a RIFF AVI file";
        return 0;
    }
    if (info.mainHeader.totalFrames != 0)
        return media::RecordingLengthSeconds(info.mainHeader);
    return media::ReadRecordingLength(nativePath.constData());
}

} // namespace library
