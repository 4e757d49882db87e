#include "media/telemetry/ImpactDetector.h"

#include "media/telemetry/TelemetryExport.h"

#include <algorithm>
#include <cmath>

namespace media {

namespace {

    // A press of next or previous while playback stands on a jump target (or just ran past it)
    // moves on to the neighbour instead of staying.
    constexpr int64_t kNextToleranceMs = 300;
    constexpr int64_t kPreviousToleranceMs = 1000;

    double Median(std::vector<uint32_t> values)
    {
        const size_t middle = values.size() / 2;
        std::nth_element(values.begin(), values.begin() + std::ptrdiff_t(middle), values.end());
        const double upper = values[middle];
        if (values.size() % 2)
            return upper;
        const double lower = *std::max_element(values.begin(), values.begin() + std::ptrdiff_t(middle));
        return (lower + upper) / 2;
    }

} // namespace

std::vector<GSensorSample> ImpactDetector::CollectSamples(IStreamParseData &source)
{
    std::vector<GSensorSample> samples;
    for (const TelemetryExportEntry &entry : TelemetryExport::Collect(source)) {
        if (entry.kind == telemetry::RecordKind::GSensor)
            samples.push_back(entry.sample);
    }
    return samples;
}

std::array<double, 3> ImpactDetector::RestingLevel(const std::vector<GSensorSample> &samples)
{
    if (samples.empty())
        return { 0, 0, 0 };
    std::array<std::vector<uint32_t>, 3> axes;
    for (auto &axis : axes)
        axis.reserve(samples.size());
    for (const GSensorSample &s : samples) {
        axes[0].push_back(s.x);
        axes[1].push_back(s.y);
        axes[2].push_back(s.z);
    }
    return { Median(std::move(axes[0])), Median(std::move(axes[1])), Median(std::move(axes[2])) };
}

std::vector<Impact> ImpactDetector::Detect(const std::vector<GSensorSample> &samples, double threshold)
{
    std::vector<Impact> impacts;
    const std::array<double, 3> rest = RestingLevel(samples);
    // The reader hands records out sorted; a source that does not must not split or skip impacts.
    std::vector<GSensorSample> sorted = samples;
    std::stable_sort(sorted.begin(), sorted.end(),
        [](const GSensorSample &a, const GSensorSample &b) { return a.timeMs < b.timeMs; });

    uint32_t lastAboveMs = 0;
    for (const GSensorSample &s : sorted) {
        const double distance = std::hypot(s.x - rest[0], s.y - rest[1], s.z - rest[2]);
        if (distance <= threshold)
            continue;
        if (!impacts.empty() && s.timeMs - lastAboveMs < kMergeGapMs) {
            if (distance > impacts.back().strength)
                impacts.back() = { s.timeMs, distance };
        } else {
            impacts.push_back({ s.timeMs, distance });
        }
        lastAboveMs = s.timeMs;
    }
    return impacts;
}

int64_t ImpactDetector::JumpTarget(const Impact &impact)
{
    return std::max<int64_t>(0, int64_t(impact.timeMs) - kLeadMs);
}

std::optional<size_t> ImpactDetector::Next(const std::vector<Impact> &impacts, int64_t positionMs)
{
    for (size_t i = 0; i < impacts.size(); ++i) {
        if (JumpTarget(impacts[i]) > positionMs + kNextToleranceMs)
            return i;
    }
    return std::nullopt;
}

std::optional<size_t> ImpactDetector::Previous(const std::vector<Impact> &impacts, int64_t positionMs)
{
    for (size_t i = impacts.size(); i-- > 0;) {
        if (JumpTarget(impacts[i]) < positionMs - kPreviousToleranceMs)
            return i;
    }
    return std::nullopt;
}

} // namespace media
