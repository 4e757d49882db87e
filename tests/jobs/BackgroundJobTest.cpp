#include "panels/BackgroundJob.h"
#include "support/Wait.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QThread>
#include <QWidget>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using namespace std::chrono_literals;
using testsupport::WaitUntil;
using Progress = BackgroundJob::Progress;

// A door the work waits at until the test opens it.
class Latch
{
public:
    void Open()
    {
        m_open = true;
        m_open.notify_all();
    }
    void Wait() const { m_open.wait(false); }

private:
    std::atomic_bool m_open { false };
};

// Counts the progress windows that appear anywhere in the program.
class WindowSpy : public QObject
{
public:
    WindowSpy() { qApp->installEventFilter(this); }
    ~WindowSpy() override { qApp->removeEventFilter(this); }
    int shown = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && qobject_cast<QProgressDialog *>(watched))
            ++shown;
        return false;
    }
};

// Runs whatever the event queue holds, a few rounds, so that anything already on its way arrives.
void Settle()
{
    for (int round = 0; round < 5; ++round) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
}

struct Result {
    int value = 0;
    Qt::HANDLE workerThread = nullptr;
};

BackgroundJob::Options WindowOptions(int delayMs)
{
    BackgroundJob::Options options;
    options.text = QStringLiteral("Working");
    options.title = QStringLiteral("Job");
    options.delayMs = delayMs;
    return options;
}

TEST(BackgroundJob, FinishedRunsOnceOnTheOwnersThreadWithWhatTheWorkLeft)
{
    QWidget owner;
    BackgroundJob job(&owner);
    int calls = 0;
    Result got;
    bool onOwnerThread = false;
    bool wasCancelled = true;
    ASSERT_TRUE(job.Start(
        Result {},
        [](Result &result, Progress &) {
            result.value = 42;
            result.workerThread = QThread::currentThreadId();
        },
        [&](Result &result, bool cancelled) {
            ++calls;
            got = result;
            onOwnerThread = QThread::currentThread() == owner.thread();
            wasCancelled = cancelled;
        }));
    EXPECT_TRUE(job.IsRunning());
    ASSERT_TRUE(WaitUntil([&] { return calls > 0; }));
    Settle();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(got.value, 42);
    EXPECT_NE(got.workerThread, QThread::currentThreadId());
    EXPECT_TRUE(onOwnerThread);
    EXPECT_FALSE(wasCancelled);
    EXPECT_FALSE(job.IsRunning());

    // A job runs once.
    EXPECT_FALSE(job.Start(
        0, [&](int &, Progress &) { ++calls; }, [&](int &, bool) { ++calls; }));
    Settle();
    EXPECT_EQ(calls, 1);
}

TEST(BackgroundJob, WaitDeliversAtOnceAndTheQueuedEndDoesNotDeliverAgain)
{
    BackgroundJob job(nullptr);
    int calls = 0;
    int value = 0;
    job.Start(
        0, [](int &data, Progress &) { data = 7; },
        [&](int &data, bool) {
            ++calls;
            value = data;
        });
    job.Wait();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(value, 7);
    EXPECT_FALSE(job.IsRunning());
    Settle();
    EXPECT_EQ(calls, 1);
}

TEST(BackgroundJob, CancelReachesTheWorkAndTheHandlerIsToldOfIt)
{
    BackgroundJob job(nullptr);
    int calls = 0;
    bool wasCancelled = false;
    int value = 0;
    job.Start(
        0,
        [](int &data, Progress &progress) {
            progress.CancelFlag()->wait(false);
            data = progress.IsCancelled() ? 1 : 2;
        },
        [&](int &data, bool cancelled) {
            ++calls;
            value = data;
            wasCancelled = cancelled;
        });
    EXPECT_FALSE(job.IsCancelled());
    job.Cancel();
    EXPECT_TRUE(job.IsCancelled());
    ASSERT_TRUE(WaitUntil([&] { return calls > 0; }));
    EXPECT_EQ(value, 1);
    EXPECT_TRUE(wasCancelled);
}

TEST(BackgroundJob, NoWindowBeforeTheDelayEvenWhenProgressArrives)
{
    WindowSpy spy;
    QWidget owner;
    owner.show();
    BackgroundJob job(&owner, WindowOptions(60'000));
    Latch release;
    qint64 reportedDone = -1;
    QObject::connect(
        &job, &BackgroundJob::progressChanged, [&](qint64 done, qint64) { reportedDone = done; });
    bool finished = false;
    job.Start(
        0,
        [&release](int &, Progress &progress) {
            progress.Report(1, 2);
            release.Wait();
        },
        [&](int &, bool) { finished = true; });
    ASSERT_TRUE(WaitUntil([&] { return reportedDone == 1; }));
    EXPECT_EQ(job.ProgressWindow(), nullptr);
    release.Open();
    ASSERT_TRUE(WaitUntil([&] { return finished; }));
    Settle();
    EXPECT_EQ(spy.shown, 0);
    EXPECT_EQ(job.ProgressWindow(), nullptr);
}

TEST(BackgroundJob, ALongJobShowsItsProgressAndTheWindowGoesWhenItEnds)
{
    WindowSpy spy;
    QWidget owner;
    owner.show();
    // The delay is over at the first turn of the event loop.
    BackgroundJob job(&owner, WindowOptions(0));
    Latch busy;
    Latch end;
    bool finished = false;
    job.Start(
        0,
        [&](int &, Progress &progress) {
            progress.Report(250, 1000, QStringLiteral("file 3 of 12"));
            busy.Wait();
            progress.Report(0, 0);
            end.Wait();
        },
        [&](int &, bool) { finished = true; });
    EXPECT_EQ(job.ProgressWindow(), nullptr);

    QPointer<QProgressDialog> window;
    QProgressBar *bar = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        window = job.ProgressWindow();
        bar = window ? window->findChild<QProgressBar *>() : nullptr;
        return window && window->isVisible() && bar && bar->maximum() > 0 && bar->value() > 0;
    }));
    EXPECT_EQ(window->parentWidget(), &owner);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Job"));
    EXPECT_EQ(bar->value() * 4, bar->maximum()); // a quarter done
    const QString label = window->findChild<QLabel *>()->text();
    EXPECT_TRUE(label.startsWith(QStringLiteral("Working"))) << label.toStdString();
    EXPECT_TRUE(label.contains(QStringLiteral("file 3 of 12"))) << label.toStdString();
    EXPECT_FALSE(window->findChildren<QPushButton *>().isEmpty()); // Cancel

    busy.Open();
    ASSERT_TRUE(WaitUntil([&] { return bar->maximum() == 0; })); // a busy bar
    end.Open();
    ASSERT_TRUE(WaitUntil([&] { return finished; }));
    Settle();
    EXPECT_TRUE(!window || !window->isVisible());
    EXPECT_EQ(job.ProgressWindow(), nullptr);
    EXPECT_EQ(spy.shown, 1);
}

TEST(BackgroundJob, TheWindowsCancelButtonCancelsTheJob)
{
    QWidget owner;
    owner.show();
    BackgroundJob job(&owner, WindowOptions(0));
    bool wasCancelled = false;
    bool finished = false;
    job.Start(
        0, [](int &, Progress &progress) { progress.CancelFlag()->wait(false); },
        [&](int &, bool cancelled) {
            finished = true;
            wasCancelled = cancelled;
        });
    ASSERT_TRUE(WaitUntil([&] { return job.ProgressWindow() && job.ProgressWindow()->isVisible(); }));
    QPointer<QProgressDialog> window = job.ProgressWindow();
    const QList<QPushButton *> buttons = window->findChildren<QPushButton *>();
    ASSERT_EQ(buttons.size(), 1);
    buttons.front()->click();
    EXPECT_EQ(job.ProgressWindow(), nullptr);
    ASSERT_TRUE(WaitUntil([&] { return finished; }));
    EXPECT_TRUE(wasCancelled);
    Settle();
    EXPECT_TRUE(!window || !window->isVisible());
}

TEST(BackgroundJob, AJobThatCannotBeCancelledSaysSoAndKeepsItsWindow)
{
    QWidget owner;
    owner.show();
    BackgroundJob::Options options = WindowOptions(0);
    options.cancellable = false;
    BackgroundJob job(&owner, options);
    Latch release;
    bool finished = false;
    bool wasCancelled = true;
    job.Start(
        0, [&release](int &, Progress &) { release.Wait(); },
        [&](int &, bool cancelled) {
            finished = true;
            wasCancelled = cancelled;
        });
    ASSERT_TRUE(WaitUntil([&] { return job.ProgressWindow() && job.ProgressWindow()->isVisible(); }));
    QProgressDialog *window = job.ProgressWindow();
    EXPECT_TRUE(window->findChildren<QPushButton *>().isEmpty());
    const QString label = window->findChild<QLabel *>()->text();
    EXPECT_TRUE(label.startsWith(QStringLiteral("Working"))) << label.toStdString();
    EXPECT_FALSE(BackgroundJob::NotCancellableNotice().isEmpty());
    EXPECT_TRUE(label.contains(BackgroundJob::NotCancellableNotice())) << label.toStdString();

    // Neither Escape nor the window's close button stops it.
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &escape);
    EXPECT_FALSE(window->close());
    Settle();
    EXPECT_EQ(job.ProgressWindow(), window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(job.IsCancelled());

    release.Open();
    ASSERT_TRUE(WaitUntil([&] { return finished; }));
    EXPECT_FALSE(wasCancelled);
}

// What a job's worker writes into: records whether the worker had ended when it was freed.
struct Watched {
    Watched(const std::atomic_bool *workEnded, bool *endedBeforeFreed)
        : workEnded(workEnded)
        , endedBeforeFreed(endedBeforeFreed)
    {
    }
    Watched(Watched &&other) noexcept
        : workEnded(std::exchange(other.workEnded, nullptr))
        , endedBeforeFreed(std::exchange(other.endedBeforeFreed, nullptr))
        , value(other.value)
    {
    }
    ~Watched()
    {
        if (endedBeforeFreed)
            *endedBeforeFreed = *workEnded;
    }
    const std::atomic_bool *workEnded;
    bool *endedBeforeFreed;
    int value = 0;
};

TEST(BackgroundJob, DestroyingARunningJobCancelsItAndWaitsForItsWorker)
{
    std::atomic_bool workEnded { false };
    bool endedBeforeFreed = false;
    bool handled = false;
    {
        BackgroundJob job(nullptr);
        job.Start(
            Watched(&workEnded, &endedBeforeFreed),
            [&workEnded](Watched &data, Progress &progress) {
                progress.CancelFlag()->wait(false);
                // Cleaning up after the cancel takes a while, still writing into the job's data.
                std::this_thread::sleep_for(50ms);
                data.value = 1;
                workEnded = true;
            },
            [&](Watched &, bool) { handled = true; });
    }
    EXPECT_TRUE(workEnded);
    EXPECT_TRUE(endedBeforeFreed);
    Settle();
    EXPECT_FALSE(handled);
}

TEST(BackgroundJob, TheHandlerMayDestroyTheJobAndStillReadsItsData)
{
    auto job = std::make_unique<BackgroundJob>(nullptr);
    QString got;
    job->Start(
        QString(), [](QString &text, Progress &) { text = QStringLiteral("read on the worker"); },
        [&](QString &text, bool) {
            job.reset();
            got = text;
        });
    ASSERT_TRUE(WaitUntil([&] { return !job; }));
    EXPECT_EQ(got, QStringLiteral("read on the worker"));
}

TEST(BackgroundJob, AGivenUpJobNeverReportsAndFreesItselfWhenItsWorkerEnds)
{
    QWidget owner;
    owner.show();
    auto job = std::make_unique<BackgroundJob>(&owner, WindowOptions(0));
    Latch release;
    std::atomic_bool workSawCancel { false };
    bool handled = false;
    job->Start(
        0,
        [&](int &, Progress &progress) {
            release.Wait();
            workSawCancel = progress.IsCancelled();
        },
        [&](int &, bool) { handled = true; });
    ASSERT_TRUE(WaitUntil([&] { return job->ProgressWindow() && job->ProgressWindow()->isVisible(); }));
    QPointer<QProgressDialog> window = job->ProgressWindow();
    QPointer<BackgroundJob> kept = job.get();

    BackgroundJob::GiveUp(std::move(job));
    // It goes on, kept by its owner, without its window.
    ASSERT_FALSE(kept.isNull());
    EXPECT_EQ(kept->parent(), &owner);
    EXPECT_TRUE(!window || !window->isVisible());

    release.Open();
    ASSERT_TRUE(WaitUntil([&] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return kept.isNull();
    }));
    Settle();
    EXPECT_TRUE(workSawCancel);
    EXPECT_FALSE(handled);
}

TEST(BackgroundJob, AGivenUpJobWithoutAnOwnerIsKeptByTheApplication)
{
    auto job = std::make_unique<BackgroundJob>(nullptr);
    Latch release;
    bool handled = false;
    job->Start(
        0, [&release](int &, Progress &) { release.Wait(); }, [&](int &, bool) { handled = true; });
    QPointer<BackgroundJob> kept = job.get();
    BackgroundJob::GiveUp(std::move(job));
    ASSERT_FALSE(kept.isNull());
    EXPECT_EQ(kept->parent(), QCoreApplication::instance());
    release.Open();
    ASSERT_TRUE(WaitUntil([&] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return kept.isNull();
    }));
    EXPECT_FALSE(handled);
}

TEST(BackgroundJob, TheOwnerWaitsForAJobItWasGivenWhenItGoes)
{
    auto owner = std::make_unique<QWidget>();
    auto job = std::make_unique<BackgroundJob>(owner.get());
    Latch release;
    std::atomic_bool workEnded { false };
    job->Start(
        0,
        [&](int &data, Progress &) {
            release.Wait();
            data = 1;
            workEnded = true;
        },
        [](int &, bool) {});
    BackgroundJob::GiveUp(std::move(job));

    // The work is slow to end: it goes on a while after the owner started to go.
    std::thread opener([&release] {
        std::this_thread::sleep_for(100ms);
        release.Open();
    });
    owner.reset();
    EXPECT_TRUE(workEnded);
    opener.join();
}

TEST(BackgroundJob, AJobGivenUpBeforeItStartedOrOnceItsWorkerEndedNeverReports)
{
    QWidget owner;
    BackgroundJob::GiveUp(std::make_unique<BackgroundJob>(&owner));
    EXPECT_TRUE(owner.findChildren<BackgroundJob *>().isEmpty());

    auto job = std::make_unique<BackgroundJob>(&owner);
    bool handled = false;
    Latch workEnded;
    job->Start(
        0, [&](int &, Progress &) { workEnded.Open(); }, [&](int &, bool) { handled = true; });
    workEnded.Wait();
    BackgroundJob::GiveUp(std::move(job));
    // Its worker may still be ending (the latch opens just before): the job goes once it has.
    EXPECT_TRUE(testsupport::WaitUntil([&] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return owner.findChildren<BackgroundJob *>().isEmpty();
    }));
    Settle();
    EXPECT_FALSE(handled);
}

} // namespace
