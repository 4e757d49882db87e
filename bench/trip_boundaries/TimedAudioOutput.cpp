#include "trip_boundaries/TimedAudioOutput.h"

#include <algorithm>
#include <utility>

namespace tripbench {

namespace {
    // A sound server's usual queue; the renderer cannot run further ahead than this.
    constexpr auto kQueue = std::chrono::milliseconds(200);
} // namespace

void HeardSoundLog::Made()
{
    std::lock_guard lock(m_mutex);
    m_made.push_back(Clock::now());
}

std::vector<Clock::time_point> HeardSoundLog::TakeMade()
{
    std::lock_guard lock(m_mutex);
    return std::exchange(m_made, {});
}

size_t HeardSoundLog::Opened(int sampleRate)
{
    std::lock_guard lock(m_mutex);
    HeardSound sound;
    sound.opened = Clock::now();
    sound.sampleRate = sampleRate;
    m_devices.push_back(sound);
    return m_devices.size() - 1;
}

void HeardSoundLog::Closed(size_t index, HeardSound sound)
{
    std::lock_guard lock(m_mutex);
    if (index < m_devices.size())
        m_devices[index] = std::move(sound);
}

std::vector<HeardSound> HeardSoundLog::Take()
{
    std::lock_guard lock(m_mutex);
    return std::exchange(m_devices, {});
}

TimedAudioOutput::TimedAudioOutput(std::shared_ptr<HeardSoundLog> log)
    : m_log(std::move(log))
{
}

TimedAudioOutput::~TimedAudioOutput()
{
    std::lock_guard lock(m_mutex);
    if (!m_open)
        return;
    // Whatever the device still held when the graph closed it is never heard.
    const Duration queued = m_paused ? m_pausedQueue : CutAfterLocked(Clock::now());
    m_heard.lostFrames += FramesOf(queued);
    m_log->Closed(m_index, std::move(m_heard));
}

media::AudioOutputFactory TimedAudioOutput::Factory(std::shared_ptr<HeardSoundLog> log)
{
    return [log] {
        log->Made();
        return std::make_unique<TimedAudioOutput>(log);
    };
}

bool TimedAudioOutput::Open(media::AudioFormatSpec *format)
{
    std::lock_guard lock(m_mutex);
    m_format = *format;
    m_open = true;
    m_index = m_log->Opened(m_format.sampleRate);
    m_heard.opened = Clock::now();
    m_heard.sampleRate = m_format.sampleRate;
    m_queueEnd = m_heard.opened;
    return true;
}

int64_t TimedAudioOutput::Write(const uint8_t *, int64_t bytes)
{
    std::lock_guard lock(m_mutex);
    const auto now = Clock::now();
    const int frame = m_format.BytesPerFrame();
    const int64_t room = FramesOf(kQueue - QueuedLocked(now));
    const int64_t frames = std::min(bytes / frame, room);
    if (frames <= 0)
        return 0;
    const Duration length = LengthOf(frames);
    if (m_paused) {
        m_pausedQueue += length;
    } else {
        const Clock::time_point from = std::max(m_queueEnd, now);
        HearLocked(from, length);
        m_queueEnd = from + length;
    }
    m_writtenSinceReset += length;
    m_heard.writtenFrames += frames;
    ++m_heard.writes;
    return frames * frame;
}

int64_t TimedAudioOutput::FreeBytes() const
{
    std::lock_guard lock(m_mutex);
    return FramesOf(kQueue - QueuedLocked(Clock::now())) * m_format.BytesPerFrame();
}

int64_t TimedAudioOutput::PlayedUs() const
{
    std::lock_guard lock(m_mutex);
    return std::chrono::duration_cast<std::chrono::microseconds>(
        m_writtenSinceReset - QueuedLocked(Clock::now()))
        .count();
}

void TimedAudioOutput::SetPaused(bool paused)
{
    std::lock_guard lock(m_mutex);
    if (paused == m_paused)
        return;
    const auto now = Clock::now();
    if (paused) {
        m_pausedQueue = CutAfterLocked(now);
    } else {
        if (m_pausedQueue > Duration::zero())
            HearLocked(now, m_pausedQueue);
        m_queueEnd = now + m_pausedQueue;
        m_pausedQueue = {};
    }
    m_paused = paused;
}

void TimedAudioOutput::Reset()
{
    std::lock_guard lock(m_mutex);
    const auto now = Clock::now();
    const Duration queued = m_paused ? m_pausedQueue : CutAfterLocked(now);
    m_heard.lostFrames += FramesOf(queued);
    m_pausedQueue = {};
    m_queueEnd = now;
    m_writtenSinceReset = {};
}

TimedAudioOutput::Duration TimedAudioOutput::QueuedLocked(Clock::time_point now) const
{
    if (m_paused)
        return m_pausedQueue;
    return std::max(Duration::zero(), m_queueEnd - now);
}

TimedAudioOutput::Duration TimedAudioOutput::CutAfterLocked(Clock::time_point now)
{
    const Duration left = std::max(Duration::zero(), m_queueEnd - now);
    auto &stretches = m_heard.stretches;
    while (!stretches.empty() && stretches.back().from >= now)
        stretches.pop_back();
    if (!stretches.empty() && stretches.back().to > now)
        stretches.back().to = now;
    m_queueEnd = std::min(m_queueEnd, now);
    return left;
}

void TimedAudioOutput::HearLocked(Clock::time_point from, Duration length)
{
    auto &stretches = m_heard.stretches;
    if (!stretches.empty() && stretches.back().to >= from)
        stretches.back().to = std::max(stretches.back().to, from + length);
    else
        stretches.push_back({ from, from + length });
}

int64_t TimedAudioOutput::FramesOf(Duration length) const
{
    if (length <= Duration::zero() || m_format.sampleRate <= 0)
        return 0;
    return std::chrono::duration_cast<std::chrono::nanoseconds>(length).count() * m_format.sampleRate
        / 1'000'000'000;
}

TimedAudioOutput::Duration TimedAudioOutput::LengthOf(int64_t frames) const
{
    if (m_format.sampleRate <= 0)
        return {};
    return std::chrono::duration_cast<Duration>(
        std::chrono::nanoseconds(frames * 1'000'000'000 / m_format.sampleRate));
}

} // namespace tripbench
