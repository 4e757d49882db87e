// Playback graph figures on recordings like a recorder's: a minute of 1080p front and 720p rear
// video at 30 frames per second (H.264, a key frame per second) with AAC sound. The files are
// made with Debian's ffmpeg on the first run and kept in the temporary folder.
//
//   open to first picture   Open() of the front file until its first picture is on screen
//   open cut recording      the same for a copy cut as by a power loss (no index, no lengths),
//                           whose pictures are counted at opening
//   open both channels      front and rear until both first pictures are ready: one after the
//                           other on the calling thread (Open), or prepared side by side on two
//                           workers and attached afterwards (NewGraph, Prepare, Adopt)
//   decode throughput       the graph flat out (no clock) into a window painting at 60 Hz,
//                           against `ffmpeg -i FILE -f null -`, best of three turns each
//   two channels at 2.0     front and rear in step at rate 2, share of late pictures dropped
//   convert for display     one 1080p picture to 32-bit RGB at the main view's size, as the
//                           renderer does for every picture it shows
//   CPU at rate 1.0         user + system time per second of playback (getrusage), against
//                           `ffmpeg -re` decoding the same files to null right after

#include <benchmark/benchmark.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPainter>
#include <QProcess>

#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "media/playback/CVideoPlayer.h"
#include "media/playback/ColourConverterFilter.h"
#include "media/playback/FrameHandoff.h"
#include "media/playback/VideoSurface.h"
#include "media/recorder/PowerLossCut.h"

namespace {

using Clock = std::chrono::steady_clock;

// A window of the main view's size that takes its pictures like a UI thread painting at 60 Hz,
// and paints each one over its area as the video window does.
class BenchSurface final : public media::VideoSurface
{
public:
    explicit BenchSurface(QSize size)
        : m_size(size)
    {
    }
    ~BenchSurface() override { Stop(); }
    QSize ClientSize() const override { return m_size; }
    void AttachFrames(std::shared_ptr<media::FrameHandoff> frames) override
    {
        Stop();
        if (!frames)
            return;
        m_stop = false;
        m_painter = std::thread([this, frames] {
            QImage backing(m_size, QImage::Format_RGB32);
            while (!m_stop) {
                if (auto picture = frames->TakeLatest()) {
                    QPainter painter(&backing);
                    painter.drawImage(backing.rect(), picture->image);
                    ++m_painted;
                }
                std::this_thread::sleep_for(std::chrono::microseconds(16667));
            }
        });
    }
    void RepaintVideo() override { }
    int64_t Painted() const { return m_painted; }

private:
    void Stop()
    {
        m_stop = true;
        if (m_painter.joinable())
            m_painter.join();
    }

    QSize m_size;
    std::thread m_painter;
    std::atomic<bool> m_stop { false };
    std::atomic<int64_t> m_painted { 0 };
};

QString MakeRecording(const QString &name, const QString &size, int seconds)
{
    const QDir folder(QDir::temp().filePath(QStringLiteral("tavin-playback-bench-media")));
    folder.mkpath(QStringLiteral("."));
    const QString path = folder.filePath(name);
    if (QFileInfo(path).size() > 0)
        return path;
    const QString part = path + QStringLiteral(".part");
    // Moving noise makes the pictures as hard to compress as a road's.
    const QString video
        = QStringLiteral("testsrc2=s=%1:r=30:d=%2,noise=alls=10:allf=t").arg(size).arg(seconds);
    const QString audio = QStringLiteral("sine=frequency=440:sample_rate=48000:d=%1").arg(seconds);
    // A recorder's encoder holds its rate second by second (8 Mbit/s front, 4 Mbit/s rear).
    const QString rate = size.startsWith(QLatin1String("1920")) ? QStringLiteral("8M") : QStringLiteral("4M");
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
        { "-v", "error", "-y", "-f", "lavfi", "-i", video, "-f", "lavfi", "-i", audio, "-c:v", "libx264",
            "-preset", "veryfast", "-g", "30", "-b:v", rate, "-maxrate", rate, "-bufsize", rate, "-pix_fmt",
            "yuv420p", "-c:a", "aac", "-b:a", "128k", "-shortest", "-f", "avi", part });
    if (!ffmpeg.waitForFinished(-1) || ffmpeg.exitCode() != 0 || !QFile::rename(part, path)) {
        fprintf(stderr, "ffmpeg failed: %s\n", ffmpeg.readAllStandardError().constData());
        return {};
    }
    return path;
}

const QString &Front()
{
    static const QString path
        = MakeRecording(QStringLiteral("front-1080p-60s-v2.avi"), QStringLiteral("1920x1080"), 60);
    return path;
}

const QString &Rear()
{
    static const QString path
        = MakeRecording(QStringLiteral("rear-720p-60s-v2.avi"), QStringLiteral("1280x720"), 60);
    return path;
}

const QString &CutFront()
{
    static const QString path = [] {
        const QString whole = Front();
        const QString cut
            = QDir(QFileInfo(whole).path()).filePath(QStringLiteral("front-1080p-60s-v2-cut.avi"));
        if (whole.isEmpty() || QFileInfo(cut).size() > 0)
            return whole.isEmpty() ? QString() : cut;
        QString error;
        if (!QFile::copy(whole, cut) || !media::recorder::CutLikePowerLoss(cut, {}, &error)) {
            fprintf(stderr, "cutting failed: %s\n", qPrintable(error));
            QFile::remove(cut);
            return QString();
        }
        return cut;
    }();
    return path;
}

const QSize kMainView(976, 548);
const QSize kSecondView(374, 243);

template <typename Condition> bool WaitFor(Condition condition, std::chrono::seconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    while (!condition()) {
        if (Clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

double CpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void OpenToFirstPicture(benchmark::State &state, const QString &(*recording)())
{
    const QString path = recording();
    if (path.isEmpty()) {
        state.SkipWithError("no recording");
        return;
    }
    BenchSurface window(kMainView);
    for (auto _ : state) {
        media::CVideoPlayer player(media::AudioOutputFactory {});
        player.SetWindows(&window);
        const auto start = Clock::now();
        const bool opened = player.Open(path);
        const auto elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        if (!opened || player.Graph()->Stats().framesShown < 1) {
            state.SkipWithError("open failed");
            return;
        }
        state.SetIterationTime(elapsed);
    }
}
BENCHMARK_CAPTURE(OpenToFirstPicture, Whole, &Front)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);
BENCHMARK_CAPTURE(OpenToFirstPicture, Cut, &CutFront)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

// Front then rear on this thread, or both prepared at once on two workers as the main window's
// opening does; the figure ends when both players hold their first pictures.
void OpenBothChannels(benchmark::State &state, bool sideBySide)
{
    const QString front = Front();
    const QString rear = Rear();
    if (front.isEmpty() || rear.isEmpty()) {
        state.SkipWithError("no recording");
        return;
    }
    BenchSurface frontWindow(kMainView);
    BenchSurface rearWindow(kSecondView);
    for (auto _ : state) {
        media::CVideoPlayer frontPlayer(media::AudioOutputFactory {});
        media::CVideoPlayer rearPlayer(media::AudioOutputFactory {});
        frontPlayer.SetWindows(&frontWindow);
        rearPlayer.SetWindows(&rearWindow);
        rearPlayer.SetReadsTelemetry(false); // as the main window's rear player
        const auto start = Clock::now();
        bool opened = false;
        if (sideBySide) {
            std::unique_ptr<media::CVideoGraph> frontGraph = frontPlayer.NewGraph();
            std::unique_ptr<media::CVideoGraph> rearGraph = rearPlayer.NewGraph();
            media::PlaybackResult frontBuilt = media::kPlaybackFail;
            std::thread rearWorker([&] {
                const media::PlaybackResult rearBuilt = rearGraph->Prepare(rear, { kSecondView });
                if (!media::PlaybackSucceeded(rearBuilt))
                    rearGraph.reset();
            });
            frontBuilt = frontGraph->Prepare(front, { kMainView });
            rearWorker.join();
            opened = media::PlaybackSucceeded(frontBuilt) && rearGraph;
            frontPlayer.Adopt(std::move(frontGraph));
            rearPlayer.Adopt(std::move(rearGraph));
        } else {
            opened = frontPlayer.Open(front) && rearPlayer.Open(rear);
        }
        const auto elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        if (!opened || frontPlayer.Graph()->Stats().framesShown < 1
            || rearPlayer.Graph()->Stats().framesShown < 1) {
            state.SkipWithError("open failed");
            return;
        }
        state.SetIterationTime(elapsed);
    }
}
BENCHMARK_CAPTURE(OpenBothChannels, OneAfterTheOther, false)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);
BENCHMARK_CAPTURE(OpenBothChannels, SideBySide, true)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

struct RunCost {
    double wallSeconds = 0;
    double cpuSeconds = 0;
};

double ChildCpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_CHILDREN, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

RunCost FfmpegNull(const QString &path)
{
    QProcess ffmpeg;
    const double cpuBefore = ChildCpuSeconds();
    const auto start = Clock::now();
    ffmpeg.start(QStringLiteral("ffmpeg"), { "-v", "error", "-i", path, "-f", "null", "-" });
    ffmpeg.waitForFinished(-1);
    return { std::chrono::duration<double>(Clock::now() - start).count(), ChildCpuSeconds() - cpuBefore };
}

// ffmpeg -re decoding every file to nothing at once for the given seconds, one process each.
RunCost FfmpegRealTime(const QStringList &paths, int seconds)
{
    std::vector<std::unique_ptr<QProcess>> processes;
    const double cpuBefore = ChildCpuSeconds();
    const auto start = Clock::now();
    for (const QString &path : paths) {
        processes.push_back(std::make_unique<QProcess>());
        processes.back()->start(QStringLiteral("ffmpeg"),
            { "-v", "error", "-re", "-an", "-t", QString::number(seconds), "-i", path, "-f", "null", "-" });
    }
    for (auto &process : processes)
        process->waitForFinished(-1);
    return { std::chrono::duration<double>(Clock::now() - start).count(), ChildCpuSeconds() - cpuBefore };
}

RunCost GraphFlatOut(const QString &path, const QSize &windowSize, int64_t *pictures)
{
    BenchSurface window(windowSize);
    media::CVideoPlayer player(media::AudioOutputFactory {});
    player.SetWindows(&window);
    player.Open(path);
    media::CVideoGraph *graph = player.Graph();
    graph->SetSyncEnabled(false);
    const double cpuBefore = CpuSeconds();
    const auto start = Clock::now();
    player.Play();
    if (!WaitFor([&] { return graph->Stats().videoEnded; }, std::chrono::seconds(600)))
        return {};
    RunCost cost { std::chrono::duration<double>(Clock::now() - start).count(), CpuSeconds() - cpuBefore };
    *pictures = graph->Stats().framesShown;
    return cost;
}

// The machine is shared, so the graph and ffmpeg take turns and each keeps its best run.
void DecodeThroughput(benchmark::State &state)
{
    const QString path = Front();
    if (path.isEmpty()) {
        state.SkipWithError("no recording");
        return;
    }
    constexpr int kRounds = 3;
    RunCost graphBest { 1e9, 1e9 };
    RunCost ffmpegBest { 1e9, 1e9 };
    int64_t pictures = 0;
    for (auto _ : state) {
        for (int round = 0; round < kRounds; ++round) {
            const RunCost graph = GraphFlatOut(path, kMainView, &pictures);
            if (graph.wallSeconds <= 0) {
                state.SkipWithError("playback did not end");
                return;
            }
            const RunCost ffmpeg = FfmpegNull(path);
            graphBest = { std::min(graphBest.wallSeconds, graph.wallSeconds),
                std::min(graphBest.cpuSeconds, graph.cpuSeconds) };
            ffmpegBest = { std::min(ffmpegBest.wallSeconds, ffmpeg.wallSeconds),
                std::min(ffmpegBest.cpuSeconds, ffmpeg.cpuSeconds) };
        }
        state.SetIterationTime(graphBest.wallSeconds);
    }
    const double frames = static_cast<double>(pictures);
    state.counters["graph_fps"] = frames / graphBest.wallSeconds;
    state.counters["ffmpeg_fps"] = frames / ffmpegBest.wallSeconds;
    state.counters["graph_vs_ffmpeg_%"] = 100.0 * ffmpegBest.wallSeconds / graphBest.wallSeconds;
    state.counters["graph_cpu_ms_per_frame"] = 1000.0 * graphBest.cpuSeconds / frames;
    state.counters["ffmpeg_cpu_ms_per_frame"] = 1000.0 * ffmpegBest.cpuSeconds / frames;
}
BENCHMARK(DecodeThroughput)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

void TwoChannelsAtRate2(benchmark::State &state)
{
    const QString front = Front();
    const QString rear = Rear();
    if (front.isEmpty() || rear.isEmpty()) {
        state.SkipWithError("no recording");
        return;
    }
    BenchSurface frontWindow(kMainView);
    BenchSurface rearWindow(kSecondView);
    for (auto _ : state) {
        media::CVideoPlayer frontPlayer(media::AudioOutputFactory {});
        media::CVideoPlayer rearPlayer(media::AudioOutputFactory {});
        frontPlayer.SetWindows(&frontWindow);
        rearPlayer.SetWindows(&rearWindow);
        frontPlayer.Open(front);
        rearPlayer.Open(rear);
        frontPlayer.SetRate(2.0f);
        rearPlayer.SetRate(2.0f);
        const auto start = Clock::now();
        frontPlayer.Play();
        rearPlayer.Play();
        const int64_t duration = frontPlayer.GetDuration();
        WaitFor([&] { return frontPlayer.GetPosition() >= duration; }, std::chrono::seconds(120));
        const double wall = std::chrono::duration<double>(Clock::now() - start).count();
        const media::PlaybackStats a = frontPlayer.Graph()->Stats();
        const media::PlaybackStats b = rearPlayer.Graph()->Stats();
        state.SetIterationTime(wall);
        const double shown = static_cast<double>(a.framesShown + b.framesShown);
        const double dropped = static_cast<double>(a.framesDropped + b.framesDropped);
        state.counters["front_dropped_%"]
            = 100.0 * a.framesDropped / std::max<int64_t>(1, a.framesShown + a.framesDropped);
        state.counters["rear_dropped_%"]
            = 100.0 * b.framesDropped / std::max<int64_t>(1, b.framesShown + b.framesDropped);
        state.counters["dropped_%"] = 100.0 * dropped / std::max(1.0, shown + dropped);
        state.counters["media_s_per_wall_s"] = static_cast<double>(duration) / 1e7 / wall;
        state.counters["front_rear_gap_ms"]
            = static_cast<double>(frontPlayer.GetPosition() - rearPlayer.GetPosition()) / 1e4;
    }
}
BENCHMARK(TwoChannelsAtRate2)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

void ConvertForDisplay(benchmark::State &state)
{
    media::ffmpeg::FramePtr picture = media::ffmpeg::MakeFrame();
    picture->format = AV_PIX_FMT_YUV420P;
    picture->width = 1920;
    picture->height = 1080;
    if (av_frame_get_buffer(picture.get(), 0) < 0) {
        state.SkipWithError("no picture");
        return;
    }
    // Something that is not flat, so no shortcut can apply.
    for (int plane = 0; plane < 3; ++plane) {
        const int rows = plane == 0 ? 1080 : 540;
        for (int y = 0; y < rows; ++y)
            for (int x = 0; x < picture->linesize[plane]; ++x)
                picture->data[plane][y * picture->linesize[plane] + x] = static_cast<uint8_t>(x * 7 + y * 3);
    }
    media::ColourConverterFilter converter(QStringLiteral("converter"));
    for (auto _ : state) {
        QImage image = converter.ConvertForDisplay(picture.get(), kMainView);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(ConvertForDisplay)->Unit(benchmark::kMillisecond);

void CpuAtRate1(benchmark::State &state)
{
    const bool bothChannels = state.range(0) != 0;
    const QString front = Front();
    const QString rear = Rear();
    BenchSurface frontWindow(kMainView);
    BenchSurface rearWindow(kSecondView);
    constexpr int kSeconds = 15;
    for (auto _ : state) {
        media::CVideoPlayer frontPlayer(media::AudioOutputFactory {});
        media::CVideoPlayer rearPlayer(media::AudioOutputFactory {});
        frontPlayer.SetWindows(&frontWindow);
        rearPlayer.SetWindows(&rearWindow);
        frontPlayer.Open(front);
        if (bothChannels)
            rearPlayer.Open(rear);
        const double cpuBefore = CpuSeconds();
        const auto start = Clock::now();
        frontPlayer.Play();
        rearPlayer.Play();
        std::this_thread::sleep_for(std::chrono::seconds(kSeconds));
        const double cpu = CpuSeconds() - cpuBefore;
        const double wall = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(wall);
        state.counters["cpu_%_of_one_core"] = 100.0 * cpu / wall;
        const media::PlaybackStats a = frontPlayer.Graph()->Stats();
        state.counters["dropped"] = static_cast<double>(a.framesDropped);
        frontPlayer.Close();
        rearPlayer.Close();

        // The same files decoded at their own pace by ffmpeg, for the share the graph adds on top
        // of decoding. The graph has no sound device here, so ffmpeg leaves the sound out too.
        QStringList files { front };
        if (bothChannels)
            files << rear;
        const RunCost ffmpeg = FfmpegRealTime(files, kSeconds);
        const double ffmpegShare = 100.0 * ffmpeg.cpuSeconds / ffmpeg.wallSeconds;
        state.counters["ffmpeg_re_cpu_%_of_one_core"] = ffmpegShare;
        state.counters["graph_vs_ffmpeg_re_cpu"] = (100.0 * cpu / wall) / ffmpegShare;
    }
}
BENCHMARK(CpuAtRate1)
    ->Arg(0)
    ->Arg(1)
    ->ArgNames({ "both_channels" })
    ->UseManualTime()
    ->Unit(benchmark::kSecond)
    ->Iterations(1);

} // namespace

BENCHMARK_MAIN();
