#include "media/playback/PlaybackClock.h"

#include <algorithm>

namespace media {

MediaTime PlaybackClock::NowLocked(Steady::time_point now) const
{
    if (!m_running || now <= m_anchorWall)
        return m_anchorMedia;
    const auto elapsed = std::chrono::duration_cast<std::chrono::nanoseconds>(now - m_anchorWall).count();
    return m_anchorMedia + static_cast<MediaTime>(static_cast<double>(elapsed) / 100.0 * m_rate);
}

void PlaybackClock::Reanchor(Steady::time_point now)
{
    m_anchorMedia = NowLocked(now);
    // A lead-in still under way keeps its end.
    m_anchorWall = std::max(m_anchorWall, now);
}

MediaTime PlaybackClock::Now() const
{
    std::lock_guard lock(m_mutex);
    return NowLocked(Steady::now());
}

double PlaybackClock::Rate() const
{
    std::lock_guard lock(m_mutex);
    return m_rate;
}

bool PlaybackClock::IsRunning() const
{
    std::lock_guard lock(m_mutex);
    return m_running;
}

bool PlaybackClock::IsFlowing() const
{
    std::lock_guard lock(m_mutex);
    return m_running && Steady::now() >= m_anchorWall;
}

void PlaybackClock::SetRunning(bool running)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_running == running)
            return;
        Reanchor(Steady::now());
        m_running = running;
        ChangedLocked();
    }
    m_changed.notify_all();
}

void PlaybackClock::SetRate(double rate)
{
    {
        std::lock_guard lock(m_mutex);
        Reanchor(Steady::now());
        m_rate = rate > 0 ? rate : 1.0;
        ChangedLocked();
    }
    m_changed.notify_all();
}

void PlaybackClock::Seek(MediaTime t, std::chrono::milliseconds leadIn, int serial)
{
    {
        std::lock_guard lock(m_mutex);
        m_anchorMedia = t;
        m_anchorWall = Steady::now() + leadIn;
        m_serial = serial;
        ChangedLocked();
    }
    m_changed.notify_all();
}

void PlaybackClock::SyncToAudio(MediaTime heard, int serial)
{
    {
        std::lock_guard lock(m_mutex);
        const auto now = Steady::now();
        if (!m_running || now < m_anchorWall || serial != m_serial)
            return;
        const MediaTime drift = NowLocked(now) - heard;
        if (drift <= kAudioSyncTolerance && drift >= -kAudioSyncTolerance)
            return;
        m_anchorMedia = heard;
        m_anchorWall = now;
        ChangedLocked();
    }
    m_changed.notify_all();
}

bool PlaybackClock::WaitUntil(MediaTime t, std::chrono::milliseconds maxWait) const
{
    std::unique_lock lock(m_mutex);
    auto now = Steady::now();
    MediaTime current = NowLocked(now);
    if (current >= t)
        return true;
    auto wait = std::chrono::duration_cast<Steady::duration>(maxWait);
    if (m_running) {
        const double wallUnits = static_cast<double>(t - current) / m_rate;
        const auto untilDue = std::chrono::nanoseconds(static_cast<int64_t>(wallUnits * 100.0) + 1);
        const auto leadIn = std::max(m_anchorWall - now, Steady::duration::zero());
        wait = std::min(wait, leadIn + std::chrono::duration_cast<Steady::duration>(untilDue));
    }
    const uint64_t changes = m_changes;
    m_changed.wait_for(lock, wait, [&] { return m_changes != changes; });
    return NowLocked(Steady::now()) >= t;
}

void PlaybackClock::WaitForChange(std::chrono::milliseconds maxWait) const
{
    std::unique_lock lock(m_mutex);
    const uint64_t changes = m_changes;
    auto deadline = Steady::now() + maxWait;
    // The end of a lead-in is a change too: sound waiting for the clock to flow starts with it.
    if (m_running && m_anchorWall > Steady::now())
        deadline = std::min(deadline, m_anchorWall);
    m_changed.wait_until(lock, deadline, [&] { return m_changes != changes; });
}

void PlaybackClock::Notify()
{
    {
        std::lock_guard lock(m_mutex);
        ChangedLocked();
    }
    m_changed.notify_all();
}

} // namespace media
