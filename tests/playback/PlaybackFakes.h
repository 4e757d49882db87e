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
        : m_size(size)
    {
    }
    QSize ClientSize() const override { return m_size; }
    void AttachFrames(std::shared_ptr<media::FrameHandoff> frames) override { m_frames = std::move(frames); }
    void RepaintVideo() override { ++m_repaints; }

    // As a real window does, tells its renderer the new size at once.
    void Resize(QSize size)
    {
        m_size = size;
        if (m_frames)
            m_frames->SetTargetSize(size);
    }
    media::FrameHandoff *Frames() const { return m_frames.get(); }
    int Repaints() const { return m_repaints; }

private:
    QSize m_size;
    std::shared_ptr<media::FrameHandoff> m_frames;
    int m_repaints = 0;
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
        : m_state(std::move(state))
    {
    }

    static media::AudioOutputFactory Factory(std::shared_ptr<FakeAudioState> state)
    {
        return [state] { return std::make_unique<FakeAudioOutput>(state); };
    }

    bool Open(media::AudioFormatSpec *format) override
    {
        std::lock_guard lock(m_state->mutex);
        if (m_state->failOpen)
            return false;
        m_state->opened = true;
        m_state->format = *format;
        m_state->resumedAt = std::chrono::steady_clock::now();
        m_state->openedAt = m_state->resumedAt;
        return true;
    }

    int64_t Write(const uint8_t *data, int64_t bytes) override
    {
        std::lock_guard lock(m_state->mutex);
        const int frame = m_state->format.BytesPerFrame();
        const int64_t n = std::min(bytes, RoomLocked()) / frame * frame;
        m_state->writtenBytes += n;
        m_state->totalWrittenBytes += n;
        const auto *samples = reinterpret_cast<const int16_t *>(data);
        for (int64_t i = 0; i < n / frame; ++i)
            m_state->firstChannel.push_back(samples[i * m_state->format.channels]);
        return n;
    }

    int64_t FreeBytes() const override
    {
        std::lock_guard lock(m_state->mutex);
        return RoomLocked();
    }

    int64_t PlayedUs() const override
    {
        std::lock_guard lock(m_state->mutex);
        return PlayedLocked();
    }

    void SetPaused(bool paused) override
    {
        std::lock_guard lock(m_state->mutex);
        if (paused == m_state->paused)
            return;
        if (paused)
            m_state->heardBeforeUs = PlayedLocked();
        else
            m_state->resumedAt = std::chrono::steady_clock::now();
        m_state->paused = paused;
    }

    void SetVolume(double gain) override
    {
        std::lock_guard lock(m_state->mutex);
        m_state->gain = gain;
    }

    void Reset() override
    {
        std::lock_guard lock(m_state->mutex);
        m_state->writtenBytes = 0;
        m_state->jumpUs = 0;
        m_state->heardBeforeUs = 0;
        m_state->resumedAt = std::chrono::steady_clock::now();
        ++m_state->resets;
    }

    bool Failed() const override { return false; }

private:
    int64_t WrittenUsLocked() const
    {
        const int64_t perSecond = int64_t(m_state->format.sampleRate) * m_state->format.BytesPerFrame();
        return perSecond ? m_state->writtenBytes * 1000000 / perSecond : 0;
    }
    int64_t PlayedLocked() const
    {
        if (m_state->clock == FakeAudioState::Clock::Stalled)
            return 0;
        if (m_state->clock == FakeAudioState::Clock::Instant)
            return WrittenUsLocked();
        if (m_state->clock == FakeAudioState::Clock::LateStart) {
            const int64_t sinceOpen = std::chrono::duration_cast<std::chrono::microseconds>(
                std::chrono::steady_clock::now() - m_state->openedAt)
                                          .count();
            if (sinceOpen < m_state->lateStartUs)
                return 0;
        }
        int64_t heard = m_state->heardBeforeUs;
        if (!m_state->paused)
            heard += std::chrono::duration_cast<std::chrono::microseconds>(
                std::chrono::steady_clock::now() - m_state->resumedAt)
                         .count();
        return std::min(heard, WrittenUsLocked()) + m_state->jumpUs;
    }
    int64_t RoomLocked() const
    {
        const int64_t perSecond = int64_t(m_state->format.sampleRate) * m_state->format.BytesPerFrame();
        const int64_t queuedUs = WrittenUsLocked() - PlayedLocked();
        return std::max<int64_t>(0, (200000 - queuedUs) * perSecond / 1000000);
    }

    std::shared_ptr<FakeAudioState> m_state;
};

} // namespace playback_test
