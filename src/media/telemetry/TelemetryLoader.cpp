#include "media/telemetry/TelemetryLoader.h"

#include "media/telemetry/TelemetryFormat.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace media {

namespace {

    constexpr double kKnotsToKmh = 1.852;

    // The speed field is read as far as it is a decimal number. NMEA writes a '.' whatever the
    // user's locale, so the conversion must not follow the locale (where the decimal sign is a
    // comma, the C library would read "22.40" as 22). A field without a number reads as 0, as
    // in the C library; one beyond the range of a double reads as NaN.
    double ReadDecimal(const char *begin, const char *end)
    {
        while (begin < end && (*begin == ' ' || *begin == '+'))
            ++begin;
        double value = 0;
        if (std::from_chars(begin, end, value).ec == std::errc::result_out_of_range)
            return std::numeric_limits<double>::quiet_NaN();
        return value;
    }

} // namespace

bool TelemetryLoader::ReadSpeedFromRecordText(const char *text, float &speedKmh)
{
    if (!text)
        return false;
    const size_t length = std::strlen(text);
    if (length <= 50)
        return false;
    if (!std::strstr(text, "$GPRMC") && !std::strstr(text, "$GNRMC"))
        return false;
    // The status 'A' stands at 18 after a time with two decimals and at 19 after three; the
    // fields after it are found by their commas either way.
    if (text[18] != 'A' && text[19] != 'A')
        return false;

    const char *end = text + length;
    const char *latitudeEnd = std::strchr(text + 22, ',');
    if (!latitudeEnd || end - latitudeEnd < 3)
        return false;
    const char *longitude = latitudeEnd + 3; // past the hemisphere letter and its comma
    const char *longitudeEnd = std::strchr(longitude, ',');
    if (!longitudeEnd || end - longitudeEnd < 3)
        return false;
    const char *speedField = longitudeEnd + 3;
    const char *speedEnd = std::strchr(speedField, ',');
    if (!speedEnd)
        return false;
    const double kmh = std::trunc(ReadDecimal(speedField, speedEnd) * kKnotsToKmh);
    // Damaged text ("nan", a hundred digits) gives no speed rather than an undefined conversion.
    if (!(kmh >= std::numeric_limits<int>::min() && kmh <= std::numeric_limits<int>::max()))
        return false;
    speedKmh = static_cast<float>(static_cast<int>(kmh));
    return true;
}

TelemetryLoader::Result TelemetryLoader::Load(IStreamParseData *source, int64_t durationMs, CGPSArray &track,
    std::vector<GSensorSample> &samples, ISpeedItemSink *speed, uint32_t maxFruitlessCalls)
{
    Result result;
    if (durationMs <= 0 || !source)
        return result;

    int64_t lastGpsSecond = -1;
    int64_t lastGSensorSecond = -1;
    uint32_t fruitlessInARow = 0;
    // One byte beyond the capacity for the 0 that ends a full-length record.
    std::array<uint8_t, kStreamParseMaxRecord + 1> buffer;

    while (result.records < kMaxRecords) {
        buffer.fill(0);
        uint32_t length = kStreamParseMaxRecord;
        uint32_t timeMs = 0;
        const StreamParseResult answer = source->GetNextRecord(buffer.data(), &length, &timeMs);
        if (answer == kStreamParseEndOfFile) {
            result.reachedEnd = true;
            break;
        }
        if (answer != kStreamParseOk || length > kStreamParseMaxRecord) {
            ++result.fruitlessCalls;
            if (++fruitlessInARow >= maxFruitlessCalls)
                break;
            continue;
        }
        fruitlessInARow = 0;
        ++result.records;
        buffer[length] = 0;

        const int64_t second = timeMs / 1000;
        switch (telemetry::ClassifyRecord(buffer.data(), length)) {
        case telemetry::RecordKind::GSensor:
            ++result.gsensorRecords;
            if (second != lastGSensorSecond) {
                lastGSensorSecond = second;
                samples.push_back({ buffer[4], buffer[5], buffer[6], timeMs });
                ++result.samplesAdded;
            }
            break;
        case telemetry::RecordKind::Gps: {
            ++result.gpsRecords;
            const char *text = reinterpret_cast<const char *>(buffer.data());
            const CGps fix(timeMs, text + 1);
            if (fix.IsValid()) {
                ++result.validFixes;
                if (speed)
                    speed->Add({ static_cast<int32_t>(timeMs), fix.GetFixTime(), fix.speed, 1 });
                track.Add(fix);
            }
            if (second != lastGpsSecond) {
                lastGpsSecond = second;
                float kmh = 0;
                if (speed && ReadSpeedFromRecordText(text, kmh))
                    speed->Update({ static_cast<int32_t>(timeMs), 0, kmh, 1 });
            }
            break;
        }
        case telemetry::RecordKind::Unknown:
            ++result.ignoredRecords;
            break;
        }
    }
    return result;
}

} // namespace media
