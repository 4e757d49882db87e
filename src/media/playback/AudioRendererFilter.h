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
    bool IsConnected() const { return input_ != nullptr; }

    // Volume in hundredths of a decibel, -10000 (silence) to 0 (full volume).
    PlaybackResult PutVolume(int level);
    int Volume() const { return level_.load(); }
    // Only the centre (0) is supported; the sound is played as recorded.
    PlaybackResult PutBalance(int balance);
    // Linear gain of a level: 0 for -10000 and below, 1 for 0.
    static double GainForLevel(int level);

    // An output is open and the renderer drives the clock.
    bool IsActive() const { return active_.load(); }
    bool Ended() const { return ended_.load(); }
    // How often the sound fell behind and skipped ahead to the clock.
    int CatchUps() const { return catchUps_.load(); }

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
    bool Produce(int serial);
    void ReportHeard(int serial);
    void CatchUp(MediaTime now);
    void Fail();
    ffmpeg::FramePtr TrimBefore(
        const AVFrame *samples, MediaTime time, MediaTime target, MediaTime *newTime) const;

    std::unique_ptr<AudioOutput> output_;
    const SeekEpoch &epoch_;
    PlaybackClock &clock_;
    PlaybackCounters &counters_;
    AudioFrameSource *input_ = nullptr;
    SourcePin *inputPin_ = nullptr;
    std::unique_ptr<AudioFrameSource> pcmReader_;

    std::thread thread_;
    std::atomic<bool> stop_ { false };
    std::atomic<bool> active_ { false };
    std::atomic<bool> ended_ { false };
    std::atomic<int> level_ { 0 };
    std::atomic<int> catchUps_ { 0 };

    // Audio thread only.
    AudioFormatSpec format_;
    AudioTempo tempo_;
    std::vector<uint8_t> pending_;
    size_t pendingAt_ = 0;
    int64_t produced_ = 0; // output samples made in this epoch
    std::deque<Segment> segments_;
    bool inputEnded_ = false;
    int64_t lastPlayed_ = -1;
    PlaybackClock::Steady::time_point lastPlayedChange_;
    bool firstInSerial_ = true;
    MediaTime skipUntil_ = 0; // samples before it are dropped (a catch-up)
    int appliedLevel_ = 1; // never a valid level, so the first pass applies the volume
};

} // namespace media
