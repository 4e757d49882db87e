#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace media::recorder {

struct RmcFix {
    double latitude = 0; // decimal degrees, negative south
    double longitude = 0; // decimal degrees, negative west
    double speedKmh = 0;
    double courseDeg = 0;
};

// The NMEA checksum: XOR of the characters between '$' and '*'.
uint8_t NmeaChecksum(std::string_view body);

// A recommended-minimum sentence as GPS receivers in recorders write it: time with two decimals
// (hhmmss.ss), ddmm.mmmm / dddmm.mmmm, speed in knots, course, date, empty magnetic variation,
// the mode letter and the checksum, without a line end. Without a fix (null) the status is 'V'
// and the position fields are empty; the receiver's clock still gives time and date.
std::string MakeRmcSentence(int64_t utcMs, const RmcFix *fix, std::string_view talker = "GP");

} // namespace media::recorder
