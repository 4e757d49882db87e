// Grouping a full card's listing into trips: 2,000 listed files (front and rear) as a recorder leaves
// them after a week: drives of minute-long recordings with event and manual recordings in them, and
// parking recordings between the drives. Grouping runs on the UI thread when a listing arrives, so it
// must stay well below a frame's worth of waiting for a card this size (target: under 50 ms).

#include "library/TripModel.h"

#include <QDateTime>
#include <QTimeZone>

#include <benchmark/benchmark.h>

#include <random>

namespace {

std::vector<library::Recording> WeekOfRecordings(int files)
{
    std::mt19937 random(11);
    std::vector<library::Recording> listing;
    QDateTime clock(QDate(2024, 3, 4), QTime(7, 30, 0), QTimeZone::utc());
    const auto add = [&](const char *folder, const QDateTime &start, char kind, int seconds) {
        for (const char channel : { 'F', 'R' }) {
            library::Recording recording;
            recording.path = QStringLiteral("/media/card/%1/").arg(QLatin1String(folder))
                + start.toString(QStringLiteral("yyyyMMdd_HHmmss_")) + QLatin1Char(channel)
                + QLatin1Char(kind) + QStringLiteral(".AVI");
            recording.lengthSeconds = seconds;
            listing.push_back(recording);
        }
    };
    while (int(listing.size()) < files) {
        // A drive of 20 to 60 minutes, with the odd event and manual recording.
        const int minutes = 20 + int(random() % 41);
        for (int m = 0; m < minutes && int(listing.size()) < files; ++m) {
            add("NORMAL", clock, 'N', 59 + int(random() % 2));
            if (random() % 15 == 0)
                add("EVENT", clock.addSecs(int(random() % 40)), 'S', 20);
            if (random() % 40 == 0)
                add("MANUAL", clock.addSecs(int(random() % 40)), 'U', 30);
            clock = clock.addSecs(60);
        }
        // Parked for some hours, with a few knocks and passers-by.
        const int parkedS = 2 * 3600 + int(random() % (10 * 3600));
        for (int p = int(random() % 4); p > 0 && int(listing.size()) < files; --p)
            add("PARKING", clock.addSecs(int(random() % parkedS)), random() % 2 ? 'P' : 'M', 20);
        clock = clock.addSecs(parkedS);
    }
    listing.resize(size_t(files));
    // The listing walks folder by folder, not in time order.
    std::shuffle(listing.begin(), listing.end(), random);
    return listing;
}

void groupTrips(benchmark::State &state)
{
    const std::vector<library::Recording> listing = WeekOfRecordings(int(state.range(0)));
    size_t trips = 0;
    for (auto _ : state) {
        library::TripModel model;
        model.Build(listing);
        trips = model.Trips().size();
        benchmark::DoNotOptimize(trips);
    }
    state.counters["trips"] = double(trips);
    state.counters["files"] = double(listing.size());
}

} // namespace

BENCHMARK(groupTrips)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
