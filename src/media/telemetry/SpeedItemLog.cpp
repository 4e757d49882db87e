#include "media/telemetry/SpeedItemLog.h"

namespace media {

void SpeedItemLog::Add(const CSpeedItem &item)
{
    m_entries.push_back({ false, item });
}

void SpeedItemLog::Update(const CSpeedItem &item)
{
    m_entries.push_back({ true, item });
}

void SpeedItemLog::ReplayInto(ISpeedItemSink &sink) const
{
    for (const Entry &entry : m_entries) {
        if (entry.update)
            sink.Update(entry.item);
        else
            sink.Add(entry.item);
    }
}

} // namespace media
