#pragma once

#include <QString>

#include <atomic>

#include "media/playback/FfmpegPtr.h"
#include "media/playback/PacketQueue.h"

namespace media {

// One elementary stream of the recording as the source offers it: "Video 1", "Audio 1", ...
// The graph counts pins by those words. Packets of a pin that nothing is connected to are read
// and thrown away.
class SourcePin
{
public:
    SourcePin(QString name, AVStream *stream, MediaTime startTime);

    const QString &Name() const { return m_name; }
    AVMediaType Type() const { return m_stream->codecpar->codec_type; }
    const AVCodecParameters *Parameters() const { return m_stream->codecpar; }
    AVRational TimeBase() const { return m_stream->time_base; }
    int StreamIndex() const { return m_stream->index; }

    // Media time (from the start of the recording) of a stream time stamp.
    MediaTime ToMediaTime(int64_t ts) const;

    // A decoder opened for this pin's stream, or null when FFmpeg has none for it. `threads`
    // 0 means one per core; 1 keeps decoding on the caller's thread.
    ffmpeg::CodecContextPtr OpenDecoder(int threads = 1) const;
    int64_t ToStreamTime(MediaTime t) const;
    // How long one picture stays on screen at the stream's frame rate (video pins).
    MediaTime FrameDuration() const { return m_frameDuration; }
    // The sample format of an uncompressed audio pin whose packets can be played as they are;
    // AV_SAMPLE_FMT_NONE for anything that needs a decoder.
    AVSampleFormat PcmSampleFormat() const;
    bool IsPcm() const { return PcmSampleFormat() != AV_SAMPLE_FMT_NONE; }

    PacketQueue &Queue() { return m_queue; }

    bool IsConnected() const { return m_connected.load(std::memory_order_acquire); }
    void SetConnected(bool connected);

private:
    QString m_name;
    AVStream *m_stream;
    MediaTime m_startTime;
    MediaTime m_frameDuration;
    PacketQueue m_queue;
    std::atomic<bool> m_connected { false };
};

} // namespace media
