#include "media/playback/FrameQueue.h"

namespace media {

FrameQueue::FrameQueue(const SeekEpoch &epoch, int capacity)
    : epoch_(epoch)
    , capacity_(static_cast<size_t>(capacity < 1 ? 1 : capacity))
{
}

FrameQueue::Result FrameQueue::Push(VideoFrame &&frame, std::chrono::milliseconds timeout)
{
    {
        std::unique_lock lock(mutex_);
        const int flushes = flushCount_;
        const bool room = changed_.wait_for(lock, timeout, [&] {
            return aborted_ || flushCount_ != flushes || frame.serial != epoch_.Current()
                || items_.size() < capacity_;
        });
        if (aborted_)
            return Result::Aborted;
        // The epoch is read under the lock that Flush also takes after advancing it, so a stale
        // picture either fails here or is removed by that Flush.
        if (frame.serial != epoch_.Current())
            return Result::Stale;
        if (!room || items_.size() >= capacity_)
            return Result::Timeout;
        items_.push_back(std::move(frame));
    }
    changed_.notify_all();
    return Result::Ok;
}

FrameQueue::Result FrameQueue::Pop(VideoFrame *out, std::chrono::milliseconds timeout)
{
    {
        std::unique_lock lock(mutex_);
        if (!changed_.wait_for(lock, timeout, [&] {
                while (!items_.empty() && items_.front().serial != epoch_.Current())
                    items_.pop_front();
                return aborted_ || !items_.empty();
            }))
            return Result::Timeout;
        if (aborted_)
            return Result::Aborted;
        *out = std::move(items_.front());
        items_.pop_front();
    }
    changed_.notify_all();
    return Result::Ok;
}

std::optional<MediaTime> FrameQueue::FrontTime() const
{
    std::lock_guard lock(mutex_);
    const int current = epoch_.Current();
    for (const VideoFrame &frame : items_) {
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
        std::lock_guard lock(mutex_);
        items_.clear();
        ++flushCount_;
    }
    changed_.notify_all();
}

void FrameQueue::Abort()
{
    {
        std::lock_guard lock(mutex_);
        aborted_ = true;
        items_.clear();
    }
    changed_.notify_all();
}

int FrameQueue::Count() const
{
    std::lock_guard lock(mutex_);
    return static_cast<int>(items_.size());
}

} // namespace media
