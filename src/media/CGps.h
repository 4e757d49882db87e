#pragma once

#include <cstdint>

namespace media {

// One GPS fix, parsed from an NMEA recommended-minimum (RMC) sentence. Coordinates are kept
// as the receiver wrote them (ddmm.mmmm with a sign for the hemisphere); the map view
// converts them with NmeaToDecimalDegrees. Times in the record are UTC.
class CGps
{
public:
    CGps() = default;
    // Parses the sentence at once; a sentence that does not parse leaves valid == 0 and the
    // fields read before the failure. A null sentence parses as an empty one.
    CGps(std::uint32_t timeMs, const char *sentence);
    CGps(const CGps &) = default;
    CGps(CGps &&) = default;
    CGps &operator=(const CGps &) = default;
    CGps &operator=(CGps &&) = default;
    virtual ~CGps() = default;

    // Replaces every field by those parsed from the sentence; returns valid != 0.
    bool Parse(std::uint32_t timeMs, const char *sentence);

    std::int64_t GetFixTime() const { return fixTime; }
    bool IsValid() const { return valid != 0; }

    std::int8_t year = 0; // two digits, 70..99 = 1970..1999, 00..69 = 2000..2069
    std::int8_t month = 0; // 1..12
    std::int8_t day = 0;
    std::int8_t hour = 0; // UTC
    std::int8_t minute = 0;
    std::int8_t second = 0; // whole seconds; a fraction in the sentence is ignored
    std::int32_t valid = 0; // 1 for status 'A' with all fields present
    float latitude = 0; // ddmm.mmmm, negative in the southern hemisphere
    float longitude = 0; // dddmm.mmmm, negative in the western hemisphere
    float speed = 0; // km/h
    float course = 0; // degrees
    std::int64_t fixTime = 0; // seconds since 1970-01-01 00:00 UTC
    std::uint32_t timeMs = 0; // milliseconds from the start of the recording
};

// Turns a stored coordinate scaled by 0.01 (dd.mmmmmm: degrees, then minutes as the
// fraction's first two digits) into decimal degrees. The sign carries through.
double NmeaToDecimalDegrees(double degreesAndMinutes);

// Decimal degrees of a stored latitude or longitude (ddmm.mmmm / dddmm.mmmm).
double CoordinateToDegrees(float stored);

// Seconds since 1970-01-01 00:00 UTC of a UTC calendar time, independent of the machine's
// time zone. Out-of-range fields carry over as timegm does (month 13 is January next year).
std::int64_t UtcToEpochSeconds(int year, int month, int day, int hour, int minute, int second);

} // namespace media
