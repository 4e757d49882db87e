#pragma once

#include "media/ffmpeg/FfmpegPtr.h"

#include <QString>

#include <cstdint>
#include <functional>

namespace media {

// One recording opened for the export: its demuxer and the decoders of its picture and, when
// asked for, its sound. Every time it gives is in microseconds from the file's common start, which
// all streams count from as the player counts them: a stream that starts later than the others
// keeps its delay.
class InputRecording
{
public:
    static constexpr AVRational kTimeBase { 1, 1000000 };

    enum class Kind { Picture, Sound };
    // Takes a decoded frame of the recording; false stops the reading.
    using FrameSink = std::function<bool(AVFrame *frame, Kind kind)>;

    // False with the reason when the file cannot be read or holds no picture; sound that cannot
    // be decoded is left out with a warning.
    bool Open(const QString &path, bool withSound, QString *error);

    AVFormatContext *Format() const { return m_format.get(); }
    const AVStream *PictureStream() const { return m_format->streams[m_videoIndex]; }
    // Null when the recording is read without sound.
    const AVCodecContext *SoundDecoder() const { return m_audioIndex >= 0 ? m_audio.get() : nullptr; }
    const AVStream *SoundStream() const
    {
        return m_audioIndex >= 0 ? m_format->streams[m_audioIndex] : nullptr;
    }
    int PictureIndex() const { return m_videoIndex; }
    int SoundIndex() const { return m_audioIndex; }
    // Where the file's streams start, in microseconds of the container's clock.
    int64_t StartUs() const { return m_startUs; }

    // The picture rate the container tells; 30 per second when it tells nothing believable.
    AVRational FrameRate() const;
    // The end of the picture: as the headers tell it, else from the packets of a second opening
    // of the file (a recording cut by a power loss tells nothing of its length in its headers),
    // so that this one stays where it is. -1 when no picture has a time.
    int64_t LengthUs() const;

    void Seek(int64_t us);
    // Reads the next packet and hands its decoded frames to the sink; at the end of the file the
    // decoders give up what they hold and *atEnd is set. False when the sink stopped the reading.
    bool DecodeNext(const FrameSink &sink, bool *atEnd);
    // The time of a frame from DecodeNext or PictureAt; -1 when it has none.
    int64_t FrameTimeUs(const AVFrame *frame, Kind kind) const;

    // For reading the coded packets of Format() without decoding them (the stream copy): a packet's
    // time, its presentation time or else its decoding time (an AVI tells only that); -1 when it has
    // neither.
    int64_t PacketTimeUs(const AVPacket *packet) const;
    // Decodes a sound packet read from Format() and hands its frames to the sink; a null packet
    // takes what the decoder still holds. False when the sink stopped.
    bool DecodeSound(const AVPacket *packet, const FrameSink &sink);

    // For a recording read for its pictures alone (the rear channel): the last picture not later
    // than timeUs, reading on as far as needed; the first picture while none is that early. Null
    // when the recording gives no picture at all.
    const AVFrame *PictureAt(int64_t timeUs);

private:
    int64_t HeaderLengthUs() const;
    // Reads to the end of the file.
    int64_t LengthFromPackets();
    bool OpenDecoder(int index, ffmpeg::CodecContextPtr &context, QString *error);
    bool NextPicture(AVFrame *frame);
    void ReadAhead();

    QString m_path;
    ffmpeg::FormatContextPtr m_format;
    int m_videoIndex = -1;
    int m_audioIndex = -1;
    ffmpeg::CodecContextPtr m_video;
    ffmpeg::CodecContextPtr m_audio;
    ffmpeg::PacketPtr m_packet = ffmpeg::MakePacket();
    ffmpeg::FramePtr m_decoded = ffmpeg::MakeFrame();
    bool m_endOfFile = false;
    int64_t m_startUs = 0;

    // PictureAt's pictures: the one shown and the one after it.
    ffmpeg::FramePtr m_current;
    ffmpeg::FramePtr m_next;
    int64_t m_nextUs = -1;
};

} // namespace media
