#pragma once

#include "media/CGPSArray.h"
#include "media/playback/CVideoGraph.h"
#include "media/telemetry/GSensorSample.h"
#include "media/telemetry/ImpactDetector.h"
#include "media/telemetry/SpeedItemLog.h"
#include "media/telemetry/TelemetryLoader.h"

#include <QObject>
#include <QString>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace library {
class RecordingLibrary;
}

// What opening a recording found, for the window to show once both players have their first
// pictures.
struct OpenedRecording {
    bool opened = false; // false: the front file cannot be played and nothing is open
    QString frontPath;
    QString rearPath; // empty without a rear file
    int64_t durationMs = 0;
    media::CGPSArray gps;
    std::vector<media::GSensorSample> samples; // one per whole second, for the G-sensor graph
    media::SpeedItemLog speeds; // for the speed gauge (ReplayInto)
    std::vector<media::Impact> impacts;
    media::TelemetryLoader::Result telemetry;
};

// Opens a recording on workers: the front file's graph is prepared up to its first picture and its
// telemetry read on one, while another searches for the rear file and prepares its graph. The
// graphs are made on the UI thread beforehand (they hold the windows and the sound devices) and
// handed back there, with what was found, once both are ready. One opening at a time.
class RecordingOpener
{
public:
    // Prepares a rear candidate; true when it opened.
    using RearOpener = std::function<bool(const QString &path)>;
    // Finds the rear file of a front file, trying candidates with the opener; runs on a worker,
    // so it must not touch anything of the UI thread. Returns the one that opened, or empty.
    using RearFinder = std::function<QString(const QString &frontPath, const RearOpener &open)>;

    struct Prepared {
        std::unique_ptr<media::CVideoGraph> front; // null when the front did not open
        std::unique_ptr<media::CVideoGraph> rear; // null without a rear file
        OpenedRecording recording;
    };
    using Finished = std::function<void(Prepared prepared)>;

    // How many rear files are tried at most: the one of the same name, then one by time.
    static constexpr int kRearCandidates = 2;
    using RearGraphs = std::array<std::unique_ptr<media::CVideoGraph>, kRearCandidates>;

    RecordingOpener();
    // Gives up an opening in progress and waits for its workers.
    ~RecordingOpener();
    RecordingOpener(const RecordingOpener &) = delete;
    RecordingOpener &operator=(const RecordingOpener &) = delete;

    // Starts opening. front and rear are new graphs of the players (CVideoPlayer::NewGraph; a null
    // front fails the opening, null rears mean no rear file); finished is called on the UI thread.
    // False, and nothing started, while another opening runs.
    bool Start(const QString &frontPath, std::unique_ptr<media::CVideoGraph> front, RearGraphs rear,
        RearFinder findRear, Finished finished);
    bool IsBusy() const { return m_current != nullptr; }
    // Gives up the opening in progress without waiting: its finished is never called, and its
    // graphs are destroyed on the UI thread once its workers have stopped.
    void Cancel();

    // The rear search of the recording library (same name with "R", else by creation time), with
    // the library's extensions as they are now.
    static RearFinder RearSearch(const library::RecordingLibrary &library);

private:
    struct Job;
    static void Run(Job *job);
    static void PrepareFront(Job &job);
    static void FindRear(Job &job);
    void Finish(Job *job);

    QObject m_receiver; // on the UI thread: the workers post their results to it
    std::vector<std::unique_ptr<Job>> m_jobs; // running, or given up and still stopping
    Job *m_current = nullptr;
};
