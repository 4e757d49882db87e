// A listing whose names, times and lengths an attacker chooses, grouped into trips: the text up to
// the first NUL byte is the listing (as `tavin-cli list` prints it), the bytes after it choose the
// moments located and the summaries merged. Every invariant the trips document is checked.

#include "FuzzTrips.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <limits>

namespace {

library::RecordingSummary MakeSummary(FuzzedDataProvider &input)
{
    library::RecordingSummary summary;
    summary.read = input.ConsumeBool();
    summary.fixes = input.ConsumeIntegral<int>();
    summary.distanceM = input.ConsumeFloatingPoint<double>();
    summary.maxSpeedKmh = input.ConsumeFloatingPoint<double>();
    if (input.ConsumeBool())
        summary.utcOffsetSeconds = input.ConsumeIntegral<int>();
    // Track and impacts come in time order, as SummarizeTelemetry makes them.
    int64_t time = input.ConsumeIntegralInRange<int64_t>(-100'000, 100'000);
    double distance = 0;
    for (int n = input.ConsumeIntegralInRange(0, 40); n > 0; --n) {
        time += input.ConsumeIntegralInRange<int64_t>(0, 70'000);
        distance += input.ConsumeFloatingPoint<double>();
        summary.track.push_back({ time, distance });
    }
    time = input.ConsumeIntegral<int32_t>();
    for (int n = input.ConsumeIntegralInRange(0, 10); n > 0; --n) {
        time += input.ConsumeIntegralInRange<int64_t>(0, 70'000);
        summary.impactsMs.push_back(time);
    }
    return summary;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype end = bytes.indexOf('\0');
    const std::vector<library::Recording> listing = fuzz::ReadListing(end < 0 ? bytes : bytes.left(end));
    FuzzedDataProvider input(data + (end < 0 ? size : size_t(end) + 1), end < 0 ? 0 : size - size_t(end) - 1);

    library::TripModel model;
    model.Build(listing);
    fuzz::CheckModel(model, listing.size());

    for (const library::Trip &trip : model.Trips()) {
        const int64_t duration = trip.DurationMs();
        for (int64_t t : { int64_t(-1), int64_t(0), duration - 1, duration,
                 std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max() })
            fuzz::CheckLocate(trip, t);
        for (int step = 1; step <= 32; ++step)
            fuzz::CheckLocate(trip, duration / 33 * step);
        // Each stretch's first and last moment.
        for (const library::TripSegment &segment : trip.timeline) {
            fuzz::CheckLocate(trip, segment.tripMs);
            fuzz::CheckLocate(trip, segment.tripMs + segment.lengthMs - 1);
        }
        trip.StartText();
        trip.EndText();
    }

    // Summaries for listed files (some twice, which replaces the first) and for names in no trip.
    while (input.remaining_bytes() > 0) {
        const bool listed = !listing.empty() && input.ConsumeBool();
        const QString path = listed
            ? listing[input.ConsumeIntegralInRange<size_t>(0, listing.size() - 1)].path
            : QString::fromStdString(input.ConsumeRandomLengthString(40));
        const library::RecordingSummary summary = MakeSummary(input);
        const int trip = model.MergeSummary(path, summary);
        fuzz::Require(trip == model.Find(path).trip);
        if (trip >= 0) {
            const library::Trip &merged = model.Trips()[size_t(trip)];
            fuzz::CheckTrip(merged);
            fuzz::Require(merged.impacts >= 0);
            merged.StartText();
            for (int64_t t = 0; t < merged.DurationMs(); t += std::max<int64_t>(1, merged.DurationMs() / 8))
                fuzz::CheckLocate(merged, t);
        }
    }
    return 0;
}
