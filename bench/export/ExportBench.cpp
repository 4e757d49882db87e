// Evidence clip export of a whole minute of 1080p front and 720p rear at 30 frames per second,
// with the rear inset and the caption, against the clock:
//
//   noisy road    recordings like a recorder's (H.264 at 8 and 4 Mbit/s, a key frame per second,
//                 AAC sound) of a picture with moving noise, as hard to compress as a road's;
//                 made with Debian's ffmpeg on the first run and kept in the temporary folder
//   sample card   the sample recorder's own recordings with their GPS track (an easy picture)
//
// Counters: realtime = seconds of recording exported per second of wall time (above 1 is faster
// than real time), MB_per_min = size of the clip per minute of recording, cpu_per_s = processor
// seconds (user and system, all threads) per second of recording, which does not depend on what
// else the machine runs: below the number of free cores, the export outruns real time.

#include "media/export/ClipExporter.h"
#include "media/recorder/SampleDrive.h"
#include "media/recorder/SampleRecordingWriter.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>

#include <sys/resource.h>

#include <cstdio>

extern "C" {
#include <libavutil/log.h>
}

namespace {

QDir MediaFolder()
{
    const QDir folder(QDir::temp().filePath(QStringLiteral("tavin-export-bench-media")));
    folder.mkpath(QStringLiteral("."));
    return folder;
}

QString MakeNoisy(const QString &name, const QString &size, const QString &rate)
{
    const QString path = MediaFolder().filePath(name);
    if (QFileInfo(path).size() > 0)
        return path;
    const QString part = path + QStringLiteral(".part");
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
        { "-v", "error", "-y", "-f", "lavfi", "-i",
            QStringLiteral("testsrc2=s=%1:r=30:d=60,noise=alls=10:allf=t").arg(size), "-f", "lavfi", "-i",
            "sine=frequency=440:sample_rate=48000:d=60", "-c:v", "libx264", "-preset", "veryfast", "-g", "30",
            "-b:v", rate, "-maxrate", rate, "-bufsize", rate, "-pix_fmt", "yuv420p", "-c:a", "aac", "-b:a",
            "128k", "-shortest", "-f", "avi", part });
    if (!ffmpeg.waitForFinished(-1) || ffmpeg.exitCode() != 0 || !QFile::rename(part, path)) {
        fprintf(stderr, "ffmpeg failed: %s\n", ffmpeg.readAllStandardError().constData());
        return {};
    }
    return path;
}

QString MakeSample(char channel)
{
    using namespace media::recorder;
    SampleRecordingPlan plan;
    plan.kind = 'N';
    plan.durationMs = 60000;
    plan.startUtcMs = 1'709'802'330'000;
    const QString path = MediaFolder().filePath(plan.FileName(channel));
    if (QFileInfo(path).size() > 0)
        return path;
    const SampleDrive drive(7, 61);
    SampleRecordingWriter writer(plan, drive, 3, SampleVideoCodec::Automatic, 2);
    const SampleRecordingWriter::Channel format = channel == 'F'
        ? SampleRecordingWriter::Channel { 'F', 1920, 1080, true, true }
        : SampleRecordingWriter::Channel { 'R', 1280, 720, false, false };
    if (!writer.Write(path, format)) {
        fprintf(stderr, "sample recorder failed: %s\n", qPrintable(writer.ErrorString()));
        return {};
    }
    return path;
}

double ProcessorSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void Export(benchmark::State &state, const QString &front, const QString &rear)
{
    if (front.isEmpty() || rear.isEmpty()) {
        state.SkipWithError("no recordings");
        return;
    }
    av_log_set_level(AV_LOG_ERROR);
    media::ClipExportOptions options;
    options.frontPath = front;
    options.rearPath = rear;
    // Clips never go into the recordings' own folder.
    const QDir clips(QDir::temp().filePath(QStringLiteral("tavin-export-bench-clips")));
    clips.mkpath(QStringLiteral("."));
    options.outputPath = clips.filePath(QStringLiteral("clip.mp4"));
    double seconds = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        const double cpuBefore = ProcessorSeconds();
        media::ClipExporter exporter;
        if (exporter.Run(options) != media::ClipExporter::Outcome::Done) {
            state.SkipWithError(qPrintable(exporter.ErrorString()));
            return;
        }
        state.SetIterationTime(timer.nsecsElapsed() / 1e9);
        seconds = exporter.WrittenMs() / 1000.0;
        state.counters["realtime"] = seconds / (timer.nsecsElapsed() / 1e9);
        state.counters["cpu_per_s"] = (ProcessorSeconds() - cpuBefore) / seconds;
        state.counters["MB_per_min"] = QFileInfo(options.outputPath).size() / 1e6 / (seconds / 60);
    }
    state.counters["media_s"] = seconds;
}

void NoisyRoad(benchmark::State &state)
{
    Export(state, MakeNoisy(QStringLiteral("20240307_090530_FN.AVI"), QStringLiteral("1920x1080"), "8M"),
        MakeNoisy(QStringLiteral("20240307_090530_RN.AVI"), QStringLiteral("1280x720"), "4M"));
}

void SampleCard(benchmark::State &state)
{
    Export(state, MakeSample('F'), MakeSample('R'));
}

} // namespace

BENCHMARK(NoisyRoad)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(SampleCard)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

int main(int argc, char **argv)
{
    // The caption is drawn with Qt's fonts, which need an application object.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
