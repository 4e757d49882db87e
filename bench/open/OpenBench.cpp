// Opening a recording as the main window does, without the window: from the request to the first
// pictures of both channels handed to their video windows, and how long the UI thread was kept
// busy meanwhile.
//
//   Synchronous  what the window did on a row click so far: OpenFront, the rear search opening
//                candidates in the rear player, the length, the telemetry and the impacts, then
//                the repaint at the windows' sizes, all on the UI thread
//   Async        DualPlayback::OpenAsync, the UI thread running its event loop until done
//
// on three recordings: card (a short recording of our sample recorder, 1080p front and 720p
// rear with telemetry, as bench_mainwindow clicks), noisy (ten seconds of 1080p at 8 Mbit/s and
// 720p at 4 Mbit/s of moving noise, hard to decode as a road's pictures are) and cut (the card's
// recording cut by a power loss, measured packet by packet when opened). "playing" opens while
// another recording plays, so its players are closed first. The counters give the median and
// the 90th percentile in ms, of the whole opening and of the longest the UI thread was busy.

#include "app/DualPlayback.h"
#include "library/RecordingLibrary.h"
#include "media/playback/FrameHandoff.h"
#include "media/playback/VideoSurface.h"
#include "media/recorder/SampleCardGenerator.h"
#include "media/recorder/SampleCardSetup.h"
#include "media/telemetry/ImpactDetector.h"
#include "media/telemetry/TelemetryLoader.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

extern "C" {
#include <libavutil/log.h>
}

namespace {

using media::recorder::SampleRecordingPlan;

constexpr uint64_t kSeed = 11;
constexpr int kOpenings = 30;
constexpr int kGiveUpMs = 5000;
const QSize kMainView(976, 548);
const QSize kSecondView(374, 243);

QDir BenchFolder()
{
    const QDir folder(QDir::temp().filePath(QStringLiteral("tavin-bench-open")));
    folder.mkpath(QStringLiteral("."));
    return folder;
}

struct Recordings {
    QString card; // front files with a rear file
    QString cardOther; // another one, opened before when "playing"
    QString cut;
    QString noisy;
};

bool MakeCard(Recordings &recordings)
{
    const QDir folder = BenchFolder();
    media::recorder::SampleCardOptions options;
    options.directory = folder.filePath(QStringLiteral("card"));
    options.seed = kSeed;
    options.writeSetup
        = [](const QString &path, QString *error) { return WriteSampleSetupXml(path, kSeed, error); };
    media::recorder::SampleCardGenerator generator(options);
    const std::vector<SampleRecordingPlan> plans = generator.Plan();
    const QString stamp = folder.filePath(QStringLiteral("card-complete"));
    if (!QFile::exists(stamp)) {
        QDir(options.directory).removeRecursively();
        std::fprintf(stderr, "writing the sample card to %s\n", qPrintable(options.directory));
        if (!generator.Generate()) {
            std::fprintf(stderr, "sample card: %s\n", qPrintable(generator.ErrorString()));
            return false;
        }
        QFile(stamp).open(QIODevice::WriteOnly);
    }
    for (const SampleRecordingPlan &plan : plans) {
        const QString front = QDir(options.directory).filePath(plan.RelativePath('F'));
        if (plan.cutByPowerLoss)
            recordings.cut = front;
        else if (plan.hasRear && recordings.card.isEmpty())
            recordings.card = front;
        else if (plan.hasRear && recordings.cardOther.isEmpty())
            recordings.cardOther = front;
    }
    return !recordings.card.isEmpty() && !recordings.cardOther.isEmpty() && !recordings.cut.isEmpty();
}

// Ten seconds of noise at a recorder's rates, front and rear under the recorder's names.
bool MakeNoisy(Recordings &recordings)
{
    const QDir folder(BenchFolder().filePath(QStringLiteral("noisy")));
    folder.mkpath(QStringLiteral("."));
    struct Channel {
        const char *name;
        const char *size;
        const char *rate;
    };
    for (const Channel &channel : { Channel { "20240101_120000_FN.AVI", "1920x1080", "8M" },
             Channel { "20240101_120000_RN.AVI", "1280x720", "4M" } }) {
        const QString path = folder.filePath(QString::fromLatin1(channel.name));
        if (QFileInfo(path).size() > 0)
            continue;
        const QString part = path + QStringLiteral(".part");
        QProcess ffmpeg;
        ffmpeg.start(QStringLiteral("ffmpeg"),
            { "-v", "error", "-y", "-f", "lavfi", "-i",
                QStringLiteral("testsrc2=s=%1:r=30:d=10,noise=alls=10:allf=t").arg(channel.size), "-f",
                "lavfi", "-i", "sine=frequency=440:sample_rate=48000:d=10", "-c:v", "libx264", "-preset",
                "veryfast", "-g", "30", "-b:v", channel.rate, "-maxrate", channel.rate, "-bufsize",
                channel.rate, "-pix_fmt", "yuv420p", "-c:a", "aac", "-b:a", "128k", "-shortest", "-f", "avi",
                part });
        if (!ffmpeg.waitForFinished(-1) || ffmpeg.exitCode() != 0 || !QFile::rename(part, path)) {
            std::fprintf(stderr, "ffmpeg failed: %s\n", ffmpeg.readAllStandardError().constData());
            return false;
        }
    }
    recordings.noisy = folder.filePath(QStringLiteral("20240101_120000_FN.AVI"));
    return true;
}

// A video window that notes when a picture waits for it; the real one paints it on the next
// turn of the event loop.
class BenchSurface final : public media::VideoSurface
{
public:
    explicit BenchSurface(QSize size)
        : m_size(size)
    {
    }
    ~BenchSurface() override
    {
        Detach();
        if (m_frames)
            m_frames->SetListener({});
    }
    QSize ClientSize() const override { return m_size; }
    void AttachFrames(std::shared_ptr<media::FrameHandoff> frames) override
    {
        if (m_frames)
            m_frames->SetListener({});
        m_frames = std::move(frames);
        if (m_frames)
            m_frames->SetListener([this] { m_pictures.fetch_add(1); });
    }
    void RepaintVideo() override
    {
        if (m_frames)
            m_frames->TakeLatest();
    }
    int64_t Pictures() const { return m_pictures.load(); }

private:
    QSize m_size;
    std::shared_ptr<media::FrameHandoff> m_frames;
    std::atomic<int64_t> m_pictures { 0 };
};

struct Fixture {
    BenchSurface front { kMainView };
    BenchSurface rear { kSecondView };
    DualPlayback playback { media::AudioOutputFactory {} };

    Fixture() { playback.SetSurfaces(&front, &rear); }

    // Runs the event loop until the condition holds; *longestMs, when given, receives the longest
    // turn of the loop (the UI thread busy with one event).
    template <typename Condition> static bool RunUntil(Condition done, double *longestMs = nullptr)
    {
        QElapsedTimer timer;
        timer.start();
        // The loop sleeps between events, as the window's does, and wakes at least this often:
        // spinning would take a core from the decoders.
        QTimer wake;
        wake.start(2);
        while (!done() && timer.elapsed() < kGiveUpMs) {
            QElapsedTimer turn;
            turn.start();
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
            if (longestMs)
                *longestMs = std::max(*longestMs, double(turn.nsecsElapsed()) / 1e6);
        }
        return done();
    }
};

struct Opening {
    bool ok = false;
    double totalMs = 0;
    double uiBusyMs = 0; // the longest stretch the UI thread spent in the opening's calls
};

double MsSince(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

Opening OpenSynchronously(Fixture &fixture, const QString &front)
{
    QElapsedTimer timer;
    timer.start();
    const int64_t frontBefore = fixture.front.Pictures();
    const int64_t rearBefore = fixture.rear.Pictures();
    DualPlayback &playback = fixture.playback;
    if (!playback.OpenFront(front))
        return {};
    library::RecordingLibrary library;
    const QString rear
        = library.FindRearFile(front, [&](const QString &path) { return playback.OpenRear(path); });
    playback.Refresh();
    media::CGPSArray gps;
    std::vector<media::GSensorSample> samples;
    media::SpeedItemLog speeds;
    media::IStreamParseData *telemetry = playback.Player(DualPlayback::kFront).GetStreamParseData();
    media::TelemetryLoader::Load(telemetry, playback.DurationMs(), gps, samples, &speeds);
    if (telemetry) {
        telemetry->SetRecordRange(0, -1);
        benchmark::DoNotOptimize(
            media::ImpactDetector::Detect(media::ImpactDetector::CollectSamples(*telemetry)).size());
    }
    const double busy = MsSince(timer);
    const bool shown = Fixture::RunUntil([&] {
        return fixture.front.Pictures() > frontBefore
            && (rear.isEmpty() || fixture.rear.Pictures() > rearBefore);
    });
    return { shown && !rear.isEmpty(), MsSince(timer), busy };
}

Opening OpenAsynchronously(Fixture &fixture, const QString &front)
{
    QElapsedTimer timer;
    timer.start();
    const int64_t frontBefore = fixture.front.Pictures();
    const int64_t rearBefore = fixture.rear.Pictures();
    std::optional<OpenedRecording> opened;
    const bool started
        = fixture.playback.OpenAsync(front, RecordingOpener::RearSearch(library::RecordingLibrary()),
            [&](const OpenedRecording &recording) { opened = recording; });
    double busy = MsSince(timer);
    if (!started)
        return {};
    // The result arrives as one event, which hands the graphs their windows.
    const bool shown = Fixture::RunUntil(
        [&] {
            return opened && fixture.front.Pictures() > frontBefore && fixture.rear.Pictures() > rearBefore;
        },
        &busy);
    return { shown && opened->opened && !opened->rearPath.isEmpty(), MsSince(timer), busy };
}

void Report(benchmark::State &state, std::vector<double> total, std::vector<double> busy)
{
    if (total.empty())
        return;
    const auto at = [](std::vector<double> &samples, double share) {
        std::sort(samples.begin(), samples.end());
        return samples[size_t(share * double(samples.size() - 1) + 0.5)];
    };
    state.counters["median_ms"] = at(total, 0.5);
    state.counters["p90_ms"] = at(total, 0.9);
    state.counters["ui_busy_median_ms"] = at(busy, 0.5);
    state.counters["ui_busy_p90_ms"] = at(busy, 0.9);
}

Recordings g_recordings;

void Open(benchmark::State &state, bool async, const QString Recordings::*recording, bool whilePlaying)
{
    const QString path = g_recordings.*recording;
    Fixture fixture;
    std::vector<double> total;
    std::vector<double> busy;
    for (auto _ : state) {
        state.PauseTiming();
        fixture.playback.Close();
        if (whilePlaying) {
            const Opening before = OpenSynchronously(fixture, g_recordings.cardOther);
            fixture.playback.Start();
            Fixture::RunUntil([&] { return !before.ok || fixture.playback.PositionMs() > 300; });
        }
        state.ResumeTiming();
        const Opening opening = async ? OpenAsynchronously(fixture, path) : OpenSynchronously(fixture, path);
        if (!opening.ok) {
            state.SkipWithError("the opening gave no pictures of both channels");
            break;
        }
        state.SetIterationTime(opening.totalMs / 1000);
        total.push_back(opening.totalMs);
        busy.push_back(opening.uiBusyMs);
    }
    fixture.playback.Close();
    Report(state, std::move(total), std::move(busy));
}

} // namespace

int main(int argc, char **argv)
{
    av_log_set_level(AV_LOG_ERROR);
    qputenv("QT_LOGGING_RULES", "tavin.*.info=false");
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (!MakeCard(g_recordings) || !MakeNoisy(g_recordings))
        return 1;
    struct Case {
        const char *name;
        const QString Recordings::*recording;
        bool whilePlaying;
    };
    for (const Case &c :
        { Case { "card", &Recordings::card, false }, Case { "card_playing", &Recordings::card, true },
            Case { "noisy", &Recordings::noisy, false }, Case { "cut", &Recordings::cut, false } }) {
        for (const bool async : { false, true }) {
            const std::string name = std::string(async ? "Async/" : "Synchronous/") + c.name;
            benchmark::RegisterBenchmark(name.c_str(), Open, async, c.recording, c.whilePlaying)
                ->UseManualTime()
                ->Iterations(kOpenings)
                ->Unit(benchmark::kMillisecond);
        }
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
