#include "media/export/ClipExporter.h"
#include "media/export/TripSpan.h"
#include "media/ffmpeg/FfmpegPtr.h"
#include "media/recorder/SampleDrive.h"
#include "media/recorder/SampleRecordingWriter.h"
#include "panels/ExportChoicesDlg.h"
#include "support/Files.h"
#include "support/Process.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>

using media::ClipExporter;
using testsupport::RunCli;
using testsupport::RunProgram;

namespace {

// A card with one drive in two-second recordings from 18:05:30 and 18:05:32 (recorder time, UTC+9):
// front 160x90 with sound and GPS, rear 128x72, both H.264 with a key frame a second as the
// recorder writes them.
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
        const SampleDrive drive(23, 10);
        for (const int startS : { 0, 2 }) {
            SampleRecordingPlan plan;
            plan.folder = QStringLiteral("NORMAL");
            plan.startUtcMs = 1'709'802'330'000 + startS * 1000LL;
            plan.durationMs = 2000;
            plan.driveStartS = startS;
            SampleRecordingWriter writer(plan, drive, 7, SampleVideoCodec::Automatic, 1);
            fronts << root + QLatin1Char('/') + plan.RelativePath('F');
            rears << root + QLatin1Char('/') + plan.RelativePath('R');
            EXPECT_TRUE(writer.Write(fronts.back(), { 'F', 160, 90, true, true }))
                << writer.ErrorString().toStdString();
            EXPECT_TRUE(writer.Write(rears.back(), { 'R', 128, 72, false, false }))
                << writer.ErrorString().toStdString();
        }
    }
    QString Out(const char *name) const { return out + QLatin1Char('/') + QLatin1String(name); }
};

// The NAL units of an H.264 packet, with start codes (as the recorder writes them) or with length
// fields (as MP4 holds them): the coded picture itself, whatever its framing.
QList<QByteArray> NalUnits(const QByteArray &data, bool lengthFields)
{
    QList<QByteArray> units;
    if (!lengthFields) {
        qsizetype at = data.indexOf(QByteArray("\0\0\1", 3));
        while (at >= 0) {
            const qsizetype next = data.indexOf(QByteArray("\0\0\1", 3), at + 3);
            QByteArray unit = data.mid(at + 3, next < 0 ? -1 : next - at - 3);
            while (unit.endsWith('\0'))
                unit.chop(1);
            units << unit;
            at = next;
        }
        return units;
    }
    for (qsizetype at = 0; at + 4 <= data.size();) {
        const auto *size = reinterpret_cast<const uchar *>(data.constData() + at);
        const qsizetype length = (size[0] << 24) | (size[1] << 16) | (size[2] << 8) | size[3];
        units << data.mid(at + 4, length);
        at += 4 + length;
    }
    return units;
}

struct Packet {
    double seconds = 0; // presentation time
    bool key = false;
    QList<QByteArray> units;
};

// The packets of a file's stream, read by libavformat; from and to in seconds of the stream.
std::vector<Packet> PacketsOf(const QString &path, int streamIndex, double from = 0, double to = 1e9)
{
    using namespace media::ffmpeg;
    std::vector<Packet> packets;
    AVFormatContext *raw = nullptr;
    const QByteArray name = QFile::encodeName(path);
    if (avformat_open_input(&raw, name.constData(), nullptr, nullptr) < 0) {
        ADD_FAILURE() << "cannot open " << path.toStdString();
        return packets;
    }
    FormatContextPtr format(raw);
    avformat_find_stream_info(raw, nullptr);
    const bool mp4 = QByteArray(raw->iformat->name).contains("mp4");
    PacketPtr packet = MakePacket();
    while (av_read_frame(raw, packet.get()) >= 0) {
        if (packet->stream_index == streamIndex) {
            const int64_t ts = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
            const double seconds = ts * av_q2d(raw->streams[streamIndex]->time_base);
            if (seconds >= from - 1e-6 && seconds < to - 1e-6)
                packets.push_back({ seconds, bool(packet->flags & AV_PKT_FLAG_KEY),
                    NalUnits(QByteArray(reinterpret_cast<const char *>(packet->data), packet->size), mp4) });
        }
        av_packet_unref(packet.get());
    }
    return packets;
}

QJsonArray StreamsOf(const QString &clip)
{
    const auto run = RunProgram(
        QStringLiteral("ffprobe"), { "-v", "error", "-print_format", "json", "-show_streams", clip });
    EXPECT_TRUE(run.Ok()) << run.err.toStdString();
    return QJsonDocument::fromJson(run.out)["streams"].toArray();
}

QStringList Kinds(const QJsonArray &streams)
{
    QStringList kinds;
    for (const QJsonValue &stream : streams)
        kinds << stream["codec_type"].toString() + QLatin1Char(':') + stream["codec_name"].toString();
    return kinds;
}

} // namespace

// A span from 1.5 s of one recording to 1.5 s of the next: the recorder's own pictures of both
// cameras from the key frame at 1 s on, end to end without a break, with sound and a cue per
// second of the recorder's clock; a cancelled copy leaves nothing.
TEST(StreamCopy, CopiesTheRecordedPicturesAcrossAJoint)
{
    Card card;
    media::ClipExportOptions options;
    QString error;
    ASSERT_TRUE(media::TripSpan::PiecesIn(
        card.root, "2024-03-07 18:05:31", "2024-03-07 18:05:34", &options.pieces, &error))
        << error.toStdString();
    ASSERT_EQ(options.pieces.size(), 2u);
    options.pieces[0].fromMs = 1500;
    options.pieces[1].toMs = 1500;
    options.streamCopy = true;
    options.outputPath = card.Out("copy.mp4");

    std::atomic_bool cancel = false;
    ClipExporter cancelled;
    EXPECT_EQ(cancelled.Run(options, &cancel, [&](int64_t, int64_t) { cancel = true; }),
        ClipExporter::Outcome::Cancelled);
    EXPECT_TRUE(QDir(card.out).isEmpty()) << QDir(card.out).entryList().join(' ').toStdString();

    ClipExporter exporter;
    int64_t lastDone = -1;
    ASSERT_EQ(exporter.Run(options, nullptr, [&](int64_t done, int64_t) { lastDone = done; }),
        ClipExporter::Outcome::Done)
        << exporter.ErrorString().toStdString();
    EXPECT_GT(lastDone, 0);
    const QJsonArray streams = StreamsOf(options.outputPath);
    EXPECT_EQ(Kinds(streams), QStringList({ "video:h264", "video:h264", "audio:aac", "subtitle:mov_text" }));
    ASSERT_EQ(streams.size(), 4);
    EXPECT_EQ(streams[0]["width"].toInt(), 160);
    EXPECT_EQ(streams[1]["width"].toInt(), 128);
    EXPECT_NEAR(streams[2]["duration"].toString().toDouble(), 2.5, 0.1);

    // The start went back to the key frame at 1 s, and the clip says so.
    ASSERT_EQ(exporter.WrittenPieces().size(), 2u);
    EXPECT_EQ(exporter.WrittenPieces()[0].fromMs, 1000);
    EXPECT_EQ(exporter.WrittenPieces()[1].toMs, 1500);
    EXPECT_EQ(exporter.Frames(), 75);
    EXPECT_EQ(exporter.WrittenMs(), 2500);

    // Both cameras' packets are the recordings', picture for picture, at continuous times.
    for (const int track : { 0, 1 }) {
        const QStringList &sources = track == 0 ? card.fronts : card.rears;
        std::vector<Packet> recorded = PacketsOf(sources[0], 0, 1.0);
        for (Packet &packet : PacketsOf(sources[1], 0, 0, 1.5))
            recorded.push_back(std::move(packet));
        const std::vector<Packet> clip = PacketsOf(options.outputPath, track);
        ASSERT_EQ(clip.size(), recorded.size()) << "track " << track;
        ASSERT_EQ(clip.size(), 75u);
        EXPECT_TRUE(recorded.front().key && clip.front().key);
        for (size_t i = 0; i < clip.size(); ++i) {
            EXPECT_EQ(clip[i].units, recorded[i].units) << "track " << track << " picture " << i;
            EXPECT_NEAR(clip[i].seconds, i / 30.0, 0.002) << "track " << track << " picture " << i;
        }
    }

    // One cue per second of the recorder's clock, with its time, speed and position.
    const auto cues = RunProgram(QStringLiteral("ffmpeg"),
        { "-v", "error", "-i", options.outputPath, "-map", "0:s:0", "-f", "srt", "-" });
    ASSERT_TRUE(cues.Ok()) << cues.err.toStdString();
    const QString srt = QString::fromUtf8(cues.out);
    for (const char *expected : { "00:00:00,000 --> 00:00:01,000", "00:00:01,000 --> 00:00:02,000",
             "00:00:02,000 --> 00:00:02,500", "2024-03-07 18:05:31 +09:00", "2024-03-07 18:05:32 +09:00",
             "2024-03-07 18:05:33 +09:00", " km/h", " N  ", "_FN.AVI" })
        EXPECT_TRUE(srt.contains(QString::fromUtf8(expected))) << expected << "\n" << srt.toStdString();
    EXPECT_TRUE(srt.contains(QFileInfo(card.fronts[1]).fileName())) << srt.toStdString();
    EXPECT_EQ(srt.count(QStringLiteral(" --> ")), 3) << srt.toStdString();

    const QString provenance = QString::fromUtf8(testsupport::ReadFile(exporter.ProvenancePath()));
    EXPECT_TRUE(provenance.contains("stream copy: pictures and sound as recorded"))
        << provenance.toStdString();
    EXPECT_TRUE(provenance.contains(QFileInfo(card.fronts[0]).fileName() + " from 1.000 s"))
        << provenance.toStdString();
    EXPECT_TRUE(
        provenance.contains("Recorder time: 2024-03-07 18:05:31 +09:00 to 2024-03-07 18:05:33 +09:00"))
        << provenance.toStdString();
    const auto check = RunProgram(
        QStringLiteral("sh"), { "-c", QStringLiteral("cd '%1' && sha256sum -c SHA256SUMS").arg(card.out) });
    EXPECT_TRUE(check.Ok()) << check.out.toStdString() << check.err.toStdString();
}

// The command line's --copy, for a recording and for a card: sound recorded as PCM becomes AAC, a
// span without a rear file for every recording is told, and pictures an MP4 cannot hold are
// refused with the way out.
TEST(StreamCopy, CommandLine)
{
    Card card;
    QTemporaryDir other;
    const QString pcm = other.filePath(QStringLiteral("20240307_180530_FN.AVI"));
    const auto made = RunProgram(QStringLiteral("ffmpeg"),
        { "-v", "error", "-i", card.fronts[0], "-c:v", "copy", "-c:a", "pcm_s16le", pcm });
    ASSERT_TRUE(made.Ok()) << made.err.toStdString();
    const auto single = RunCli({ "export", pcm, card.Out("pcm.mp4"), "--from", "0.5", "--copy" });
    ASSERT_TRUE(single.Ok()) << single.err.toStdString();
    EXPECT_EQ(Kinds(StreamsOf(card.Out("pcm.mp4"))),
        QStringList({ "video:h264", "audio:aac", "subtitle:mov_text" }));
    EXPECT_TRUE(single.out.contains("20240307_180530_FN.AVI 0.000-2.000 s")) << single.out.toStdString();
    const QString provenance = QString::fromUtf8(testsupport::ReadFile(card.Out("pcm.provenance.txt")));
    EXPECT_TRUE(provenance.contains("converted from pcm_s16le to AAC")) << provenance.toStdString();

    ASSERT_TRUE(QFile::remove(card.rears[1]));
    const auto span = RunCli({ "export", card.root, card.Out("span.mp4"), "--start", "2024-03-07 18:05:31",
        "--end", "2024-03-07 18:05:33", "--copy", "--no-overlay" });
    ASSERT_TRUE(span.Ok()) << span.err.toStdString();
    EXPECT_EQ(Kinds(StreamsOf(card.Out("span.mp4"))), QStringList({ "video:h264", "audio:aac" }));
    EXPECT_TRUE(QString::fromUtf8(span.err).contains(
        "no rear recording goes with " + QFileInfo(card.fronts[1]).fileName()))
        << span.err.toStdString();

    EXPECT_EQ(RunCli({ "export", pcm, card.Out("never.mp4"), "--copy", "--layout", "stacked" }).exitCode, 2);
    const QString raw = other.filePath(QStringLiteral("raw.avi"));
    ASSERT_TRUE(RunProgram(QStringLiteral("ffmpeg"),
        { "-v", "error", "-f", "lavfi", "-i", "testsrc=s=64x36:r=10:d=1", "-c:v", "huffyuv", raw })
                    .Ok());
    const auto refused = RunCli({ "export", raw, card.Out("never.mp4"), "--copy" });
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains("huffyuv") && refused.err.contains("re-encoding export"))
        << refused.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(card.Out("never.mp4")));
    EXPECT_FALSE(QFileInfo::exists(card.Out("never.mp4.part")));
}

// The window's choice: copying leaves no rear picture to place.
TEST(StreamCopy, ChoiceInTheExportDialog)
{
    ExportChoicesDlg dialog(ExportChoices {});
    auto *copy = dialog.findChild<QCheckBox *>(QStringLiteral("export_copy"));
    ASSERT_TRUE(copy);
    EXPECT_FALSE(dialog.Choices().streamCopy);
    copy->setChecked(true);
    EXPECT_TRUE(dialog.Choices().streamCopy);
    EXPECT_FALSE(dialog.findChild<QGroupBox *>()->isEnabled());
    ExportChoicesDlg again(dialog.Choices());
    EXPECT_TRUE(again.findChild<QCheckBox *>(QStringLiteral("export_copy"))->isChecked());
}
