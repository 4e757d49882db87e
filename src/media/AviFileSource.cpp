#include "media/AviFileSource.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace media {

AviFileSource::AviFileSource(std::size_t windowSize)
    : m_windowSize(std::max<std::size_t>(windowSize, 64))
{
}

bool AviFileSource::Open(const char *path)
{
    if (!path)
        return false;
    std::error_code error;
    const std::filesystem::path filePath(path);
    if (!std::filesystem::is_regular_file(filePath, error))
        return false;
    const std::uintmax_t fileSize = std::filesystem::file_size(filePath, error);
    if (error)
        return false;
    // Our own window replaces the stream's buffer, so that the counted bytes are the bytes read.
    m_file.rdbuf()->pubsetbuf(nullptr, 0);
    m_file.open(filePath, std::ios::in | std::ios::binary);
    if (!m_file.is_open())
        return false;
    m_size = static_cast<std::int64_t>(fileSize);
    return true;
}

bool AviFileSource::FillWindow(std::size_t atLeast)
{
    // Nothing to gain from reading a tail that cannot hold what is asked for.
    if (m_position < 0 || m_position + static_cast<std::int64_t>(atLeast) > m_size)
        return false;
    const std::size_t wanted = static_cast<std::size_t>(std::min<std::int64_t>(
        static_cast<std::int64_t>(std::max(m_windowSize, atLeast)), m_size - m_position));
    if (m_window.size() < wanted)
        m_window.resize(wanted);
    m_file.clear();
    m_file.seekg(m_position);
    m_file.read(m_window.data(), static_cast<std::streamsize>(wanted));
    const std::streamsize got = m_file.gcount();
    ++m_stats.readCalls;
    m_stats.bytesRead += static_cast<std::uint64_t>(std::max<std::streamsize>(got, 0));
    m_windowStart = m_position;
    m_windowLength = static_cast<std::size_t>(std::max<std::streamsize>(got, 0));
    return m_windowLength >= atLeast;
}

bool AviFileSource::Read(void *destination, std::size_t count)
{
    if (!m_file.is_open())
        return false;
    const bool inWindow = m_position >= m_windowStart
        && m_position + static_cast<std::int64_t>(count)
            <= m_windowStart + static_cast<std::int64_t>(m_windowLength);
    if (!inWindow && !FillWindow(count))
        return false;
    std::memcpy(destination, m_window.data() + (m_position - m_windowStart), count);
    m_position += static_cast<std::int64_t>(count);
    return true;
}

bool AviFileSource::Skip(std::int64_t delta)
{
    if (delta < 0 ? m_position + delta < 0 : m_position > INT64_MAX - delta)
        return false;
    m_position += delta;
    return true;
}

} // namespace media
