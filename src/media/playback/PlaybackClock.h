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
// After a seek the clock stands at the target for a short lead-in before it moves on, which
// gives the decoders a head start on the pictures after a key frame. The lead-in is counted from
// the seek itself, never from when a picture arrives: the main window gives the front and the
// rear graph the same commands one right after the other, and their clocks then keep the same
// time however long each takes to decode (a picture that comes late is shown late and the
// pictures after it catch up).
class PlaybackClock
{
public:
    using Steady = std::chrono::steady_clock;

    MediaTime Now() const;
    double Rate() const;
    bool IsRunning() const;
    // Running and past the lead-in of the last seek.
    bool IsFlowing() const;

    void SetRunning(bool running);
    void SetRate(double rate);
    // Moves the clock to t for the seek epoch serial; once running it stays at t until leadIn
    // after this call.
    void Seek(MediaTime t, std::chrono::milliseconds leadIn, int serial);

    // The audio renderer's report of the media time being heard in epoch serial. Small
    // differences are left to the monotonic clock so the position does not jitter; larger ones
    // re-anchor the clock. Reports of an older epoch are ignored.
    void SyncToAudio(MediaTime heard, int serial);

    // Waits until the clock reaches t, until anything about the clock changes, or at most
    // maxWait. Returns whether the clock has reached t.
    bool WaitUntil(MediaTime t, std::chrono::milliseconds maxWait) const;
    // Waits until anything about the clock changes, the lead-in ends, or maxWait passes.
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
    // When running, the clock moves on from m_anchorMedia at this moment; it lies ahead during
    // a lead-in.
    Steady::time_point m_anchorWall = Steady::now();
    double m_rate = 1.0;
    bool m_running = false;
    int m_serial = 0;
    uint64_t m_changes = 0;
};

} // namespace media
