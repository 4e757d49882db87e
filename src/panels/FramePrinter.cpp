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
        // The whole decoded frame, as large as the page allows below the heading, in its own
        // proportions: stretching a window-sized rectangle of it would cut off part of the scene.
        const QPoint origin(int(xs * 50), int(ys * 100));
        const QSize room(page.width() - 2 * origin.x(), page.height() - origin.y() - int(ys * 50));
        const QSize fitted = frame.size().scaled(room, Qt::KeepAspectRatio);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRect(origin, fitted), frame);
    }
    painter.end();
    return Result::Printed;
}
