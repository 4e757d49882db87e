#pragma once

#include "media/export/ClipCaption.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>

namespace media {

// What to export: a span of a front recording, with or without its rear channel and caption.
struct ClipExportOptions {
    QString frontPath;
    QString rearPath; // empty: front only
    QString outputPath; // the MP4 to write; the GPX and SHA256SUMS go beside it
    int64_t fromMs = 0;
    int64_t toMs = -1; // -1: to the end of the recording
    bool caption = true;
    ExportSpeedUnit speedUnit = ExportSpeedUnit::Kmh;
};

// Turns a span of a recording into an evidence clip: an MP4 (H.264 and AAC, index at the front for
// streaming) of the front camera with the rear camera as a bordered picture in the picture in the
// top right corner, the date, time, speed and position burnt in along the bottom, and beside it
// the GPX track of the span and the SHA-256 sums of the clip and its source recordings.
//
// The clip is written under a temporary name and renamed only when complete, so a failed or
// cancelled export leaves no file behind. Runs on the caller's thread; the progress callback is
// called from it.
class ClipExporter
{
public:
    enum class Outcome { Done, Cancelled, Failed };

    // Milliseconds of the span done so far and in all.
    using Progress = std::function<void(int64_t doneMs, int64_t totalMs)>;

    Outcome run(const ClipExportOptions &options, const std::atomic_bool *cancel = nullptr,
        const Progress &progress = {});

    QString errorString() const { return m_error; }
    // Set after Done: the span actually written and the files beside the clip.
    int64_t writtenMs() const { return m_writtenMs; }
    int frames() const { return m_frames; }
    QString gpxPath() const { return m_gpxPath; }
    QString sumsPath() const { return m_sumsPath; }

    // The rear recording that goes with a front one: the same name with the channel letter "R"
    // (two places before the extension), when it exists. Empty otherwise.
    static QString rearFileFor(const QString &frontPath);
    // The length of a recording in milliseconds as its container tells; -1 when it cannot be read.
    static int64_t durationMs(const QString &path);

private:
    class Session;

    QString m_error;
    int64_t m_writtenMs = 0;
    int m_frames = 0;
    QString m_gpxPath;
    QString m_sumsPath;
};

} // namespace media
