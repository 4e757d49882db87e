#pragma once

#include <cstdint>

namespace media {

// One entry of the speed gauge: a speed in km/h at a record time. Items made from a GPS fix carry
// the fix's UTC time (seconds since 1970); items from the speed re-read carry 0.
struct CSpeedItem {
    int32_t timeMs = 0;
    int64_t fixTime = 0;
    float speed = 0.0f;
    int32_t valid = 0;

    bool operator==(const CSpeedItem &) const = default;
};

// What the telemetry loader needs of the speed gauge: Add keeps the first item per fix time,
// Update replaces the speed of the item with the same fix time or appends.
class ISpeedItemSink
{
public:
    virtual ~ISpeedItemSink() = default;
    virtual void Add(const CSpeedItem &item) = 0;
    virtual void Update(const CSpeedItem &item) = 0;
};

} // namespace media
