#pragma once

#include "media/playback/AudioOutput.h"

#include <chrono>
#include <memory>
#include <mutex>
#include <vector>

namespace tripbench {

using Clock = std::chrono::steady_clock;

// What one sound device heard: the stretches of wall time during which it played samples.
struct HeardSound {
    struct Stretch {
        Clock::time_point from;
        Clock::time_point to;
    };
    Clock::time_point opened;
    int sampleRate = 0;
    std::vector<Stretch> stretches; // in time order, touching stretches merged
    int64_t writtenFrames = 0; // accepted since opening
    int64_t lostFrames = 0; // queued but never played (dropped by a reset or by closing the device)
    int64_t writes = 0;
};

// Every device the graphs opened, in the order they were opened. Shared by the outputs (audio
// renderer threads) and the bench (UI thread).
class HeardSoundLog
{
public:
    // A graph made its device (on the UI thread, before preparing on a worker).
    void Made();
    std::vector<Clock::time_point> TakeMade();
    // A new device; the index lets it report what it heard when it closes.
    size_t Opened(int sampleRate);
    void Closed(size_t index, HeardSound sound);
    std::vector<HeardSound> Take();

private:
    std::mutex m_mutex;
    std::vector<HeardSound> m_devices;
    std::vector<Clock::time_point> m_made;
};

// A sound device as the operating system gives one, without the loudspeaker: it plays what it is
// given at real time from a queue of 200 ms, so the renderer is paced as by a real device, and it
// notes when it actually played (a device whose queue runs dry plays silence). Only opened
// outputs report; the graphs of rear files without sound reserve one they never open.
class TimedAudioOutput final : public media::AudioOutput
{
public:
    explicit TimedAudioOutput(std::shared_ptr<HeardSoundLog> log);
    ~TimedAudioOutput() override;

    static media::AudioOutputFactory Factory(std::shared_ptr<HeardSoundLog> log);

    bool Open(media::AudioFormatSpec *format) override;
    int64_t Write(const uint8_t *data, int64_t bytes) override;
    int64_t FreeBytes() const override;
    int64_t PlayedUs() const override;
    void SetPaused(bool paused) override;
    void SetVolume(double) override { }
    void Reset() override;
    bool Failed() const override { return false; }

private:
    using Duration = Clock::duration;

    Duration QueuedLocked(Clock::time_point now) const;
    // Cuts what was to be heard after `now` (pause, reset, close); returns how much was cut.
    Duration CutAfterLocked(Clock::time_point now);
    void HearLocked(Clock::time_point from, Duration length);
    int64_t FramesOf(Duration length) const;
    Duration LengthOf(int64_t frames) const;

    std::shared_ptr<HeardSoundLog> m_log;
    mutable std::mutex m_mutex;
    bool m_open = false;
    size_t m_index = 0;
    media::AudioFormatSpec m_format;
    HeardSound m_heard;
    bool m_paused = false;
    Clock::time_point m_queueEnd; // while playing: when what is queued has been played
    Duration m_pausedQueue {}; // while paused: what is queued
    Duration m_writtenSinceReset {};
};

} // namespace tripbench
