#include "views/SpeedGaugeModel.h"

#include <cmath>
#include <limits>

bool SpeedGaugeModel::Add(const media::CSpeedItem &item)
{
    if (FindByFixTime(item.fixTime) >= 0)
        return false;
    m_items.push_back(item);
    return true;
}

void SpeedGaugeModel::Update(const media::CSpeedItem &item)
{
    const int index = FindByFixTime(item.fixTime);
    if (index < 0) {
        m_items.push_back(item);
        return;
    }
    media::CSpeedItem &known = m_items[static_cast<std::size_t>(index)];
    known.speed = item.valid ? item.speed : kInvalidSpeed;
    known.valid = 1;
}

int SpeedGaugeModel::FindByFixTime(int64_t fixTime) const
{
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i].fixTime > fixTime)
            return -1;
        if (m_items[i].fixTime == fixTime)
            return static_cast<int>(i);
    }
    return -1;
}

int SpeedGaugeModel::FindForTime(int64_t timeMs) const
{
    if (m_items.empty() || timeMs < m_items.front().timeMs)
        return -1;
    for (std::size_t i = 1; i < m_items.size(); ++i) {
        if (m_items[i].timeMs > timeMs)
            return static_cast<int>(i - 1);
    }
    return static_cast<int>(m_items.size() - 1);
}

void SpeedGaugeModel::SetPosition(int64_t timeMs)
{
    m_currentItem = FindForTime(timeMs);
    if (m_currentItem < 0)
        Age();
    else
        Show(m_currentItem);
}

void SpeedGaugeModel::Clear()
{
    m_items.clear();
    m_lastShown = 0;
    m_repeatCount = 0;
    m_currentItem = -1;
}

void SpeedGaugeModel::SetUnit(SpeedUnit unit)
{
    m_factor = unit == SpeedUnit::Mph ? kMphFactor : kKmhFactor;
    m_unitIndex = static_cast<int>(unit);
}

int SpeedGaugeModel::DisplayValue(float speedKmh, double factor)
{
    const double value = factor * static_cast<double>(speedKmh) + 0.5;
    // A garbled sentence can carry any number; such a value must not reach the int conversion.
    if (!std::isfinite(value) || value <= std::numeric_limits<int>::min()
        || value >= std::numeric_limits<int>::max())
        return static_cast<int>(kInvalidSpeed);
    return static_cast<int>(value);
}

void SpeedGaugeModel::Show(int index)
{
    if (index == m_lastShown) {
        ++m_repeatCount;
        // The same item again and again means the position stands still or no new fix came: let
        // the display age so that a stopped recording does not keep an old speed forever.
        if (m_repeatCount > kRepeatLimit) {
            Age();
            return;
        }
    } else {
        m_repeatCount = 0;
    }
    m_lastShown = index;

    int value = 0;
    if (index >= 0 && static_cast<std::size_t>(index) < m_items.size()) {
        const media::CSpeedItem &item = m_items[static_cast<std::size_t>(index)];
        value = DisplayValue(item.valid ? item.speed : kInvalidSpeed, m_factor);
    }
    if (!m_items.empty() && value >= 0) {
        m_staleCount = 0;
        m_digits = { value / 100 % 10, value / 10 % 10, value % 10 };
    } else {
        Age();
    }
}

void SpeedGaugeModel::Age()
{
    if (++m_staleCount >= kStaleLimit) {
        m_staleCount = 0;
        Blank();
    }
}
