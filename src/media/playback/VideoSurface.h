#pragma once

#include <QSize>

#include <memory>

namespace media {

class FrameHandoff;

// The window a video renderer paints into. The graph calls it from the UI thread only (when the
// windows are set, on Refresh and at teardown); pictures reach it through the FrameHandoff.
//
// A window may be destroyed before the player it was given to (a dialog closing first), so
// players and renderers hold it only through a VideoSurface::Pointer, which is emptied when the
// window goes.
class VideoSurface
{
public:
    // Refers to a window without owning it; null once the window was destroyed. UI thread only.
    class Pointer
    {
    public:
        Pointer() = default;
        Pointer(VideoSurface *surface)
            : m_slot(surface ? surface->m_slot : nullptr)
        {
        }
        VideoSurface *get() const { return m_slot ? *m_slot : nullptr; }
        VideoSurface *operator->() const { return get(); }
        explicit operator bool() const { return get() != nullptr; }
        bool operator==(const Pointer &other) const { return get() == other.get(); }

    private:
        std::shared_ptr<VideoSurface *> m_slot;
    };

    VideoSurface()
        : m_slot(std::make_shared<VideoSurface *>(this))
    {
    }
    virtual ~VideoSurface() { Detach(); }
    VideoSurface(const VideoSurface &) = delete;
    VideoSurface &operator=(const VideoSurface &) = delete;

    // Size of the window's client area in pixels; the renderer converts pictures to this size.
    virtual QSize ClientSize() const = 0;

    // Connects the window to a renderer's hand-off (null disconnects it). The window takes
    // pictures from it on the UI thread and tells it its client size whenever that changes, so
    // the next pictures are converted to the new size.
    virtual void AttachFrames(std::shared_ptr<FrameHandoff> frames) = 0;

    // Paints the newest picture now (or the last one again).
    virtual void RepaintVideo() = 0;

protected:
    // Empties every Pointer to this window. A window calls it first thing in its destructor, so
    // that nothing reaches it while its own parts are being destroyed.
    void Detach()
    {
        if (m_slot)
            *m_slot = nullptr;
    }

private:
    std::shared_ptr<VideoSurface *> m_slot;
};

} // namespace media
