// From a click on a row of the main window's list to the first pictures of both channels on
// screen, for recordings of 1080p front and 720p rear video: the real window, offscreen, on a
// sample card written by our recorder (on the first run, kept in <temp>/tavin-bench-mainwindow).
//
//   click to pictures/from_idle      nothing loaded before the click
//   click to pictures/while_playing  another recording plays when the row is clicked, so its
//                                    players are closed first, as when a user moves down the list
//
// A click ends when both video windows paint a picture taken after it. Each iteration is one
// click; the counters give the median, the 10th and 90th percentiles and the extremes in ms.

#include "app/CTAVINDlg.h"
#include "app/MainWindowSettings.h"
#include "app/features/CardPanelsController.h"
#include "app/features/ExportController.h"
#include "app/features/ImpactsController.h"
#include "app/features/MapController.h"
#include "app/features/RecordingListController.h"
#include "app/features/ToolPanelsController.h"
#include "media/recorder/SampleCardGenerator.h"
#include "media/recorder/SampleCardSetup.h"
#include "media/widgets/CPLVVideoView.h"
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

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <vector>

extern "C" {
#include <libavutil/log.h>
}

namespace {

using media::recorder::SampleCardGenerator;
using media::recorder::SampleRecordingPlan;

constexpr uint64_t kSeed = 11;
constexpr int kClicks = 30;
// A click that gives no pictures in this time counts as a failure, not as a figure.
constexpr int kGiveUpMs = 5000;

struct Card {
    QString root;
    std::vector<SampleRecordingPlan> plans;
};

// Writes the sample card once; a later run finds it complete and keeps it.
Card MakeCard()
{
    const QDir folder(QDir::temp().filePath(QStringLiteral("tavin-bench-mainwindow")));
    Card card { folder.filePath(QStringLiteral("card")), {} };
    media::recorder::SampleCardOptions options;
    options.directory = card.root;
    options.seed = kSeed;
    options.writeSetup
        = [](const QString &path, QString *error) { return WriteSampleSetupXml(path, kSeed, error); };
    SampleCardGenerator generator(options);
    card.plans = generator.Plan();
    const QString stamp = folder.filePath(QStringLiteral("complete"));
    if (QFile::exists(stamp))
        return card;
    QDir(card.root).removeRecursively();
    std::fprintf(stderr, "writing the sample card to %s\n", qPrintable(card.root));
    if (!generator.Generate()) {
        std::fprintf(stderr, "sample card: %s\n", qPrintable(generator.ErrorString()));
        return {};
    }
    QFile(stamp).open(QIODevice::WriteOnly);
    return card;
}

// Notes when each video window paints a picture it took after the click.
class PaintWatch : public QObject
{
public:
    explicit PaintWatch(CTAVINDlg &window)
        : m_window(window)
    {
        for (int channel = 0; channel < 2; ++channel)
            m_window.VideoView(channel)->installEventFilter(this);
    }
    void Arm()
    {
        for (int channel = 0; channel < 2; ++channel) {
            m_before[size_t(channel)] = m_window.VideoView(channel)->PicturesTaken();
            m_painted[size_t(channel)] = false;
        }
    }
    bool BothPainted() const { return m_painted[0] && m_painted[1]; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            for (int channel = 0; channel < 2; ++channel) {
                const CPLVVideoView *view = m_window.VideoView(channel);
                if (watched == view && view->PicturesTaken() > m_before[size_t(channel)])
                    m_painted[size_t(channel)] = true;
            }
        }
        return false;
    }

private:
    CTAVINDlg &m_window;
    std::array<int64_t, 2> m_before {};
    std::array<bool, 2> m_painted {};
};

struct Fixture {
    skin::SkinRuntime runtime;
    MainWindowSettings settings;
    std::unique_ptr<CTAVINDlg> window;
    std::vector<int> rows; // rows of recordings with both channels
    int messages = 0;

    bool Open(const Card &card)
    {
        if (runtime.LoadPack(QStringLiteral(TAVIN_BIN_DIR "/default.skin")) != skin::kSkinPackOk)
            return false;
        runtime.SetBaseFolder(QStringLiteral(TAVIN_BIN_DIR));
        runtime.SetMonitorSize(QSize(1920, 1080));
        runtime.SetMessageBoxHandler([this](QWidget *, const QString &text, const QString &, int) {
            std::fprintf(stderr, "message: %s\n", qPrintable(text));
            ++messages;
            return skin::kIdOk;
        });
        RegisterViewControlFactories(runtime);
        settings.xmlSmall = QStringLiteral("main_small");
        settings.xmlLarge = QStringLiteral("main_large");
        settings.xmlFull = QStringLiteral("main_full");
        CTAVINDlg::Services services;
        services.audioOutputs = {};
        services.volumes = std::make_unique<platform::FolderVolumeSource>(QStringList { card.root });
        services.chooseCard = [](const QStringList &) { return std::optional<int>(0); };
        services.watchMounts = false;
        window = std::make_unique<CTAVINDlg>(runtime, settings, std::move(services));
        if (!window->Init())
            return false;
        window->show();
        if (!RunUntil([&] { return !window->ListFeature().IsListing(); }))
            return false;
        skin::CSkinListCtrl *list = window->FileList();
        for (const SampleRecordingPlan &plan : card.plans) {
            if (!plan.hasRear || plan.cutByPowerLoss)
                continue;
            for (int row = 0; row < list->GetItemCount(); ++row)
                if (list->GetItemText(row, library::kColumnFileName) == plan.FileName('F').toUpper())
                    rows.push_back(row);
        }
        return rows.size() >= 2;
    }

    // Runs the event loop until the condition holds; false when it did not within kGiveUpMs.
    template <typename Condition> static bool RunUntil(Condition done)
    {
        bool late = false;
        QTimer giveUp;
        giveUp.setSingleShot(true);
        QObject::connect(&giveUp, &QTimer::timeout, [&] { late = true; });
        giveUp.start(kGiveUpMs);
        while (!done() && !late)
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        return done();
    }

    // The route of a user's click on a row: the list's notification to its dialog.
    void ClickRow(int row)
    {
        skin::SkinNotifyInfo info;
        info.idFrom = window->GetControlId(skin::kSkinListCtrl, QStringLiteral("file_list"));
        info.code = skin::kCodeListClick;
        info.item = row;
        skin::SendNotify(window.get(), info);
    }
    void ClickStop()
    {
        skin::SendWindowMessage(window.get(), skin::kMsgCommand,
            skin::CommandWParam(window->GetControlId(skin::kSkinImgButton, QStringLiteral("stop")), 0));
    }
};

Fixture *g_fixture = nullptr;

void Report(benchmark::State &state, std::vector<double> samples)
{
    if (samples.empty())
        return;
    std::sort(samples.begin(), samples.end());
    const auto at = [&](double share) { return samples[size_t(share * double(samples.size() - 1) + 0.5)]; };
    state.counters["median_ms"] = at(0.5);
    state.counters["p10_ms"] = at(0.1);
    state.counters["p90_ms"] = at(0.9);
    state.counters["min_ms"] = samples.front();
    state.counters["max_ms"] = samples.back();
}

void ClickToPictures(benchmark::State &state, bool whilePlaying)
{
    Fixture &fixture = *g_fixture;
    PaintWatch watch(*fixture.window);
    std::vector<double> samples;
    size_t next = 0;
    if (whilePlaying) {
        fixture.ClickRow(fixture.rows.back());
        Fixture::RunUntil([] { return false; }); // let it settle into playing
    }
    for (auto _ : state) {
        if (!whilePlaying) {
            fixture.ClickStop();
            QCoreApplication::processEvents();
        }
        const int row = fixture.rows[next++ % fixture.rows.size()];
        watch.Arm();
        QElapsedTimer timer;
        timer.start();
        fixture.ClickRow(row);
        const bool shown = Fixture::RunUntil([&] { return watch.BothPainted(); });
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        if (!shown || !fixture.window->Playback().RearPresent() || fixture.messages > 0) {
            state.SkipWithError("the click gave no pictures of both channels");
            break;
        }
        state.SetIterationTime(seconds);
        samples.push_back(seconds * 1000);
    }
    fixture.ClickStop();
    Report(state, std::move(samples));
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    av_log_set_level(AV_LOG_ERROR);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    const Card card = MakeCard();
    if (card.root.isEmpty())
        return 1;
    Fixture fixture;
    if (!fixture.Open(card)) {
        std::fprintf(stderr, "the main window did not list the sample card\n");
        return 1;
    }
    g_fixture = &fixture;
    for (const bool whilePlaying : { false, true })
        benchmark::RegisterBenchmark(
            whilePlaying ? "ClickToPictures/while_playing" : "ClickToPictures/from_idle", ClickToPictures,
            whilePlaying)
            ->UseManualTime()
            ->Iterations(kClicks)
            ->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
