// Arbitrary bytes as a recording's telemetry: the reader (index or chunk walk) and the loader
// that turns its records into the GPS track, the G-sensor samples and the gauge's speeds, and the
// impact detection over all of the G-sensor readings.

#include "FuzzFile.h"
#include "media/CGPSArray.h"
#include "media/telemetry/CSpeedItem.h"
#include "media/telemetry/ImpactDetector.h"
#include "media/telemetry/TelemetryLoader.h"
#include "media/telemetry/TelemetryReader.h"

#include <vector>

namespace {
class SpeedSink final : public media::ISpeedItemSink
{
public:
    void Add(const media::CSpeedItem &item) override { m_items.push_back(item); }
    void Update(const media::CSpeedItem &item) override
    {
        if (!m_items.empty())
            m_items.back() = item;
    }
    std::vector<media::CSpeedItem> m_items;
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = fuzz::WriteInput(data, size, QStringLiteral("fuzz-telemetry.avi"));
    if (path.isEmpty())
        return 0;
    media::TelemetryReader reader;
    if (!reader.Open(path))
        return 0;
    media::CGPSArray track;
    std::vector<media::GSensorSample> samples;
    SpeedSink speed;
    // The duration bounds what the loader keeps; a minute is what the recorder writes.
    media::TelemetryLoader::Load(&reader, 60'000, track, samples, &speed);
    for (uint32_t t = 0; t <= 60'000; t += 7'500)
        track.FindIndexAt(t);
    reader.SetRecordRange(0, -1);
    const auto impacts = media::ImpactDetector::Detect(media::ImpactDetector::CollectSamples(reader));
    for (int64_t t = 0; t <= 60'000; t += 7'500) {
        media::ImpactDetector::Next(impacts, t);
        media::ImpactDetector::Previous(impacts, t);
    }
    return 0;
}
