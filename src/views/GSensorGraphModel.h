#pragma once

#include "media/telemetry/GSensorSample.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// The G-sensor graph's data: the recording's samples in arrival (= time) order, the time axis
// and value span, and the sample under the cursor.
class GSensorGraphModel
{
public:
    void AddSample(const media::GSensorSample &sample) { m_samples.push_back(sample); }
    void AddSamples(const std::vector<media::GSensorSample> &samples)
    {
        m_samples.insert(m_samples.end(), samples.begin(), samples.end());
    }
    void Clear();

    // Moves the cursor to timeMs. Without samples nothing changes (false).
    bool SetPosition(int64_t timeMs);

    void SetDuration(int durationMs) { m_durationMs = durationMs; }
    void SetValueRange(int valueRange) { m_valueRange = valueRange; }

    const std::vector<media::GSensorSample> &Samples() const { return m_samples; }
    std::size_t SampleCount() const { return m_samples.size(); }
    int DurationMs() const { return m_durationMs; }
    int ValueRange() const { return m_valueRange; }
    uint32_t CurrentIndex() const { return m_currentIndex; }
    int64_t CurrentOffsetMs() const { return m_currentOffsetMs; }

    // The time the cursor stands at: the current sample's time plus the offset; none without samples.
    std::optional<int64_t> CursorTimeMs() const;

    // X, Y and Z of the current sample, zeros without samples.
    std::array<int, 3> CurrentReadings() const;

    // The last sample whose time is not after timeMs; the first one for a time before it.
    // The samples must not be empty.
    static std::size_t FindCursorIndex(const std::vector<media::GSensorSample> &samples, int64_t timeMs);

private:
    std::vector<media::GSensorSample> m_samples;
    int m_durationMs = 0;
    int m_valueRange = 0;
    uint32_t m_currentIndex = 0;
    int64_t m_currentOffsetMs = 0;
};
