#pragma once

#include "media/export/ClipCaption.h"
#include "media/ffmpeg/FfmpegPtr.h"

#include <QString>

#include <cstdint>

namespace media {

// The caption of a stream-copied clip as a timed text track of the MP4 (3GPP timed text, which
// players show as subtitles and can turn off) instead of a band burnt below the picture: each cue
// two lines, the recorder's time with its UTC offset and the speed, then the position and the
// recording's name, the same texts as the band.
class CaptionTextTrack
{
public:
    // Adds the track to an output whose header is not written yet. False with the reason.
    bool Open(AVFormatContext *output, QString *error);
    AVStream *Stream() const { return m_stream; }

    // The cue showing texts from fromUs to toUs of the clip, as a packet of the track in its time
    // base (valid once the header is written). False with the reason.
    bool MakeCue(
        const ClipCaption::Texts &texts, int64_t fromUs, int64_t toUs, AVPacket *packet, QString *error);

    // A cue's text, lines apart by "\n".
    static QString CueText(const ClipCaption::Texts &texts);

private:
    ffmpeg::CodecContextPtr m_encoder;
    AVStream *m_stream = nullptr;
};

} // namespace media
