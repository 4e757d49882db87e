#include "app/RecordingOpener.h"

#include "app/AppLog.h"
#include "library/RecordingLibrary.h"

#include <QMetaObject>

#include <algorithm>

using media::CVideoGraph;

struct RecordingOpener::Job {
    RecordingOpener *opener = nullptr;
    QString frontPath;
    RearFinder findRear;
    Finished finished;

    // The graphs stay here until the UI thread takes or destroys them: a worker never destroys one.
    std::unique_ptr<CVideoGraph> front;
    CVideoGraph::PictureSizes frontSizes {};
    RearGraphs rearCandidates;
    CVideoGraph::PictureSizes rearSizes {};
    std::vector<CVideoGraph *> graphs; // every graph, for giving up from the UI thread

    std::atomic<bool> cancelled { false }; // given up by the UI thread
    std::atomic<bool> frontFailed { false }; // no rear is needed any more

    // Written by the workers, read on the UI thread after they were joined.
    bool frontOpened = false;
    int rearTaken = 0;
    int rearOpened = -1;
    QString rearOpenedPath;
    OpenedRecording recording;

    std::thread worker;

    void Cancel()
    {
        cancelled = true;
        for (CVideoGraph *graph : graphs)
            graph->CancelPrepare();
    }
};

namespace {

// The same rule as CVideoPlayer::Open: a file whose sound alone cannot be played still opens.
bool Opened(media::PlaybackResult result)
{
    return result != media::kPlaybackNotLoaded && media::PlaybackSucceeded(result);
}

} // namespace

RecordingOpener::RecordingOpener() = default;

RecordingOpener::~RecordingOpener()
{
    for (const std::unique_ptr<Job> &job : m_jobs)
        job->Cancel();
    for (const std::unique_ptr<Job> &job : m_jobs)
        if (job->worker.joinable())
            job->worker.join();
    // The graphs go with the jobs, here on the UI thread; results posted meanwhile die with
    // m_receiver.
    m_jobs.clear();
}

bool RecordingOpener::Start(const QString &frontPath, std::unique_ptr<CVideoGraph> front, RearGraphs rear,
    RearFinder findRear, Finished finished)
{
    if (m_current)
        return false;
    auto job = std::make_unique<Job>();
    job->opener = this;
    job->frontPath = frontPath;
    job->recording.frontPath = frontPath;
    job->findRear = std::move(findRear);
    job->finished = std::move(finished);
    if (front) {
        job->frontSizes = front->WindowSizes();
        job->graphs.push_back(front.get());
    }
    job->front = std::move(front);
    for (std::unique_ptr<CVideoGraph> &candidate : rear) {
        if (!candidate)
            continue;
        job->rearSizes = candidate->WindowSizes();
        job->graphs.push_back(candidate.get());
    }
    job->rearCandidates = std::move(rear);

    Job *running = job.get();
    m_jobs.push_back(std::move(job));
    m_current = running;
    running->worker = std::thread([running] { Run(running); });
    return true;
}

void RecordingOpener::Cancel()
{
    if (!m_current)
        return;
    m_current->Cancel();
    m_current = nullptr;
}

void RecordingOpener::Run(Job *job)
{
    // The two channels decode their first pictures side by side, one core each.
    std::thread rear([job] { FindRear(*job); });
    PrepareFront(*job);
    if (!job->frontOpened) {
        job->frontFailed = true;
        for (const std::unique_ptr<CVideoGraph> &candidate : job->rearCandidates)
            if (candidate)
                candidate->CancelPrepare();
    }
    rear.join();
    RecordingOpener *opener = job->opener;
    QMetaObject::invokeMethod(
        &opener->m_receiver, [opener, job] { opener->Finish(job); }, Qt::QueuedConnection);
}

void RecordingOpener::PrepareFront(Job &job)
{
    if (!job.front || job.cancelled)
        return;
    if (!Opened(job.front->Prepare(job.frontPath, job.frontSizes)))
        return;
    job.frontOpened = true;

    OpenedRecording &recording = job.recording;
    const media::MediaTime duration = job.front->GetDuration();
    recording.durationMs = duration > 0 ? duration / media::kUnitsPerMs : 0;
    media::IStreamParseData *telemetry = job.front->GetStreamParseData();
    if (!telemetry)
        return;
    recording.telemetry = media::TelemetryLoader::Load(
        telemetry, recording.durationMs, recording.gps, recording.samples, &recording.speeds);
    // The impacts look at every reading, not only the graph's one a second.
    telemetry->SetRecordRange(0, -1);
    recording.impacts = media::ImpactDetector::Detect(media::ImpactDetector::CollectSamples(*telemetry));
    telemetry->SetRecordRange(0, -1);
}

void RecordingOpener::FindRear(Job &job)
{
    if (!job.findRear)
        return;
    const RearOpener open = [&job](const QString &path) {
        if (job.cancelled || job.frontFailed || job.rearTaken >= kRearCandidates)
            return false;
        const int index = job.rearTaken++;
        CVideoGraph *graph = job.rearCandidates[static_cast<size_t>(index)].get();
        if (!graph || !Opened(graph->Prepare(path, job.rearSizes)))
            return false;
        job.rearOpened = index;
        job.rearOpenedPath = path;
        return true;
    };
    const QString found = job.findRear(job.frontPath, open);
    // A finder that named another file than the one it opened found nothing usable.
    if (job.rearOpened >= 0 && found == job.rearOpenedPath)
        job.recording.rearPath = found;
    else
        job.rearOpened = -1;
}

void RecordingOpener::Finish(Job *job)
{
    if (job->worker.joinable())
        job->worker.join();
    const auto found
        = std::find_if(m_jobs.begin(), m_jobs.end(), [job](const auto &owned) { return owned.get() == job; });
    if (found == m_jobs.end())
        return;
    std::unique_ptr<Job> owned = std::move(*found);
    m_jobs.erase(found);
    if (job != m_current || job->cancelled)
        return; // given up: its graphs are destroyed here
    m_current = nullptr;

    Prepared prepared;
    prepared.recording = std::move(job->recording);
    prepared.recording.opened = job->frontOpened;
    if (job->frontOpened) {
        prepared.front = std::move(job->front);
        if (job->rearOpened >= 0)
            prepared.rear = std::move(job->rearCandidates[static_cast<size_t>(job->rearOpened)]);
    } else {
        prepared.recording.rearPath.clear();
        qCWarning(lcApp) << "cannot open" << job->frontPath;
    }
    Finished finished = std::move(job->finished);
    owned.reset(); // the candidates that were not taken
    if (finished)
        finished(std::move(prepared));
}

RecordingOpener::RearFinder RecordingOpener::RearSearch(const library::RecordingLibrary &library)
{
    return [extensions = library.Extensions()](const QString &frontPath, const RearOpener &open) {
        library::RecordingLibrary search;
        search.SetVideoExtensions(extensions);
        return search.FindRearFile(frontPath, open);
    };
}
