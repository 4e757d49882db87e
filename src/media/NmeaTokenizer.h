#pragma once

#include <optional>
#include <string_view>

namespace media {

// Splits one NMEA sentence at commas. Unlike strtok it keeps empty fields ("a,,b" gives
// "a", "", "b"), because an RMC sentence from a receiver without a fix is mostly empty
// fields and the field's position, not its content, says what it is. Only commas before
// the first field are skipped. The position lives in the object, so two sentences can be
// split at the same time.
class NmeaTokenizer
{
public:
    explicit NmeaTokenizer(std::string_view text);

    // The next field, or nothing once the last field (the rest of the text) was returned.
    std::optional<std::string_view> Next();

private:
    std::string_view m_text;
    std::size_t m_position = 0;
    bool m_started = false;
    bool m_finished = false;
};

} // namespace media
