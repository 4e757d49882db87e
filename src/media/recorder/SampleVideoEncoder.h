#pragma once

#include "media/recorder/SampleScene.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

struct AVCodecContext;
struct AVFrame;
struct AVPacket;

namespace media::recorder {

enum class SampleVideoCodec { Automatic, H264, Mpeg4 };

// One encoded picture as it goes into an AVI chunk.
struct EncodedPacket {
    std::vector<uint8_t> data;
    int64_t index = 0; // frame number (video) or frame count (audio) of its presentation
    bool keyFrame = false;
};

// Encodes the sample recorder's pictures: H.264 through libx264 when the library has it (fastest
// preset, no B-frames, a key frame every second, repeated stream headers so that every key frame
// can start playback), otherwise MPEG-4 part 2.
class SampleVideoEncoder
{
public:
    SampleVideoEncoder();
    ~SampleVideoEncoder();
    SampleVideoEncoder(const SampleVideoEncoder &) = delete;
    SampleVideoEncoder &operator=(const SampleVideoEncoder &) = delete;

    bool Open(int width, int height, int framesPerSecond, SampleVideoCodec codec, int threads);
    // The picture to draw the next frame into.
    YuvPicture Picture();
    // Encodes the picture drawn last; finished packets go to the sink in decoding order.
    bool Encode(const std::function<bool(const EncodedPacket &)> &sink);
    bool Flush(const std::function<bool(const EncodedPacket &)> &sink);

    const char *Fourcc() const { return m_fourcc; }
    QString ErrorString() const { return m_error; }

private:
    bool Drain(const std::function<bool(const EncodedPacket &)> &sink);

    AVCodecContext *m_context = nullptr;
    AVFrame *m_frame = nullptr;
    AVPacket *m_packet = nullptr;
    int64_t m_nextPts = 0;
    char m_fourcc[5] = "H264";
    QString m_error;
};

} // namespace media::recorder
