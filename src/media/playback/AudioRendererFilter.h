#pragma once

#include <atomic>
#include <deque>
#include <memory>
#include <thread>
#include <vector>

#include "media/playback/AudioFrameSource.h"
#include "media/playback/AudioOutput.h"
#include "media/playback/AudioTempo.h"
#include "media/playback/PlaybackClock.h"
#include "media/playback/PlaybackCounters.h"
#include "media/playback/PlaybackFilter.h"
#include "media/playback/SeekEpoch.h"

namespace media {

class AudioDecoderFilter;
class SourcePin;

// Plays the recording's sound on its own thread: pulls samples (through the audio decoder, or
// straight from a PCM pin), drops what lies before a seek's target, changes the tempo for the
// playback rate without changing the pitch, and writes to the audio output. While it plays it
// tells the graph clock which media time is being heard, which makes audio the master clock
// (as long as the device's position moves; a stalled device is not followed, and sound that
// falls far behind skips ahead instead of pulling the pictures back).
// When the output fails it lets go of its input and the graph plays on without sound.
class AudioRendererFilter final : public PlaybackFilter
{
public:
    AudioRendererFilter(QString name, std::unique_ptr<AudioOutput> output, const SeekEpoch &epoch,
        PlaybackClock &clock, PlaybackCounters &counters);
    ~AudioRendererFilter() override;

    // Compressed audio arrives through a decoder; PCM straight from the source's pin.
    bool ConnectInput(AudioDecoderFilter *decoder);
    bool ConnectInput(SourcePin *pcmPin);
    bool IsConnected() const { return m_input != nullptr; }

    // Volume in hundredths of a decibel, -10000 (silence) to 0 (full volume).
    PlaybackResult PutVolume(int level);
    int Volume() const { return m_level.load(); }
    // Only the centre (0) is supported; the sound is played as recorded.
    PlaybackResult PutBalance(int balance);
    // Linear gain of a level: 0 for -10000 and below, 1 for 0.
    static double GainForLevel(int level);

    // An output is open and the renderer drives the clock.
    bool IsActive() const { return m_active.load(); }
    bool Ended() const { return m_ended.load(); }
    // How often the sound fell behind and skipped ahead to the clock.
    int CatchUps() const { return m_catchUps.load(); }

    void Start() override;
    void RequestStop() override;
    void Join() override;

private:
    struct Segment {
        int64_t outStart; // first output sample of the stretch
        MediaTime mediaStart; // media time of that sample
        double tempo; // media seconds per output second
    };

    void Run();
    void BeginSerial(int serial);
    // Forgets every sample between the decoder and the device, and the times they stood for.
    void DropQueuedSound();
    bool Produce(int serial);
    void ReportHeard(int serial);
    void CatchUp(MediaTime now);
    // Drops what is queued for the device and goes on with the sound from now.
    void RestartAt(MediaTime now);
    // The graph plays on without sound; the reason goes to the log.
    void Fail(const char *reason);
    ffmpeg::FramePtr TrimBefore(
        const AVFrame *samples, MediaTime time, MediaTime target, MediaTime *newTime) const;

    std::unique_ptr<AudioOutput> m_output;
    const SeekEpoch &m_epoch;
    PlaybackClock &m_clock;
    PlaybackCounters &m_counters;
    AudioFrameSource *m_input = nullptr;
    SourcePin *m_inputPin = nullptr;
    std::unique_ptr<AudioFrameSource> m_pcmReader;

    std::thread m_thread;
    std::atomic<bool> m_stop { false };
    std::atomic<bool> m_active { false };
    std::atomic<bool> m_ended { false };
    std::atomic<int> m_level { 0 };
    std::atomic<int> m_catchUps { 0 };

    // Audio thread only.
    AudioFormatSpec m_format;
    AudioTempo m_tempo;
    std::vector<uint8_t> m_pending;
    size_t m_pendingAt = 0;
    int64_t m_produced = 0; // output samples made in this epoch
    std::deque<Segment> m_segments;
    bool m_inputEnded = false;
    int64_t m_lastPlayed = -1;
    PlaybackClock::Steady::time_point m_lastPlayedChange;
    bool m_firstInSerial = true;
    MediaTime m_skipUntil = 0; // samples before it are dropped (a catch-up)
    int m_appliedLevel = 1; // never a valid level, so the first pass applies the volume
};

} // namespace media
