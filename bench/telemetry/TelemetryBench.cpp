// Loading the telemetry of a one-minute front recording, as the main window does right after
// opening a recording: open the reader (index scan and record reads) and drain it into the GPS
// track, the G-sensor samples and the speed gauge. Target: under 5 ms.
//
// The recording has the recorder's layout at a recorder's size: 1800 video chunks of 40 KB
// (about 10 Mbit/s), the AAC audio chunks and the telemetry chunks in time order, with the
// telemetry of the sample recorder. The video bytes are placeholders: the reader never reads
// them. Set TAVIN_BENCH_RECORDING to a real recording to measure that instead.

#include "media/recorder/AviWriter.h"
#include "media/recorder/PowerLossCut.h"
#include "media/recorder/SampleDrive.h"
#include "media/recorder/SampleRecordingPlan.h"
#include "media/recorder/SampleTelemetry.h"
#include "media/telemetry/TelemetryFormat.h"
#include "media/telemetry/TelemetryLoader.h"
#include "media/telemetry/TelemetryReader.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

namespace {

using namespace media;
using namespace media::recorder;

constexpr int kDurationMs = 60000;

class CountingGauge : public ISpeedItemSink
{
public:
    void Add(const CSpeedItem &) override { ++items; }
    void Update(const CSpeedItem &) override { ++items; }
    int items = 0;
};

QString WriteRecording(const QString &path, bool withIndex)
{
    SampleRecordingPlan plan;
    plan.kind = 'S';
    plan.durationMs = kDurationMs;
    plan.impactMs = 20000;
    plan.impactStrength = 40;
    const SampleDrive drive(11, 70);
    const std::vector<SampleTelemetryRecord> records = SampleTelemetry::Build(plan, drive, 5);

    AviWriter writer;
    AviWriter::VideoFormat video;
    video.width = 1920;
    video.height = 1080;
    AviWriter::AudioFormat audio;
    audio.extraData = { 0x14, 0x08 };
    if (!writer.Open(path, video, audio))
        return {};
    const std::vector<uint8_t> frame(40 * 1024, 0x5A);
    const std::vector<uint8_t> audioFrame(256, 0x21);
    size_t nextRecord = 0;
    int audioFrames = 0;
    for (int i = 0; i < kDurationMs * 30 / 1000; ++i) {
        const double t = i * 1000.0 / 30;
        std::vector<uint8_t> body;
        for (; nextRecord < records.size() && records[nextRecord].timeMs <= t; ++nextRecord)
            telemetry::AppendRecord(body, records[nextRecord].timeMs, records[nextRecord].payload);
        if (!body.empty())
            writer.WriteChunk(telemetry::kChunkId, body.data(), body.size(), 0);
        for (; audioFrames * 64.0 <= t; ++audioFrames)
            writer.WriteAudio(audioFrame.data(), audioFrame.size());
        writer.WriteVideo(frame.data(), frame.size(), i % 30 == 0);
    }
    if (!writer.Finish())
        return {};
    // Without the index the file is the one a power loss leaves: no idx1, sizes and counts 0.
    if (!withIndex && !CutLikePowerLoss(path, {}, nullptr))
        return {};
    return path;
}

struct Recordings {
    QTemporaryDir dir;
    QString indexed;
    QString unindexed;
    Recordings()
    {
        if (const char *real = std::getenv("TAVIN_BENCH_RECORDING")) {
            indexed = unindexed = QString::fromLocal8Bit(real);
            return;
        }
        indexed = WriteRecording(dir.filePath(QStringLiteral("indexed.avi")), true);
        unindexed = WriteRecording(dir.filePath(QStringLiteral("unindexed.avi")), false);
    }
};

const Recordings &SharedRecordings()
{
    static const Recordings r;
    return r;
}

void OpenReader(benchmark::State &state, const QString &path, TelemetryReader::ChunkSource expected)
{
    if (path.isEmpty()) {
        state.SkipWithError("could not write the recording");
        return;
    }
    for (auto _ : state) {
        TelemetryReader reader;
        if (!reader.Open(path)) {
            state.SkipWithError("open failed");
            return;
        }
        benchmark::DoNotOptimize(reader.RecordCount());
        state.counters["records"] = double(reader.RecordCount());
        if (reader.Stats().source != expected && !std::getenv("TAVIN_BENCH_RECORDING")) {
            state.SkipWithError("unexpected chunk source");
            return;
        }
    }
}

void BM_OpenThroughIndex(benchmark::State &state)
{
    OpenReader(state, SharedRecordings().indexed, TelemetryReader::ChunkSource::Index);
}
BENCHMARK(BM_OpenThroughIndex)->Unit(benchmark::kMillisecond);

void BM_OpenThroughChunkWalk(benchmark::State &state)
{
    OpenReader(state, SharedRecordings().unindexed, TelemetryReader::ChunkSource::ChunkWalk);
}
BENCHMARK(BM_OpenThroughChunkWalk)->Unit(benchmark::kMillisecond);

// What the main window pays: open and load into track, samples and gauge.
void BM_LoadTelemetryOneMinute(benchmark::State &state)
{
    const QString path = SharedRecordings().indexed;
    if (path.isEmpty()) {
        state.SkipWithError("could not write the recording");
        return;
    }
    for (auto _ : state) {
        TelemetryReader reader;
        reader.Open(path);
        CGPSArray track;
        std::vector<GSensorSample> samples;
        CountingGauge gauge;
        const auto result = TelemetryLoader::Load(&reader, kDurationMs, track, samples, &gauge);
        benchmark::DoNotOptimize(result);
        state.counters["fixes"] = track.GetSize();
        state.counters["samples"] = double(samples.size());
    }
}
BENCHMARK(BM_LoadTelemetryOneMinute)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
