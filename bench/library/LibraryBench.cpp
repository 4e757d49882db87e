// Listing a card: 2,000 recordings, once their files are in the page cache, against asking
// ffprobe for each file's length (measured on fewer files and scaled to 2,000).
//
// The recordings are copies of the sample recorder's short files (front and rear of every kind),
// spread over the recorder's folders under new names; they are made on the first run and kept
// in <temp>/tavin-bench-library.

#include "library/RecordingLibrary.h"
#include "media/recorder/SampleCardGenerator.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <benchmark/benchmark.h>

#include <cstdio>

extern "C" {
#include <libavutil/log.h>
}

namespace {

constexpr int kCardFiles = 2000;
constexpr int kProbedFiles = 20;

// Makes the card of kCardFiles recordings below folder/card; returns its root or an empty string.
QString MakeCard(const QDir &folder)
{
    const QString root = folder.filePath(QStringLiteral("card"));
    const QString stamp = folder.filePath(QStringLiteral("complete"));
    if (QFileInfo::exists(stamp))
        return root;
    QDir(root).removeRecursively();
    const QString source = folder.filePath(QStringLiteral("source"));
    QDir(source).removeRecursively();
    av_log_set_level(AV_LOG_ERROR); // the encoders' statistics are of no interest here
    media::recorder::SampleCardOptions options;
    options.directory = source;
    media::recorder::SampleCardGenerator generator(options);
    if (!generator.Generate()) {
        std::fprintf(stderr, "sample recorder: %s\n", qPrintable(generator.ErrorString()));
        return QString();
    }
    const QStringList files = generator.WrittenFiles().filter(QStringLiteral(".AVI"));
    for (int i = 0; i < kCardFiles; ++i) {
        const QString from = files.at(i % files.size());
        const QFileInfo original(QDir(source).filePath(from));
        // A new time stamp per recording; channel and kind letters stay as the recorder wrote them.
        const QString name = QStringLiteral("20240308_%1_%2")
                                 .arg(i / 2, 6, 10, QLatin1Char('0'))
                                 .arg(original.fileName().section(QLatin1Char('_'), -1));
        const QString target = QDir(root).filePath(original.dir().dirName() + QLatin1Char('/') + name);
        if (!QDir().mkpath(QFileInfo(target).path()) || !QFile::copy(original.filePath(), target)) {
            std::fprintf(stderr, "cannot copy %s\n", qPrintable(target));
            return QString();
        }
    }
    QFile done(stamp);
    if (!done.open(QIODevice::WriteOnly))
        return QString();
    return root;
}

void ListCard(benchmark::State &state, const QString &root)
{
    size_t files = 0;
    qint64 totalSeconds = 0;
    for (auto _ : state) {
        const std::vector<library::Recording> recordings = library::ListRecordings(root, {});
        files = recordings.size();
        totalSeconds = 0;
        for (const library::Recording &recording : recordings)
            totalSeconds += recording.lengthSeconds;
        benchmark::DoNotOptimize(totalSeconds);
    }
    if (files != static_cast<size_t>(kCardFiles))
        state.SkipWithError("not every recording was listed");
    state.counters["files"] = static_cast<double>(files);
    state.counters["listed_s"] = static_cast<double>(totalSeconds);
    state.counters["us_per_file"]
        = benchmark::Counter(static_cast<double>(files) * static_cast<double>(state.iterations()),
            benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::kIs1000);
}

// ffprobe for kProbedFiles files per iteration; the counter scales its time to the whole card.
void ProbeFiles(benchmark::State &state, const QStringList &paths)
{
    double seconds = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        for (const QString &path : paths) {
            QProcess process;
            process.start(QStringLiteral("ffprobe"),
                { "-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0", path });
            if (!process.waitForFinished(30000) || process.exitCode() != 0) {
                state.SkipWithError("ffprobe failed");
                return;
            }
            benchmark::DoNotOptimize(process.readAllStandardOutput());
        }
        seconds += timer.nsecsElapsed() / 1e9;
    }
    state.counters["files"] = paths.size();
    state.counters["s_per_2000_files"]
        = seconds / static_cast<double>(state.iterations()) * kCardFiles / static_cast<double>(paths.size());
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    const QDir folder(QDir::temp().filePath(QStringLiteral("tavin-bench-library")));
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(folder.path()));
        return 1;
    }
    const QString root = MakeCard(folder);
    if (root.isEmpty())
        return 1;
    // One listing before the measurement brings the files into the page cache.
    const std::vector<library::Recording> warm = library::ListRecordings(root, {});
    QStringList probed;
    for (size_t i = 0; i < warm.size() && probed.size() < kProbedFiles; i += warm.size() / kProbedFiles)
        probed << warm[i].path;

    benchmark::RegisterBenchmark("ListCard/2000_recordings_cached", ListCard, root)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("FfprobePerFile/20_recordings", ProbeFiles, probed)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
