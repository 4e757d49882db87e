#include "media/playback/FrameHandoff.h"

namespace media {

FrameHandoff::FrameHandoff(int capacity)
    : capacity_(static_cast<size_t>(capacity < 1 ? 1 : capacity))
{
}

bool FrameHandoff::Push(DisplayImage image)
{
    bool kept = true;
    {
        std::lock_guard lock(mutex_);
        if (queue_.size() >= capacity_) {
            queue_.pop_front();
            ++dropped_;
            kept = false;
        }
        queue_.push_back(std::move(image));
        ++pushed_;
    }
    std::lock_guard lock(listenerMutex_);
    if (listener_)
        listener_();
    return kept;
}

std::optional<DisplayImage> FrameHandoff::TakeLatest()
{
    std::lock_guard lock(mutex_);
    if (queue_.empty())
        return std::nullopt;
    DisplayImage latest = std::move(queue_.back());
    // Pictures queued behind the newest one were never painted.
    dropped_ += static_cast<int64_t>(queue_.size()) - 1;
    queue_.clear();
    return latest;
}

void FrameHandoff::SetListener(std::function<void()> listener)
{
    std::lock_guard lock(listenerMutex_);
    listener_ = std::move(listener);
}

int FrameHandoff::Pending() const
{
    std::lock_guard lock(mutex_);
    return static_cast<int>(queue_.size());
}

void FrameHandoff::CountDropped()
{
    std::lock_guard lock(mutex_);
    ++dropped_;
}

int64_t FrameHandoff::Dropped() const
{
    std::lock_guard lock(mutex_);
    return dropped_;
}

int64_t FrameHandoff::Pushed() const
{
    std::lock_guard lock(mutex_);
    return pushed_;
}

} // namespace media
