#pragma once

#include <atomic>

namespace media {

// Every seek starts a new epoch. Packets, pictures and samples carry the epoch they were read in;
// anything stamped with an older one belongs to the position before the seek and is thrown away.
class SeekEpoch
{
public:
    int Current() const { return m_value.load(std::memory_order_acquire); }
    int Advance() { return m_value.fetch_add(1, std::memory_order_acq_rel) + 1; }

private:
    std::atomic<int> m_value { 0 };
};

} // namespace media
