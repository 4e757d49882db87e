// The archive (src/archive) at the size of a user's collection.
//
// - indexCold: 2,000 one-minute front recordings indexed into an empty archive on a worker thread
//   (target: under 30 s). The recordings carry what a recorder writes apart from the pictures: a
//   full minute of telemetry (GPS each second, G-sensor at 10 Hz, from the sample recorder's drive
//   model), 1,800 video chunks and the index, as the sample recorder lays them out; each video chunk
//   is 16 bytes instead of a picture, since indexing never reads pictures. The files are made once
//   and kept in <temp>/tavin-bench-archive; they are in the system's file cache when measured, so
//   this measures the program, not a card reader. Counters: the share of the time spent reading
//   telemetry (on up to four readers) against writing the archive.
// - reopenListAndTrips: with nothing changed, opening that archive again and getting what the
//   archive window shows first: the sources, the days with drives and every day's trips with their
//   summaries (target: under 0.3 s). refreshUnchanged: the same archive refreshed from its folder,
//   which lists the folder again (one header read per file) and reads nothing else.
// - placeQuery: the passes within 50 m of a place on the simulated loop in an archive of 1,000,020
//   GPS points (16,667 recordings of a minute), inserted through ArchiveWriter straight from the
//   drive model without files (target: under 50 ms). The car drives the same loop all the time, so
//   the place is passed at every lap: the worst case of a daily commute.

#include "archive/ArchiveBlobs.h"
#include "archive/ArchiveIndex.h"
#include "archive/ArchiveWriter.h"
#include "archive/RecordingRead.h"
#include "archive/TrackShape.h"
#include "media/recorder/AviWriter.h"
#include "media/recorder/SampleDrive.h"
#include "media/recorder/SampleRecordingPlan.h"
#include "media/recorder/SampleRecordingWriter.h"
#include "media/recorder/SampleTelemetry.h"
#include "media/telemetry/TelemetryFormat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimeZone>

#include <benchmark/benchmark.h>

#include <thread>

using namespace media::recorder;

namespace {

constexpr int kRecordings = 2000;
constexpr int kRecordingSeconds = 60;
constexpr int kPointRecordings = 16667;
constexpr uint64_t kSeed = 9;
// 2024-03-04 07:30 on the recorder's clock (UTC+9).
constexpr int64_t kFirstStartUtcMs = 1'709'505'000'000;

QString Folder()
{
    return QDir::temp().filePath(QStringLiteral("tavin-bench-archive"));
}

const SampleDrive &Drive()
{
    static const SampleDrive drive(kSeed, 4 * 3600);
    return drive;
}

// Two drives a day of 40 one-minute recordings each; drive seconds run on through the drive model.
SampleRecordingPlan PlanOf(int index)
{
    const int drive = index / 40;
    const int minute = index % 40;
    const int64_t dayMs = int64_t(drive / 2) * 24 * 3600 * 1000;
    const int64_t driveStartMs = dayMs + (drive % 2 ? 9 * 3600 * 1000LL : 0);
    SampleRecordingPlan plan;
    plan.folder = QStringLiteral("NORMAL");
    plan.kind = 'N';
    plan.startUtcMs = kFirstStartUtcMs + driveStartMs + int64_t(minute) * kRecordingSeconds * 1000;
    plan.durationMs = kRecordingSeconds * 1000;
    plan.driveStartS = double((index * kRecordingSeconds) % (Drive().DurationSeconds() - kRecordingSeconds));
    plan.hasRear = false;
    return plan;
}

bool WriteRecording(const QString &path, const SampleRecordingPlan &plan)
{
    const std::vector<SampleTelemetryRecord> records = SampleTelemetry::Build(plan, Drive(), kSeed);
    AviWriter avi;
    AviWriter::VideoFormat video;
    video.width = 1920;
    video.height = 1080;
    if (!avi.Open(path, video, std::nullopt))
        return false;
    const std::vector<uint8_t> picture(16, 0);
    size_t next = 0;
    const int frames = plan.durationMs * SampleRecordingWriter::kFramesPerSecond / 1000;
    for (int frame = 0; frame < frames; ++frame) {
        const double timeMs = frame * 1000.0 / SampleRecordingWriter::kFramesPerSecond;
        std::vector<uint8_t> body;
        while (next < records.size() && records[next].timeMs <= timeMs) {
            media::telemetry::AppendRecord(body, records[next].timeMs, records[next].payload);
            ++next;
        }
        if ((!body.empty() && !avi.WriteChunk(media::telemetry::kChunkId, body.data(), body.size(), 0))
            || !avi.WriteVideo(picture.data(), picture.size(), frame % 30 == 0))
            return false;
    }
    return avi.Finish();
}

QString Card()
{
    static const QString root = [] {
        const QString card = Folder() + QStringLiteral("/card");
        for (int i = 0; i < kRecordings; ++i) {
            const SampleRecordingPlan plan = PlanOf(i);
            const QString path = QDir(card).filePath(plan.RelativePath('F'));
            if (QFileInfo::exists(path))
                continue;
            QDir().mkpath(QFileInfo(path).path());
            if (!WriteRecording(path, plan))
                return QString();
        }
        return card;
    }();
    return root;
}

QString IndexedArchive()
{
    return Folder() + QStringLiteral("/indexed.sqlite");
}

void RemoveArchive(const QString &path)
{
    for (const char *suffix : { "", "-wal", "-shm" })
        QFile::remove(path + QLatin1String(suffix));
}

void indexCold(benchmark::State &state)
{
    const QString card = Card();
    if (card.isEmpty()) {
        state.SkipWithError("cannot write the recordings");
        return;
    }
    archive::IndexReport report;
    bool ok = true;
    for (auto _ : state) {
        RemoveArchive(IndexedArchive());
        std::thread worker([&] {
            archive::ArchiveIndex index;
            ok = index.Open(IndexedArchive()) && index.AddFolder(card, false, nullptr, {}, &report);
        });
        worker.join();
    }
    if (!ok || report.added != kRecordings) {
        state.SkipWithError("indexing failed");
        return;
    }
    state.counters["total_s"] = report.totalSeconds;
    state.counters["telemetry_s"] = report.telemetrySeconds;
    state.counters["telemetry_share"] = report.telemetrySeconds / report.totalSeconds;
}

void reopenListAndTrips(benchmark::State &state)
{
    if (!QFileInfo::exists(IndexedArchive())) {
        state.SkipWithError("run indexCold first");
        return;
    }
    size_t trips = 0;
    for (auto _ : state) {
        archive::ArchiveIndex index;
        if (!index.Open(IndexedArchive())) {
            state.SkipWithError("cannot open");
            return;
        }
        trips = 0;
        benchmark::DoNotOptimize(index.Sources());
        for (const QDate &day : index.DaysWithDrives())
            trips += index.TripsOn(day).size();
    }
    state.counters["trips"] = double(trips);
}

void refreshUnchanged(benchmark::State &state)
{
    archive::ArchiveIndex index;
    if (!QFileInfo::exists(IndexedArchive()) || !index.Open(IndexedArchive())) {
        state.SkipWithError("run indexCold first");
        return;
    }
    const qint64 id = index.SourceIdOf(Card());
    archive::IndexReport report;
    for (auto _ : state)
        index.Refresh(id, nullptr, {}, &report);
    state.counters["unchanged"] = report.unchanged;
}

// An archive of a million points from the drive model, made once.
QString PointArchive()
{
    const QString path = Folder() + QStringLiteral("/points.sqlite");
    if (QFileInfo::exists(path))
        return path;
    const QString building = path + QStringLiteral(".part");
    RemoveArchive(building);
    {
        archive::ArchiveIndex index;
        if (!index.Open(building))
            return QString();
        archive::ArchiveWriter writer(index.ConnectionName());
        if (!writer.Begin())
            return QString();
        const qint64 source
            = writer.AddSource(QStringLiteral("/nowhere/points"), QStringLiteral("points"), false);
        for (int i = 0; i < kPointRecordings; ++i) {
            SampleRecordingPlan plan = PlanOf(i);
            archive::RecordingRead read;
            read.ok = true;
            read.realLengthMs = plan.durationMs;
            for (int s = 0; s < kRecordingSeconds; ++s) {
                const DriveState at = Drive().At(plan.driveStartS + s);
                read.points.push_back(
                    { s * 1000 + 200, at.latitude, at.longitude, float(at.speedKmh), float(at.courseDeg) });
            }
            read.track = archive::EncodeTrack(
                read.points, archive::SimplifyTrack(read.points, archive::kTrackToleranceM));
            archive::ArchiveWriter::RecordingRow row;
            row.sourceId = source;
            row.path = QStringLiteral("/nowhere/points/NORMAL/") + plan.FileName('F');
            row.listedSeconds = kRecordingSeconds;
            if (writer.WriteRecording(row, read) == 0)
                return QString();
            if (i % 1000 == 999 && !(writer.Commit() && writer.Begin()))
                return QString();
        }
        if (!writer.GroupTrips(source) || !writer.Commit())
            return QString();
    }
    return QFile::rename(building, path) ? path : QString();
}

void placeQuery(benchmark::State &state)
{
    const QString path = PointArchive();
    archive::ArchiveIndex index;
    if (path.isEmpty() || !index.Open(path)) {
        state.SkipWithError("cannot build the archive of points");
        return;
    }
    const DriveState place = Drive().At(1234);
    size_t passes = 0;
    for (auto _ : state)
        passes = index.PassesNear(place.latitude, place.longitude, 50).size();
    state.counters["passes"] = double(passes);
}

} // namespace

BENCHMARK(indexCold)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(reopenListAndTrips)->Unit(benchmark::kMillisecond);
BENCHMARK(refreshUnchanged)->Unit(benchmark::kMillisecond);
BENCHMARK(placeQuery)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
