#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <functional>

class QPrinter;

// Prints captured frames of one channel, one landscape page per video stream, each under the
// heading "Viewer Image-<title>" (with "[front]" or "[rear]" when the recording has both).
class FramePrinter
{
public:
    enum class Result {
        Printed,
        NoPrinter, // the printer cannot be used
        NotStarted, // the document could not start
        PageFailed, // a page could not start; the document was cancelled
    };
    // Grabs the frame of one video stream; false when there is none.
    using FrameSource = std::function<bool(int stream, QImage *frame)>;

    struct Job {
        QString title;
        bool hasRear = false;
        bool rearChannel = false;
        int streamCount = 1;
        double screenDpiX = 96;
        double screenDpiY = 96;
    };

    static QString Heading(const Job &job);
    static Result Print(QPrinter &printer, const Job &job, const FrameSource &frames);
    // The fixed texts the failures are shown with.
    static QString FailureText(Result result);
};
