#pragma once

#include <QSize>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <vector>

#include "media/playback/AudioOutput.h"
#include "media/playback/FrameHandoff.h"
#include "media/playback/VideoSurface.h"

namespace playback_test {

// A window without a display: it remembers its hand-off so a test can take pictures from it.
class FakeSurface final : public media::VideoSurface
{
public:
    explicit FakeSurface(QSize size = QSize(320, 240))
        : size_(size)
    {
    }
    QSize ClientSize() const override { return size_; }
    void AttachFrames(std::shared_ptr<media::FrameHandoff> frames) override { frames_ = std::move(frames); }
    void RepaintVideo() override { ++repaints_; }

    void Resize(QSize size) { size_ = size; }
    media::FrameHandoff *Frames() const { return frames_.get(); }
    int Repaints() const { return repaints_; }

private:
    QSize size_;
    std::shared_ptr<media::FrameHandoff> frames_;
    int repaints_ = 0;
};

// What a fake sound device saw; shared between the test and the output the graph owns.
struct FakeAudioState {
    // RealTime plays like a device (plus any jump the test adds); LateStart plays nothing for
    // its first lateStartUs, then like a device; Stalled never gets past the start; Instant plays
    // everything the moment it is written.
    enum class Clock { RealTime, LateStart, Stalled, Instant };

    std::mutex mutex;
    Clock clock = Clock::RealTime;
    bool failOpen = false;
    bool opened = false;
    media::AudioFormatSpec format;
    int64_t writtenBytes = 0; // since the last reset
    int64_t totalWrittenBytes = 0; // since opening
    int64_t jumpUs = 0;
    int64_t lateStartUs = 0;
    std::chrono::steady_clock::time_point openedAt;
    bool paused = false; // a device plays from the moment it is opened
    double gain = -1;
    int resets = 0;
    std::vector<int16_t> firstChannel; // the left channel of everything written since opening
    // Real-time clock: time heard before the last resume, and when it resumed.
    int64_t heardBeforeUs = 0;
    std::chrono::steady_clock::time_point resumedAt;

    // Moves the device's reported position ahead, as if it had skipped that much.
    void Jump(int64_t us)
    {
        std::lock_guard lock(mutex);
        jumpUs += us;
    }
    double Gain()
    {
        std::lock_guard lock(mutex);
        return gain;
    }
    int Resets()
    {
        std::lock_guard lock(mutex);
        return resets;
    }
    int SampleRate()
    {
        std::lock_guard lock(mutex);
        return format.sampleRate;
    }
    int64_t TotalFrames()
    {
        std::lock_guard lock(mutex);
        return format.BytesPerFrame() ? totalWrittenBytes / format.BytesPerFrame() : 0;
    }
};

// A sound device that keeps at most 200 ms queued like a real one.
class FakeAudioOutput final : public media::AudioOutput
{
public:
    explicit FakeAudioOutput(std::shared_ptr<FakeAudioState> state)
        : state_(std::move(state))
    {
    }

    static media::AudioOutputFactory Factory(std::shared_ptr<FakeAudioState> state)
    {
        return [state] { return std::make_unique<FakeAudioOutput>(state); };
    }

    bool Open(media::AudioFormatSpec *format) override
    {
        std::lock_guard lock(state_->mutex);
        if (state_->failOpen)
            return false;
        state_->opened = true;
        state_->format = *format;
        state_->resumedAt = std::chrono::steady_clock::now();
        state_->openedAt = state_->resumedAt;
        return true;
    }

    int64_t Write(const uint8_t *data, int64_t bytes) override
    {
        std::lock_guard lock(state_->mutex);
        const int frame = state_->format.BytesPerFrame();
        const int64_t n = std::min(bytes, RoomLocked()) / frame * frame;
        state_->writtenBytes += n;
        state_->totalWrittenBytes += n;
        const auto *samples = reinterpret_cast<const int16_t *>(data);
        for (int64_t i = 0; i < n / frame; ++i)
            state_->firstChannel.push_back(samples[i * state_->format.channels]);
        return n;
    }

    int64_t FreeBytes() const override
    {
        std::lock_guard lock(state_->mutex);
        return RoomLocked();
    }

    int64_t PlayedUs() const override
    {
        std::lock_guard lock(state_->mutex);
        return PlayedLocked();
    }

    void SetPaused(bool paused) override
    {
        std::lock_guard lock(state_->mutex);
        if (paused == state_->paused)
            return;
        if (paused)
            state_->heardBeforeUs = PlayedLocked();
        else
            state_->resumedAt = std::chrono::steady_clock::now();
        state_->paused = paused;
    }

    void SetVolume(double gain) override
    {
        std::lock_guard lock(state_->mutex);
        state_->gain = gain;
    }

    void Reset() override
    {
        std::lock_guard lock(state_->mutex);
        state_->writtenBytes = 0;
        state_->jumpUs = 0;
        state_->heardBeforeUs = 0;
        state_->resumedAt = std::chrono::steady_clock::now();
        ++state_->resets;
    }

    bool Failed() const override { return false; }

private:
    int64_t WrittenUsLocked() const
    {
        const int64_t perSecond = int64_t(state_->format.sampleRate) * state_->format.BytesPerFrame();
        return perSecond ? state_->writtenBytes * 1000000 / perSecond : 0;
    }
    int64_t PlayedLocked() const
    {
        if (state_->clock == FakeAudioState::Clock::Stalled)
            return 0;
        if (state_->clock == FakeAudioState::Clock::Instant)
            return WrittenUsLocked();
        if (state_->clock == FakeAudioState::Clock::LateStart) {
            const int64_t sinceOpen = std::chrono::duration_cast<std::chrono::microseconds>(
                std::chrono::steady_clock::now() - state_->openedAt)
                                          .count();
            if (sinceOpen < state_->lateStartUs)
                return 0;
        }
        int64_t heard = state_->heardBeforeUs;
        if (!state_->paused)
            heard += std::chrono::duration_cast<std::chrono::microseconds>(
                std::chrono::steady_clock::now() - state_->resumedAt)
                         .count();
        return std::min(heard, WrittenUsLocked()) + state_->jumpUs;
    }
    int64_t RoomLocked() const
    {
        const int64_t perSecond = int64_t(state_->format.sampleRate) * state_->format.BytesPerFrame();
        const int64_t queuedUs = WrittenUsLocked() - PlayedLocked();
        return std::max<int64_t>(0, (200000 - queuedUs) * perSecond / 1000000);
    }

    std::shared_ptr<FakeAudioState> state_;
};

} // namespace playback_test
