#include "library/RecordingSummary.h"

#include "library/LibraryLog.h"
#include "media/CGps.h"
#include "media/RecorderClock.h"
#include "media/telemetry/ImpactDetector.h"
#include "media/telemetry/TelemetryExport.h"
#include "media/telemetry/TelemetryReader.h"

#include <algorithm>
#include <cmath>

namespace library {

namespace {

    constexpr double kEarthRadiusM = 6371008.8; // mean radius
    constexpr double kPi = 3.14159265358979323846;
    // Below this both fixes of a step say the car stands: the step is the receiver's noise.
    constexpr double kStandingKmh = 2.0;

    double Radians(double degrees)
    {
        return degrees * kPi / 180.0;
    }

    bool PlausiblePosition(double latitude, double longitude)
    {
        return std::isfinite(latitude) && std::isfinite(longitude) && std::abs(latitude) <= 90.0
            && std::abs(longitude) <= 180.0;
    }

} // namespace

double HaversineMetres(double latitude1, double longitude1, double latitude2, double longitude2)
{
    const double dLat = Radians(latitude2 - latitude1);
    const double dLon = Radians(longitude2 - longitude1);
    const double a = std::sin(dLat / 2) * std::sin(dLat / 2)
        + std::cos(Radians(latitude1)) * std::cos(Radians(latitude2)) * std::sin(dLon / 2)
            * std::sin(dLon / 2);
    return 2 * kEarthRadiusM * std::atan2(std::sqrt(a), std::sqrt(std::max(0.0, 1 - a)));
}

double RecordingSummary::DistanceBetween(int64_t fromMs, int64_t toMs) const
{
    if (track.empty() || toMs <= fromMs)
        return 0;
    const auto at = [this](int64_t t) {
        const auto next = std::upper_bound(
            track.begin(), track.end(), t, [](int64_t v, const TrackPoint &p) { return v < p.timeMs; });
        if (next == track.begin())
            return track.front().distanceM;
        if (next == track.end())
            return track.back().distanceM;
        const TrackPoint &before = *std::prev(next);
        const double share = double(t - before.timeMs) / double(next->timeMs - before.timeMs);
        return before.distanceM + share * (next->distanceM - before.distanceM);
    };
    return std::max(0.0, at(toMs) - at(fromMs));
}

int RecordingSummary::ImpactsBetween(int64_t fromMs, int64_t toMs) const
{
    const auto first = std::lower_bound(impactsMs.begin(), impactsMs.end(), fromMs);
    const auto last = std::lower_bound(impactsMs.begin(), impactsMs.end(), toMs);
    return last > first ? int(last - first) : 0;
}

RecordingSummary SummarizeRecording(const QString &frontPath)
{
    RecordingSummary summary;
    media::TelemetryReader reader;
    if (!reader.Open(frontPath)) {
        qCWarning(lcLibrary) << "no telemetry to sum up in" << frontPath;
        return summary;
    }
    const std::vector<media::TelemetryExportEntry> entries = media::TelemetryExport::Collect(reader);
    reader.Close();
    return SummarizeTelemetry(frontPath, entries);
}

RecordingSummary SummarizeTelemetry(
    const QString &frontPath, const std::vector<media::TelemetryExportEntry> &entries)
{
    RecordingSummary summary;
    summary.read = true;
    std::vector<media::CGps> fixes;
    std::vector<media::GSensorSample> samples;
    for (const media::TelemetryExportEntry &entry : entries) {
        if (entry.kind == media::telemetry::RecordKind::Gps && entry.fix.IsValid())
            fixes.push_back(entry.fix);
        else if (entry.kind == media::telemetry::RecordKind::GSensor)
            samples.push_back(entry.sample);
    }
    std::stable_sort(fixes.begin(), fixes.end(),
        [](const media::CGps &a, const media::CGps &b) { return a.timeMs < b.timeMs; });

    summary.utcOffsetSeconds = media::RecorderClock(frontPath, fixes).UtcOffsetSeconds();
    for (const media::Impact &impact : media::ImpactDetector::Detect(samples))
        summary.impactsMs.push_back(impact.timeMs);
    std::sort(summary.impactsMs.begin(), summary.impactsMs.end());

    const media::CGps *previous = nullptr;
    double previousLatitude = 0;
    double previousLongitude = 0;
    for (const media::CGps &fix : fixes) {
        const double latitude = media::CoordinateToDegrees(fix.latitude);
        const double longitude = media::CoordinateToDegrees(fix.longitude);
        if (!PlausiblePosition(latitude, longitude))
            continue;
        ++summary.fixes;
        if (std::isfinite(fix.speed) && fix.speed <= kPlausibleSpeedKmh)
            summary.maxSpeedKmh = std::max(summary.maxSpeedKmh, double(fix.speed));
        if (previous) {
            const double step = HaversineMetres(previousLatitude, previousLongitude, latitude, longitude);
            const double seconds = (double(fix.timeMs) - double(previous->timeMs)) / 1000.0;
            // The receiver's speed comes from the carrier's Doppler shift and holds still when
            // the car does; its position wanders a few metres all the same.
            const bool standing = fix.speed < kStandingKmh && previous->speed < kStandingKmh;
            if (seconds > 0 && !standing && step / seconds * 3.6 <= kPlausibleSpeedKmh)
                summary.distanceM += step;
        }
        summary.track.push_back({ int64_t(fix.timeMs), summary.distanceM });
        previous = &fix;
        previousLatitude = latitude;
        previousLongitude = longitude;
    }
    return summary;
}

} // namespace library
