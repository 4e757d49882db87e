#include "panels/BackgroundJob.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMutexLocker>
#include <QProgressBar>
#include <QProgressDialog>
#include <QThread>
#include <QWidget>

#include <algorithm>

namespace {

// Steps of the window's bar for a job that tells its total.
constexpr int kBarSteps = 1000;

// Translated where they are shown (tr), in the job's context.
const char *const kCancelText = QT_TRANSLATE_NOOP("BackgroundJob", "취소");
const char *const kNotCancellableText
    = QT_TRANSLATE_NOOP("BackgroundJob", "이 작업은 시작된 뒤에는 취소할 수 없습니다.");

// A job the user may not cancel keeps its window against Escape and the close button.
class JobProgressDialog : public QProgressDialog
{
public:
    JobProgressDialog(const QString &text, const QString &cancelText, bool cancellable, QWidget *parent)
        : QProgressDialog(text, cancelText, 0, 0, parent)
        , m_cancellable(cancellable)
    {
    }

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (!m_cancellable && event->key() == Qt::Key_Escape) {
            event->accept();
            return;
        }
        QProgressDialog::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent *event) override
    {
        if (!m_cancellable) {
            event->ignore();
            return;
        }
        QProgressDialog::closeEvent(event);
    }

private:
    bool m_cancellable;
};

} // namespace

void BackgroundJob::Progress::Report(qint64 done, qint64 total, const QString &detail)
{
    bool post = false;
    {
        QMutexLocker lock(&m_mutex);
        m_done = done;
        m_total = total;
        m_detail = detail;
        post = !m_posted;
        m_posted = true;
    }
    // One update at a time travels to the owner's thread; it takes whatever is newest then. The job
    // waits for its worker before it goes, so it is still there to receive this.
    if (post)
        QMetaObject::invokeMethod(m_job, &BackgroundJob::ApplyProgress, Qt::QueuedConnection);
}

BackgroundJob::BackgroundJob(QWidget *owner)
    : BackgroundJob(owner, Options())
{
}

BackgroundJob::BackgroundJob(QWidget *owner, Options options)
    : m_owner(owner)
    , m_options(std::move(options))
{
    m_delay.setSingleShot(true);
    connect(&m_delay, &QTimer::timeout, this, &BackgroundJob::ShowWindow);
}

BackgroundJob::~BackgroundJob()
{
    // Nothing the worker touches may go before it has ended.
    m_progress.m_cancel = true;
    m_progress.m_cancel.notify_all();
    if (m_thread)
        WaitForWorker();
    CloseWindow();
}

QProgressDialog *BackgroundJob::ProgressWindow() const
{
    return m_window;
}

QString BackgroundJob::NotCancellableNotice()
{
    return tr(kNotCancellableText);
}

bool BackgroundJob::StartErased(std::unique_ptr<Holder> data, std::function<void(Holder &, Progress &)> work,
    std::function<void(Holder &, bool)> finished)
{
    if (m_state != State::Idle)
        return false;
    m_data = std::move(data);
    m_work = std::move(work);
    m_finished = std::move(finished);
    m_state = State::Running;
    m_workDone = false;
    m_thread.reset(QThread::create([this] {
        m_work(*m_data, m_progress);
        m_workDone.store(true, std::memory_order_release);
    }));
    connect(m_thread.get(), &QThread::finished, this, &BackgroundJob::OnWorkerEnded, Qt::QueuedConnection);
    if (!m_options.text.isEmpty())
        m_delay.start(std::max(0, m_options.delayMs));
    m_thread->start();
    return true;
}

void BackgroundJob::Cancel()
{
    m_progress.m_cancel = true;
    m_progress.m_cancel.notify_all();
    // A cancelled job may still take a while to clean up; it does so without a window.
    m_delay.stop();
    CloseWindow();
}

void BackgroundJob::Wait()
{
    if (m_state != State::Running)
        return;
    WaitForWorker();
    OnWorkerEnded();
}

void BackgroundJob::GiveUp(std::unique_ptr<BackgroundJob> job)
{
    if (!job)
        return;
    job->Cancel();
    job->m_givenUp = true;
    job->m_finished = nullptr;
    if (job->m_state != State::Running || job->m_thread->isFinished())
        return; // its worker has ended: the job goes now
    QObject *keeper
        = job->m_owner ? static_cast<QObject *>(job->m_owner.data()) : QCoreApplication::instance();
    if (!keeper)
        return; // nobody to keep it: it waits for its worker here
    // Freed when its worker reports the end, or with its keeper, which then waits for the worker.
    job.release()->setParent(keeper);
}

void BackgroundJob::OnWorkerEnded()
{
    if (m_state != State::Running)
        return;
    WaitForWorker(); // finished is emitted just before the thread really ends
    m_state = State::Ended;
    m_delay.stop();
    CloseWindow();
    if (m_givenUp) {
        deleteLater();
        return;
    }
    // Taken out first: the handler may destroy this job, and nothing of it is touched afterwards.
    std::function<void(Holder &, bool)> finished = std::move(m_finished);
    m_finished = nullptr;
    const std::unique_ptr<Holder> data = std::move(m_data);
    const bool cancelled = m_progress.IsCancelled();
    if (finished)
        finished(*data, cancelled);
}

void BackgroundJob::WaitForWorker()
{
    m_thread->wait();
    // The wait already orders the worker's writes before ours, but inside Qt where ThreadSanitizer
    // cannot see it; this acquire pairs with the worker's release and says so in C++ terms.
    m_workDone.load(std::memory_order_acquire);
}

void BackgroundJob::ApplyProgress()
{
    {
        QMutexLocker lock(&m_progress.m_mutex);
        m_progress.m_posted = false;
        m_shownDone = m_progress.m_done;
        m_shownTotal = m_progress.m_total;
        m_shownDetail = m_progress.m_detail;
    }
    if (m_state != State::Running || m_givenUp)
        return;
    UpdateWindow();
    emit progressChanged(m_shownDone, m_shownTotal);
}

void BackgroundJob::ShowWindow()
{
    if (m_state != State::Running || m_givenUp || m_progress.IsCancelled() || m_window)
        return;
    const QString cancelText = !m_options.cancellable ? QString()
        : m_options.cancelText.isEmpty()              ? tr(kCancelText)
                                                      : m_options.cancelText;
    auto *window = new JobProgressDialog(m_options.text, cancelText, m_options.cancellable, m_owner);
    if (!m_options.windowName.isEmpty())
        window->setObjectName(m_options.windowName);
    if (!m_options.title.isEmpty())
        window->setWindowTitle(m_options.title);
    window->setWindowModality(Qt::WindowModal);
    window->setAutoClose(false);
    window->setAutoReset(false);
    // The bar is ours and set directly: QProgressDialog::setValue runs the event loop of a modal
    // window, and its own timer would show the window again; reset() stops that timer.
    m_bar = new QProgressBar;
    window->setBar(m_bar);
    window->reset();
    if (m_options.cancellable)
        connect(window, &QProgressDialog::canceled, this, &BackgroundJob::Cancel);
    m_window = window;
    UpdateWindow();
    window->show();
}

void BackgroundJob::UpdateWindow()
{
    if (!m_window || !m_bar)
        return;
    QString text = m_options.text;
    if (!m_shownDetail.isEmpty())
        text += QLatin1Char('\n') + m_shownDetail;
    if (!m_options.cancellable)
        text += QLatin1Char('\n') + NotCancellableNotice();
    m_window->setLabelText(text);
    if (m_shownTotal <= 0) {
        m_bar->setRange(0, 0);
        return;
    }
    m_bar->setRange(0, kBarSteps);
    // Full only when the job has ended and the window goes.
    const qint64 done = std::clamp<qint64>(m_shownDone, 0, m_shownTotal);
    m_bar->setValue(int(std::min<qint64>(kBarSteps - 1, done * kBarSteps / m_shownTotal)));
}

void BackgroundJob::CloseWindow()
{
    if (!m_window)
        return;
    QProgressDialog *window = m_window;
    m_window = nullptr;
    m_bar = nullptr;
    // Later, as this may be reached from the window's own signal.
    window->disconnect(this);
    window->hide();
    window->deleteLater();
}
