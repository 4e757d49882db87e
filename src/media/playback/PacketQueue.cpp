#include "media/playback/PacketQueue.h"

namespace media {

bool PacketQueue::Push(QueuedPacket item)
{
    {
        std::lock_guard lock(mutex_);
        if (aborted_ || item.serial != serial_)
            return false;
        if (item.packet)
            bytes_ += item.packet->size;
        items_.push_back(std::move(item));
    }
    ready_.notify_one();
    return true;
}

PacketQueue::PopResult PacketQueue::Pop(QueuedPacket *out, std::chrono::milliseconds timeout)
{
    std::function<void()> onSpace;
    {
        std::unique_lock lock(mutex_);
        if (!ready_.wait_for(lock, timeout, [this] { return aborted_ || !items_.empty(); }))
            return PopResult::Timeout;
        if (aborted_)
            return PopResult::Aborted;
        *out = std::move(items_.front());
        items_.pop_front();
        if (out->packet)
            bytes_ -= out->packet->size;
        onSpace = onSpace_;
    }
    if (onSpace)
        onSpace();
    return PopResult::Item;
}

void PacketQueue::Flush(int serial)
{
    std::function<void()> onSpace;
    {
        std::lock_guard lock(mutex_);
        items_.clear();
        bytes_ = 0;
        serial_ = serial;
        onSpace = onSpace_;
    }
    ready_.notify_all();
    if (onSpace)
        onSpace();
}

void PacketQueue::Abort()
{
    {
        std::lock_guard lock(mutex_);
        aborted_ = true;
        items_.clear();
        bytes_ = 0;
    }
    ready_.notify_all();
}

int PacketQueue::Count() const
{
    std::lock_guard lock(mutex_);
    return static_cast<int>(items_.size());
}

int64_t PacketQueue::Bytes() const
{
    std::lock_guard lock(mutex_);
    return bytes_;
}

void PacketQueue::SetOnSpace(std::function<void()> onSpace)
{
    std::lock_guard lock(mutex_);
    onSpace_ = std::move(onSpace);
}

} // namespace media
