#include "media/playback/FrameQueue.h"

namespace media {

FrameQueue::FrameQueue(const SeekEpoch &epoch, int capacity)
    : m_epoch(epoch)
    , m_capacity(static_cast<size_t>(capacity < 1 ? 1 : capacity))
{
}

FrameQueue::Result FrameQueue::Push(VideoFrame &&frame, std::chrono::milliseconds timeout)
{
    {
        std::unique_lock lock(m_mutex);
        const int flushes = m_flushCount;
        const bool room = m_changed.wait_for(lock, timeout, [&] {
            return m_aborted || m_flushCount != flushes || frame.serial != m_epoch.Current()
                || m_items.size() < m_capacity;
        });
        if (m_aborted)
            return Result::Aborted;
        // The epoch is read under the lock that Flush also takes after advancing it, so a stale
        // picture either fails here or is removed by that Flush.
        if (frame.serial != m_epoch.Current())
            return Result::Stale;
        if (!room || m_items.size() >= m_capacity)
            return Result::Timeout;
        m_items.push_back(std::move(frame));
    }
    m_changed.notify_all();
    return Result::Ok;
}

FrameQueue::Result FrameQueue::Pop(VideoFrame *out, std::chrono::milliseconds timeout)
{
    {
        std::unique_lock lock(m_mutex);
        if (!m_changed.wait_for(lock, timeout, [&] {
                while (!m_items.empty() && m_items.front().serial != m_epoch.Current())
                    m_items.pop_front();
                return m_aborted || !m_items.empty();
            }))
            return Result::Timeout;
        if (m_aborted)
            return Result::Aborted;
        *out = std::move(m_items.front());
        m_items.pop_front();
    }
    m_changed.notify_all();
    return Result::Ok;
}

std::optional<MediaTime> FrameQueue::FrontTime() const
{
    std::lock_guard lock(m_mutex);
    const int current = m_epoch.Current();
    for (const VideoFrame &frame : m_items) {
        if (frame.serial != current)
            continue;
        if (frame.IsEndOfStream())
            return std::nullopt;
        return frame.time;
    }
    return std::nullopt;
}

void FrameQueue::Flush()
{
    {
        std::lock_guard lock(m_mutex);
        m_items.clear();
        ++m_flushCount;
    }
    m_changed.notify_all();
}

void FrameQueue::Abort()
{
    {
        std::lock_guard lock(m_mutex);
        m_aborted = true;
        m_items.clear();
    }
    m_changed.notify_all();
}

int FrameQueue::Count() const
{
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_items.size());
}

} // namespace media
