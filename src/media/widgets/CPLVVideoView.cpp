#include "media/widgets/CPLVVideoView.h"

#include <QPainter>

#include "media/playback/FrameHandoff.h"

CPLVVideoView::CPLVVideoView(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
}

CPLVVideoView::~CPLVVideoView()
{
    if (frames_)
        frames_->SetListener({});
}

void CPLVVideoView::AttachFrames(std::shared_ptr<media::FrameHandoff> frames)
{
    if (frames_)
        frames_->SetListener({}); // after this returns the renderer no longer calls us
    frames_ = std::move(frames);
    if (!frames_) {
        // The player closed: its picture goes with it (a recording without a rear file leaves
        // the rear window empty, not showing the last one's).
        image_ = QImage();
        update();
        return;
    }
    // Runs on the renderer's thread: only posts, and at most one post waits at a time. The
    // listener is removed before the window dies, and Qt drops a post whose window died.
    frames_->SetListener([this] {
        if (takeQueued_.exchange(true))
            return;
        QMetaObject::invokeMethod(
            this,
            [this] {
                takeQueued_ = false;
                TakePicture();
            },
            Qt::QueuedConnection);
    });
}

void CPLVVideoView::TakePicture()
{
    if (!frames_)
        return;
    if (auto picture = frames_->TakeLatest()) {
        image_ = std::move(picture->image);
        ++picturesTaken_;
        update();
    }
}

void CPLVVideoView::RepaintVideo()
{
    TakePicture();
    repaint();
}

void CPLVVideoView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (image_.isNull()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    // The picture fills the window whatever its proportions, as the recorder's viewer always did.
    painter.drawImage(rect(), image_);
}

void CPLVVideoView::mouseDoubleClickEvent(QMouseEvent *event)
{
    emit doubleClicked();
    QWidget::mouseDoubleClickEvent(event);
}
