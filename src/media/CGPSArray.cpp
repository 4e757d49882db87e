#include "media/CGPSArray.h"

namespace media {

int CGPSArray::Add(const CGps &fix)
{
    m_fixes.push_back(fix);
    return GetSize() - 1;
}

int CGPSArray::FindIndexAt(std::uint32_t timeMs) const
{
    // A plain forward scan rather than a binary search: it gives the same answer on a track
    // in time order and stays well defined if a recorder ever stored fixes out of order.
    for (std::size_t i = 1; i < m_fixes.size(); ++i) {
        if (m_fixes[i].timeMs > timeMs)
            return static_cast<int>(i - 1);
    }
    return m_fixes.empty() ? 0 : GetSize() - 1;
}

} // namespace media
