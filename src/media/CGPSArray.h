#pragma once

#include "media/CGps.h"

#include <cstdint>
#include <vector>

namespace media {

// The valid fixes of the open recording, in arrival order (which is time-stamp order).
class CGPSArray
{
public:
    int GetSize() const { return static_cast<int>(m_fixes.size()); }
    bool IsEmpty() const { return m_fixes.empty(); }
    int Add(const CGps &fix); // returns the new element's index
    void RemoveAll() { m_fixes.clear(); }

    const CGps &GetAt(int index) const { return m_fixes[static_cast<std::size_t>(index)]; }
    CGps &ElementAt(int index) { return m_fixes[static_cast<std::size_t>(index)]; }
    const CGps &operator[](int index) const { return GetAt(index); }
    CGps &operator[](int index) { return ElementAt(index); }

    // The index of the fix to show at playback time t (ms from the start): the last fix whose
    // time stamp is not after t; the first fix when t lies before all of them; 0 when empty.
    int FindIndexAt(std::uint32_t timeMs) const;

    std::vector<CGps>::const_iterator begin() const { return m_fixes.begin(); }
    std::vector<CGps>::const_iterator end() const { return m_fixes.end(); }

private:
    std::vector<CGps> m_fixes;
};

} // namespace media
