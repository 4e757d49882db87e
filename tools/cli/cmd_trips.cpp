// tavin-cli trips: the drives and parking sessions of a card or folder, with what their telemetry says.

#include "CliCommand.h"

#include "library/RecordingLibrary.h"
#include "library/RecordingSummary.h"
#include "library/TripModel.h"
#include "media/RecorderClock.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>

using namespace library;

namespace {

// One decimal is all a distance in metres or a speed in km/h can claim from a recorder's GPS.
double OneDecimal(double value)
{
    return std::round(value * 10.0) / 10.0;
}

// Every front recording's summary, read on a few workers as the main window will.
std::vector<RecordingSummary> Summarize(const QStringList &paths)
{
    std::vector<RecordingSummary> summaries(size_t(paths.size()));
    std::atomic<qsizetype> next { 0 };
    const auto work = [&]() {
        for (qsizetype i = next++; i < paths.size(); i = next++)
            summaries[size_t(i)] = SummarizeRecording(paths[i]);
    };
    const unsigned workers = std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
    std::vector<std::thread> threads;
    for (unsigned i = 1; i < workers; ++i)
        threads.emplace_back(work);
    work();
    for (std::thread &thread : threads)
        thread.join();
    return summaries;
}

int RunTrips(const QStringList &args)
{
    bool json = false;
    QString folder;
    if (!ParseFolderArguments(args, QStringLiteral("trips"), &folder, &json))
        return 2;
    if (!QFileInfo(folder).isDir()) {
        CliErr(QStringLiteral("tavin-cli trips: %1: not a folder\n").arg(folder));
        return 1;
    }

    const std::vector<Recording> listing = ListRecordings(QDir(folder).absolutePath(), VideoExtensions());
    TripModel model;
    model.Build(listing);
    QStringList fronts;
    for (const Trip &trip : model.Trips()) {
        for (const TripRecording &recording : trip.recordings)
            fronts << recording.path;
    }
    const std::vector<RecordingSummary> summaries = Summarize(fronts);
    for (qsizetype i = 0; i < fronts.size(); ++i)
        model.MergeSummary(fronts[i], summaries[size_t(i)]);

    QJsonArray out;
    for (const Trip &trip : model.Trips()) {
        const QString kind
            = trip.kind == TripKind::Drive ? QStringLiteral("drive") : QStringLiteral("parking");
        if (json) {
            QJsonArray recordings;
            QJsonArray rears;
            for (const TripRecording &recording : trip.recordings) {
                recordings.append(recording.path);
                rears.append(recording.rearPath);
            }
            QJsonObject object {
                { "kind", kind },
                { "start", Trip::TimeText(trip.start) },
                { "end", Trip::TimeText(trip.end) },
                { "duration_s", double(trip.DurationMs()) / 1000.0 },
                { "recordings", recordings },
                { "rear", rears },
                { "gaps", trip.gaps },
                { "overlapped", int(trip.marks.size()) },
                { "events", trip.events },
                { "impacts", trip.impacts },
                { "distance_m", OneDecimal(trip.distanceM) },
                { "max_speed_kmh", OneDecimal(trip.maxSpeedKmh) },
            };
            object.insert(QStringLiteral("utc_offset"),
                trip.utcOffsetSeconds ? QJsonValue(media::RecorderClock::OffsetText(*trip.utcOffsetSeconds))
                                      : QJsonValue());
            out.append(object);
            continue;
        }
        CliOut(QStringLiteral(
            "%1\t%2 - %3\t%4\t%5 recordings, %6 gaps, %7 events, %8 impacts, %9 km, max %10 km/h\n")
                   .arg(kind, trip.StartText(), trip.EndText(), FormatLength(int(trip.DurationMs() / 1000)))
                   .arg(trip.recordings.size())
                   .arg(trip.gaps)
                   .arg(trip.events)
                   .arg(trip.impacts)
                   .arg(trip.distanceM / 1000.0, 0, 'f', 2)
                   .arg(trip.maxSpeedKmh, 0, 'f', 0));
        for (const TripRecording &recording : trip.recordings)
            CliOut(QStringLiteral("\t%1\n").arg(recording.path));
    }
    if (json)
        CliOut(QString::fromUtf8(QJsonDocument(out).toJson(QJsonDocument::Indented)));
    if (model.SkippedCount() > 0 && !json)
        CliErr(
            QStringLiteral("tavin-cli trips: %1 files with names that tell no recorder time were left out\n")
                .arg(model.SkippedCount()));
    return 0;
}

} // namespace

TAVIN_CLI_COMMAND(QStringLiteral("trips"),
    QStringLiteral(
        "trips DIR [--json]   the drives and parking sessions of a card or folder: start and end in "
        "the recorder's time, recordings, gaps, events, distance and top speed"),
    false, RunTrips);
