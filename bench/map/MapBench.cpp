// The map window's first show: from show() to the track on screen, and the memory the web engine
// adds. The web engine starts once per process, so each iteration runs this program again in a
// fresh process (--first-show) that makes the default skin's map window, hands it a one-minute
// track of the sample drive, shows it and waits until a grab of the page shows the track's
// colours. The child prints its figures; the counters give the median and the extremes.
//
//   first_show_ms     show() to the first grab with the track in it
//   engine_added_MiB  proportional set size of the program and its web engine helper processes
//                     with the track on screen, less the program's own before show()
//   helpers           web engine processes running then
//
// The connection check answers "connected": tiles are not fetched here (no network), so the page
// shows its plain background with the track, as it does offline.
//
// MapTwoHourTrack: with the page loaded, the window is handed a two-hour track (7,200 fixes at
// 1 Hz, speed-coloured) in place of the one it shows, as when the next long recording opens.
//
//   draw_ms   SetTrack to the page having drawn the track (its scripts have run)
//   frame_ms  SetTrack to the first frame painted after that

#include "media/CGPSArray.h"
#include "media/recorder/SampleDrive.h"
#include "platform/connection_check.h"
#include "skin/SkinRuntime.h"
#include "skin/core/SkinPackReader.h"
#include "views/map/CMapCtrl.h"
#include "views/map/CMapDlg.h"
#include "views/map/SimpleBrowser.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QWebEngineView>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

#include <unistd.h>

namespace {

constexpr int kRuns = 5;
constexpr int kTrackSeconds = 60;
constexpr int kGiveUpMs = 60000;
constexpr int kLongTrackSeconds = 2 * 3600;

class Connected : public platform::ConnectionCheck
{
public:
    bool IsConnected() override { return true; }
};

// Proportional set size in KiB of a process (shared pages split between their users).
long PssKiB(pid_t pid)
{
    QFile file(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : file.readAll().split('\n'))
        if (line.startsWith("Pss:"))
            return line.mid(4).trimmed().split(' ').value(0).toLong();
    return 0;
}

pid_t ParentOf(pid_t pid)
{
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray stat = file.readAll();
    // The command name may hold spaces; the fields after its closing parenthesis do not.
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    return fields.size() > 1 ? pid_t(fields[1].toInt()) : 0;
}

// The processes below this one (the web engine's zygote, renderer and GPU processes).
std::vector<pid_t> Descendants()
{
    std::vector<pid_t> found { getpid() };
    bool grew = true;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    while (grew) {
        grew = false;
        for (const QString &entry : entries) {
            bool number = false;
            const pid_t pid = pid_t(entry.toInt(&number));
            if (!number || std::find(found.begin(), found.end(), pid) != found.end())
                continue;
            if (std::find(found.begin(), found.end(), ParentOf(pid)) != found.end()) {
                found.push_back(pid);
                grew = true;
            }
        }
    }
    return found;
}

// Whether the picture holds the track: strongly coloured pixels on the page's grey background.
bool ShowsTrack(const QImage &picture)
{
    int coloured = 0;
    for (int y = 0; y < picture.height(); y += 2)
        for (int x = 0; x < picture.width(); x += 2) {
            const QColor c = picture.pixelColor(x, y);
            coloured
                += std::max({ c.red(), c.green(), c.blue() }) - std::min({ c.red(), c.green(), c.blue() })
                > 80;
        }
    return coloured > 20;
}

// One first show in this process; prints "ms added_kib helpers" or returns 1.
int FirstShow()
{
    skin::SkinRuntime runtime;
    if (runtime.LoadPack(QStringLiteral(TAVIN_BIN_DIR "/default.skin")) != skin::kSkinPackOk)
        return 1;
    runtime.SetBaseFolder(QStringLiteral(TAVIN_BIN_DIR));
    CMapDlg dialog(runtime);
    if (!dialog.Init(QStringLiteral("map")) || !dialog.MapCtrl())
        return 1;
    CMapCtrl *map = dialog.MapCtrl();
    map->SetConnectionCheck(std::make_unique<Connected>());
    const media::recorder::SampleDrive drive(7, 600);
    for (int s = 0; s <= kTrackSeconds; ++s) {
        const media::recorder::DriveState state = drive.At(120 + s);
        map->AddPoint(uint32_t(s * 1000), state.latitude, state.longitude, state.speedKmh);
    }
    QCoreApplication::processEvents();
    const long before = PssKiB(getpid());

    QElapsedTimer clock;
    clock.start();
    dialog.show();
    bool shown = false;
    while (!shown && clock.elapsed() < kGiveUpMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (map->IsBrowserVisible() && map->Browser() && map->Browser()->View())
            shown = ShowsTrack(map->Browser()->View()->grab().toImage());
        if (!shown)
            QThread::msleep(5);
    }
    if (!shown)
        return 1;
    // TAVIN_MAP_SHOT=file.png keeps the window as it stood then, for a look.
    if (const QString shot = qEnvironmentVariable("TAVIN_MAP_SHOT"); !shot.isEmpty())
        dialog.grab().save(shot);
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    long after = 0;
    const std::vector<pid_t> processes = Descendants();
    for (pid_t pid : processes)
        after += PssKiB(pid);
    std::printf("%.1f %ld %zu\n", ms, after - before, processes.size() - 1);
    return 0;
}

void Report(benchmark::State &state, std::vector<double> values, const char *name)
{
    if (values.empty())
        return;
    std::sort(values.begin(), values.end());
    state.counters[std::string(name) + "_median"] = values[values.size() / 2];
    state.counters[std::string(name) + "_min"] = values.front();
    state.counters[std::string(name) + "_max"] = values.back();
}

void FirstShowToTrack(benchmark::State &state)
{
    std::vector<double> ms;
    std::vector<double> mib;
    double helpers = 0;
    for (auto _ : state) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), { QStringLiteral("--first-show") });
        if (!child.waitForFinished(kGiveUpMs + 10000) || child.exitCode() != 0) {
            state.SkipWithError("the map window did not show its track");
            return;
        }
        const QList<QByteArray> figures = child.readAllStandardOutput().trimmed().split(' ');
        if (figures.size() != 3) {
            state.SkipWithError("the child's figures are unreadable");
            return;
        }
        ms.push_back(figures[0].toDouble());
        mib.push_back(figures[1].toDouble() / 1024.0);
        helpers = figures[2].toDouble();
        state.SetIterationTime(ms.back() / 1000.0);
    }
    Report(state, ms, "first_show_ms");
    Report(state, mib, "engine_added_MiB");
    state.counters["helpers"] = helpers;
}

// The fixes of a drive at 1 Hz as the recorder writes them (ddmm.mmmm), from `startS` on.
media::CGPSArray DriveFixes(const media::recorder::SampleDrive &drive, int startS, int seconds)
{
    const auto minutes = [](double degrees) {
        const double whole = std::floor(degrees);
        return float(whole * 100.0 + (degrees - whole) * 60.0);
    };
    media::CGPSArray fixes;
    for (int s = 0; s < seconds; ++s) {
        const media::recorder::DriveState state = drive.At(startS + s);
        media::CGps fix;
        fix.valid = 1;
        fix.timeMs = uint32_t(s * 1000);
        fix.latitude = minutes(state.latitude);
        fix.longitude = minutes(state.longitude);
        fix.speed = float(state.speedKmh);
        fixes.Add(fix);
    }
    return fixes;
}

// Runs the script on the page and waits for its answer.
QVariant Evaluate(SimpleBrowser *browser, const QString &code)
{
    std::optional<QVariant> answer;
    browser->EvaluateScript(code, [&](const QVariant &value) { answer = value; });
    QElapsedTimer clock;
    clock.start();
    while (!answer && clock.elapsed() < kGiveUpMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    return answer.value_or(QVariant());
}

void TwoHourTrack(benchmark::State &state)
{
    skin::SkinRuntime runtime;
    if (runtime.LoadPack(QStringLiteral(TAVIN_BIN_DIR "/default.skin")) != skin::kSkinPackOk) {
        state.SkipWithError("the default skin cannot be read");
        return;
    }
    runtime.SetBaseFolder(QStringLiteral(TAVIN_BIN_DIR));
    CMapDlg dialog(runtime);
    if (!dialog.Init(QStringLiteral("map")) || !dialog.MapCtrl()) {
        state.SkipWithError("the map window cannot be made");
        return;
    }
    CMapCtrl *map = dialog.MapCtrl();
    map->SetConnectionCheck(std::make_unique<Connected>());
    dialog.show();
    QElapsedTimer clock;
    clock.start();
    while (!map->IsLoaded() && clock.elapsed() < kGiveUpMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    if (!map->IsLoaded()) {
        state.SkipWithError("the map page did not load");
        return;
    }
    // Two different drives, so that each iteration replaces the track the page holds.
    const media::recorder::SampleDrive drive(7, 2 * kLongTrackSeconds + 10);
    const media::CGPSArray tracks[] = { DriveFixes(drive, 0, kLongTrackSeconds),
        DriveFixes(drive, kLongTrackSeconds, kLongTrackSeconds) };
    dialog.SetTrack(tracks[1]);
    Evaluate(map->Browser(), QStringLiteral("view.points"));

    std::vector<double> drawMs;
    std::vector<double> frameMs;
    size_t which = 0;
    for (auto _ : state) {
        clock.restart();
        dialog.SetTrack(tracks[which]);
        // Scripts run in the order they were given: this answers once the track is drawn.
        const int coloured = Evaluate(map->Browser(),
            QStringLiteral("window.framed = false;"
                           " requestAnimationFrame(function () {"
                           " requestAnimationFrame(function () { window.framed = true; }); });"
                           " view.coloured"))
                                 .toInt();
        drawMs.push_back(double(clock.nsecsElapsed()) / 1e6);
        if (coloured != kLongTrackSeconds - 1) {
            state.SkipWithError("the page did not colour the whole track");
            return;
        }
        while (!Evaluate(map->Browser(), QStringLiteral("window.framed")).toBool()
            && clock.elapsed() < kGiveUpMs) { }
        frameMs.push_back(double(clock.nsecsElapsed()) / 1e6);
        state.SetIterationTime(frameMs.back() / 1000.0);
        which = 1 - which;
    }
    Report(state, drawMs, "draw_ms");
    Report(state, frameMs, "frame_ms");
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    if (argc > 1 && qstrcmp(argv[1], "--first-show") == 0) {
        QApplication app(argc, argv);
        return FirstShow();
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RegisterBenchmark("MapFirstShowToTrack", FirstShowToTrack)
        ->UseManualTime()
        ->Iterations(kRuns)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("MapTwoHourTrack", TwoHourTrack)
        ->UseManualTime()
        ->Iterations(10)
        ->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
