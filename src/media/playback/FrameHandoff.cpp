#include "media/playback/FrameHandoff.h"

namespace media {

FrameHandoff::FrameHandoff(int capacity)
    : m_capacity(static_cast<size_t>(capacity < 1 ? 1 : capacity))
{
}

bool FrameHandoff::Push(DisplayImage image)
{
    bool kept = true;
    {
        std::lock_guard lock(m_mutex);
        if (m_queue.size() >= m_capacity) {
            m_queue.pop_front();
            ++m_dropped;
            kept = false;
        }
        m_queue.push_back(std::move(image));
        ++m_pushed;
    }
    std::lock_guard lock(m_listenerMutex);
    if (m_listener)
        m_listener();
    return kept;
}

std::optional<DisplayImage> FrameHandoff::TakeLatest()
{
    std::lock_guard lock(m_mutex);
    if (m_queue.empty())
        return std::nullopt;
    DisplayImage latest = std::move(m_queue.back());
    // Pictures queued behind the newest one were never painted.
    m_dropped += static_cast<int64_t>(m_queue.size()) - 1;
    m_queue.clear();
    return latest;
}

void FrameHandoff::SetListener(std::function<void()> listener)
{
    std::lock_guard lock(m_listenerMutex);
    m_listener = std::move(listener);
    // A window that attaches after the first picture was handed over (a graph prepared on a
    // worker) is told at once that it waits.
    if (m_listener && Pending() > 0)
        m_listener();
}

void FrameHandoff::SetTargetSize(QSize size)
{
    std::lock_guard lock(m_mutex);
    m_targetSize = size;
}

QSize FrameHandoff::TargetSize() const
{
    std::lock_guard lock(m_mutex);
    return m_targetSize;
}

int FrameHandoff::Pending() const
{
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_queue.size());
}

void FrameHandoff::CountDropped()
{
    std::lock_guard lock(m_mutex);
    ++m_dropped;
}

int64_t FrameHandoff::Dropped() const
{
    std::lock_guard lock(m_mutex);
    return m_dropped;
}

int64_t FrameHandoff::Pushed() const
{
    std::lock_guard lock(m_mutex);
    return m_pushed;
}

} // namespace media
