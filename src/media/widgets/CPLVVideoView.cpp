#include "media/widgets/CPLVVideoView.h"

#include <QPainter>
#include <QPointer>

#include "media/playback/FrameHandoff.h"

CPLVVideoView::CPLVVideoView(QWidget *parent)
    : QWidget(parent), takeQueued_(std::make_shared<std::atomic<bool>>(false))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
}

CPLVVideoView::~CPLVVideoView() { AttachFrames(nullptr); }

void CPLVVideoView::AttachFrames(std::shared_ptr<media::FrameHandoff> frames)
{
    if (frames_)
        frames_->SetListener({});  // after this returns the renderer no longer calls us
    frames_ = std::move(frames);
    if (!frames_)
        return;
    QPointer<CPLVVideoView> self(this);
    std::shared_ptr<std::atomic<bool>> queued = takeQueued_;
    // Runs on the renderer's thread: only posts, and at most one post waits at a time.
    frames_->SetListener([self, queued, this] {
        if (queued->exchange(true))
            return;
        QMetaObject::invokeMethod(this, [self, queued] {
            queued->store(false);
            if (self)
                self->TakePicture();
        }, Qt::QueuedConnection);
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
