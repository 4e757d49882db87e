#include "views/GSensorGraphModel.h"

void GSensorGraphModel::Clear()
{
    m_samples.clear();
    m_currentIndex = 0;
    m_currentOffsetMs = 0;
}

bool GSensorGraphModel::SetPosition(int64_t timeMs)
{
    if (m_samples.empty())
        return false;
    m_currentIndex = static_cast<uint32_t>(FindCursorIndex(m_samples, timeMs));
    // With a single sample the cursor stays on it; the offset only follows once there is a curve.
    if (m_samples.size() >= 2)
        m_currentOffsetMs = timeMs - static_cast<int64_t>(m_samples[m_currentIndex].timeMs);
    return true;
}

std::optional<int64_t> GSensorGraphModel::CursorTimeMs() const
{
    if (m_samples.empty() || m_currentIndex >= m_samples.size())
        return std::nullopt;
    return static_cast<int64_t>(m_samples[m_currentIndex].timeMs) + m_currentOffsetMs;
}

std::array<int, 3> GSensorGraphModel::CurrentReadings() const
{
    if (m_samples.empty() || m_currentIndex >= m_samples.size())
        return { 0, 0, 0 };
    const media::GSensorSample &s = m_samples[m_currentIndex];
    return { static_cast<int>(s.x), static_cast<int>(s.y), static_cast<int>(s.z) };
}

std::size_t GSensorGraphModel::FindCursorIndex(
    const std::vector<media::GSensorSample> &samples, int64_t timeMs)
{
    for (std::size_t i = 1; i < samples.size(); ++i) {
        if (static_cast<int64_t>(samples[i].timeMs) > timeMs)
            return i - 1;
    }
    return samples.empty() ? 0 : samples.size() - 1;
}
