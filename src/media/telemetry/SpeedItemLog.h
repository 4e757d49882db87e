#pragma once

#include "media/telemetry/CSpeedItem.h"

#include <cstddef>
#include <vector>

namespace media {

// The speed gauge's items as the telemetry loader hands them out, kept in order to be handed to
// the gauge later: the loader runs on a worker, the gauge lives on the UI thread.
class SpeedItemLog final : public ISpeedItemSink
{
public:
    void Add(const CSpeedItem &item) override;
    void Update(const CSpeedItem &item) override;

    // Hands every item to the sink, as Add or Update, in the order they came.
    void ReplayInto(ISpeedItemSink &sink) const;
    size_t Size() const { return m_entries.size(); }
    bool IsEmpty() const { return m_entries.empty(); }
    bool operator==(const SpeedItemLog &other) const { return m_entries == other.m_entries; }

private:
    struct Entry {
        bool update = false;
        CSpeedItem item;

        bool operator==(const Entry &) const = default;
    };
    std::vector<Entry> m_entries;
};

} // namespace media
