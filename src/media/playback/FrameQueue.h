#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

#include "media/playback/SeekEpoch.h"
#include "media/playback/VideoFrame.h"

namespace media {

// The bounded queue between a video decoder and its renderer. The decoder waits while it is
// full, which keeps only a few decoded pictures in memory; a seek (new epoch) or the graph's
// teardown releases a waiting decoder at once.
class FrameQueue
{
public:
    enum class Result { Ok, Timeout, Aborted, Stale };

    FrameQueue(const SeekEpoch &epoch, int capacity);

    // Appends a picture, waiting up to timeout for room. A picture of an old epoch is refused
    // with Stale, also when the epoch changes while it waits.
    Result Push(VideoFrame &&frame, std::chrono::milliseconds timeout);

    // Takes the oldest picture of the current epoch, waiting up to timeout; older pictures are
    // discarded on the way.
    Result Pop(VideoFrame *out, std::chrono::milliseconds timeout);

    // Time of the next picture of the current epoch, if one is queued.
    std::optional<MediaTime> FrontTime() const;

    // Empties the queue after the epoch advanced and wakes a waiting decoder.
    void Flush();
    void Abort();
    int Count() const;

private:
    const SeekEpoch &m_epoch;
    const size_t m_capacity;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<VideoFrame> m_items;
    int m_flushCount = 0;
    bool m_aborted = false;
};

} // namespace media
