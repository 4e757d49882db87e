#pragma once

#include "media/AviReadStats.h"

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <vector>

namespace media {

// Sequential reading of a recording through one window of the file. A read inside the window
// costs nothing; a read outside it fills the window from the read position with one call to
// the file. Skips only move the position, as a seek does: a position past the end is allowed
// and makes the next read fail. Every byte that comes from the file is counted.
class AviFileSource
{
public:
    explicit AviFileSource(std::size_t windowSize);

    // Opens a regular file for reading; a null path, a directory or a device fails.
    bool Open(const char *path);

    // Reads exactly `count` bytes at the position and moves past them; false (and nothing
    // moved) when the file ends first.
    bool Read(void *destination, std::size_t count);

    // Moves the position by `delta` bytes; fails only for a position before the start.
    bool Skip(std::int64_t delta);

    std::int64_t Position() const { return m_position; }
    std::int64_t Size() const { return m_size; }
    const AviReadStats &Stats() const { return m_stats; }

private:
    bool FillWindow(std::size_t atLeast);

    std::ifstream m_file;
    std::vector<char> m_window;
    std::size_t m_windowSize;
    std::int64_t m_windowStart = 0;
    std::size_t m_windowLength = 0;
    std::int64_t m_position = 0;
    std::int64_t m_size = 0;
    AviReadStats m_stats;
};

} // namespace media
