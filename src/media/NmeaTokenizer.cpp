#include "media/NmeaTokenizer.h"

namespace media {

NmeaTokenizer::NmeaTokenizer(std::string_view text)
    : m_text(text)
{
}

std::optional<std::string_view> NmeaTokenizer::Next()
{
    if (m_finished)
        return std::nullopt;
    if (!m_started) {
        m_started = true;
        while (m_position < m_text.size() && m_text[m_position] == ',')
            ++m_position;
    }
    const std::size_t comma = m_text.find(',', m_position);
    if (comma == std::string_view::npos) {
        m_finished = true;
        return m_text.substr(m_position);
    }
    const std::string_view field = m_text.substr(m_position, comma - m_position);
    m_position = comma + 1;
    return field;
}

} // namespace media
