#include "media/export/ClipCaption.h"
#include "media/export/ClipExporter.h"
#include "media/recorder/PowerLossCut.h"
#include "media/recorder/SampleDrive.h"
#include "media/recorder/SampleRecordingWriter.h"
#include "media/telemetry/TelemetryExport.h"
#include "media/telemetry/TelemetryReader.h"
#include "support/Files.h"
#include "support/Process.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <atomic>

using media::ClipExporter;
using testsupport::RunProgram;

namespace {

// Four seconds of a 320x180 front camera (sound, telemetry) and a rear camera that shows nothing
// but a magenta test card, so that its picture is easy to find in the clip. The recordings lie in
// a folder of their own; clips go to "out" beside it.
struct Recordings {
    QTemporaryDir dir;
    QString front;
    QString rear;
    QString out;

    explicit Recordings(bool withFix = true)
    {
        using namespace media::recorder;
        EXPECT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("NORMAL")));
        EXPECT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("out")));
        out = dir.filePath(QStringLiteral("out"));
        front = dir.filePath(QStringLiteral("NORMAL/20240307_180530_FN.AVI"));
        rear = dir.filePath(QStringLiteral("NORMAL/20240307_180530_RN.AVI"));
        SampleRecordingPlan plan;
        plan.kind = 'N';
        plan.durationMs = 4000;
        plan.startUtcMs = 1'709'802'330'000; // 2024-03-07 09:05:30 UTC
        plan.gpsFix = withFix;
        const SampleDrive drive(17, 5);
        SampleRecordingWriter writer(plan, drive, 1, SampleVideoCodec::Automatic, 1);
        EXPECT_TRUE(writer.Write(front, { 'F', 320, 180, true, true })) << writer.ErrorString().toStdString();
        const auto made = RunProgram(QStringLiteral("ffmpeg"),
            { "-v", "error", "-f", "lavfi", "-i", "color=c=0xFF00FF:s=256x144:r=30:d=4", "-c:v", "mjpeg",
                "-q:v", "2", rear });
        EXPECT_TRUE(made.Ok()) << made.err.toStdString();
    }
};

QString outPath(const Recordings &source, const char *name)
{
    return source.out + QLatin1Char('/') + QLatin1String(name);
}

QByteArray sha256Of(const QString &path)
{
    const auto result = RunProgram(QStringLiteral("sha256sum"), { path });
    EXPECT_TRUE(result.Ok()) << result.err.toStdString();
    return result.out.left(64);
}

// Copies a folder elsewhere, as a recipient gets it, and checks its sums there.
testsupport::ProcessResult checkSumsElsewhere(const QString &folder)
{
    QTemporaryDir elsewhere;
    const auto copied = RunProgram(QStringLiteral("cp"), { "-r", folder, elsewhere.filePath("received") });
    EXPECT_TRUE(copied.Ok()) << copied.err.toStdString();
    return RunProgram(QStringLiteral("sh"),
        { "-c", QStringLiteral("cd '%1' && sha256sum -c SHA256SUMS").arg(elsewhere.filePath("received")) });
}

QJsonObject probe(const QString &path)
{
    const auto result = RunProgram(QStringLiteral("ffprobe"),
        { "-v", "error", "-print_format", "json", "-show_streams", "-show_format", path });
    EXPECT_TRUE(result.Ok()) << result.err.toStdString();
    return QJsonDocument::fromJson(result.out).object();
}

// The clip's picture at a time, decoded by Debian's ffmpeg.
QImage frameAt(const QString &clip, double seconds)
{
    const QString png = clip + QStringLiteral(".png");
    const auto result = RunProgram(QStringLiteral("ffmpeg"),
        { "-v", "error", "-y", "-ss", QString::number(seconds), "-i", clip, "-frames:v", "1", png });
    EXPECT_TRUE(result.Ok()) << result.err.toStdString();
    QImage image(png);
    QFile::remove(png);
    return image.convertToFormat(QImage::Format_RGB32);
}

bool isMagenta(QRgb c)
{
    return qRed(c) > 200 && qGreen(c) < 70 && qBlue(c) > 200;
}

// Mean absolute difference of the grey levels of two pictures within a rectangle.
double difference(const QImage &a, const QImage &b, const QRect &area)
{
    double sum = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            sum += std::abs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y)));
    return sum / (area.width() * area.height());
}

} // namespace

// The whole clip as the command line writes it: streams, span, picture in the picture, a caption
// below the recorder's pictures, track, provenance, sums, and progress on the terminal.
TEST(ClipExport, CommandLineWritesAVerifiableClip)
{
    Recordings source;
    const QString clip = outPath(source, "clip.mp4");
    const auto run = testsupport::RunCli({ "export", source.front, clip, "--from", "1", "--to", "3" });
    ASSERT_TRUE(run.Ok()) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("100 %")) << run.err.toStdString();

    const QJsonObject info = probe(clip);
    QStringList codecs;
    double videoSeconds = -1;
    for (const QJsonValue &stream : info[QStringLiteral("streams")].toArray()) {
        codecs << stream[QStringLiteral("codec_name")].toString();
        if (stream[QStringLiteral("codec_type")].toString() == QLatin1String("video"))
            videoSeconds = stream[QStringLiteral("duration")].toString().toDouble();
    }
    EXPECT_EQ(codecs, QStringList({ "h264", "aac" }));
    EXPECT_NEAR(videoSeconds, 2.0, 1.0 / 30);
    EXPECT_NEAR(info[QStringLiteral("format")][QStringLiteral("duration")].toString().toDouble(), 2.0, 0.1);
    QFile file(clip);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_LT(bytes.indexOf("moov"), bytes.indexOf("mdat")) << "the index is not at the front";

    // The rear's magenta fills a quarter of the width in the top right corner, inside a light
    // border, and nowhere else.
    const QImage withAll = frameAt(clip, 1.0);
    ASSERT_EQ(withAll.width(), 320);
    ASSERT_GT(withAll.height(), 180 + 20) << "no band for the caption below the picture";
    const int row = 180 / 8;
    int first = -1, last = -1;
    for (int x = 0; x < 320; ++x) {
        if (isMagenta(withAll.pixel(x, row))) {
            first = first < 0 ? x : first;
            last = x;
        }
    }
    EXPECT_GT(first, 320 / 2);
    EXPECT_NEAR(last - first + 1, 320 / 4, 3);
    EXPECT_LT(last, 320 - 3);
    EXPECT_GT(qGray(withAll.pixel(first - 2, row)), 180)
        << "no light border left of the picture in the picture";
    EXPECT_FALSE(isMagenta(withAll.pixel(60, 90)));

    // The same span without rear and caption: the recorder's own picture, its stamp in the bottom
    // left corner included, is the same in both; the caption lies wholly below it.
    const QString plain = outPath(source, "plain.mp4");
    ASSERT_TRUE(testsupport::RunCli(
        { "export", source.front, plain, "--from", "1", "--to", "3", "--rear", "none", "--no-overlay" })
                    .Ok());
    const QImage bare = frameAt(plain, 1.0);
    ASSERT_EQ(bare.size(), QSize(320, 180));
    EXPECT_FALSE(isMagenta(bare.pixel((first + last) / 2, row)));
    EXPECT_LT(difference(withAll, bare, QRect(0, 150, 200, 30)), 6.0) << "the recorder's stamp is covered";
    EXPECT_LT(difference(withAll, bare, QRect(20, 60, 120, 60)), 6.0);
    int light = 0;
    qint64 grey = 0;
    const QRect band(0, 181, 320, withAll.height() - 181);
    for (int y = band.top(); y <= band.bottom(); ++y) {
        for (int x = band.left(); x <= band.right(); ++x) {
            light += qGray(withAll.pixel(x, y)) > 180 ? 1 : 0;
            grey += qGray(withAll.pixel(x, y));
        }
    }
    EXPECT_GT(light, 100) << "no text in the caption band";
    EXPECT_LT(grey / (band.width() * band.height()), 90) << "the caption band is not dark";

    // The track holds the fixes of the span, in time order.
    QFile gpx(outPath(source, "clip.gpx"));
    ASSERT_TRUE(gpx.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&gpx);
    QStringList times;
    int points = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("trkpt")) {
            ++points;
            EXPECT_GT(std::abs(xml.attributes().value("lat").toDouble()), 0.1);
            EXPECT_GT(std::abs(xml.attributes().value("lon").toDouble()), 0.1);
        } else if (xml.name() == QLatin1String("time")) {
            times << xml.readElementText();
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(points, times.size());
    EXPECT_GE(times.size(), 2);
    EXPECT_LE(times.size(), 3);
    QStringList sorted = times;
    sorted.sort();
    EXPECT_EQ(times, sorted);

    // The folder checks with the standard tool wherever it is copied to: the sums name the clips,
    // tracks and provenance texts relative to it; the second export replaced no line of the first.
    const auto check = checkSumsElsewhere(source.out);
    EXPECT_TRUE(check.Ok()) << check.out.toStdString() << check.err.toStdString();
    EXPECT_EQ(check.out.count(": OK"), 6) << check.out.toStdString();
    for (const char *name : { "clip.mp4: OK", "clip.gpx: OK", "clip.provenance.txt: OK", "plain.mp4: OK" })
        EXPECT_TRUE(check.out.contains(name)) << name;

    // The provenance ties the clip to both recordings by name, size and SHA-256, says the span in
    // the recorder's time and how that time was found.
    const QString provenance
        = QString::fromUtf8(testsupport::ReadFile(outPath(source, "clip.provenance.txt")));
    for (const QString &recording : { source.front, source.rear }) {
        const QFileInfo info(recording);
        EXPECT_TRUE(provenance.contains(QStringLiteral("%1  %2  %3")
                                            .arg(info.fileName())
                                            .arg(info.size())
                                            .arg(QString::fromLatin1(sha256Of(recording)))))
            << provenance.toStdString();
    }
    EXPECT_TRUE(provenance.contains(
        QStringLiteral("Recorder time: 2024-03-07 18:05:31 +09:00 to 2024-03-07 18:05:33 +09:00")))
        << provenance.toStdString();
    EXPECT_TRUE(provenance.contains(QStringLiteral("UTC+09:00"))) << provenance.toStdString();
}

// A cancelled export leaves nothing: no clip, no part of one, no track, no sums.
TEST(ClipExport, CancelLeavesNoFile)
{
    Recordings source;
    media::ClipExportOptions options;
    options.frontPath = source.front;
    options.rearPath = ClipExporter::RearFileFor(source.front);
    EXPECT_EQ(options.rearPath, source.rear);
    options.outputPath = outPath(source, "cancelled.mp4");
    std::atomic_bool cancel = false;
    int calls = 0;
    ClipExporter exporter;
    const auto outcome = exporter.Run(options, &cancel, [&](int64_t doneMs, int64_t totalMs) {
        EXPECT_EQ(totalMs, 4000);
        EXPECT_LT(doneMs, totalMs);
        if (++calls == 20)
            cancel = true;
    });
    EXPECT_EQ(outcome, ClipExporter::Outcome::Cancelled);
    EXPECT_EQ(calls, 20);
    EXPECT_TRUE(QDir(source.out).isEmpty());

    // An empty span is refused, not written as an empty clip.
    options.fromMs = 5000;
    EXPECT_EQ(exporter.Run(options), ClipExporter::Outcome::Failed);
    EXPECT_FALSE(exporter.ErrorString().isEmpty());
    EXPECT_TRUE(QDir(source.out).isEmpty());

    // A recording cut by a power loss (the crash itself, often) says nothing of its length in its
    // headers: without marks the whole of it is exported.
    QString error;
    ASSERT_TRUE(media::recorder::CutLikePowerLoss(source.front, {}, &error)) << error.toStdString();
    options.fromMs = 0;
    options.rearPath.clear();
    options.outputPath = outPath(source, "crash.mp4");
    ASSERT_EQ(exporter.Run(options), ClipExporter::Outcome::Done) << exporter.ErrorString().toStdString();
    EXPECT_NEAR(
        probe(options.outputPath)[QStringLiteral("format")][QStringLiteral("duration")].toString().toDouble(),
        4.0, 0.1);
}

// An export never writes over a recording or into the card, however the output is spelled, and
// never over an earlier clip unless told to: refused before anything is written, exit code 1.
TEST(ClipExport, NeverWritesOverTheCardOrAnEarlierClip)
{
    Recordings source;
    // The folder above the recordings holds the recorder's settings: it is the card.
    ASSERT_TRUE(testsupport::WriteFile(source.dir.filePath(QStringLiteral("setup.xml")), "<setup/>"));
    const QStringList cardFiles = { source.front, source.rear };
    const QByteArray frontSum = sha256Of(source.front);
    const QByteArray rearSum = sha256Of(source.rear);
    QTemporaryDir other;
    const QString hardLinkedTrack = other.filePath(QStringLiteral("rec.gpx"));
    ASSERT_TRUE(RunProgram(QStringLiteral("ln"), { source.front, hardLinkedTrack }).Ok());
    ASSERT_TRUE(QFile::link(source.rear, other.filePath(QStringLiteral("alias.mp4"))));
    ASSERT_TRUE(
        QFile::link(source.dir.filePath(QStringLiteral("NORMAL")), other.filePath(QStringLiteral("card"))));
    const struct {
        QString output;
        const char *said;
    } refused[] = {
        { source.front, "itself" },
        { source.rear, "itself" },
        { source.dir.filePath(QStringLiteral("NORMAL/../NORMAL/x_FN.AVI")), "card" },
        { source.dir.filePath(QStringLiteral("clip.mp4")), "card" },
        { source.dir.filePath(QStringLiteral("EVENT/new/clip.mp4")), "card" },
        { other.filePath(QStringLiteral("rec.mp4")), "itself" }, // its track would be the recording
        { other.filePath(QStringLiteral("alias.mp4")), "itself" },
        { other.filePath(QStringLiteral("card/clip.mp4")), "card" }, // a link to the card's folder
        { other.filePath(QStringLiteral("card/new/../clip.mp4")), "card" },
    };
    for (const auto &[output, said] : refused) {
        const auto run = testsupport::RunCli({ "export", source.front, output, "--force" });
        EXPECT_EQ(run.exitCode, 1) << output.toStdString();
        EXPECT_TRUE(run.err.contains(said)) << output.toStdString() << ": " << run.err.toStdString();
    }
    EXPECT_EQ(sha256Of(source.front), frontSum);
    EXPECT_EQ(sha256Of(source.rear), rearSum);
    EXPECT_EQ(QDir(source.dir.filePath(QStringLiteral("NORMAL"))).entryList(QDir::Files),
        QStringList({ "20240307_180530_FN.AVI", "20240307_180530_RN.AVI" }));
    EXPECT_EQ(QDir(source.dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
        QStringList({ "NORMAL", "out", "setup.xml" }));
    EXPECT_EQ(
        QDir(other.path()).entryList(QDir::Files | QDir::System), QStringList({ "alias.mp4", "rec.gpx" }));

    // A recording that is not there is named as such (not taken for a card around the clip).
    const auto missing = testsupport::RunCli({ "export", other.filePath(QStringLiteral("gone_FN.AVI")),
        other.filePath(QStringLiteral("gone.mp4")) });
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains("no recording at")) << missing.err.toStdString();

    // An earlier clip stays unless --force says to replace it.
    const QString clip = other.filePath(QStringLiteral("clip.mp4"));
    ASSERT_TRUE(testsupport::RunCli({ "export", source.front, clip, "--to", "1" }).Ok());
    const QByteArray first = sha256Of(clip);
    const auto again = testsupport::RunCli({ "export", source.front, clip, "--from", "1", "--to", "2" });
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_TRUE(again.err.contains("--force")) << again.err.toStdString();
    EXPECT_EQ(sha256Of(clip), first);
    ASSERT_TRUE(
        testsupport::RunCli({ "export", source.front, clip, "--from", "1", "--to", "2", "--force" }).Ok());
    EXPECT_NE(sha256Of(clip), first);
}

// The rear picture below the front, no sound, the recordings copied: a taller clip whose folder
// checks on its own; the rear file given as the front is said to carry no GPS track.
TEST(ClipExport, StackedWithoutSoundWithItsSources)
{
    Recordings source;
    const QString clip = outPath(source, "stacked.mp4");
    const auto run = testsupport::RunCli({ "export", source.front, clip, "--from", "1", "--to", "3",
        "--layout", "stacked", "--no-audio", "--with-sources" });
    ASSERT_TRUE(run.Ok()) << run.err.toStdString();
    QStringList codecs;
    for (const QJsonValue &stream : probe(clip)[QStringLiteral("streams")].toArray())
        codecs << stream[QStringLiteral("codec_name")].toString();
    EXPECT_EQ(codecs, QStringList({ "h264" }));

    // 256x144 rear at the front's width is 320x180, below the 320x180 front, then the caption.
    const QImage frame = frameAt(clip, 1.0);
    ASSERT_EQ(frame.width(), 320);
    ASSERT_GT(frame.height(), 360);
    for (const int x : { 5, 160, 314 }) {
        EXPECT_TRUE(isMagenta(frame.pixel(x, 270))) << x;
        EXPECT_FALSE(isMagenta(frame.pixel(x, 20))) << x;
        EXPECT_FALSE(isMagenta(frame.pixel(x, 175))) << x;
        EXPECT_FALSE(isMagenta(frame.pixel(x, 365))) << x;
    }

    EXPECT_EQ(QDir(source.out + QStringLiteral("/sources")).entryList(QDir::Files),
        QStringList({ "20240307_180530_FN.AVI", "20240307_180530_RN.AVI" }));
    EXPECT_EQ(
        sha256Of(source.out + QStringLiteral("/sources/20240307_180530_FN.AVI")), sha256Of(source.front));
    const auto check = checkSumsElsewhere(source.out);
    EXPECT_TRUE(check.Ok()) << check.out.toStdString() << check.err.toStdString();
    EXPECT_TRUE(check.out.contains("sources/20240307_180530_RN.AVI: OK")) << check.out.toStdString();
    EXPECT_FALSE(testsupport::ReadFile(source.out + QStringLiteral("/SHA256SUMS"))
                     .contains(source.dir.path().toUtf8()));

    const auto rearAsFront
        = testsupport::RunCli({ "export", source.rear, outPath(source, "rear.mp4"), "--to", "1" });
    ASSERT_TRUE(rearAsFront.Ok()) << rearAsFront.err.toStdString();
    EXPECT_TRUE(rearAsFront.err.contains("carries no GPS track")) << rearAsFront.err.toStdString();
    EXPECT_FALSE(run.err.contains("carries no GPS track"));
}

// Sound that starts half a second after the picture keeps its delay in the clip, as the player
// plays it: times count from the file's common start, not from each stream's own.
TEST(ClipExport, LateSoundKeepsItsDelay)
{
    QTemporaryDir dir;
    const QString late = dir.filePath(QStringLiteral("late.mkv"));
    const auto made = RunProgram(QStringLiteral("ffmpeg"),
        { "-v", "error", "-f", "lavfi", "-i", "testsrc=s=320x240:r=25:d=3", "-itsoffset", "0.5", "-f",
            "lavfi", "-i", "sine=f=1000:d=2.5:sample_rate=48000", "-map", "0:v", "-map", "1:a", "-c:v",
            "mjpeg", "-c:a", "pcm_s16le", late });
    ASSERT_TRUE(made.Ok()) << made.err.toStdString();
    QTemporaryDir out;
    const QString clip = out.filePath(QStringLiteral("late.mp4"));
    const auto run = testsupport::RunCli({ "export", late, clip, "--rear", "none", "--no-overlay" });
    ASSERT_TRUE(run.Ok()) << run.err.toStdString();
    const auto sound = RunProgram(QStringLiteral("ffmpeg"),
        { "-v", "error", "-i", clip, "-vn", "-ac", "1", "-ar", "8000", "-f", "s16le", "-" });
    ASSERT_TRUE(sound.Ok()) << sound.err.toStdString();
    const auto *samples = reinterpret_cast<const int16_t *>(sound.out.constData());
    const qsizetype count = sound.out.size() / 2;
    qsizetype firstLoud = -1;
    for (qsizetype i = 0; i < count && firstLoud < 0; ++i)
        firstLoud = std::abs(samples[i]) > 3000 ? i : -1;
    ASSERT_GE(firstLoud, 0) << "no sound in the clip";
    EXPECT_NEAR(firstLoud / 8000.0, 0.5, 0.05);
}
