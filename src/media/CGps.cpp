#include "media/CGps.h"

#include "media/NmeaTokenizer.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>

namespace media {

namespace {

    // Sentences longer than this are cut; real RMC sentences are under 100 characters.
    constexpr std::size_t kSentenceLimit = 1023;
    constexpr double kKmPerHourPerKnot = 1.852;

    std::string_view SkipLeadingBlanksAndPlus(std::string_view text)
    {
        while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
            text.remove_prefix(1);
        if (!text.empty() && text.front() == '+')
            text.remove_prefix(1);
        return text;
    }

    // A decimal number read up to the first character that cannot belong to it; 0 when there is
    // none. Independent of the C locale, which a desktop program may have set to one with a
    // decimal comma.
    double ReadDecimal(std::string_view field)
    {
        field = SkipLeadingBlanksAndPlus(field);
        double value = 0;
        const auto result
            = std::from_chars(field.data(), field.data() + field.size(), value, std::chars_format::fixed);
        if (result.ec != std::errc() || !std::isfinite(value))
            return 0;
        return value;
    }

    // The decimal value of the two characters at `offset` (fewer if the field is shorter), read
    // the same way: a receiver that writes "1235" for the time still gives hour 12, minute 35.
    int ReadTwoDigits(std::string_view field, std::size_t offset)
    {
        if (offset >= field.size())
            return 0;
        std::string_view digits = SkipLeadingBlanksAndPlus(field.substr(offset, 2));
        int value = 0;
        const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        return result.ec == std::errc() ? value : 0;
    }

    std::int64_t DaysFromCivil(std::int64_t year, int month, int day)
    {
        // Days since 1970-01-01 in the Gregorian calendar; years are counted from March so that
        // the leap day is the last day of a year and needs no special case.
        year -= month <= 2 ? 1 : 0;
        const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
        const std::int64_t yearOfEra = year - era * 400;
        const int shiftedMonth = month > 2 ? month - 3 : month + 9;
        const std::int64_t dayOfYear = (153 * shiftedMonth + 2) / 5 + day - 1;
        const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
        return era * 146097 + dayOfEra - 719468;
    }

} // namespace

std::int64_t UtcToEpochSeconds(int year, int month, int day, int hour, int minute, int second)
{
    // Carry months outside 1..12 into the year first; days, hours, minutes and seconds out of
    // range simply add up, as timegm does.
    std::int64_t fullYear = year;
    std::int64_t monthIndex = static_cast<std::int64_t>(month) - 1;
    fullYear += monthIndex >= 0 ? monthIndex / 12 : (monthIndex - 11) / 12;
    monthIndex -= (monthIndex >= 0 ? monthIndex / 12 : (monthIndex - 11) / 12) * 12;
    const std::int64_t days = DaysFromCivil(fullYear, static_cast<int>(monthIndex) + 1, 1) + day - 1;
    return days * 86400 + static_cast<std::int64_t>(hour) * 3600 + static_cast<std::int64_t>(minute) * 60
        + second;
}

double NmeaToDecimalDegrees(double degreesAndMinutes)
{
    const double wholeDegrees = std::trunc(degreesAndMinutes);
    const double fraction = degreesAndMinutes - wholeDegrees;
    return wholeDegrees + fraction * 100.0 / 60.0;
}

double CoordinateToDegrees(float stored)
{
    return NmeaToDecimalDegrees(static_cast<double>(stored) * 0.01);
}

CGps::CGps(std::uint32_t timeMs, const char *sentence)
{
    Parse(timeMs, sentence);
}

bool CGps::Parse(std::uint32_t stamp, const char *sentence)
{
    *this = CGps();
    timeMs = stamp;

    const std::string_view text(sentence ? sentence : "", sentence ? strnlen(sentence, kSentenceLimit) : 0);
    NmeaTokenizer tokens(text);
    if (!tokens.Next()) // the sentence identifier ($GPRMC, $GNRMC, ...) is not examined
        return false;

    // The nine fields up to the date, stored as they are read so that a short sentence keeps
    // what came before; running out of fields before the date voids the fix.
    std::string_view field;
    const auto nextField = [&tokens, &field]() {
        const std::optional<std::string_view> token = tokens.Next();
        field = token.value_or(std::string_view());
        return token.has_value();
    };
    const auto voidFix = [this]() {
        valid = 0;
        return false;
    };

    if (!nextField()) // hhmmss or hhmmss.ss
        return voidFix();
    hour = static_cast<std::int8_t>(ReadTwoDigits(field, 0));
    minute = static_cast<std::int8_t>(ReadTwoDigits(field, 2));
    second = static_cast<std::int8_t>(ReadTwoDigits(field, 4));

    if (!nextField())
        return voidFix();
    valid = !field.empty() && field.front() == 'A' ? 1 : 0;

    if (!nextField())
        return voidFix();
    latitude = static_cast<float>(ReadDecimal(field));
    if (!nextField())
        return voidFix();
    if (field.empty() || field.front() != 'N')
        latitude = -latitude;

    if (!nextField())
        return voidFix();
    longitude = static_cast<float>(ReadDecimal(field));
    if (!nextField())
        return voidFix();
    if (field.empty() || field.front() != 'E')
        longitude = -longitude;

    if (!nextField())
        return voidFix();
    speed = static_cast<float>(ReadDecimal(field) * kKmPerHourPerKnot);
    if (!nextField())
        return voidFix();
    course = static_cast<float>(ReadDecimal(field));

    if (!nextField()) // ddmmyy
        return voidFix();
    day = static_cast<std::int8_t>(ReadTwoDigits(field, 0));
    month = static_cast<std::int8_t>(ReadTwoDigits(field, 2));
    year = static_cast<std::int8_t>(ReadTwoDigits(field, 4));

    // Two-digit years 70..99 are 1970..1999, 00..69 are 2000..2069.
    const int calendarYear = 1900 + (year + 30) % 100 + 70;
    fixTime = UtcToEpochSeconds(calendarYear, month, day, hour, minute, second);
    return valid != 0;
}

} // namespace media
