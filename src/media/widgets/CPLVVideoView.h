#pragma once

#include <QImage>
#include <QWidget>

#include <atomic>
#include <memory>

#include "media/playback/VideoSurface.h"

namespace media {
class FrameHandoff;
}

// A channel's video window. The player's renderer hands it pictures, already converted to the
// window's size, through a FrameHandoff; the window takes the newest one on the UI thread and
// paints it stretched over its whole client area (which only scales the pictures that were
// converted before a resize). Without a picture it is black.
class CPLVVideoView : public QWidget, public media::VideoSurface
{
    Q_OBJECT

public:
    explicit CPLVVideoView(QWidget *parent = nullptr);
    ~CPLVVideoView() override;

    QSize ClientSize() const override { return size(); }
    void AttachFrames(std::shared_ptr<media::FrameHandoff> frames) override;
    void RepaintVideo() override;

    // The picture the window paints (for tests and screenshots).
    const QImage &CurrentImage() const { return m_image; }
    int64_t PicturesTaken() const { return m_picturesTaken; }

signals:
    // The main window toggles the channel's decoder option on it.
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void TakePicture();
    // Called by name from the renderer's post: see AttachFrames.
    Q_INVOKABLE void TakeQueuedPicture();

    std::shared_ptr<media::FrameHandoff> m_frames;
    std::atomic<bool> m_takeQueued { false }; // a call to TakePicture is posted and not yet run
    QImage m_image;
    int64_t m_picturesTaken = 0;
};
