#pragma once

#include "media/ffmpeg/FfmpegPtr.h"

#include <QString>

#include <cstdint>

namespace media {

// The clip's sound: the recording's decoded sound converted to the encoder's format and laid on
// the clip's time line by its time stamps, then cut into the encoder's frames. A frame that starts
// after what is queued leaves silence in between (the first one after a seek usually does), one
// that overlaps it is cut, and nothing past the span's end is kept. A clip made of several
// recordings goes on with the next one's sound where the span of the one before ends on the clip.
class SoundTrack
{
public:
    // Converts from the decoder's format to the encoder's, for the span from fromUs to toUs of the
    // recording. False with the reason when the conversion cannot be set up.
    bool Open(const AVCodecContext *decoder, const AVCodecContext *encoder, int64_t fromUs, int64_t toUs);
    // Goes on with the span from fromUs to toUs of the next recording, laid from clipUs of the
    // clip on (where its pictures start); what the one before left unfilled up to there is silence.
    // A null decoder (a recording without sound) makes the whole span silence.
    bool Continue(const AVCodecContext *decoder, int64_t clipUs, int64_t fromUs, int64_t toUs);

    // Adds a decoded frame of the current recording that starts at timeUs of it.
    bool Add(const AVFrame *frame, int64_t timeUs);
    // The current recording's span is all queued, or a frame past its end came.
    bool IsComplete() const { return m_complete; }
    // The next frame for the encoder into *frame, null when a whole frame is not queued yet; with
    // draining, what is left comes too, filled up with silence when the encoder needs whole frames.
    bool Take(ffmpeg::FramePtr *frame, bool draining);

    QString ErrorString() const { return m_error; }

private:
    // Queues silence up to the clip's sample `until`.
    void QueueSilence(int64_t until);
    bool Fail(const QString &text)
    {
        m_error = text;
        return false;
    }

    const AVCodecContext *m_encoder = nullptr;
    ffmpeg::SwrPtr m_resampler;
    ffmpeg::AudioFifoPtr m_fifo;
    int64_t m_fromUs = 0;
    int64_t m_toUs = 0;
    int64_t m_pieceStart = 0; // the clip's sample where the current recording's span starts
    int64_t m_spanSamples = 0; // the clip's sample where it ends
    int64_t m_samplesQueued = 0; // samples of the clip put into the queue, silence included
    int64_t m_samplesTaken = 0;
    bool m_complete = false;
    QString m_error;
};

} // namespace media
