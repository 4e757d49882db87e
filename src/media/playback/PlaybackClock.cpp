#include "media/playback/PlaybackClock.h"

#include <algorithm>

namespace media {

MediaTime PlaybackClock::NowLocked(Steady::time_point now) const
{
    if (!running_ || held_)
        return anchorMedia_;
    const auto elapsed = std::chrono::duration_cast<std::chrono::nanoseconds>(now - anchorWall_).count();
    return anchorMedia_ + static_cast<MediaTime>(static_cast<double>(elapsed) / 100.0 * rate_);
}

void PlaybackClock::Reanchor(Steady::time_point now)
{
    anchorMedia_ = NowLocked(now);
    anchorWall_ = now;
}

MediaTime PlaybackClock::Now() const
{
    std::lock_guard lock(mutex_);
    return NowLocked(Steady::now());
}

double PlaybackClock::Rate() const
{
    std::lock_guard lock(mutex_);
    return rate_;
}

bool PlaybackClock::IsRunning() const
{
    std::lock_guard lock(mutex_);
    return running_;
}

bool PlaybackClock::IsFlowing() const
{
    std::lock_guard lock(mutex_);
    return running_ && !held_;
}

bool PlaybackClock::IsHeld() const
{
    std::lock_guard lock(mutex_);
    return held_;
}

void PlaybackClock::SetRunning(bool running)
{
    {
        std::lock_guard lock(mutex_);
        if (running_ == running)
            return;
        Reanchor(Steady::now());
        running_ = running;
        ChangedLocked();
    }
    changed_.notify_all();
}

void PlaybackClock::SetRate(double rate)
{
    {
        std::lock_guard lock(mutex_);
        Reanchor(Steady::now());
        rate_ = rate > 0 ? rate : 1.0;
        ChangedLocked();
    }
    changed_.notify_all();
}

void PlaybackClock::Seek(MediaTime t, bool hold, int serial)
{
    {
        std::lock_guard lock(mutex_);
        anchorMedia_ = t;
        anchorWall_ = Steady::now();
        held_ = hold;
        serial_ = serial;
        ChangedLocked();
    }
    changed_.notify_all();
}

void PlaybackClock::ReleaseHold(int serial)
{
    {
        std::lock_guard lock(mutex_);
        if (!held_ || serial != serial_)
            return;
        anchorWall_ = Steady::now();
        held_ = false;
        ChangedLocked();
    }
    changed_.notify_all();
}

void PlaybackClock::SyncToAudio(MediaTime heard, int serial)
{
    {
        std::lock_guard lock(mutex_);
        if (!running_ || held_ || serial != serial_)
            return;
        const auto now = Steady::now();
        const MediaTime drift = NowLocked(now) - heard;
        if (drift <= kAudioSyncTolerance && drift >= -kAudioSyncTolerance)
            return;
        anchorMedia_ = heard;
        anchorWall_ = now;
        ChangedLocked();
    }
    changed_.notify_all();
}

bool PlaybackClock::WaitUntil(MediaTime t, std::chrono::milliseconds maxWait) const
{
    std::unique_lock lock(mutex_);
    auto now = Steady::now();
    MediaTime current = NowLocked(now);
    if (current >= t)
        return true;
    auto wait = std::chrono::duration_cast<Steady::duration>(maxWait);
    if (running_ && !held_) {
        const double wallUnits = static_cast<double>(t - current) / rate_;
        const auto untilDue = std::chrono::nanoseconds(static_cast<int64_t>(wallUnits * 100.0) + 1);
        wait = std::min(wait, std::chrono::duration_cast<Steady::duration>(untilDue));
    }
    const uint64_t changes = changes_;
    changed_.wait_for(lock, wait, [&] { return changes_ != changes; });
    return NowLocked(Steady::now()) >= t;
}

void PlaybackClock::WaitForChange(std::chrono::milliseconds maxWait) const
{
    std::unique_lock lock(mutex_);
    const uint64_t changes = changes_;
    changed_.wait_for(lock, maxWait, [&] { return changes_ != changes; });
}

void PlaybackClock::Notify()
{
    {
        std::lock_guard lock(mutex_);
        ChangedLocked();
    }
    changed_.notify_all();
}

} // namespace media
