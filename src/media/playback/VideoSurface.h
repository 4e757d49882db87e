#pragma once

#include <QSize>

#include <memory>

namespace media {

class FrameHandoff;

// The window a video renderer paints into. The graph calls it from the UI thread only (when the
// windows are set, on Refresh and at teardown); pictures reach it through the FrameHandoff.
class VideoSurface
{
public:
    virtual ~VideoSurface() = default;

    // Size of the window's client area in pixels; the renderer converts pictures to this size.
    virtual QSize ClientSize() const = 0;

    // Connects the window to a renderer's hand-off (null disconnects it). The window takes
    // pictures from it on the UI thread.
    virtual void AttachFrames(std::shared_ptr<FrameHandoff> frames) = 0;

    // Paints the newest picture now (or the last one again).
    virtual void RepaintVideo() = 0;
};

} // namespace media
