// Trip playback at the recordings' boundaries: a drive of short recordings (1080p front, 720p
// rear, sound and telemetry in the front file, written once by our sample recorder into
// <temp>/tavin-bench-trip-boundaries) plays end to end through TripPlayer and DualPlayback into
// two video windows (offscreen by default), with a sound device that plays at real time and notes
// what it played. For every boundary and channel it reports
//
//   gap      the longest time between two newly painted pictures at the take-over (ending between
//            300 ms before it and 150 ms after: the old recording's last pictures and the new one's
//            first), and in the second after it (late: the new recording settling while the next
//            is preloaded), with when that happened and the media time it stepped over; the target
//            is two frame periods
//   skew     how far apart the channels' first pictures of the new recording were painted, and the
//            largest distance in media time between the front and rear pictures on screen during
//            the first second after it (a picture each side of the other: at most one frame when
//            the channels are in step)
//   sound    the longest silence of the sound device around the boundary (target 50 ms)
//   turn     how long the UI thread was held by the take-over, split into: closing the old front
//            graph up to its window being let go, the rest of it up to the new front graph taking
//            the window, the same for the rear, starting the new graphs, and preloading the next
//            recording (from its graphs making their sound devices)
//
// then the same figures between boundaries for comparison, and a summary of the worst boundary
// against the targets. Afterwards LoadTripTelemetry is timed on a two-hour drive (120 recordings of
// 60 s with small pictures: the telemetry, not the picture, is what it reads), once with the files
// out of the page cache and then warm.
//
//   bench_trip_boundaries [--recordings N] [--seconds S] [--rates 1,2] [--no-telemetry]
//                         [--no-boundaries]
//
// Exit status 0 when every target is met, 1 when one is missed, 2 when the run could not be made.

#include "app/DualPlayback.h"
#include "app/TripPlayer.h"
#include "app/TripTelemetry.h"
#include "library/RecordingLibrary.h"
#include "library/RecordingName.h"
#include "library/TripModel.h"
#include "media/playback/CVideoGraph.h"
#include "media/recorder/SampleDrive.h"
#include "media/recorder/SampleRecordingPlan.h"
#include "media/recorder/SampleRecordingWriter.h"
#include "trip_boundaries/TimedAudioOutput.h"
#include "trip_boundaries/TimedVideoView.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QThread>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

extern "C" {
#include <libavutil/log.h>
}

using namespace tripbench;

namespace {

constexpr uint64_t kSeed = 17;
// 2024-03-07 00:00:00 UTC, 09:00:00 on the sample recorder's clock (UTC+9).
constexpr int64_t kDriveStartUtcMs = 1'709'769'600'000;
constexpr double kFrameMs = 1000.0 / media::recorder::SampleRecordingWriter::kFramesPerSecond;
// The main window's large layout.
const QSize kFrontView(976, 548);
const QSize kRearView(374, 243);
// Around a take-over: where the picture gaps are looked for, and how long the channels' distance.
constexpr auto kBefore = std::chrono::milliseconds(300);
constexpr auto kAfter = std::chrono::milliseconds(500);
// The take-over's own gap ends with the first pictures of the new recording; what follows up to a
// second after it is the new recording settling while the next one is preloaded.
constexpr auto kTakeOverSpan = std::chrono::milliseconds(150);
constexpr auto kInStep = std::chrono::seconds(1);
constexpr double kSoundGapTargetMs = 50;

// The machine's load while the run played: other work takes the cores the decoders need.
QString LoadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("?");
    return QString::fromLatin1(file.readAll()).section(QLatin1Char(' '), 0, 2);
}

double Ms(Clock::duration d)
{
    return double(std::chrono::duration_cast<std::chrono::microseconds>(d).count()) / 1000.0;
}

QDir BenchFolder()
{
    const QDir folder(QDir::temp().filePath(QStringLiteral("tavin-bench-trip-boundaries")));
    folder.mkpath(QStringLiteral("."));
    return folder;
}

// Writes `count` recordings of `seconds` each, back to back, into <folder>/NORMAL once; a later run
// finds them complete and keeps them.
bool WriteDrive(
    const QString &root, int count, int seconds, QSize front, std::optional<QSize> rear, const char *what)
{
    const QString stamp = QDir(root).filePath(QStringLiteral("complete"));
    if (QFile::exists(stamp))
        return true;
    QDir(root).removeRecursively();
    if (!QDir().mkpath(QDir(root).filePath(QStringLiteral("NORMAL"))))
        return false;
    std::fprintf(stderr, "writing %s to %s\n", what, qPrintable(root));
    const media::recorder::SampleDrive drive(kSeed, count * seconds + 60);
    for (int i = 0; i < count; ++i) {
        media::recorder::SampleRecordingPlan plan;
        plan.folder = QStringLiteral("NORMAL");
        plan.kind = 'N';
        plan.startUtcMs = kDriveStartUtcMs + int64_t(i) * seconds * 1000;
        plan.durationMs = seconds * 1000;
        plan.driveStartS = double(i * seconds);
        plan.hasRear = rear.has_value();
        media::recorder::SampleRecordingWriter writer(
            plan, drive, kSeed, media::recorder::SampleVideoCodec::Automatic, 2);
        const QDir dir(root);
        if (!writer.Write(
                dir.filePath(plan.RelativePath('F')), { 'F', front.width(), front.height(), true, true })
            || (rear
                && !writer.Write(dir.filePath(plan.RelativePath('R')),
                    { 'R', rear->width(), rear->height(), false, false }))) {
            std::fprintf(stderr, "sample recording: %s\n", qPrintable(writer.ErrorString()));
            return false;
        }
    }
    QFile(stamp).open(QIODevice::WriteOnly);
    return true;
}

// The one drive of the folder, as the window's trip list groups it.
std::optional<library::Trip> DriveOf(const QString &root, int recordings)
{
    library::TripModel model;
    model.Build(library::ListRecordings(root, library::VideoExtensions()));
    if (model.Trips().size() != 1 || int(model.Trips().front().recordings.size()) != recordings) {
        std::fprintf(
            stderr, "%s does not list as one drive of %d recordings\n", qPrintable(root), recordings);
        return std::nullopt;
    }
    return model.Trips().front();
}

// One turn of the UI thread's event loop: one event delivered to its receiver.
struct Turn {
    uint64_t serial = 0;
    Clock::time_point from;
    Clock::time_point to;
};

// Times every event the UI thread delivers, so that the take-over's turn can be found.
class TimedApplication final : public QApplication
{
public:
    using QApplication::QApplication;

    bool notify(QObject *receiver, QEvent *event) override
    {
        if (m_depth > 0)
            return QApplication::notify(receiver, event);
        ++m_depth;
        Turn turn { ++m_serial, Clock::now(), {} };
        m_current = turn;
        const bool result = QApplication::notify(receiver, event);
        turn.to = Clock::now();
        --m_depth;
        if (m_recording)
            m_turns.push_back(turn);
        return result;
    }

    // The turn being delivered now.
    const Turn &Current() const { return m_current; }
    void Record(bool on)
    {
        m_recording = on;
        if (on)
            m_turns.clear();
    }
    const std::vector<Turn> &Turns() const { return m_turns; }

private:
    int m_depth = 0;
    uint64_t m_serial = 0;
    Turn m_current;
    bool m_recording = false;
    std::vector<Turn> m_turns;
};

TimedApplication *App()
{
    return static_cast<TimedApplication *>(QCoreApplication::instance());
}

// A recording of the trip taking over both players.
struct TakeOver {
    int recording = 0;
    Turn turn; // the UI thread's turn in which it happened
};

struct Run {
    double rate = 1;
    bool finished = false;
    double firstOpeningMs = 0; // from Begin to both first pictures painted
    int takeOvers = 0;
    int lateOpenings = 0;
    std::vector<TakeOver> seen; // the first opening, then every take-over
    std::vector<Turn> turns;
    std::vector<PaintedPicture> pictures[2];
    std::vector<WindowChange> changes[2];
    int blankPaints[2] = {};
    std::vector<HeardSound> sound;
    std::vector<Clock::time_point> soundMade; // when graphs made their sound devices
};

struct Windows {
    DualPlayback *playback = nullptr;
    std::unique_ptr<TimedVideoView> views[2];

    Windows()
    {
        for (int channel = 0; channel < 2; ++channel) {
            views[channel] = std::make_unique<TimedVideoView>([this, channel]() -> media::MediaTime {
                const media::CVideoGraph *graph = playback ? playback->Player(channel).Graph() : nullptr;
                return graph ? graph->Stats().lastShownTime : media::kNoMediaTime;
            });
            views[channel]->resize(channel == 0 ? kFrontView : kRearView);
            views[channel]->move(channel == 0 ? QPoint(0, 0) : QPoint(kFrontView.width(), 0));
            views[channel]->show();
        }
    }
};

// Plays the whole trip at the rate and keeps what the windows, the sound device and the UI thread
// noted.
Run PlayTrip(Windows &windows, const library::Trip &trip, double rate)
{
    Run run;
    run.rate = rate;
    auto sound = std::make_shared<HeardSoundLog>();
    DualPlayback playback(TimedAudioOutput::Factory(sound));
    windows.playback = &playback;
    playback.SetSurfaces(windows.views[0].get(), windows.views[1].get());
    while (playback.Rate() < float(rate) - 0.01f && playback.Faster()) { }
    for (auto &view : windows.views)
        view->Clear();

    TripPlayer player(playback, RecordingOpener::RearFinder {});
    QObject::connect(&player, &TripPlayer::recordingChanged, [&](int recording) {
        run.seen.push_back({ recording, App()->Current() });
    });
    QObject::connect(&player, &TripPlayer::ended, [&] { run.finished = true; });
    // The window's position tick.
    QTimer tick;
    tick.setInterval(100);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (!player.Tick())
            run.finished = true;
    });

    App()->Record(true);
    const auto begun = Clock::now();
    bool opened = false;
    bool failed = false;
    if (!player.Begin(trip, 0, [&](bool ok) {
            opened = ok;
            failed = !ok;
            tick.start();
        })) {
        std::fprintf(stderr, "the trip does not begin\n");
        windows.playback = nullptr;
        return run;
    }
    const double mediaSeconds = double(trip.DurationMs()) / 1000.0;
    const auto giveUp = begun + std::chrono::milliseconds(int64_t((mediaSeconds / rate + 30) * 1000));
    while (!run.finished && !failed && Clock::now() < giveUp) {
        QApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
        if (opened && run.firstOpeningMs == 0 && !windows.views[0]->Pictures().empty()
            && !windows.views[1]->Pictures().empty())
            run.firstOpeningMs = Ms(
                std::max(windows.views[0]->Pictures().front().at, windows.views[1]->Pictures().front().at)
                - begun);
    }
    tick.stop();
    run.takeOvers = player.TakeOvers();
    run.lateOpenings = player.LateOpenings();
    player.End();
    playback.Close();
    App()->Record(false);
    run.turns = App()->Turns();
    for (int channel = 0; channel < 2; ++channel) {
        run.pictures[channel] = windows.views[channel]->Pictures();
        run.changes[channel] = windows.views[channel]->Changes();
        run.blankPaints[channel] = windows.views[channel]->BlankPaints();
    }
    run.sound = sound->Take();
    run.soundMade = sound->TakeMade();
    windows.playback = nullptr;
    if (!run.finished)
        std::fprintf(stderr, "the trip did not play to its end at rate %.1f\n", rate);
    return run;
}

struct Interval {
    double ms = 0;
    Clock::time_point end; // when the later picture was painted
    double stepMs = 0; // how far its media time lies after the earlier one's
};

// The longest time between two consecutive pictures of which the later lies in [from, to].
Interval LongestInterval(
    const std::vector<PaintedPicture> &pictures, Clock::time_point from, Clock::time_point to)
{
    Interval longest;
    for (size_t i = 1; i < pictures.size(); ++i) {
        const double ms = Ms(pictures[i].at - pictures[i - 1].at);
        if (pictures[i].at < from || pictures[i].at > to || ms <= longest.ms)
            continue;
        longest = { ms, pictures[i].at, 0 };
        if (pictures[i].graph == pictures[i - 1].graph && pictures[i].shown != media::kNoMediaTime)
            longest.stepMs = double(pictures[i].shown - pictures[i - 1].shown) / media::kUnitsPerMs;
    }
    return longest;
}

// The largest distance in media time between a picture painted in [from, to] on one channel and
// the picture the other channel had painted last before it, both of the same graph number.
double LargestDistance(const std::vector<PaintedPicture> &a, const std::vector<PaintedPicture> &b,
    Clock::time_point from, Clock::time_point to)
{
    double largest = 0;
    const auto one = [&](const std::vector<PaintedPicture> &mine, const std::vector<PaintedPicture> &other) {
        size_t j = 0;
        for (const PaintedPicture &picture : mine) {
            while (j < other.size() && other[j].at <= picture.at)
                ++j;
            if (picture.at < from || picture.at > to || j == 0)
                continue;
            const PaintedPicture &there = other[j - 1];
            if (there.graph != picture.graph || picture.shown == media::kNoMediaTime
                || there.shown == media::kNoMediaTime)
                continue;
            largest = std::max(largest, std::abs(double(picture.shown - there.shown) / media::kUnitsPerMs));
        }
    };
    one(a, b);
    one(b, a);
    return largest;
}

const PaintedPicture *FirstOfGraph(const std::vector<PaintedPicture> &pictures, int graph)
{
    for (const PaintedPicture &picture : pictures)
        if (picture.graph == graph)
            return &picture;
    return nullptr;
}

// The stretches in which any device played, merged.
std::vector<HeardSound::Stretch> Heard(const std::vector<HeardSound> &devices)
{
    std::vector<HeardSound::Stretch> all;
    for (const HeardSound &device : devices)
        all.insert(all.end(), device.stretches.begin(), device.stretches.end());
    std::sort(all.begin(), all.end(), [](const auto &a, const auto &b) { return a.from < b.from; });
    std::vector<HeardSound::Stretch> merged;
    for (const auto &stretch : all) {
        if (!merged.empty() && stretch.from <= merged.back().to)
            merged.back().to = std::max(merged.back().to, stretch.to);
        else
            merged.push_back(stretch);
    }
    return merged;
}

// The longest silence between two heard stretches that touches [from, to].
double LongestSilence(
    const std::vector<HeardSound::Stretch> &heard, Clock::time_point from, Clock::time_point to)
{
    double longest = 0;
    for (size_t i = 1; i < heard.size(); ++i)
        if (heard[i].from >= from && heard[i - 1].to <= to)
            longest = std::max(longest, Ms(heard[i].from - heard[i - 1].to));
    return longest;
}

struct Summary {
    double gap[2] = {};
    double later[2] = {};
    double firstSkew = 0;
    double distance = 0;
    double silence = 0;
    double turn = 0;
    double steadyGap[2] = {};
    double steadyDistance = 0;
    double steadySilence = 0;
    double longestOtherTurn = 0;
    int skipped[2] = {};
};

// Prints the run's table; returns the worst figures.
Summary Report(const Run &run, int recordings)
{
    Summary worst;
    const double frameMs = kFrameMs / run.rate;
    const auto heard = Heard(run.sound);
    std::printf("\nrate %.1f (load average after it %s on %d cores):\n", run.rate, qPrintable(LoadAverage()),
        QThread::idealThreadCount());
    std::printf("%zu take-overs seen (%d by the trip player, %d late openings), first opening %.0f ms, "
                "blank paints %d/%d, %zu sound devices opened\n",
        run.seen.empty() ? size_t(0) : run.seen.size() - 1, run.takeOvers, run.lateOpenings,
        run.firstOpeningMs, run.blankPaints[0], run.blankPaints[1], run.sound.size());
    std::printf("frame period %.1f ms of wall time; targets: gap <= %.1f ms, distance <= %.1f ms of media, "
                "silence <= %.0f ms\n",
        frameMs, 2 * frameMs, kFrameMs, kSoundGapTargetMs);
    std::printf("%4s %6s %6s | %6s %5s %5s %6s | %6s %8s %7s | %6s %6s %6s %6s %6s %6s %7s\n", "rec", "gap F",
        "gap R", "late F", "at", "step", "late R", "first", "distance", "silence", "turn", "stop F", "swap F",
        "stop R", "swap R", "start", "preload");
    // The first entry is the opening of the first recording, not a boundary.
    std::vector<std::pair<Clock::time_point, Clock::time_point>> around;
    for (size_t k = 1; k < run.seen.size(); ++k) {
        const TakeOver &over = run.seen[k];
        const Clock::time_point at = over.turn.from;
        around.push_back({ at - kBefore, at + kInStep });
        Clock::time_point to = over.turn.from;
        for (const Turn &turn : run.turns)
            if (turn.serial == over.turn.serial)
                to = turn.to;
        // The windows' changes inside the turn: front let go, front taken, rear let go, rear taken.
        std::optional<Clock::time_point> marks[5];
        for (int channel = 0; channel < 2; ++channel)
            for (const WindowChange &change : run.changes[channel])
                if (change.at >= over.turn.from && change.at <= to)
                    marks[channel * 2 + (change.attached ? 1 : 0)] = change.at;
        // The next recording's preload begins with its graphs making their sound devices.
        for (const Clock::time_point made : run.soundMade)
            if (!marks[4] && made >= marks[3].value_or(over.turn.from) && made <= to)
                marks[4] = made;
        if (!marks[4])
            marks[4] = to; // the last recording preloads nothing
        const auto step = [&](int i) {
            const Clock::time_point before = i == 0 ? over.turn.from : marks[i - 1].value_or(over.turn.from);
            const Clock::time_point after = i == 5 ? to : marks[i].value_or(before);
            return Ms(after - before);
        };
        Interval gaps[2];
        Interval later[2];
        for (int channel = 0; channel < 2; ++channel) {
            gaps[channel] = LongestInterval(run.pictures[channel], at - kBefore, at + kTakeOverSpan);
            later[channel] = LongestInterval(run.pictures[channel], at + kTakeOverSpan, at + kInStep);
            worst.gap[channel] = std::max(worst.gap[channel], gaps[channel].ms);
            worst.later[channel] = std::max(worst.later[channel], later[channel].ms);
        }
        // Graph 1 is the first recording's; the k-th take-over brings graph k + 1.
        const PaintedPicture *front = FirstOfGraph(run.pictures[0], int(k) + 1);
        const PaintedPicture *rear = FirstOfGraph(run.pictures[1], int(k) + 1);
        const double first = front && rear ? Ms(rear->at - front->at) : NAN;
        const double distance = LargestDistance(run.pictures[0], run.pictures[1], at, at + kInStep);
        const double silence = LongestSilence(heard, at - kAfter, at + kAfter);
        const double turn = Ms(to - over.turn.from);
        worst.firstSkew = std::max(worst.firstSkew, std::abs(first));
        worst.distance = std::max(worst.distance, distance);
        worst.silence = std::max(worst.silence, silence);
        worst.turn = std::max(worst.turn, turn);
        std::printf(
            "%4d %6.1f %6.1f | %6.1f %5.0f %5.0f %6.1f | %+6.1f %8.1f %7.1f | %6.1f %6.1f %6.1f %6.1f %6.1f "
            "%6.1f %7.1f\n",
            over.recording, gaps[0].ms, gaps[1].ms, later[0].ms, Ms(later[0].end - at), later[0].stepMs,
            later[1].ms, first, distance, silence, turn, step(0), step(1), step(2), step(3), step(4),
            step(5));
    }
    // The same figures away from the boundaries.
    const auto near = [&](Clock::time_point t) {
        for (const auto &[from, to] : around)
            if (t >= from && t <= to)
                return true;
        return false;
    };
    if (!run.seen.empty()) {
        const Clock::time_point start = run.seen.front().turn.from + kInStep;
        for (int channel = 0; channel < 2; ++channel) {
            const auto &pictures = run.pictures[channel];
            for (size_t i = 1; i < pictures.size(); ++i) {
                if (pictures[i].at < start || near(pictures[i].at) || near(pictures[i - 1].at))
                    continue;
                worst.steadyGap[channel]
                    = std::max(worst.steadyGap[channel], Ms(pictures[i].at - pictures[i - 1].at));
                worst.skipped[channel] += pictures[i].skipped;
            }
        }
        for (size_t i = 1; i < heard.size(); ++i)
            if (heard[i].from > start && !near(heard[i].from) && !near(heard[i - 1].to))
                worst.steadySilence = std::max(worst.steadySilence, Ms(heard[i].from - heard[i - 1].to));
        for (const auto &picture : run.pictures[0])
            if (picture.at > start && !near(picture.at))
                worst.steadyDistance = std::max(worst.steadyDistance,
                    LargestDistance(run.pictures[0], run.pictures[1], picture.at, picture.at));
        for (const Turn &turn : run.turns) {
            bool isTakeOver = false;
            for (const TakeOver &over : run.seen)
                isTakeOver = isTakeOver || over.turn.serial == turn.serial;
            if (!isTakeOver && turn.from > start)
                worst.longestOtherTurn = std::max(worst.longestOtherTurn, Ms(turn.to - turn.from));
        }
    }
    std::printf("between boundaries: longest gap F %.1f / R %.1f ms, distance %.1f ms, silence %.1f ms, "
                "longest other UI turn %.1f ms, pictures taken but never painted F %d / R %d\n",
        worst.steadyGap[0], worst.steadyGap[1], worst.steadyDistance, worst.steadySilence,
        worst.longestOtherTurn, worst.skipped[0], worst.skipped[1]);
    // What each recording's sound device played, in media time.
    double leastHeard = 1e9, mostLost = 0;
    for (const HeardSound &device : run.sound) {
        if (device.sampleRate <= 0)
            continue;
        const double heardMs
            = double(device.writtenFrames - device.lostFrames) / device.sampleRate * 1000 * run.rate;
        leastHeard = std::min(leastHeard, heardMs);
        mostLost = std::max(mostLost, double(device.lostFrames) / device.sampleRate * 1000 * run.rate);
    }
    std::printf("sound: %zu devices for %d recordings; least media heard from one %.0f ms, most queued sound "
                "lost at a close %.1f ms of media\n",
        run.sound.size(), recordings, leastHeard, mostLost);
    return worst;
}

bool Verdict(const Summary &worst, double rate)
{
    const double frameMs = kFrameMs / rate;
    const bool gaps = std::max({ worst.gap[0], worst.gap[1], worst.later[0], worst.later[1] }) <= 2 * frameMs;
    const bool inStep = worst.distance <= kFrameMs + 0.5;
    const bool sound = worst.silence <= kSoundGapTargetMs;
    std::printf(
        "rate %.1f worst boundary: gap F %.1f / R %.1f ms at the take-over, %.1f / %.1f ms in the second "
        "after it (target %.1f) %s; channels %.1f ms apart (target %.1f), first pictures %.1f ms apart %s; "
        "silence %.1f ms (target %.0f) %s; take-over turn %.1f ms\n",
        rate, worst.gap[0], worst.gap[1], worst.later[0], worst.later[1], 2 * frameMs,
        gaps ? "met" : "MISSED", worst.distance, kFrameMs, worst.firstSkew, inStep ? "met" : "MISSED",
        worst.silence, kSoundGapTargetMs, sound ? "met" : "MISSED", worst.turn);
    return gaps && inStep && sound;
}

// Drops the files from the page cache, so that the first reading comes from the disk.
void Uncache(const library::Trip &trip)
{
    for (const library::TripRecording &recording : trip.recordings) {
        const int fd = ::open(QFile::encodeName(recording.path).constData(), O_RDONLY);
        if (fd < 0)
            continue;
        ::fdatasync(fd);
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
}

bool TimeTripTelemetry()
{
    constexpr int kRecordings = 120;
    const QString root = BenchFolder().filePath(QStringLiteral("two-hours"));
    if (!WriteDrive(
            root, kRecordings, 60, QSize(160, 96), std::nullopt, "a two-hour drive of small pictures"))
        return false;
    const std::optional<library::Trip> trip = DriveOf(root, kRecordings);
    if (!trip)
        return false;
    std::vector<double> times;
    OpenedRecording loaded;
    for (int i = 0; i < 6; ++i) {
        if (i == 0)
            Uncache(*trip);
        const auto from = Clock::now();
        loaded = LoadTripTelemetry(*trip);
        times.push_back(Ms(Clock::now() - from));
    }
    std::vector<double> warm(times.begin() + 1, times.end());
    std::sort(warm.begin(), warm.end());
    std::printf("\nLoadTripTelemetry, %d recordings of 60 s (%.0f min): out of the page cache %.1f ms, warm "
                "median %.1f ms (%.1f .. %.1f); %d fixes, %zu G-sensor samples, %zu impacts\n",
        kRecordings, double(trip->DurationMs()) / 60000.0, times.front(), warm[warm.size() / 2], warm.front(),
        warm.back(), loaded.gps.GetSize(), loaded.samples.size(), loaded.impacts.size());
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "tavin.*.info=false");
    av_log_set_level(AV_LOG_ERROR);
    TimedApplication app(argc, argv);
    int recordings = 22;
    int seconds = 3;
    std::vector<double> rates { 1.0, 2.0 };
    bool telemetry = true;
    bool boundaries = true;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString value = i + 1 < args.size() ? args[i + 1] : QString();
        if (args[i] == QLatin1String("--recordings"))
            recordings = value.toInt(), ++i;
        else if (args[i] == QLatin1String("--seconds"))
            seconds = value.toInt(), ++i;
        else if (args[i] == QLatin1String("--rates")) {
            rates.clear();
            for (const QString &rate : value.split(QLatin1Char(',')))
                rates.push_back(rate.toDouble());
            ++i;
        } else if (args[i] == QLatin1String("--no-telemetry"))
            telemetry = false;
        else if (args[i] == QLatin1String("--no-boundaries"))
            boundaries = false;
        else
            recordings = 0;
    }
    const bool ratesOk
        = std::all_of(rates.begin(), rates.end(), [](double r) { return r >= 0.5 && r <= 2.0; });
    if (recordings < 2 || seconds < 2 || seconds > 60 || rates.empty() || !ratesOk) {
        std::fprintf(stderr,
            "usage: bench_trip_boundaries [--recordings N>=2] [--seconds 2..60] [--rates 1,2] "
            "[--no-telemetry] [--no-boundaries]\n");
        return 2;
    }

    bool met = true;
    if (boundaries) {
        const QString root
            = BenchFolder().filePath(QStringLiteral("drive-%1x%2s").arg(recordings).arg(seconds));
        if (!WriteDrive(root, recordings, seconds, QSize(1920, 1080), QSize(1280, 720), "the drive"))
            return 2;
        const std::optional<library::Trip> trip = DriveOf(root, recordings);
        if (!trip)
            return 2;
        std::printf("a drive of %d recordings of %d s, 1080p front with sound, 720p rear; %d boundaries\n",
            recordings, seconds, recordings - 1);
        Windows windows;
        std::vector<std::pair<double, Summary>> summaries;
        for (const double rate : rates) {
            const Run run = PlayTrip(windows, *trip, rate);
            if (!run.finished || int(run.seen.size()) != recordings)
                met = false;
            summaries.push_back({ rate, Report(run, recordings) });
        }
        std::printf("\n");
        for (const auto &[rate, worst] : summaries)
            met = Verdict(worst, rate) && met;
    }
    if (telemetry && !TimeTripTelemetry())
        return 2;
    return met ? 0 : 1;
}
