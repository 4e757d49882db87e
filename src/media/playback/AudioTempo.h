#pragma once

#include <cstdint>
#include <vector>

#include "media/playback/AudioOutput.h"
#include "media/playback/FfmpegPtr.h"

namespace media {

// Changes the audio's speed without changing its pitch (libavfilter's atempo) and converts it to
// the output's format (interleaved 16-bit at the device's rate and channel count). Between 0.5
// and 2.0 a single atempo stage does it; at 1.0 the stage is left out.
class AudioTempo
{
public:
    AudioTempo() = default;
    AudioTempo(const AudioTempo &) = delete;
    AudioTempo &operator=(const AudioTempo &) = delete;

    // Sets up for input like the given frame. False when libavfilter refuses.
    bool Configure(const AVFrame *like, double tempo, const AudioFormatSpec &output);
    // Whether input like this frame at this tempo fits the current set-up.
    bool Fits(const AVFrame *like, double tempo) const;
    bool IsConfigured() const { return m_graph != nullptr; }
    double Tempo() const { return m_tempo; }
    void Reset();

    // Feeds samples; null feeds the end (what the filters still hold comes out).
    bool Push(const AVFrame *samples);
    // Appends every converted sample available to out; returns the number of sample frames.
    int64_t Pull(std::vector<uint8_t> *out);

private:
    ffmpeg::FilterGraphPtr m_graph;
    AVFilterContext *m_input = nullptr;
    AVFilterContext *m_output = nullptr;
    double m_tempo = 1.0;
    int m_inRate = 0;
    int m_inFormat = -1;
    int m_inChannels = 0;
    int64_t m_samplesIn = 0;
    AudioFormatSpec m_outFormat;
};

} // namespace media
