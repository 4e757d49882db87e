#pragma once

#include "media/CGps.h"
#include "media/export/ClipExportOptions.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

namespace media {

// Turns a span of a recording, or consecutive pieces of several (ClipExportOptions::Pieces), into
// an evidence clip: an MP4 (H.264 and AAC, index at the front for
// streaming) of the front camera with the rear camera as a bordered picture in the picture in the
// top right corner or below the front, and the date, time, speed and position in a band added
// below the pictures. With streamCopy the recorder's pictures are copied instead, each camera a
// track of its own and the caption a timed text track (StreamCopyWriter); all else is the same. Beside it go
// the GPX track of the span, a provenance text (program, recordings with their sizes and SHA-256, span, time
// rule, settings) and SHA256SUMS with names relative to its folder, so that the folder checks on any machine;
// with withSources the recordings themselves are copied into "sources/" and listed there too.
//
// Pieces play end to end: each picture once, the sound of each piece from where the one before
// ended on the clip, the caption from each piece's own recording. A gap of the recorder's timeline
// between pieces (ClipPiece::gapBeforeMs) is stepped over and told in the provenance text. The
// pieces must share the front camera's picture size.
//
// Nothing is written when an output would be a source recording or lie in the card's folders.
// Every file is written under a temporary name (".part") and renamed only when complete, the clip
// last, so that a clip under its name always has its sums; a failed or cancelled export takes away
// every file it made, and the next export to the same name what a cut-off one left. Runs on the caller's
// thread; the progress callback is called from it.
class ClipExporter
{
public:
    enum class Outcome { Done, Cancelled, Failed };

    // Milliseconds of the span done so far and in all.
    using Progress = std::function<void(int64_t doneMs, int64_t totalMs)>;

    Outcome Run(const ClipExportOptions &options, const std::atomic_bool *cancel = nullptr,
        const Progress &progress = {});

    QString ErrorString() const { return m_error; }
    // Set after Done: the span actually written and the files beside the clip.
    int64_t WrittenMs() const { return m_writtenMs; }
    // The pieces as written: toMs where each one's pictures ended.
    const std::vector<ClipPiece> &WrittenPieces() const { return m_written; }
    int Frames() const { return m_frames; }
    QString GpxPath() const { return m_gpxPath; }
    QString SumsPath() const { return m_sumsPath; }
    QString ProvenancePath() const { return m_provenancePath; }
    // What the user should know about a finished clip ("... carries no GPS track").
    QStringList Notes() const { return m_notes; }
    // Track points in the clip's GPX; 0 when the recording carries no GPS track for the span.
    int TrackPoints() const { return m_trackPoints; }

    // The files an export writes in place of whatever is there (the clip, its track, its
    // provenance, copied sources); SHA256SUMS is not among them, its other lines are kept.
    static QStringList OutputFiles(const ClipExportOptions &options);
    // What an earlier export to the same name left when it was cut off (killed, the computer
    // switched off): its files still under their temporary names ("clip.mp4.part", ...) and, when
    // the clip never took its name, the track and provenance it had put beside it. Run() takes
    // them away first and says so in Notes().
    static QStringList Leftovers(const ClipExportOptions &options);
    // False with the reason when an output (the temporary clip and SHA256SUMS included) is one of
    // the source recordings, however it is spelled, or lies inside the card's folders.
    static bool CheckOutputs(const ClipExportOptions &options, QString *error);
    // Every recording the export reads (the pieces' fronts, and their rear files that exist).
    static QStringList SourcesOf(const ClipExportOptions &options);
    // The folder an export must stay out of: the card holding the recording (the nearest folder
    // above it with the recorder's settings file), else the recording's own folder.
    static QString ProtectedFolderFor(const QString &recordingPath);

    // The rear recording that goes with a front one: the same name with the channel letter "R"
    // (two places before the extension), when it exists. Empty otherwise.
    static QString RearFileFor(const QString &frontPath);
    // The length of a recording in milliseconds as its container tells; -1 when it cannot be read.
    static int64_t DurationMs(const QString &path);
    // The recording's GPS records, with or without a fix, in time order.
    static std::vector<CGps> ReadFixes(const QString &path);

private:
    // The MP4 alone, under a temporary name until it is complete.
    Outcome WriteClip(
        const ClipExportOptions &options, const std::atomic_bool *cancel, const Progress &progress);
    // The same with the recorder's pictures copied (StreamCopyWriter).
    Outcome CopyClip(
        const ClipExportOptions &options, const std::atomic_bool *cancel, const Progress &progress);
    // The track, the provenance, the sums and the copied sources beside a clip written under its
    // temporary name, which takes its own name last; takes everything away again when one of
    // them cannot be made.
    Outcome WriteCompanionFiles(const ClipExportOptions &options, const std::atomic_bool *cancel);
    // Takes away Leftovers() and the sums lines of a clip that never took its name; noted.
    bool RemoveLeftovers(const ClipExportOptions &options);

    QString m_error;
    int64_t m_writtenMs = 0;
    std::vector<ClipPiece> m_written;
    int m_frames = 0;
    QString m_gpxPath;
    QString m_sumsPath;
    QString m_provenancePath;
    QStringList m_notes;
    int m_trackPoints = 0;
    // A copied clip's tracks and its pieces' starts moved back to key frames, for the provenance.
    QString m_copiedTracks;
    QStringList m_widened;
};

} // namespace media
