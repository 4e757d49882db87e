#include "media/recorder/NmeaRmc.h"

#include <QDateTime>
#include <QTimeZone>

#include <cmath>
#include <cstdio>

namespace media::recorder {

namespace {

    constexpr double kKmhToKnots = 1.0 / 1.852;

    // ddmm.mmmm (or dddmm.mmmm) with the hemisphere letter.
    std::string FormatCoordinate(double degrees, int degreeDigits, char positive, char negative)
    {
        const double magnitude = std::fabs(degrees);
        int whole = static_cast<int>(magnitude);
        double minutes = (magnitude - whole) * 60.0;
        // Rounding to four decimals may carry into the next degree.
        if (std::lround(minutes * 10000.0) >= 600000) {
            minutes = 0;
            ++whole;
        }
        char text[32];
        std::snprintf(text, sizeof text, "%0*d%07.4f,%c", degreeDigits, whole, minutes,
            degrees < 0 ? negative : positive);
        return text;
    }

} // namespace

uint8_t NmeaChecksum(std::string_view body)
{
    uint8_t sum = 0;
    for (char c : body)
        sum ^= static_cast<uint8_t>(c);
    return sum;
}

std::string MakeRmcSentence(int64_t utcMs, const RmcFix *fix, std::string_view talker)
{
    const QDateTime utc = QDateTime::fromMSecsSinceEpoch(utcMs, QTimeZone::utc());
    const QDate date = utc.date();
    const QTime time = utc.time();
    char timeField[48];
    std::snprintf(timeField, sizeof timeField, "%02d%02d%02d.%02d", time.hour(), time.minute(), time.second(),
        time.msec() / 10);
    char dateField[32];
    std::snprintf(dateField, sizeof dateField, "%02d%02d%02d", date.day(), date.month(), date.year() % 100);

    std::string body = std::string(talker) + "RMC," + timeField;
    if (fix) {
        char motion[32];
        std::snprintf(motion, sizeof motion, "%.2f,%.2f", fix->speedKmh * kKmhToKnots, fix->courseDeg);
        body += ",A," + FormatCoordinate(fix->latitude, 2, 'N', 'S') + ","
            + FormatCoordinate(fix->longitude, 3, 'E', 'W') + "," + motion + "," + dateField + ",,,A";
    } else {
        body += std::string(",V,,,,,,,") + dateField + ",,,N";
    }
    char checksum[4];
    std::snprintf(checksum, sizeof checksum, "*%02X", NmeaChecksum(body));
    return "$" + body + checksum;
}

} // namespace media::recorder
