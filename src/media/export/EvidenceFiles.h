#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace media {

// The files written beside an exported clip so that it can be tied to the card: the GPX track of
// the clip's span, and the SHA-256 sums of the clip and of the recordings it was made from.
class EvidenceFiles
{
public:
    // "clip.gpx" beside "clip.mp4".
    static QString gpxPathFor(const QString &clipPath);
    // "SHA256SUMS" in the clip's folder.
    static QString sumsPathFor(const QString &clipPath);

    // The GPX 1.1 track of the recording's valid fixes between fromMs and toMs (ms from the
    // recording's start), named after the clip. False with a reason when the file cannot be written.
    static bool writeGpx(
        const QString &recordingPath, int64_t fromMs, int64_t toMs, const QString &gpxPath, QString *error);

    // Hex SHA-256 of a file's contents; empty when it cannot be read.
    static QByteArray sha256(const QString &path);

    // Adds a line per file to the folder's SHA256SUMS in the form sha256sum checks: the clip's
    // own files by name (they sit beside the sums), the recordings by their absolute path (they
    // stay on the card). A line for the same name written earlier is replaced, others are kept.
    static bool writeSums(const QString &sumsPath, const QStringList &files, QString *error);
};

} // namespace media
