#include "panels/FramePrinter.h"

#include <QPainter>
#include <QPrinter>

QString FramePrinter::Heading(const Job &job)
{
    if (!job.hasRear)
        return QStringLiteral("Viewer Image-%1").arg(job.title);
    return QStringLiteral("Viewer Image-%1 [%2]")
        .arg(job.title, job.rearChannel ? QStringLiteral("rear") : QStringLiteral("front"));
}

QString FramePrinter::FailureText(Result result)
{
    switch (result) {
    case Result::NoPrinter:
        return QStringLiteral("Can't get printer's DC.");
    case Result::NotStarted:
        return QStringLiteral("Printer would not initialize.");
    case Result::PageFailed:
        return QStringLiteral("Could not start page");
    case Result::Printed:
        break;
    }
    return QString();
}

FramePrinter::Result FramePrinter::Print(QPrinter &printer, const Job &job, const FrameSource &frames)
{
    if (!printer.isValid())
        return Result::NoPrinter;
    printer.setDocName(QStringLiteral("Viewer Image Print"));
    // Positions are given in screen pixels and grow with the printer's resolution.
    const double xs = printer.logicalDpiX() / job.screenDpiX;
    const double ys = printer.logicalDpiY() / job.screenDpiY;
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    QPainter painter;
    if (!painter.begin(&printer))
        return Result::NotStarted;
    QFont font = painter.font();
    font.setPointSize(12);
    painter.setFont(font);
    for (int stream = 0; stream < job.streamCount; ++stream) {
        if (stream > 0 && !printer.newPage()) {
            printer.abort();
            return Result::PageFailed;
        }
        painter.drawText(QPointF(int(xs * 50), int(ys * 50)), Heading(job));
        QImage frame;
        if (!frames || !frames(stream, &frame))
            continue;
        // The picture is stretched from the video window's size with a margin of 100 by 300
        // pixels onto the page's size below the heading; what falls outside the page is cut.
        const QRectF source(0, 0, job.videoWindow.width() + 100, job.videoWindow.height() + 300);
        const QRectF target(int(xs * 50), int(ys * 100), page.width(), page.height());
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, frame, source);
    }
    painter.end();
    return Result::Printed;
}
