// The container walk on recordings made by Debian's ffmpeg, checked against ffprobe.

#include "FfmpegTools.h"
#include "support/Process.h"

#include "media/AviFileInfo.h"
#include "media/AviHeaderReader.h"
#include "media/RecordingLength.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>

using namespace media;

namespace {

struct Recipe {
    const char *name;
    QStringList inputs;
    QStringList arguments;
    bool expectOddChunks;
    // ffmpeg writes an empty video chunk now and then when it muxes AAC; the walk ends there
    // (a chunk size below 1 ends it), so only the chunks before it are counted.
    bool expectEmptyChunk;
};

void PrintTo(const Recipe &recipe, std::ostream *out)
{
    *out << recipe.name;
}

// Short clips (about two seconds) with frame rates that do not divide a second evenly.
std::vector<Recipe> recipes()
{
    return {
        { "H264At2997WithOddPcmChunks", { "testsrc2=s=320x240:r=30000/1001", "sine=f=440:r=11025" },
            { "-frames:v", "58", "-c:v", "libx264", "-preset", "ultrafast", "-c:a", "pcm_u8", "-ac", "1",
                "-af", "asetnsamples=n=735", "-shortest" },
            true, false },
        { "Mpeg4At15WithAac", { "testsrc2=s=176x144:r=15", "sine=f=1000:r=16000" },
            { "-frames:v", "29", "-c:v", "mpeg4", "-q:v", "5", "-c:a", "aac", "-b:a", "32k", "-shortest" },
            false, true },
        { "Mpeg4At25VideoOnly", { "testsrc2=s=160x120:r=25" }, { "-frames:v", "27", "-c:v", "mpeg4" }, false,
            false },
        { "H264At15WithStereoPcm", { "testsrc2=s=320x180:r=15", "sine=f=300:r=22050" },
            { "-frames:v", "22", "-c:v", "libx264", "-preset", "ultrafast", "-c:a", "pcm_s16le", "-ac", "2",
                "-shortest" },
            false, false },
    };
}

// The length rule restated on ffprobe's duration: whole seconds, a first decimal of 9 rounds up.
int expectedLength(double seconds)
{
    const int whole = static_cast<int>(seconds);
    return seconds - whole >= 0.9 ? whole + 1 : whole;
}

class AviFfmpegTest : public testing::TestWithParam<Recipe>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("clip.avi"));
        const QString error = fftools::makeAvi(m_path, GetParam().inputs, GetParam().arguments);
        ASSERT_TRUE(error.isEmpty()) << error.toStdString();
        QString probeError;
        const std::optional<fftools::Probe> probe = fftools::probe(m_path, &probeError);
        ASSERT_TRUE(probe) << probeError.toStdString();
        m_probe = *probe;
        ASSERT_GT(m_probe.videoFrames, 0);
    }

    QByteArray nativePath() const { return QFile::encodeName(m_path); }

    QTemporaryDir m_dir;
    QString m_path;
    fftools::Probe m_probe;
};

TEST_P(AviFfmpegTest, WholeWalkAgreesWithFfprobe)
{
    AviFileInfo info;
    std::string trace;
    ASSERT_TRUE(ReadAviFileInfo(
        nativePath().constData(), info, [&trace](std::string_view text) { trace.append(text); }));

    EXPECT_EQ(info.hasVideo, 1u);
    EXPECT_EQ(info.hasAudio, m_probe.hasAudio ? 1u : 0u);
    EXPECT_EQ(info.riffSize, static_cast<std::uint32_t>(QFileInfo(m_path).size() - 8));
    EXPECT_GT(info.moviSize, 4u);
    EXPECT_EQ(info.mainHeader.totalFrames, static_cast<std::uint32_t>(m_probe.videoFrames));
    EXPECT_EQ(info.mainHeader.width, static_cast<std::uint32_t>(m_probe.width));
    EXPECT_EQ(info.mainHeader.height, static_cast<std::uint32_t>(m_probe.height));
    EXPECT_EQ(RecordingLengthSeconds(info.mainHeader), expectedLength(m_probe.videoDuration))
        << "ffprobe duration " << m_probe.videoDuration;
    EXPECT_EQ(std::memcmp(info.videoStreamHeader.type, "vids", 4), 0);
    EXPECT_EQ(info.videoStreamHeader.length, static_cast<std::uint32_t>(m_probe.videoFrames));
    EXPECT_EQ(info.videoFormat.width, m_probe.width);
    if (m_probe.hasAudio) {
        EXPECT_EQ(std::memcmp(info.audioStreamHeader.type, "auds", 4), 0);
        EXPECT_GT(info.audioFormat.samplesPerSec, 0u);
    }
    if (GetParam().expectOddChunks) {
        EXPECT_GT(m_probe.oddPackets, 0) << "the clip was meant to hold odd-sized chunks";
    }

    // ffprobe lists every non-empty packet: the walk counts the same chunks with their size
    // fields (pad bytes excluded), up to an empty chunk if there is one.
    const std::size_t lastChunkStart = trace.rfind('<');
    ASSERT_NE(lastChunkStart, std::string::npos);
    const std::string lastChunk = trace.substr(lastChunkStart);
    if (GetParam().expectEmptyChunk) {
        EXPECT_NE(lastChunk.find("dc> 0 \r\n"), std::string::npos) << lastChunk;
        EXPECT_GT(info.videoChunks, 0u);
        EXPECT_LT(info.videoChunks, static_cast<std::uint32_t>(m_probe.videoPackets));
        EXPECT_LT(info.videoBytes, static_cast<std::uint32_t>(m_probe.videoBytes));
    } else {
        EXPECT_NE(lastChunk.find("<idx1>"), std::string::npos) << lastChunk;
        EXPECT_EQ(info.videoChunks, static_cast<std::uint32_t>(m_probe.videoPackets));
        EXPECT_EQ(info.videoBytes, static_cast<std::uint32_t>(m_probe.videoBytes));
        EXPECT_EQ(info.audioChunks, static_cast<std::uint32_t>(m_probe.audioPackets));
        EXPECT_EQ(info.audioBytes, static_cast<std::uint32_t>(m_probe.audioBytes));
    }
}

TEST_P(AviFfmpegTest, HeaderReadMatchesWholeWalkInOneSmallRead)
{
    AviFileInfo whole;
    ASSERT_TRUE(ReadAviFileInfo(nativePath().constData(), whole));
    AviFileInfo headers;
    AviReadStats stats;
    ASSERT_TRUE(ReadAviHeaderInfo(nativePath().constData(), headers, {}, &stats));

    EXPECT_EQ(std::memcmp(&headers.mainHeader, &whole.mainHeader, sizeof whole.mainHeader), 0);
    EXPECT_EQ(
        std::memcmp(&headers.videoStreamHeader, &whole.videoStreamHeader, sizeof whole.videoStreamHeader), 0);
    EXPECT_EQ(std::memcmp(&headers.videoFormat, &whole.videoFormat, sizeof whole.videoFormat), 0);
    EXPECT_EQ(
        std::memcmp(&headers.audioStreamHeader, &whole.audioStreamHeader, sizeof whole.audioStreamHeader), 0);
    EXPECT_EQ(std::memcmp(&headers.audioFormat, &whole.audioFormat, sizeof whole.audioFormat), 0);
    EXPECT_EQ(headers.riffSize, whole.riffSize);
    EXPECT_EQ(headers.moviSize, whole.moviSize);
    EXPECT_EQ(headers.hasVideo, whole.hasVideo);
    EXPECT_EQ(headers.hasAudio, whole.hasAudio);
    EXPECT_EQ(headers.videoChunks, 0u);
    EXPECT_EQ(headers.audioChunks, 0u);

    EXPECT_EQ(stats.readCalls, 1);
    EXPECT_LE(stats.bytesRead, kAviHeaderWindow);
    EXPECT_EQ(ReadRecordingLength(nativePath().constData()), RecordingLengthSeconds(whole.mainHeader));
}

INSTANTIATE_TEST_SUITE_P(Clips, AviFfmpegTest, testing::ValuesIn(recipes()),
    [](const testing::TestParamInfo<Recipe> &info) { return std::string(info.param.name); });

TEST(AviInfoCommand, ReportsFfprobesFrameCountAndLength)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("clip 29.97.avi"));
    // 58 frames at 29.97 fps last 1.935 s: the 0.9 rule lists the clip as 2 s.
    const QString error = fftools::makeAvi(path, { "testsrc2=s=160x120:r=30000/1001", "sine=r=8000" },
        { "-frames:v", "58", "-c:v", "mpeg4", "-c:a", "pcm_u8", "-shortest" });
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    const std::optional<fftools::Probe> probe = fftools::probe(path);
    ASSERT_TRUE(probe);

    const testsupport::ProcessResult json = testsupport::RunCli({ "info", path, "--json" });
    ASSERT_TRUE(json.Ok()) << json.err.toStdString();
    const QJsonObject object = QJsonDocument::fromJson(json.out).object();
    EXPECT_EQ(object.value("mainHeader").toObject().value("TotalFrames").toInteger(), probe->videoFrames);
    EXPECT_EQ(object.value("lengthSeconds").toInt(), expectedLength(probe->videoDuration));
    EXPECT_EQ(object.value("lengthSeconds").toInt(), 2);
    EXPECT_EQ(object.value("videoChunks").toInteger(), probe->videoPackets);

    const testsupport::ProcessResult text = testsupport::RunCli({ "info", path, "--trace" });
    ASSERT_TRUE(text.Ok()) << text.err.toStdString();
    EXPECT_TRUE(text.out.startsWith("RIFF ")) << text.out.left(200).toStdString();
    EXPECT_TRUE(text.out.contains("          movi\r\n"));
    EXPECT_TRUE(
        text.out.contains(QStringLiteral("mainHeader.TotalFrames: %1\n").arg(probe->videoFrames).toUtf8()));
    EXPECT_TRUE(text.out.contains("lengthSeconds: 2\n"));

    EXPECT_EQ(testsupport::RunCli({ "info", dir.path() }).exitCode, 1);

    // Cut as by a power loss, the clip keeps its chunks and, from them, its length.
    const QString cut = dir.filePath(QStringLiteral("cut.avi"));
    const testsupport::ProcessResult cutting
        = testsupport::RunCli({ "cut", path, "--output", cut, "--halve-last-chunk" });
    ASSERT_TRUE(cutting.Ok()) << cutting.err.toStdString();
    const testsupport::ProcessResult cutJson = testsupport::RunCli({ "info", cut, "--json" });
    ASSERT_TRUE(cutJson.Ok()) << cutJson.err.toStdString();
    const QJsonObject cutObject = QJsonDocument::fromJson(cutJson.out).object();
    EXPECT_EQ(cutObject.value("mainHeader").toObject().value("TotalFrames").toInteger(), 0);
    EXPECT_EQ(cutObject.value("moviSize").toInteger(), 0);
    EXPECT_EQ(cutObject.value("videoChunks").toInteger(), probe->videoPackets);
    EXPECT_EQ(cutObject.value("lengthSeconds").toInt(), 2);
}

} // namespace
