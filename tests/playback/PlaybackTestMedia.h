#pragma once

#include <QImage>
#include <QLoggingCategory>
#include <QString>

#include <QStringList>

#include "support/Wait.h"

#include <chrono>
#include <functional>

// Recordings made with Debian's ffmpeg for the playback tests. Every picture carries its own frame
// number as eight vertical stripes (stripe b white when bit b is set), so a test can tell exactly
// which picture is on screen. Files are made on first use and kept in a temporary folder.
namespace playback_test {

enum class Media {
    CounterAac, // 160x120, 25 fps, 2 s, H.264 with B-frames, AAC stereo 48 kHz (a 440 Hz tone)
    CounterPcm, // the same pictures with 16-bit PCM sound
    CounterSilent, // the same pictures without sound
    CounterGop10, // a key frame every 10 pictures
    CounterRear, // 96x64, otherwise like CounterAac (the rear channel)
    CounterMjpeg, // MJPEG pictures (decoded as full-range yuvj420p), no sound
    CounterGaps, // only every fifth picture kept (0, 5, 10, ... at their original times), AAC
    TwoVideo, // two video streams (counter and a test pattern) and AAC
    Pattern, // 640x360 colour test pattern with a moving clock, H.264 and AAC
    NoPicture, // 20 s of MJPEG whose every picture was replaced by noise: no picture decodes
    NotMedia, // a text file
};

// Path of the file, made on first use; empty when ffmpeg failed (the test then fails).
QString MediaPath(Media media);

// A front recording (1080p, 30 fps, 3 s, with telemetry chunks) as our sample recorder writes
// it, and the rear recording made with it (720p).
QString RecorderFrontPath();
QString RecorderRearPath();
// A copy of the front recording as the recorder leaves it when its power fails: no index, the
// RIFF and "movi" sizes, TotalFrames and the stream lengths 0, the last chunk cut in half.
QString CutRecorderFrontPath();

inline constexpr int kFramesPerSecond = 25;
inline constexpr int kCounterFrames = 50;

// The frame number a picture shows, or -1 when the stripes cannot be read.
int FrameNumberOf(const QImage &image);
// Mean grey level of a picture.
double MeanGrey(const QImage &image);

// Collects what is logged through Qt while it lives.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    // The texts of the category's messages of that type.
    QStringList Messages(const char *category, QtMsgType type) const;

private:
    static void Handle(QtMsgType type, const QMessageLogContext &context, const QString &text);
};

using testsupport::WaitUntil;

} // namespace playback_test
