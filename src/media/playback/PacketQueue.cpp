#include "media/playback/PacketQueue.h"

namespace media {

bool PacketQueue::Push(QueuedPacket item)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_aborted || item.serial != m_serial)
            return false;
        if (item.packet)
            m_bytes += item.packet->size;
        m_items.push_back(std::move(item));
    }
    m_ready.notify_one();
    return true;
}

PacketQueue::PopResult PacketQueue::Pop(QueuedPacket *out, std::chrono::milliseconds timeout)
{
    std::function<void()> onSpace;
    {
        std::unique_lock lock(m_mutex);
        if (!m_ready.wait_for(lock, timeout, [this] { return m_aborted || !m_items.empty(); }))
            return PopResult::Timeout;
        if (m_aborted)
            return PopResult::Aborted;
        *out = std::move(m_items.front());
        m_items.pop_front();
        if (out->packet)
            m_bytes -= out->packet->size;
        onSpace = m_onSpace;
    }
    if (onSpace)
        onSpace();
    return PopResult::Item;
}

void PacketQueue::Flush(int serial)
{
    std::function<void()> onSpace;
    {
        std::lock_guard lock(m_mutex);
        m_items.clear();
        m_bytes = 0;
        m_serial = serial;
        onSpace = m_onSpace;
    }
    m_ready.notify_all();
    if (onSpace)
        onSpace();
}

void PacketQueue::Abort()
{
    {
        std::lock_guard lock(m_mutex);
        m_aborted = true;
        m_items.clear();
        m_bytes = 0;
    }
    m_ready.notify_all();
}

int PacketQueue::Count() const
{
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_items.size());
}

int64_t PacketQueue::Bytes() const
{
    std::lock_guard lock(m_mutex);
    return m_bytes;
}

void PacketQueue::SetOnSpace(std::function<void()> onSpace)
{
    std::lock_guard lock(m_mutex);
    m_onSpace = std::move(onSpace);
}

} // namespace media
