#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// Makes and probes files with Debian's ffmpeg / ffprobe for the container tests.
namespace fftools {

// Makes an AVI file with ffmpeg from lavfi sources; `arguments` are placed between the inputs
// and the output path. Returns ffmpeg's error text, empty on success.
QString makeAvi(const QString &path, const QStringList &inputs, const QStringList &arguments);

// What ffprobe reports about a file's first video and first audio stream.
struct Probe {
    qint64 videoFrames = -1; // the stream's nb_frames
    double videoDuration = -1; // the stream's duration in seconds
    int width = 0;
    int height = 0;
    bool hasAudio = false;
    qint64 videoPackets = 0;
    qint64 videoBytes = 0;
    qint64 audioPackets = 0;
    qint64 audioBytes = 0;
    qint64 oddPackets = 0;
    qint64 emptyPackets = 0;
};

std::optional<Probe> probe(const QString &path, QString *error = nullptr);

} // namespace fftools
