#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

#include "media/playback/FfmpegPtr.h"

namespace media {

// One compressed packet on its way from the demuxer to a decoder.
struct QueuedPacket {
    ffmpeg::PacketPtr packet; // null marks the end of the stream
    int serial = 0; // the seek epoch the packet was read in
    MediaTime seekTarget = 0; // where that seek asked to be; decoders hide what lies before it

    bool IsEndOfStream() const { return !packet; }
};

// A source pin's packet queue. It never blocks the producer: the demuxer decides by the queue's
// fill whether to read on, so a full video queue cannot starve the audio one.
class PacketQueue
{
public:
    enum class PopResult { Item, Timeout, Aborted };

    // Appends a packet unless it belongs to an epoch the queue was flushed past. Returns whether
    // it was kept.
    bool Push(QueuedPacket item);

    // Takes the oldest packet, waiting up to timeout for one.
    PopResult Pop(QueuedPacket *out, std::chrono::milliseconds timeout);

    // Drops everything queued and from now on accepts only packets of the given epoch.
    void Flush(int serial);

    // Wakes every waiter for good; used when the graph is torn down.
    void Abort();

    int Count() const;
    int64_t Bytes() const;

    // Called (without the queue's lock held) whenever a packet left the queue, so the demuxer
    // can read on.
    void SetOnSpace(std::function<void()> onSpace);

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<QueuedPacket> m_items;
    int64_t m_bytes = 0;
    int m_serial = 0;
    bool m_aborted = false;
    std::function<void()> m_onSpace;
};

} // namespace media
