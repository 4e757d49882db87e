#pragma once

// BackgroundJob: one piece of work on a worker thread, for a window that must not wait for it.
//
//     struct Walk {
//         QString root;
//         device::RecordingSums sums;
//     };
//     m_walk = std::make_unique<BackgroundJob>(this, BackgroundJob::Options { .text = tr("Reading...") });
//     m_walk->Start(
//         Walk { root },
//         [](Walk &walk, BackgroundJob::Progress &progress) { // on the worker
//             walk.sums = device::SumRecordings(walk.root, progress.CancelFlag());
//         },
//         [this](Walk &walk, bool cancelled) { // later, on this thread
//             m_walk.reset();
//             if (!cancelled)
//                 Show(walk.sums);
//         });
//
// - The data is moved into the job and lives as long as the worker can touch it. The work touches
//   only its data and the Progress, never the window: capture nothing that the window owns.
// - The work polls progress.IsCancelled() (or hands progress.CancelFlag() on) and may report
//   progress.Report(done, total, detail); a total of 0 shows a busy bar.
// - The finished handler runs once, on the thread that made the job, after the worker has ended,
//   with the data and whether the job was cancelled. It may destroy the job.
// - With Options::text set, a progress window appears when the job still runs after delayMs, so a
//   short job never flashes one. It offers Cancel unless the job is not cancellable; then it has
//   no Cancel button and says that the job cannot be cancelled.
// - Destroying the job cancels it and waits for its worker; the finished handler does not run.
// - BackgroundJob::GiveUp(std::move(job)) cancels a job without waiting for it (a newer request
//   replaces it): its finished handler never runs; it frees itself once its worker has ended and
//   belongs until then to the owner (or to the application without one), whose destruction waits.
// - Cancel(), Wait() and GiveUp() belong to the thread that made the job; Progress to the worker.
// - Tests need no sleeps: Wait() blocks until the worker has ended and runs the handler there and
//   then; a work can block on progress.CancelFlag()->wait(false) or on a latch of the test's own;
//   progressChanged tells when a report has arrived, and ProgressWindow() gives the shown window.

#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>
#include <utility>

class QProgressBar;
class QProgressDialog;
class QThread;
class QWidget;

class BackgroundJob : public QObject
{
    Q_OBJECT
public:
    static constexpr int kDefaultDelayMs = 500;

    struct Options {
        QString text; // the progress window's text; empty: the job shows no window
        QString title; // the progress window's caption
        bool cancellable = true; // the user may cancel it, with the window's Cancel button
        QString cancelText; // the Cancel button's text; empty: the program's own
        int delayMs = kDefaultDelayMs; // the window appears only if the job runs this long
        QString windowName; // the window's object name
    };

    // The worker's side: the cancel flag it polls and the progress it reports.
    class Progress
    {
    public:
        bool IsCancelled() const { return m_cancel.load(); }
        // Set once, never cleared; Cancel() wakes a worker waiting on it.
        const std::atomic_bool *CancelFlag() const { return &m_cancel; }
        // done of total steps (any unit); total <= 0: busy. The detail is a line under the text.
        void Report(qint64 done, qint64 total, const QString &detail = QString());

    private:
        friend class BackgroundJob;
        explicit Progress(BackgroundJob *job)
            : m_job(job)
        {
        }

        BackgroundJob *m_job;
        std::atomic_bool m_cancel { false };
        QMutex m_mutex;
        qint64 m_done = 0; // guarded by m_mutex, as the three below
        qint64 m_total = 0;
        QString m_detail;
        bool m_posted = false; // an update is on its way to the owner's thread
    };

    // owner: the progress window's parent, and the keeper of the job once it is given up.
    explicit BackgroundJob(QWidget *owner);
    BackgroundJob(QWidget *owner, Options options);
    ~BackgroundJob() override;
    BackgroundJob(const BackgroundJob &) = delete;
    BackgroundJob &operator=(const BackgroundJob &) = delete;

    // Starts the work on a worker; a job runs once (a second Start returns false and does nothing).
    // work(Data &, Progress &) runs on the worker; finished(Data &, bool cancelled) on this thread.
    template <typename Data, typename Work, typename Finished>
    bool Start(Data data, Work work, Finished finished)
    {
        auto holder = std::make_unique<DataHolder<Data>>(std::move(data));
        return StartErased(
            std::move(holder),
            [work = std::move(work)](Holder &held, Progress &progress) mutable {
                work(static_cast<DataHolder<Data> &>(held).data, progress);
            },
            [finished = std::move(finished)](Holder &held, bool cancelled) mutable {
                finished(static_cast<DataHolder<Data> &>(held).data, cancelled);
            });
    }

    // Asks the work to stop and closes the window; the finished handler still runs, told that the
    // job was cancelled. The window's Cancel button does the same.
    void Cancel();
    // Blocks until the worker has ended, then runs the finished handler now rather than later.
    void Wait();
    // Cancels without waiting: the handler never runs, and the job frees itself when its worker ends.
    static void GiveUp(std::unique_ptr<BackgroundJob> job);

    bool IsRunning() const { return m_state == State::Running; }
    bool IsCancelled() const { return m_progress.IsCancelled(); }
    // The progress window while it is shown (after the delay, until the job ends or is cancelled).
    QProgressDialog *ProgressWindow() const;
    // The line a window of a job that cannot be cancelled adds to its text.
    static QString NotCancellableNotice();

signals:
    // New progress from the worker, on this thread (several reports may arrive as one).
    void progressChanged(qint64 done, qint64 total);

private:
    struct Holder {
        virtual ~Holder() = default;
    };
    template <typename Data> struct DataHolder : Holder {
        explicit DataHolder(Data value)
            : data(std::move(value))
        {
        }
        Data data;
    };
    enum class State { Idle, Running, Ended };

    bool StartErased(std::unique_ptr<Holder> data, std::function<void(Holder &, Progress &)> work,
        std::function<void(Holder &, bool)> finished);
    void OnWorkerEnded();
    void ApplyProgress();
    void ShowWindow();
    void UpdateWindow();
    void CloseWindow();
    void WaitForWorker();

    QPointer<QWidget> m_owner;
    Options m_options;
    State m_state = State::Idle;
    bool m_givenUp = false;
    std::unique_ptr<Holder> m_data;
    std::function<void(Holder &, Progress &)> m_work;
    std::function<void(Holder &, bool)> m_finished;
    Progress m_progress { this };
    std::unique_ptr<QThread> m_thread;
    std::atomic_bool m_workDone { false }; // set by the worker as its last act
    QTimer m_delay;
    QPointer<QProgressDialog> m_window;
    QPointer<QProgressBar> m_bar;
    qint64 m_shownDone = 0; // the progress last taken over from the worker
    qint64 m_shownTotal = 0;
    QString m_shownDetail;
};
