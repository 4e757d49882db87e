// Listing a card reads each recording's headers: that must cost the same for a 10-second and
// a 10-minute file and touch at most 64 KiB. The whole chunk walk is measured beside it, and the
// listing length of a file that a power loss left with 0 frames in its header, which pays for
// that walk (the cut copies are made beside the recordings).
//
// The recordings (1080p MPEG-4 with PCM audio) are made with ffmpeg on the first run and kept
// in <temp>/tavin-bench-container: ten seconds are encoded, longer files are the same clip
// looped with stream copy, which takes a second or two.

#include "media/AviFileInfo.h"
#include "media/AviHeaderReader.h"
#include "media/RecordingLength.h"
#include "media/recorder/PowerLossCut.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

using namespace media;

namespace {

bool RunFfmpeg(const QStringList &args)
{
    QProcess process;
    process.start(QStringLiteral("ffmpeg"), QStringList { "-nostdin", "-v", "error", "-y" } + args);
    if (!process.waitForStarted() || !process.waitForFinished(5 * 60 * 1000))
        return false;
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        std::fprintf(stderr, "ffmpeg failed: %s\n", process.readAllStandardError().constData());
        return false;
    }
    return true;
}

// Returns the path of a 1080p recording of the given length, making it when needed.
QString Recording(const QDir &folder, int seconds)
{
    const QString clip = folder.filePath(QStringLiteral("clip-10s.avi"));
    if (!QFileInfo::exists(clip)) {
        const QString partial = clip + QStringLiteral(".part.avi");
        if (!RunFfmpeg({ "-f", "lavfi", "-i", "testsrc2=s=1920x1080:r=30", "-f", "lavfi", "-i",
                "sine=r=16000", "-t", "10", "-c:v", "mpeg4", "-b:v", "200k", "-g", "300", "-c:a", "pcm_s16le",
                "-ac", "1", partial })
            || !QFile::rename(partial, clip))
            return QString();
    }
    if (seconds == 10)
        return clip;
    const QString path = folder.filePath(QStringLiteral("clip-%1s.avi").arg(seconds));
    if (!QFileInfo::exists(path)) {
        const QString partial = path + QStringLiteral(".part.avi");
        if (!RunFfmpeg(
                { "-stream_loop", QString::number(seconds / 10 - 1), "-i", clip, "-c", "copy", partial })
            || !QFile::rename(partial, path))
            return QString();
    }
    return path;
}

void HeaderRead(benchmark::State &state, const QByteArray &path)
{
    AviReadStats stats;
    int length = 0;
    for (auto _ : state) {
        AviFileInfo info;
        stats = AviReadStats();
        if (!ReadAviHeaderInfo(path.constData(), info, {}, &stats)) {
            state.SkipWithError("not read as an AVI file");
            return;
        }
        length = RecordingLengthSeconds(info.mainHeader);
        benchmark::DoNotOptimize(length);
    }
    if (stats.bytesRead > kAviHeaderWindow)
        state.SkipWithError("the header read touched more than 64 KiB");
    state.counters["bytes_read"] = static_cast<double>(stats.bytesRead);
    state.counters["read_calls"] = stats.readCalls;
    state.counters["length_s"] = length;
    state.counters["file_MB"] = static_cast<double>(QFileInfo(QFile::decodeName(path)).size()) / 1e6;
}

// A copy of the recording cut the way a power loss cuts it.
QString CutCopy(const QString &path)
{
    const QString cut = path.left(path.size() - 4) + QStringLiteral("-cut.avi");
    if (QFileInfo::exists(cut))
        return cut;
    const QString partial = cut + QStringLiteral(".part.avi");
    QFile::remove(partial);
    QString error;
    if (!QFile::copy(path, partial) || !media::recorder::CutLikePowerLoss(partial, {}, &error)
        || !QFile::rename(partial, cut)) {
        std::fprintf(stderr, "cannot cut %s: %s\n", qPrintable(path), qPrintable(error));
        return QString();
    }
    return cut;
}

// The length a listing shows: one header read, and for a 0-frame header the whole walk.
void ListingLength(benchmark::State &state, const QByteArray &path)
{
    int length = 0;
    for (auto _ : state) {
        length = ReadRecordingLength(path.constData());
        benchmark::DoNotOptimize(length);
    }
    if (length <= 0)
        state.SkipWithError("no length");
    state.counters["length_s"] = length;
    state.counters["file_MB"] = static_cast<double>(QFileInfo(QFile::decodeName(path)).size()) / 1e6;
}

void WholeWalk(benchmark::State &state, const QByteArray &path)
{
    AviReadStats stats;
    AviFileInfo info;
    for (auto _ : state) {
        info = AviFileInfo();
        stats = AviReadStats();
        if (!ReadAviFileInfo(path.constData(), info, {}, &stats)) {
            state.SkipWithError("not read as an AVI file");
            return;
        }
        benchmark::DoNotOptimize(info);
    }
    state.counters["bytes_read"] = static_cast<double>(stats.bytesRead);
    state.counters["chunks"] = stats.chunksVisited;
    state.counters["video_chunks"] = info.videoChunks;
    state.counters["file_MB"] = static_cast<double>(QFileInfo(QFile::decodeName(path)).size()) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    QDir folder(QDir::temp().filePath(QStringLiteral("tavin-bench-container")));
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(folder.path()));
        return 1;
    }
    for (int seconds : { 10, 60, 600 }) {
        const QString path = Recording(folder, seconds);
        if (path.isEmpty()) {
            std::fprintf(stderr, "cannot make the %d s recording\n", seconds);
            return 1;
        }
        const QByteArray native = QFile::encodeName(path);
        const std::string suffix = "/1080p_" + std::to_string(seconds) + "s";
        benchmark::RegisterBenchmark(("HeaderRead" + suffix).c_str(), HeaderRead, native);
        benchmark::RegisterBenchmark(("WholeWalk" + suffix).c_str(), WholeWalk, native);
        const QString cut = CutCopy(path);
        if (cut.isEmpty())
            return 1;
        benchmark::RegisterBenchmark(("ListingLength" + suffix).c_str(), ListingLength, native);
        benchmark::RegisterBenchmark(
            ("ListingLengthPowerLoss" + suffix).c_str(), ListingLength, QFile::encodeName(cut));
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
