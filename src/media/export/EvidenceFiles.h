#pragma once

#include "media/export/ClipExportOptions.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace media {

// The files written beside an exported clip so that it can be tied to the card: the GPX track of
// the clip's span, a provenance text naming the recordings it was made from with their SHA-256,
// and SHA256SUMS over the files of the clip's folder.
class EvidenceFiles
{
public:
    struct Source {
        QString path;
        qint64 size = 0;
        QByteArray sha256; // hex
    };
    // A front recording's part of the clip, in ms of that recording.
    struct Part {
        QString path;
        int64_t fromMs = 0;
        int64_t toMs = 0;
        // Empty, or what the clip stepped over right before the part, where nothing was recorded
        // ("4 s, 2024-03-07 18:05:36 +09:00 to 2024-03-07 18:05:40 +09:00").
        QString gapBefore;
    };
    // What the provenance text tells about a clip.
    struct Provenance {
        QString clipPath;
        QString folder; // the card or folder the recordings came from
        QList<Source> sources;
        QList<Part> parts; // the span, in play order
        QString startText; // the span in the recorder's time, as the caption shows it
        QString endText;
        QString timeRule;
        QString settings;
        // Parts of a stream-copied clip whose start went back to a key frame, and how far.
        QStringList widened;
    };

    // "clip.gpx" beside "clip.mp4".
    static QString GpxPathFor(const QString &clipPath);
    // "SHA256SUMS" in the clip's folder.
    static QString SumsPathFor(const QString &clipPath);
    // "clip.provenance.txt" beside "clip.mp4".
    static QString ProvenancePathFor(const QString &clipPath);

    // The GPX 1.1 track of the valid fixes of the pieces' front recordings between each one's
    // fromMs and toMs (ms from the recording's start), in play order, named after the clip. False
    // with a reason when the file cannot be written. points receives the number of track points
    // written.
    static bool WriteGpx(
        const std::vector<ClipPiece> &pieces, const QString &gpxPath, QString *error, int *points = nullptr);

    static bool WriteProvenance(const QString &path, const Provenance &provenance, QString *error);

    // Hex SHA-256 of a file's contents; empty when it cannot be read.
    static QByteArray Sha256(const QString &path);

    // Adds a line per file to the folder's SHA256SUMS in the form sha256sum checks, each named
    // relative to that folder so that the folder checks wherever it is copied to; a file outside
    // the folder is refused. A line for the same name written earlier is replaced, others are kept.
    // readFrom names where a file's bytes are now when that is not yet its name (a clip still
    // under its temporary name).
    static bool WriteSums(const QString &sumsPath, const QStringList &files, QString *error,
        const QHash<QString, QString> &readFrom = {});
    // Takes the lines naming these files out of SHA256SUMS; the others are kept.
    static bool DropSums(const QString &sumsPath, const QStringList &files, QString *error);
};

} // namespace media
