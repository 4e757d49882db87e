#pragma once

#include <QImage>

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>

#include "media/playback/PlaybackTypes.h"

namespace media {

// A picture ready to be painted, already converted to the window's pixel format.
struct DisplayImage {
    QImage image;
    MediaTime time = 0;
};

// The small queue through which a renderer hands its pictures to the UI thread. It never makes
// the renderer wait: when the UI has not taken the queued pictures yet, the oldest one is dropped
// and counted, so the window always gets the newest picture.
class FrameHandoff
{
public:
    explicit FrameHandoff(int capacity = 2);

    // Renderer side: queues the picture and calls the listener (without the lock held by the
    // caller, under the hand-off's own listener lock). Returns false when an older picture had
    // to be dropped to make room.
    bool Push(DisplayImage image);

    // UI side: takes the newest picture; anything older is discarded and counted as dropped.
    std::optional<DisplayImage> TakeLatest();

    // The listener is told that a picture is waiting; it must only post to the UI thread.
    // Setting an empty listener detaches the window; after it returns the old listener is never
    // called again. A new listener is called at once when pictures are waiting.
    void SetListener(std::function<void()> listener);

    // The size the window shows pictures at, set by the window whenever it changes; the renderer
    // converts the pictures it hands over to it. Empty: the pictures' own size.
    void SetTargetSize(QSize size);
    QSize TargetSize() const;

    // Pictures waiting for the UI.
    int Pending() const;
    // Counts a picture the renderer gave up before converting it, because the window had not
    // taken the one before yet.
    void CountDropped();
    int64_t Dropped() const;
    int64_t Pushed() const;

private:
    const size_t m_capacity;
    mutable std::mutex m_mutex;
    std::mutex m_listenerMutex;
    std::deque<DisplayImage> m_queue;
    std::function<void()> m_listener;
    QSize m_targetSize;
    int64_t m_dropped = 0;
    int64_t m_pushed = 0;
};

} // namespace media
