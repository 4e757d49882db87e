#include "app/TripTelemetry.h"

#include "app/AppLog.h"
#include "library/TripModel.h"
#include "media/telemetry/TelemetryReader.h"

#include <algorithm>

namespace {

// Hands the loader's speed items on to another sink, moved by a fixed time and kept to a window.
class ShiftedSpeedSink final : public media::ISpeedItemSink
{
public:
    ShiftedSpeedSink(media::ISpeedItemSink &target, int64_t fromMs, int64_t toMs, int64_t shiftMs)
        : m_target(target)
        , m_fromMs(fromMs)
        , m_toMs(toMs)
        , m_shiftMs(shiftMs)
    {
    }
    void Add(const media::CSpeedItem &item) override
    {
        if (const auto shifted = Shift(item))
            m_target.Add(*shifted);
    }
    void Update(const media::CSpeedItem &item) override
    {
        if (const auto shifted = Shift(item))
            m_target.Update(*shifted);
    }

private:
    std::optional<media::CSpeedItem> Shift(media::CSpeedItem item) const
    {
        if (item.timeMs < m_fromMs || item.timeMs >= m_toMs)
            return std::nullopt;
        item.timeMs = int32_t(item.timeMs + m_shiftMs);
        return item;
    }

    media::ISpeedItemSink &m_target;
    int64_t m_fromMs;
    int64_t m_toMs;
    int64_t m_shiftMs;
};

bool Within(int64_t timeMs, int64_t fromMs, int64_t toMs)
{
    return timeMs >= fromMs && timeMs < toMs;
}

} // namespace

OpenedRecording LoadTripTelemetry(const library::Trip &trip, const std::atomic_bool *cancel)
{
    OpenedRecording merged;
    merged.durationMs = trip.DurationMs();
    if (!trip.recordings.empty()) {
        merged.frontPath = trip.recordings.front().path;
        merged.rearPath = trip.recordings.front().rearPath;
    }
    for (const library::TripSegment &segment : trip.timeline) {
        if (cancel && *cancel)
            break;
        if (segment.IsGap() || segment.lengthMs <= 0)
            continue;
        const library::TripRecording &recording = trip.recordings[size_t(segment.recording)];
        media::TelemetryReader reader;
        if (!reader.Open(recording.path)) {
            qCInfo(lcApp) << "no telemetry in the trip's recording" << recording.path;
            continue;
        }
        const int64_t from = segment.recordingMs;
        const int64_t to = segment.recordingMs + segment.lengthMs;
        const int64_t shift = segment.tripMs - segment.recordingMs;
        // The whole file is read: the loader's length bounds the graph's samples, not the window.
        const int64_t readMs = std::max(recording.lengthMs, to) + library::TripModel::kRoundingMs;

        media::CGPSArray fixes;
        std::vector<media::GSensorSample> samples;
        ShiftedSpeedSink speeds(merged.speeds, from, to, shift);
        merged.telemetry = media::TelemetryLoader::Load(&reader, readMs, fixes, samples, &speeds);
        for (media::CGps fix : fixes) {
            if (!Within(fix.timeMs, from, to))
                continue;
            fix.timeMs = uint32_t(fix.timeMs + shift);
            merged.gps.Add(fix);
        }
        for (media::GSensorSample sample : samples) {
            if (!Within(sample.timeMs, from, to))
                continue;
            sample.timeMs = uint32_t(sample.timeMs + shift);
            merged.samples.push_back(sample);
        }
        reader.SetRecordRange(0, -1);
        for (media::Impact impact :
            media::ImpactDetector::Detect(media::ImpactDetector::CollectSamples(reader))) {
            if (!Within(impact.timeMs, from, to))
                continue;
            impact.timeMs = uint32_t(impact.timeMs + shift);
            merged.impacts.push_back(impact);
        }
    }
    merged.opened = true;
    return merged;
}
