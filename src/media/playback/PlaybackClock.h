#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "media/playback/PlaybackTypes.h"

namespace media {

// The graph's presentation clock: a media time that advances with a monotonic clock scaled by the
// rate while running. When audio plays, the audio renderer re-anchors it to the time of the
// sample being heard, so audio is the master and video follows.
//
// After a seek the clock holds still at the target until the first picture of the new position
// is on screen, so that decoding forward from a key frame does not make every picture late.
class PlaybackClock
{
public:
    using Steady = std::chrono::steady_clock;

    MediaTime Now() const;
    double Rate() const;
    bool IsRunning() const;
    // Running and not holding for a picture after a seek.
    bool IsFlowing() const;
    bool IsHeld() const;

    void SetRunning(bool running);
    void SetRate(double rate);
    // Moves the clock to t for the seek epoch serial; with hold it stays at t until ReleaseHold
    // for that epoch.
    void Seek(MediaTime t, bool hold, int serial);
    void ReleaseHold(int serial);

    // The audio renderer's report of the media time being heard in epoch serial. Small
    // differences are left to the monotonic clock so the position does not jitter; larger ones
    // re-anchor the clock. Reports of an older epoch are ignored.
    void SyncToAudio(MediaTime heard, int serial);

    // Waits until the clock reaches t, until anything about the clock changes, or at most
    // maxWait. Returns whether the clock has reached t.
    bool WaitUntil(MediaTime t, std::chrono::milliseconds maxWait) const;
    // Waits until anything about the clock changes (or maxWait).
    void WaitForChange(std::chrono::milliseconds maxWait) const;
    // Wakes every waiter; used on seeks and teardown.
    void Notify();

    static constexpr MediaTime kAudioSyncTolerance = 15 * kUnitsPerMs;

private:
    MediaTime NowLocked(Steady::time_point now) const;
    void Reanchor(Steady::time_point now);
    void ChangedLocked() { ++m_changes; }

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    MediaTime m_anchorMedia = 0;
    Steady::time_point m_anchorWall = Steady::now();
    double m_rate = 1.0;
    bool m_running = false;
    bool m_held = false;
    int m_serial = 0;
    uint64_t m_changes = 0;
};

} // namespace media
