// Soak run: the real main window plays a sample card again and again (repeat all, rate 2.0)
// until a given amount of media has played, and samples the process after every pass over
// the card: resident memory, open file descriptors and threads. After the first pass (which
// fills caches and pools) none of them may keep growing.
//
//   soak_run [--minutes M] [--card-seconds S] [--trips]
//       M minutes of media (default 30) over the sample card's day of recordings of S seconds each
//       (default 30). With --trips the list shows the card's drives and parking sessions, and each
//       plays across its recordings (a boundary every S seconds) before the next one starts; a pass
//       is then one round over the trips.
//
// The card is written once into <temp>/tavin-soak-<S>s and kept. Exit status 0 when the figures
// stay flat, 1 when one grows, 2 when the run could not be made.

#include "app/CTAVINDlg.h"
#include "app/MainWindowSettings.h"
#include "app/TripPlayer.h"
#include "media/recorder/SampleCardGenerator.h"
#include "media/recorder/SampleCardSetup.h"
#include "panels/MainWindowMessages.h"
#include "platform/volume_source.h"
#include "skin/CSkinListCtrl.h"
#include "skin/SkinRuntime.h"
#include "skin/WindowMessageEvent.h"
#include "skin/core/SkinPackReader.h"
#include "views/ViewControlFactories.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <malloc.h>

#include <cstdio>
#include <memory>
#include <vector>

extern "C" {
#include <libavutil/log.h>
}

namespace {

// At rate 2.0 a 200 ms tick plays 400 ms; more than this between two ticks is a jump.
constexpr int64_t kLargestTickMs = 2000;

struct Sample {
    int pass = 0;
    double mediaMinutes = 0;
    long rssKiB = 0;
    int fds = 0;
    int threads = 0;
};

// Resident memory once the allocator has handed its free pages back: what is left is what the
// program holds, without the slack that moves by tens of MiB from one sample to the next.
long ResidentKiB()
{
    malloc_trim(0);
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

int Entries(const char *folder)
{
    return int(QDir(QString::fromLatin1(folder)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size());
}

QString MakeCard(int seconds)
{
    const QDir folder(QDir::temp().filePath(QStringLiteral("tavin-soak-%1s").arg(seconds)));
    const QString root = folder.filePath(QStringLiteral("card"));
    const QString stamp = folder.filePath(QStringLiteral("complete"));
    if (QFile::exists(stamp))
        return root;
    QDir(root).removeRecursively();
    media::recorder::SampleCardOptions options;
    options.directory = root;
    options.seed = 5;
    options.minutes = seconds / 60.0;
    options.writeSetup
        = [](const QString &path, QString *error) { return WriteSampleSetupXml(path, 5, error); };
    std::fprintf(stderr, "writing the soak card to %s\n", qPrintable(root));
    media::recorder::SampleCardGenerator generator(options);
    if (!generator.Generate()) {
        std::fprintf(stderr, "sample card: %s\n", qPrintable(generator.ErrorString()));
        return {};
    }
    QFile(stamp).open(QIODevice::WriteOnly);
    return root;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    double minutes = 30;
    int cardSeconds = 30;
    bool trips = false;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--trips"))
            trips = true;
        else if (args[i] == QLatin1String("--minutes") && i + 1 < args.size())
            minutes = args[++i].toDouble();
        else if (args[i] == QLatin1String("--card-seconds") && i + 1 < args.size())
            cardSeconds = args[++i].toInt();
        else
            minutes = -1;
    }
    if (minutes <= 0 || cardSeconds < 3 || cardSeconds > 600) {
        std::fprintf(stderr, "usage: soak_run [--minutes M] [--card-seconds S] [--trips]\n");
        return 2;
    }
    av_log_set_level(AV_LOG_ERROR);
    const QString card = MakeCard(cardSeconds);
    if (card.isEmpty())
        return 2;

    skin::SkinRuntime runtime;
    if (runtime.LoadPack(QStringLiteral(TAVIN_BIN_DIR "/default.skin")) != skin::kSkinPackOk) {
        std::fprintf(stderr, "cannot load the default skin beside the program\n");
        return 2;
    }
    runtime.SetBaseFolder(QStringLiteral(TAVIN_BIN_DIR));
    runtime.SetMonitorSize(QSize(1920, 1080));
    int messages = 0;
    runtime.SetMessageBoxHandler([&](QWidget *, const QString &text, const QString &, int) {
        std::fprintf(stderr, "message box: %s\n", qPrintable(text));
        ++messages;
        return skin::kIdOk;
    });
    RegisterViewControlFactories(runtime);
    MainWindowSettings settings;
    settings.xmlSmall = QStringLiteral("main_small");
    settings.xmlLarge = QStringLiteral("main_large");
    settings.xmlFull = QStringLiteral("main_full");
    CTAVINDlg::Services services;
    services.volumes = std::make_unique<platform::FolderVolumeSource>(QStringList { card });
    services.chooseCard = [](const QStringList &) { return std::optional<int>(0); };
    services.watchMounts = false;
    CTAVINDlg window(runtime, settings, std::move(services));
    if (!window.Init())
        return 2;
    window.show();
    QElapsedTimer waited;
    waited.start();
    while (window.FileList()->GetItemCount() == 0 && waited.elapsed() < 60000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    if (trips) {
        skin::SendWindowMessage(&window, skin::kMsgCommand,
            skin::CommandWParam(
                window.GetControlId(skin::kSkinImgButton, QStringLiteral("list_mode_trips")), 0));
    }
    const int rows = window.FileList()->GetItemCount();
    if (rows == 0) {
        std::fprintf(stderr, "the card lists no recording\n");
        return 2;
    }
    for (int step = 0; step < 4; ++step)
        skin::SendWindowMessage(&window, mainwindow::kMsgFaster);
    const auto play = [&window](int row) {
        skin::SkinNotifyInfo click;
        click.idFrom = window.GetControlId(skin::kSkinListCtrl, QStringLiteral("file_list"));
        click.code = skin::kCodeListClick;
        click.item = row;
        skin::SendNotify(&window, click);
    };
    play(0);
    std::printf("rate %.2f, %d %s of %d s recordings, %.0f minutes of media\n", window.Playback().Rate(),
        rows, trips ? "trips" : "recordings", cardSeconds, minutes);
    std::printf("%5s %8s %9s %5s %8s\n", "pass", "media", "RSS MiB", "fds", "threads");

    std::vector<Sample> samples;
    double playedMs = 0;
    int lastRow = window.CurrentRow();
    int64_t lastPosition = window.PositionMs();
    int64_t lastDuration = window.Playback().DurationMs();
    int pass = 0;
    int idleTicks = 0;
    int tripRow = 0;
    int tripsPlayed = 0;
    const auto sample = [&] {
        ++pass;
        const Sample s { pass, playedMs / 60000.0, ResidentKiB(), Entries("/proc/self/fd"),
            Entries("/proc/self/task") };
        samples.push_back(s);
        std::printf(
            "%5d %7.1fm %9.1f %5d %8d\n", s.pass, s.mediaMinutes, s.rssKiB / 1024.0, s.fds, s.threads);
        std::fflush(stdout);
    };
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (trips) {
            // A trip plays once to its end and the window stands still; then the next one starts.
            const TripPlayer *trip = window.PlayingTrip();
            const int64_t position = trip ? trip->PositionMs() : lastDuration;
            // A gap the trip steps over moves the position without playing anything.
            if (position >= lastPosition && position - lastPosition <= kLargestTickMs)
                playedMs += double(position - lastPosition);
            lastPosition = position;
            if (trip) {
                lastDuration = trip->DurationMs();
                idleTicks = 0;
            } else if (++idleTicks > 10) {
                tripRow = (tripRow + 1) % rows;
                ++tripsPlayed;
                if (tripRow == 0)
                    sample();
                lastPosition = 0;
                idleTicks = 0;
                play(tripRow);
            }
            if (playedMs >= minutes * 60000.0 || (tripsPlayed > rows && samples.empty()))
                app.quit();
            return;
        }
        const int row = window.CurrentRow();
        const int64_t position = window.PositionMs();
        if (row == lastRow && position >= lastPosition) {
            playedMs += double(position - lastPosition);
        } else {
            // The recording ended into the next one.
            playedMs += double(std::max<int64_t>(0, lastDuration - lastPosition) + position);
            lastDuration = window.Playback().DurationMs();
            if (row == 0)
                sample();
        }
        lastRow = row;
        lastPosition = position;
        // Between two recordings the players are briefly closed; only a lasting stop ends the run.
        idleTicks = window.Playback().IsRunning() ? 0 : idleTicks + 1;
        if (playedMs >= minutes * 60000.0 || idleTicks > 25)
            app.quit();
    });
    tick.start(200);
    app.exec();

    if (samples.size() < 2) {
        std::fprintf(stderr, "fewer than two passes over the card: nothing to compare (%s)\n",
            window.Playback().IsRunning() ? "too few minutes" : "playback stopped");
        return 2;
    }
    const Sample &first = samples.front();
    long highest = first.rssKiB;
    bool descriptorsGrew = false, threadsGrew = false;
    for (const Sample &s : samples) {
        highest = std::max(highest, s.rssKiB);
        descriptorsGrew = descriptorsGrew || s.fds > first.fds;
        threadsGrew = threadsGrew || s.threads > first.threads;
    }
    // Allocator slack moves resident memory by tens of MiB either way from pass to pass; a leak
    // shows as a trend. The least-squares slope over the passes after the first, times their
    // number, is what the run would have grown by; more than 24 MiB of that counts as growth.
    double trendMiB = 0;
    if (samples.size() >= 3) {
        const size_t n = samples.size() - 1;
        double sx = 0, sy = 0, sxx = 0, sxy = 0;
        for (size_t i = 1; i < samples.size(); ++i) {
            const double x = double(i), y = samples[i].rssKiB / 1024.0;
            sx += x, sy += y, sxx += x * x, sxy += x * y;
        }
        const double slope = (double(n) * sxy - sx * sy) / (double(n) * sxx - sx * sx);
        trendMiB = slope * double(n);
    } else {
        trendMiB = (samples.back().rssKiB - first.rssKiB) / 1024.0;
    }
    // The same trend per hour of media, after the first pass.
    const double hoursAfterFirst = (samples.back().mediaMinutes - first.mediaMinutes) / 60.0;
    const double perHourMiB = hoursAfterFirst > 0 ? trendMiB / hoursAfterFirst : 0;
    std::printf("memory trend after the first pass: %+.1f MiB over %.2f h of media, %+.1f MiB per hour\n",
        trendMiB, hoursAfterFirst, perHourMiB);
    const bool memoryGrew = trendMiB > 24;
    const long growthKiB = samples.back().rssKiB - first.rssKiB;
    std::printf("after pass 1: RSS %.1f MiB; last: %.1f MiB (%+.1f MiB), highest %.1f MiB, trend %+.1f MiB; "
                "fds %d -> %d; threads %d -> %d; %d message boxes\n",
        first.rssKiB / 1024.0, samples.back().rssKiB / 1024.0, growthKiB / 1024.0, highest / 1024.0, trendMiB,
        first.fds, samples.back().fds, first.threads, samples.back().threads, messages);
    const bool flat = !memoryGrew && !descriptorsGrew && !threadsGrew && messages == 0;
    std::printf("%s\n", flat ? "flat" : "GROWING");
    return flat ? 0 : 1;
}
