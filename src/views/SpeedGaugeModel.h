#pragma once

#include "media/telemetry/CSpeedItem.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// The unit the gauge shows: the index of its image in the unit strip.
enum class SpeedUnit { Kmh = 0, Mph = 1 };

// The speed gauge's logic: its speed items, which one a playback time shows, and the three
// digits on display. Ageing is counted in updates, not in wall time: the main window updates
// the gauge from its 100 ms playback timer, so 100 updates without fresh data blank it.
class SpeedGaugeModel
{
public:
    static constexpr int kBlankDigit = 10;
    static constexpr int kRepeatLimit = 20;
    static constexpr int kStaleLimit = 100;
    static constexpr float kInvalidSpeed = -100.0f;
    static constexpr double kKmhFactor = 1.0;
    static constexpr double kMphFactor = 0.621;

    // Appends the item unless one with the same fix time is known (true when appended).
    bool Add(const media::CSpeedItem &item);
    // Corrects the item with the same fix time (a usable speed, or the invalid marker) or appends.
    void Update(const media::CSpeedItem &item);

    // Shows the item for the playback time, or ages the display when there is none.
    void SetPosition(int64_t timeMs);

    void Clear();
    void Blank() { m_digits = { kBlankDigit, kBlankDigit, kBlankDigit }; }
    void SetUnit(SpeedUnit unit);

    // Index of the first item with that fix time, or -1. Items arrive in fix-time order, so the
    // search stops at the first later fix.
    int FindByFixTime(int64_t fixTime) const;
    // Index of the item a playback time shows: the last one not after it, -1 before the first.
    int FindForTime(int64_t timeMs) const;

    const std::vector<media::CSpeedItem> &Items() const { return m_items; }
    std::size_t ItemCount() const { return m_items.size(); }
    bool HasItems() const { return !m_items.empty(); }
    const std::array<int, 3> &Digits() const { return m_digits; }
    int UnitIndex() const { return m_unitIndex; }
    double Factor() const { return m_factor; }
    int CurrentItem() const { return m_currentItem; }
    int LastShown() const { return m_lastShown; }
    int RepeatCount() const { return m_repeatCount; }
    int StaleCount() const { return m_staleCount; }

    // The whole number shown for a speed in km/h at a unit factor (speed x factor rounded half
    // up); out-of-range and NaN speeds give the invalid value.
    static int DisplayValue(float speedKmh, double factor);

private:
    void Show(int index);
    void Age();

    std::vector<media::CSpeedItem> m_items;
    std::array<int, 3> m_digits { kBlankDigit, kBlankDigit, kBlankDigit };
    int m_unitIndex = 0;
    double m_factor = kKmhFactor;
    int m_currentItem = -1;
    int m_lastShown = 0;
    int m_repeatCount = 0;
    int m_staleCount = 0;
};
