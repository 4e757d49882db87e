#include "media/export/ClipCaption.h"
#include "media/export/ClipExporter.h"
#include "media/recorder/PowerLossCut.h"
#include "media/recorder/SampleDrive.h"
#include "media/recorder/SampleRecordingWriter.h"
#include "media/telemetry/TelemetryExport.h"
#include "media/telemetry/TelemetryReader.h"
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
// but a magenta test card, so that its picture is easy to find in the clip.
struct Recordings {
    QTemporaryDir dir;
    QString front;
    QString rear;

    explicit Recordings(bool withFix = true)
    {
        using namespace media::recorder;
        front = dir.filePath(QStringLiteral("20240307_180530_FN.AVI"));
        rear = dir.filePath(QStringLiteral("20240307_180530_RN.AVI"));
        SampleRecordingPlan plan;
        plan.kind = 'N';
        plan.durationMs = 4000;
        plan.startUtcMs = 1'709'802'330'000; // 2024-03-07 09:05:30 UTC
        plan.gpsFix = withFix;
        const SampleDrive drive(17, 5);
        SampleRecordingWriter writer(plan, drive, 1, SampleVideoCodec::Automatic, 1);
        EXPECT_TRUE(writer.write(front, { 'F', 320, 180, true, true })) << writer.errorString().toStdString();
        const auto made = RunProgram(QStringLiteral("ffmpeg"),
            { "-v", "error", "-f", "lavfi", "-i", "color=c=0xFF00FF:s=256x144:r=30:d=4", "-c:v", "mjpeg",
                "-q:v", "2", rear });
        EXPECT_TRUE(made.ok()) << made.err.toStdString();
    }
};

QJsonObject probe(const QString &path)
{
    const auto result = RunProgram(QStringLiteral("ffprobe"),
        { "-v", "error", "-print_format", "json", "-show_streams", "-show_format", path });
    EXPECT_TRUE(result.ok()) << result.err.toStdString();
    return QJsonDocument::fromJson(result.out).object();
}

// The clip's picture at a time, decoded by Debian's ffmpeg.
QImage frameAt(const QString &clip, double seconds)
{
    const QString png = clip + QStringLiteral(".png");
    const auto result = RunProgram(QStringLiteral("ffmpeg"),
        { "-v", "error", "-y", "-ss", QString::number(seconds), "-i", clip, "-frames:v", "1", png });
    EXPECT_TRUE(result.ok()) << result.err.toStdString();
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

// The whole clip as the command line writes it: streams, span, picture in the picture, caption,
// track, sums, and progress on the terminal.
TEST(ClipExport, CommandLineWritesAVerifiableClip)
{
    Recordings source;
    const QString clip = source.dir.filePath(QStringLiteral("clip.mp4"));
    const auto run = testsupport::RunCli({ "export", source.front, clip, "--from", "1", "--to", "3" });
    ASSERT_TRUE(run.ok()) << run.err.toStdString();
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
    ASSERT_EQ(withAll.size(), QSize(320, 180));
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

    // The same span without rear and caption: no magenta, the bottom band differs, the rest agrees.
    const QString plain = source.dir.filePath(QStringLiteral("plain.mp4"));
    ASSERT_TRUE(testsupport::RunCli(
        { "export", source.front, plain, "--from", "1", "--to", "3", "--rear", "none", "--no-overlay" })
                    .ok());
    const QImage bare = frameAt(plain, 1.0);
    EXPECT_FALSE(isMagenta(bare.pixel((first + last) / 2, row)));
    EXPECT_GT(difference(withAll, bare, QRect(0, 170, 320, 10)), 15.0) << "no caption along the bottom";
    EXPECT_LT(difference(withAll, bare, QRect(20, 60, 120, 60)), 6.0);

    // The track holds the fixes of the span, in time order.
    QFile gpx(source.dir.filePath(QStringLiteral("clip.gpx")));
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

    // The sums check out with the standard tool and name the clip, its track and both recordings;
    // the second export replaced no line of the first.
    const auto check = RunProgram(QStringLiteral("sh"),
        { "-c", QStringLiteral("cd '%1' && sha256sum -c SHA256SUMS").arg(source.dir.path()) });
    EXPECT_TRUE(check.ok()) << check.out.toStdString() << check.err.toStdString();
    EXPECT_EQ(check.out.count(": OK"), 6) << check.out.toStdString();
    for (const char *name : { "clip.mp4: OK", "clip.gpx: OK", "plain.mp4: OK", "_FN.AVI: OK", "_RN.AVI: OK" })
        EXPECT_TRUE(check.out.contains(name)) << name;
}

// A cancelled export leaves nothing: no clip, no part of one, no track, no sums.
TEST(ClipExport, CancelLeavesNoFile)
{
    Recordings source;
    media::ClipExportOptions options;
    options.frontPath = source.front;
    options.rearPath = ClipExporter::rearFileFor(source.front);
    EXPECT_EQ(options.rearPath, source.rear);
    options.outputPath = source.dir.filePath(QStringLiteral("cancelled.mp4"));
    std::atomic_bool cancel = false;
    int calls = 0;
    ClipExporter exporter;
    const auto outcome = exporter.run(options, &cancel, [&](int64_t doneMs, int64_t totalMs) {
        EXPECT_EQ(totalMs, 4000);
        EXPECT_LT(doneMs, totalMs);
        if (++calls == 20)
            cancel = true;
    });
    EXPECT_EQ(outcome, ClipExporter::Outcome::Cancelled);
    EXPECT_EQ(calls, 20);
    EXPECT_EQ(QDir(source.dir.path()).entryList(QDir::Files),
        QStringList({ "20240307_180530_FN.AVI", "20240307_180530_RN.AVI" }));

    // An empty span is refused, not written as an empty clip.
    options.fromMs = 5000;
    EXPECT_EQ(exporter.run(options), ClipExporter::Outcome::Failed);
    EXPECT_FALSE(exporter.errorString().isEmpty());
    EXPECT_EQ(QDir(source.dir.path()).entryList(QDir::Files).size(), 2);

    // A recording cut by a power loss (the crash itself, often) says nothing of its length in its
    // headers: without marks the whole of it is exported.
    QString error;
    ASSERT_TRUE(media::recorder::CutLikePowerLoss(source.front, {}, &error)) << error.toStdString();
    options.fromMs = 0;
    options.rearPath.clear();
    options.outputPath = source.dir.filePath(QStringLiteral("crash.mp4"));
    ASSERT_EQ(exporter.run(options), ClipExporter::Outcome::Done) << exporter.errorString().toStdString();
    EXPECT_NEAR(
        probe(options.outputPath)[QStringLiteral("format")][QStringLiteral("duration")].toString().toDouble(),
        4.0, 0.1);
}

// The caption's clock: the GPS fix's UTC in the desktop's time zone; without a fix, the file name.
TEST(ClipExport, CaptionTimeFromFixElseFromName)
{
    qputenv("TZ", "Europe/Berlin");
    for (const bool withFix : { true, false }) {
        Recordings source(withFix);
        media::TelemetryReader reader;
        ASSERT_TRUE(reader.open(source.front));
        std::vector<media::CGps> fixes;
        for (const auto &entry : media::TelemetryExport::collect(reader))
            fixes.push_back(entry.fix);
        const media::ClipCaption kmh(source.front, fixes, media::ExportSpeedUnit::Kmh);
        const media::ClipCaption mph(source.front, fixes, media::ExportSpeedUnit::Mph);
        const auto texts = kmh.at(2500);
        if (withFix) {
            // 09:05:30 UTC at the start is 10:05:30 in Berlin, whatever the name says.
            EXPECT_EQ(texts.when, QStringLiteral("2024-03-07 10:05:32"));
            EXPECT_TRUE(texts.speed.endsWith(QStringLiteral(" km/h"))) << texts.speed.toStdString();
            EXPECT_TRUE(mph.at(2500).speed.endsWith(QStringLiteral(" mph")));
            EXPECT_LT(mph.at(2500).speed.split(' ')[0].toInt(), texts.speed.split(' ')[0].toInt());
            EXPECT_TRUE(texts.position.contains(QLatin1Char('N'))) << texts.position.toStdString();
        } else {
            // The name's time, as the recorder wrote it, plus the time into the recording.
            EXPECT_EQ(texts.when, QStringLiteral("2024-03-07 18:05:32"));
            EXPECT_EQ(texts.speed, QStringLiteral("-- km/h"));
            EXPECT_TRUE(texts.position.isEmpty());
        }
    }
}
