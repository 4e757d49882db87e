// Arbitrary bytes as a recording: the whole chunk walk, the header-only read that listing
// uses, and the length rule (with its walk for files whose header says 0 frames).

#include "FuzzFile.h"
#include "media/AviHeaderReader.h"
#include "media/RecordingLength.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = fuzz::WriteInput(data, size, QStringLiteral("fuzz.avi"));
    if (path.isEmpty())
        return 0;
    const QByteArray local = QFile::encodeName(path);
    media::AviFileInfo whole;
    if (media::ReadAviFileInfo(local.constData(), whole))
        media::RecordingLengthSeconds(whole);
    media::AviFileInfo headers;
    media::ReadAviHeaderInfo(local.constData(), headers);
    media::ReadRecordingLength(local.constData());
    return 0;
}
