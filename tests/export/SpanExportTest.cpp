#include "library/RecordingLibrary.h"
#include "library/TripModel.h"
#include "media/export/ClipExporter.h"
#include "media/export/TripSpan.h"
#include "media/recorder/SampleDrive.h"
#include "media/recorder/SampleRecordingWriter.h"
#include "support/Files.h"
#include "support/Process.h"

#include <QDir>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <cmath>

using media::ClipExporter;
using media::TripSpan;
using testsupport::RunCli;
using testsupport::RunProgram;

namespace {

// A card with one drive cut into two-second recordings, 160x90, starting at 18:05:30, :32 and :34
// (recorder time, UTC+9), a gap, one at :40, and a second drive at 18:10:00. Each rear camera
// shows a colour of its own, so that a clip's picture tells which recording it came from.
struct Card {
    QTemporaryDir dir;
    QString root;
    QString out;
    QStringList fronts;
    QStringList rears;

    Card()
    {
        using namespace media::recorder;
        root = dir.filePath(QStringLiteral("card"));
        out = dir.filePath(QStringLiteral("out"));
        EXPECT_TRUE(QDir().mkpath(root + QStringLiteral("/NORMAL")));
        EXPECT_TRUE(QDir().mkpath(out));
        EXPECT_TRUE(testsupport::WriteFile(root + QStringLiteral("/setup.xml"), "<setup/>"));
        const SampleDrive drive(23, 400);
        const struct {
            int startS; // seconds after 18:05:30
            const char *colour;
        } recordings[] = { { 0, "red" }, { 2, "lime" }, { 4, "blue" }, { 10, "yellow" }, { 270, "white" } };
        for (const auto &[startS, colour] : recordings) {
            SampleRecordingPlan plan;
            plan.folder = QStringLiteral("NORMAL");
            plan.startUtcMs = 1'709'802'330'000 + startS * 1000LL; // 09:05:30 UTC
            plan.durationMs = 2000;
            plan.driveStartS = startS;
            SampleRecordingWriter writer(plan, drive, 7, SampleVideoCodec::Automatic, 1);
            fronts << root + QLatin1Char('/') + plan.RelativePath('F');
            rears << root + QLatin1Char('/') + plan.RelativePath('R');
            EXPECT_TRUE(writer.Write(fronts.back(), { 'F', 160, 90, true, true }))
                << writer.ErrorString().toStdString();
            const auto made = RunProgram(QStringLiteral("ffmpeg"),
                { "-v", "error", "-f", "lavfi", "-i",
                    QStringLiteral("color=c=%1:s=128x72:r=30:d=2").arg(colour), "-c:v", "mjpeg",
                    rears.back() });
            EXPECT_TRUE(made.Ok()) << made.err.toStdString();
        }
    }
    QString Out(const char *name) const { return out + QLatin1Char('/') + QLatin1String(name); }
};

// Frames of the clip's picture as ffmpeg counts them by decoding, and the picture and sound
// streams' lengths in seconds.
struct Probed {
    int frames = -1;
    double pictureS = -1;
    double soundS = -1;
};
Probed Probe(const QString &clip)
{
    const auto run = RunProgram(QStringLiteral("ffprobe"),
        { "-v", "error", "-count_frames", "-show_entries", "stream=codec_type,duration,nb_read_frames", "-of",
            "csv=p=0", clip });
    EXPECT_TRUE(run.Ok()) << run.err.toStdString();
    Probed probed;
    for (const QByteArray &line : run.out.trimmed().split('\n')) {
        const QList<QByteArray> fields = line.split(',');
        if (fields.value(0) == "video") {
            probed.pictureS = fields.value(1).toDouble();
            probed.frames = fields.value(2).toInt();
        } else if (fields.value(0) == "audio") {
            probed.soundS = fields.value(1).toDouble();
        }
    }
    return probed;
}

// The colour in the middle of the picture in the picture of frame n (counted from 0).
QRgb RearColourAt(const QString &clip, int n)
{
    const auto run = RunProgram(QStringLiteral("ffmpeg"),
        { "-v", "error", "-i", clip, "-vf", QStringLiteral("select=eq(n\\,%1),crop=2:2:130:15").arg(n),
            "-frames:v", "1", "-f", "rawvideo", "-pix_fmt", "rgb24", "-" });
    EXPECT_TRUE(run.Ok() && run.out.size() >= 3) << n << run.err.toStdString();
    const auto *rgb = reinterpret_cast<const uchar *>(run.out.constData());
    return run.out.size() >= 3 ? qRgb(rgb[0], rgb[1], rgb[2]) : 0;
}

// Near enough to the pure colour after the clip's encoding.
bool Looks(QRgb c, QRgb pure)
{
    return std::abs(qRed(c) - qRed(pure)) < 60 && std::abs(qGreen(c) - qGreen(pure)) < 60
        && std::abs(qBlue(c) - qBlue(pure)) < 60;
}

// The sound's loudness (RMS of 16-bit mono at 8 kHz) from second `from` to `to` of the clip.
double Loudness(const QString &clip, double from, double to)
{
    const auto run = RunProgram(QStringLiteral("ffmpeg"),
        { "-v", "error", "-i", clip, "-vn", "-ac", "1", "-ar", "8000", "-f", "s16le", "-" });
    EXPECT_TRUE(run.Ok()) << run.err.toStdString();
    const auto *samples = reinterpret_cast<const int16_t *>(run.out.constData());
    const qsizetype end = std::min<qsizetype>(run.out.size() / 2, qsizetype(to * 8000));
    double sum = 0;
    for (qsizetype i = qsizetype(from * 8000); i < end; ++i)
        sum += double(samples[i]) * samples[i];
    return end > qsizetype(from * 8000) ? std::sqrt(sum / double(end - qsizetype(from * 8000))) : 0;
}

} // namespace

// A span from 18:05:31 to 18:05:35 runs over three recordings: every picture once, the right
// recording's picture on each side of a joint, sound and track over the whole span, and every
// recording tied to the clip by its sum. The main window's entry (a trip and its milliseconds)
// gives the same pieces as the recorder's times.
TEST(SpanExport, PlaysRecordingsEndToEnd)
{
    Card card;
    media::ClipExportOptions options;
    QString error;
    ASSERT_TRUE(
        TripSpan::PiecesIn(card.root, "2024-03-07 18:05:31", "2024-03-07 18:05:35", &options.pieces, &error))
        << error.toStdString();
    ASSERT_EQ(options.pieces.size(), 3u);
    const int64_t expected[][2] = { { 1000, 2000 }, { 0, 2000 }, { 0, 1000 } };
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(options.pieces[i].frontPath, card.fronts[qsizetype(i)]);
        EXPECT_EQ(options.pieces[i].rearPath, card.rears[qsizetype(i)]);
        EXPECT_EQ(options.pieces[i].fromMs, expected[i][0]);
        EXPECT_EQ(options.pieces[i].toMs, expected[i][1]);
        EXPECT_EQ(options.pieces[i].gapBeforeMs, 0);
    }
    library::TripModel model;
    model.Build(library::ListRecordings(card.root, library::VideoExtensions()));
    ASSERT_EQ(model.Trips().size(), 2u);
    std::vector<media::ClipPiece> fromTrip;
    ASSERT_TRUE(TripSpan::PiecesOf(model.Trips().front(), 1000, 5000, &fromTrip, &error));
    ASSERT_EQ(fromTrip.size(), 3u);
    EXPECT_EQ(fromTrip[1].frontPath, options.pieces[1].frontPath);
    EXPECT_EQ(fromTrip[2].toMs, options.pieces[2].toMs);
    EXPECT_FALSE(TripSpan::PiecesOf(model.Trips().front(), 5000, 1000, &fromTrip, &error));

    options.outputPath = card.Out("span.mp4");
    ClipExporter exporter;
    ASSERT_EQ(exporter.Run(options), ClipExporter::Outcome::Done) << exporter.ErrorString().toStdString();
    const Probed probed = Probe(options.outputPath);
    EXPECT_EQ(probed.frames, 120);
    EXPECT_NEAR(probed.pictureS, 4.0, 1.0 / 30);
    EXPECT_NEAR(probed.soundS, 4.0, 0.07);
    EXPECT_EQ(exporter.Frames(), 120);

    // Frames 0-29 are the first recording's, 30-89 the second's, 90-119 the third's.
    const QRgb red = qRgb(255, 0, 0), lime = qRgb(0, 255, 0), blue = qRgb(0, 0, 255);
    for (const auto &[frame, colour] :
        { std::pair { 0, red }, { 29, red }, { 30, lime }, { 89, lime }, { 90, blue }, { 119, blue } })
        EXPECT_TRUE(Looks(RearColourAt(options.outputPath, frame), colour)) << "frame " << frame;
    // The next recording's sound follows right after each joint (its own first 64 ms are the
    // encoder's quiet lead-in), and the one before sounds up to it.
    for (const double joint : { 1.0, 3.0 }) {
        EXPECT_GT(Loudness(options.outputPath, joint - 0.2, joint - 0.01), 300) << joint;
        EXPECT_GT(Loudness(options.outputPath, joint + 0.08, joint + 0.3), 300) << joint;
    }

    // The track has the fixes of the whole span, in order.
    QFile gpx(exporter.GpxPath());
    ASSERT_TRUE(gpx.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&gpx);
    QStringList times;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("time"))
            times << xml.readElementText();
    }
    // 31 s to 35 s: a fix at every whole second but the end, where the next clip would start.
    EXPECT_EQ(times,
        QStringList({ "2024-03-07T09:05:31Z", "2024-03-07T09:05:32Z", "2024-03-07T09:05:33Z",
            "2024-03-07T09:05:34Z" }))
        << times.join(' ').toStdString();

    const QString provenance = QString::fromUtf8(testsupport::ReadFile(exporter.ProvenancePath()));
    for (qsizetype i = 0; i < 3; ++i) {
        for (const QString &source : { card.fronts[i], card.rears[i] })
            EXPECT_TRUE(provenance.contains(QFileInfo(source).fileName() + "  ")) << source.toStdString();
    }
    EXPECT_FALSE(provenance.contains(QFileInfo(card.fronts[3]).fileName()));
    EXPECT_TRUE(
        provenance.contains("Recorder time: 2024-03-07 18:05:31 +09:00 to 2024-03-07 18:05:35 +09:00"))
        << provenance.toStdString();
    const auto check = RunProgram(
        QStringLiteral("sh"), { "-c", QStringLiteral("cd '%1' && sha256sum -c SHA256SUMS").arg(card.out) });
    EXPECT_TRUE(check.Ok()) << check.out.toStdString() << check.err.toStdString();
}

// The command line takes the card and the recorder's times; a gap where nothing was recorded is
// stepped over and told.
TEST(SpanExport, CommandLineStepsOverAGap)
{
    Card card;
    const QString clip = card.Out("gap.mp4");
    const auto run = RunCli(
        { "export", card.root, clip, "--start", "2024-03-07 18:05:35", "--end", "2024-03-07 18:05:41" });
    ASSERT_TRUE(run.Ok()) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("after a gap of 4.0 s")) << run.out.toStdString();
    // One second before the gap and one after it.
    const Probed probed = Probe(clip);
    EXPECT_EQ(probed.frames, 60);
    EXPECT_NEAR(probed.pictureS, 2.0, 1.0 / 30);
    EXPECT_TRUE(Looks(RearColourAt(clip, 29), qRgb(0, 0, 255)));
    EXPECT_TRUE(Looks(RearColourAt(clip, 30), qRgb(255, 255, 0)));
    const QString provenance = QString::fromUtf8(testsupport::ReadFile(card.Out("gap.provenance.txt")));
    EXPECT_TRUE(provenance.contains("gap: nothing was recorded for 4.0 s, 2024-03-07 18:05:36 +09:00 to "
                                    "2024-03-07 18:05:40 +09:00"))
        << provenance.toStdString();
}

// Spans that no clip can play are refused with their reason, and nothing is written.
TEST(SpanExport, RefusesSpansItCannotPlay)
{
    Card card;
    const QString clip = card.Out("never.mp4");
    const struct {
        const char *start;
        const char *end;
        const char *said;
    } refused[] = {
        { "2024-03-07 18:05:37", "2024-03-07 18:05:39", "lies in a gap" },
        { "2024-03-07 18:05:33", "2024-03-07 18:05:31", "is not after the start" },
        { "2024/03/07 18:05:31", "2024-03-07 18:05:33", "is not a recorder time" },
        { "2024-03-07 18:05:31", "2024-03-07 18:10:01", "covers two trips" },
        { "2024-03-07 18:05:41", "2024-03-07 18:05:50", "runs past the end" },
        { "2024-03-08 09:00:00", "2024-03-08 09:00:10", "nothing was recorded at" },
    };
    for (const auto &[start, end, said] : refused) {
        const auto run = RunCli({ "export", card.root, clip, "--start", start, "--end", end });
        EXPECT_EQ(run.exitCode, 1) << start;
        EXPECT_TRUE(run.err.contains(said)) << start << ": " << run.err.toStdString();
    }
    // Seconds of one recording do not go with a card, nor times with a recording.
    EXPECT_EQ(RunCli({ "export", card.root, clip, "--from", "1" }).exitCode, 2);
    EXPECT_EQ(RunCli({ "export", card.fronts[0], clip, "--start", "2024-03-07 18:05:31", "--end",
                         "2024-03-07 18:05:32" })
                  .exitCode,
        2);
    // Nor does a span write into the card.
    const auto intoCard = RunCli({ "export", card.root, card.root + "/clip.mp4", "--start",
        "2024-03-07 18:05:31", "--end", "2024-03-07 18:05:33" });
    EXPECT_EQ(intoCard.exitCode, 1);
    EXPECT_TRUE(intoCard.err.contains("card")) << intoCard.err.toStdString();
    EXPECT_TRUE(QDir(card.out).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(card.root + "/clip.mp4"));
}
