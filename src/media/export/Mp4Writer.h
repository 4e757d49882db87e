#pragma once

#include "media/ffmpeg/FfmpegPtr.h"

#include <QString>

namespace media {

// Writes the clip: H.264 picture and, when asked for, AAC sound in an MP4 with its index at the
// front, so that it plays at once when streamed or opened on a phone.
class Mp4Writer
{
public:
    // Opens path for a picture of width x height at frameRate, with sound in the rate and
    // channels of soundSource (at most two; null for no sound), and writes the file's header.
    bool Open(
        const QString &path, int width, int height, AVRational frameRate, const AVCodecContext *soundSource);

    // The picture encoder's time base (one frame) and the sound encoder (null without sound).
    AVRational PictureTimeBase() const { return m_videoEncoder->time_base; }
    const AVCodecContext *SoundEncoder() const { return m_audioEncoder.get(); }

    // The frame types are left to the encoder.
    bool WritePicture(AVFrame *frame);
    bool WriteSound(const AVFrame *frame);
    // Takes what the encoders still hold.
    bool EndPictures();
    bool EndSound();
    // Writes the index and closes the file.
    bool Finish();
    // Closes the file as it is.
    void Close() { m_output.reset(); }

    QString ErrorString() const { return m_error; }

    // The clip's AAC encoder for sound in the rate and channels of source, 64 kb/s a channel (of
    // two at most); with globalHeader its setup goes into the container. Null with the reason when it
    // cannot be opened. Shared with the stream copy, which converts sound MP4 cannot hold.
    // Opens the file behind an MP4 muxer whose streams are set and writes its header, with the
    // index moved to the front once the file is complete; FFmpeg's result code.
    static int BeginFile(AVFormatContext *format, const QByteArray &fileName);
    static ffmpeg::CodecContextPtr OpenSoundEncoder(
        const AVCodecContext *source, bool globalHeader, QString *error);

private:
    bool Encode(AVCodecContext *encoder, AVStream *stream, const AVFrame *frame);
    bool Fail(const QString &text)
    {
        m_error = text;
        return false;
    }

    ffmpeg::OutputContextPtr m_output;
    ffmpeg::CodecContextPtr m_videoEncoder;
    ffmpeg::CodecContextPtr m_audioEncoder;
    AVStream *m_videoStream = nullptr;
    AVStream *m_audioStream = nullptr;
    ffmpeg::PacketPtr m_packet = ffmpeg::MakePacket();
    QString m_error;
};

} // namespace media
