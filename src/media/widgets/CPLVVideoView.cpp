#include "media/widgets/CPLVVideoView.h"

#include <QMetaMethod>
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
    // From here on no player reaches this window, even one that outlives it.
    Detach();
    if (m_frames)
        m_frames->SetListener({});
}

void CPLVVideoView::AttachFrames(std::shared_ptr<media::FrameHandoff> frames)
{
    if (m_frames)
        m_frames->SetListener({}); // after this returns the renderer no longer calls us
    m_frames = std::move(frames);
    if (!m_frames) {
        // The player closed: its picture goes with it (a recording without a rear file leaves
        // the rear window empty, not showing the last one's).
        m_image = QImage();
        update();
        return;
    }
    m_frames->SetTargetSize(size());
    // Runs on the renderer's thread: only posts, and at most one post waits at a time. The
    // listener is removed before the window dies, and Qt drops a post whose window died. The call
    // goes by name, so nothing of ours is written here and read on the UI thread: a functor would
    // be, ordered only by Qt's event queue, whose lock ThreadSanitizer cannot see.
    static const QMetaMethod take
        = staticMetaObject.method(staticMetaObject.indexOfMethod("TakeQueuedPicture()"));
    m_frames->SetListener([this] {
        if (!m_takeQueued.exchange(true))
            take.invoke(this, Qt::QueuedConnection);
    });
}

void CPLVVideoView::TakeQueuedPicture()
{
    m_takeQueued = false;
    TakePicture();
}

void CPLVVideoView::TakePicture()
{
    if (!m_frames)
        return;
    if (auto picture = m_frames->TakeLatest()) {
        m_image = std::move(picture->image);
        ++m_picturesTaken;
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
    if (m_image.isNull()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    // The picture fills the window whatever its proportions: the skin sizes both video windows to
    // the cameras' shape, and a letterbox would only shrink the picture.
    painter.drawImage(rect(), m_image);
}

void CPLVVideoView::resizeEvent(QResizeEvent *event)
{
    // The renderer converts the next pictures straight to the new size, so painting never has
    // to scale them again (view modes resize the windows while they play).
    if (m_frames)
        m_frames->SetTargetSize(size());
    QWidget::resizeEvent(event);
}

void CPLVVideoView::mouseDoubleClickEvent(QMouseEvent *event)
{
    emit doubleClicked();
    QWidget::mouseDoubleClickEvent(event);
}
