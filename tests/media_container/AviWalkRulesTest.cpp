// The chunk walk's rules on hand-made files: counting, padding, short structures, tracing.

#include "RiffBuilder.h"
#include "support/Files.h"

#include "media/AviFileInfo.h"
#include "media/AviHeaderReader.h"
#include "media/RecordingLength.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace media;
using namespace riff;

namespace {

class AviWalkTest : public testing::Test
{
protected:
    // Writes the bytes to a file and walks it; the trace text is kept in m_trace.
    bool walk(const QByteArray &bytes, AviFileInfo &info, bool headersOnly = false)
    {
        const QString path = m_dir.filePath(QStringLiteral("walk.avi"));
        EXPECT_TRUE(testsupport::WriteFile(path, bytes));
        m_trace.clear();
        const AviTraceSink sink = [this](std::string_view text) { m_trace.append(text); };
        const QByteArray native = QFile::encodeName(path);
        return headersOnly ? ReadAviHeaderInfo(native.constData(), info, sink)
                           : ReadAviFileInfo(native.constData(), info, sink);
    }

    QTemporaryDir m_dir;
    std::string m_trace;
};

QByteArray payload(int size, char fill = 'x')
{
    return QByteArray(size, fill);
}

TEST_F(AviWalkTest, CountsEveryDataChunkOfTheMoviList)
{
    QByteArray movi;
    std::uint32_t videoSum = 0;
    std::uint32_t audioSum = 0;
    for (int i = 0; i < 100; ++i) {
        const int videoSize = 100 + i * 7; // odd and even sizes alternate
        movi += Chunk(i % 10 == 0 ? "00db" : "00dc", payload(videoSize));
        videoSum += static_cast<std::uint32_t>(videoSize);
        if (i % 2 == 0) {
            const int audioSize = 33 + i;
            movi += Chunk("01wb", payload(audioSize));
            audioSum += static_cast<std::uint32_t>(audioSize);
        }
    }
    movi += Chunk("tlm0", payload(17)); // telemetry: neither video nor audio
    const QByteArray file = RiffAvi(HeaderList(33367, 100) + List("movi", movi) + Chunk("idx1", payload(64)));

    AviFileInfo info;
    ASSERT_TRUE(walk(file, info));
    EXPECT_EQ(info.videoChunks, 100u);
    EXPECT_EQ(info.videoBytes, videoSum);
    EXPECT_EQ(info.audioChunks, 50u);
    EXPECT_EQ(info.audioBytes, audioSum);
    EXPECT_EQ(info.riffSize, static_cast<std::uint32_t>(file.size() - 8));
    EXPECT_EQ(info.moviSize, static_cast<std::uint32_t>(movi.size() + 4));
    EXPECT_EQ(info.hasVideo, 1u);
    EXPECT_EQ(info.hasAudio, 1u);
    EXPECT_EQ(info.mainHeader.microSecPerFrame, 33367u);
    EXPECT_EQ(info.mainHeader.totalFrames, 100u);
    EXPECT_EQ(info.mainHeader.width, 320u);
    EXPECT_EQ(info.videoFormat.width, 320);
    EXPECT_EQ(info.videoFormat.height, 240);
    EXPECT_EQ(info.videoFormat.compression, 0x34363248u); // "H264"
    EXPECT_EQ(info.audioFormat.samplesPerSec, 8000u);
    EXPECT_EQ(info.audioFormat.bitsPerSample, 8u);
    EXPECT_EQ(info.audioFormat.extra[1], 0x22);
    EXPECT_EQ(info.videoStreamHeader.rate, 30u);
    EXPECT_EQ(info.audioStreamHeader.rate, 8000u);

    // The counters add up over calls: the caller clears the record.
    ASSERT_TRUE(walk(file, info));
    EXPECT_EQ(info.videoChunks, 200u);
    EXPECT_EQ(info.audioBytes, 2 * audioSum);
}

TEST_F(AviWalkTest, PadByteAfterOddChunkIsSkipped)
{
    // An odd JUNK chunk in front of the main header: if its pad byte were not skipped, the
    // main header would not be found.
    const QByteArray file
        = RiffAvi(List("hdrl", Chunk("JUNK", payload(3)) + Chunk("avih", MainHeader(40000, 75)))
            + List("movi", Chunk("00dc", payload(5)) + Chunk("00dc", payload(6))));
    AviFileInfo info;
    ASSERT_TRUE(walk(file, info));
    EXPECT_EQ(info.mainHeader.totalFrames, 75u);
    EXPECT_EQ(info.videoChunks, 2u);
    EXPECT_EQ(info.videoBytes, 11u);
}

TEST_F(AviWalkTest, ExactMainHeaderWritesNoSizeTrace)
{
    AviFileInfo info;
    ASSERT_TRUE(walk(RiffAvi(List("hdrl", Chunk("avih", MainHeader(40000, 75)))), info));
    EXPECT_EQ(m_trace.find("data_size"), std::string::npos) << m_trace;
    EXPECT_NE(m_trace.find("<avih> 56 \r\n"), std::string::npos) << m_trace;

    // A longer main header is read for its 56 bytes and the rest skipped, with a trace line.
    AviFileInfo longer;
    const QByteArray body = MainHeader(40000, 75) + payload(8);
    ASSERT_TRUE(walk(RiffAvi(List("hdrl", Chunk("avih", body)) + Chunk("01wb", payload(4))), longer));
    EXPECT_NE(m_trace.find("          # data_size(56) != size(64)\r\n"), std::string::npos) << m_trace;
    EXPECT_EQ(longer.mainHeader.totalFrames, 75u);
    EXPECT_EQ(longer.audioChunks, 1u);
}

TEST_F(AviWalkTest, FormatOfAnotherStreamTypeIsSkippedWhole)
{
    const QByteArray text = List(
        "strl", Chunk("strh", StreamHeader("txts", "abcd", 1, 1, 1)) + Chunk("strf", payload(30, '\x7f')));
    const QByteArray file = RiffAvi(
        List("hdrl", Chunk("avih", MainHeader(40000, 75)) + text) + List("movi", Chunk("02dc", payload(2))));
    AviFileInfo info;
    ASSERT_TRUE(walk(file, info));
    EXPECT_NE(m_trace.find("          txts:abcd\r\n"), std::string::npos) << m_trace;
    EXPECT_NE(m_trace.find("          # data_size(0) != size(30)\r\n"), std::string::npos) << m_trace;
    EXPECT_EQ(info.hasVideo, 0u);
    EXPECT_EQ(info.hasAudio, 0u);
    EXPECT_EQ(info.videoFormat.size, 0u);
    EXPECT_EQ(info.videoChunks, 1u);
}

TEST_F(AviWalkTest, TraceShowsHeaderOffsetsAndLists)
{
    const QByteArray file = RiffAvi(List("hdrl", Chunk("avih", MainHeader(40000, 75))));
    AviFileInfo info;
    ASSERT_TRUE(walk(file, info));
    const std::string expected = "RIFF " + std::to_string(file.size() - 8) + " AVI  \r\n"
        + "      12: <LIST> 68 \r\n" + "          hdrl\r\n" + "      24: <avih> 56 \r\n"
        + "      88: "; // the read at the end of the file fails after the offset is traced
    EXPECT_EQ(m_trace, expected);
}

TEST_F(AviWalkTest, LastStreamHeaderOfEachKindWins)
{
    const QByteArray first = List("strl",
        Chunk("strh", StreamHeader("vids", "MJPG", 1, 10, 5)) + Chunk("strf", BitmapInfo(640, 480, "MJPG")));
    const QByteArray second = List("strl",
        Chunk("strh", StreamHeader("vids", "H264", 1, 30, 9)) + Chunk("strf", BitmapInfo(1280, 720, "H264")));
    AviFileInfo info;
    ASSERT_TRUE(walk(RiffAvi(List("hdrl", Chunk("avih", MainHeader(40000, 9)) + first + second)), info));
    EXPECT_EQ(info.videoStreamHeader.rate, 30u);
    EXPECT_EQ(std::memcmp(info.videoStreamHeader.handler, "H264", 4), 0);
    EXPECT_EQ(info.videoFormat.width, 1280);
}

// A chunk that declares fewer bytes than its structure: the whole structure is read and the
// walk then moves back by the difference, one byte further when the difference is odd.
TEST_F(AviWalkTest, ShortStructureMovesBackBySkipRule)
{
    const QByteArray body = MainHeader(40000, 75);

    // Even declared size 50: the next chunk is read from the declared end.
    QByteArray even = QByteArray("avih") + Le32(50) + body.left(50);
    even += Chunk("00dc", payload(4));
    even += payload(16, '\0'); // room for the 56-byte read
    AviFileInfo evenInfo;
    ASSERT_TRUE(walk(RiffAvi(even), evenInfo));
    EXPECT_EQ(evenInfo.videoChunks, 1u) << m_trace;
    EXPECT_NE(m_trace.find("# data_size(56) != size(50)"), std::string::npos);

    // Odd declared size 51: skip = 51 - 56 = -5, made even to -6, so the next chunk is read at
    // 50 bytes into the body, one byte before the declared end.
    QByteArray odd = QByteArray("avih") + Le32(51) + body.left(50);
    odd += Chunk("01wb", payload(6));
    odd += payload(16, '\0');
    AviFileInfo oddInfo;
    ASSERT_TRUE(walk(RiffAvi(odd), oddInfo));
    EXPECT_EQ(oddInfo.audioChunks, 1u) << m_trace;
    EXPECT_EQ(oddInfo.audioBytes, 6u);

    // A video format of declared size 1 moves back to its own body; the walk still advances.
    const QByteArray video = Chunk("strh", StreamHeader("vids", "H264", 1, 30, 1)) + QByteArray("strf")
        + Le32(1) + Chunk("00dc", payload(40)) + Chunk("00dc", payload(2));
    AviFileInfo videoInfo;
    ASSERT_TRUE(walk(RiffAvi(video), videoInfo));
    EXPECT_EQ(videoInfo.videoChunks, 2u) << m_trace;
    EXPECT_EQ(videoInfo.videoBytes, 42u);
}

TEST_F(AviWalkTest, HeaderReadStopsAtMovi)
{
    QByteArray movi;
    for (int i = 0; i < 20; ++i)
        movi += Chunk("00dc", payload(1000 + i));
    const QByteArray file = RiffAvi(HeaderList(66733, 20) + List("movi", movi));
    AviFileInfo whole;
    ASSERT_TRUE(walk(file, whole));
    AviFileInfo headers;
    ASSERT_TRUE(walk(file, headers, true));
    EXPECT_EQ(std::memcmp(&headers.mainHeader, &whole.mainHeader, sizeof whole.mainHeader), 0);
    EXPECT_EQ(headers.moviSize, whole.moviSize);
    EXPECT_EQ(headers.videoChunks, 0u);
    EXPECT_EQ(whole.videoChunks, 20u);
    EXPECT_EQ(m_trace.find("00dc"), std::string::npos);
    EXPECT_EQ(m_trace.substr(m_trace.size() - 16), "          movi\r\n");
}

// What a power loss leaves: RIFF and "movi" sizes 0 (or a "movi" size beyond the file), no
// counts in the headers, no index, and the last chunk cut. The walk reads every chunk there is,
// and the length comes from the video chunks; a header with its counts keeps its own length.
TEST_F(AviWalkTest, UnfinishedRecordingIsWalkedToTheEndOfTheFile)
{
    QByteArray movi;
    for (int i = 0; i < 1796; ++i) {
        movi += Chunk("00dc", payload(9 + i % 2));
        if (i % 30 == 0)
            movi += Chunk("01wb", payload(12));
    }
    movi += QByteArray("00dc") + Le32(500) + payload(200); // cut while it was written
    QByteArray unfinished = RiffAvi(HeaderList(33367, 0) + List("movi", movi));
    unfinished.replace(4, 4, Le32(0));
    const qsizetype moviSize = unfinished.indexOf("movi") - 4;

    for (const std::uint32_t declared : { 0u, 0xFFFFFFFFu, 0x7FFFFFF0u }) {
        SCOPED_TRACE(declared);
        unfinished.replace(moviSize, 4, Le32(declared));
        AviFileInfo info;
        ASSERT_TRUE(walk(unfinished, info));
        EXPECT_EQ(info.riffSize, 0u);
        EXPECT_EQ(info.moviSize, declared);
        EXPECT_EQ(info.videoChunks, 1797u);
        EXPECT_EQ(info.audioChunks, 60u);
        EXPECT_NE(m_trace.find("movi\r\n"), std::string::npos);
        EXPECT_EQ(RecordingLengthSeconds(info), 60); // 1797 frames of 33367 us: 59.96 s
        const QByteArray native = QFile::encodeName(m_dir.filePath(QStringLiteral("walk.avi")));
        EXPECT_EQ(ReadRecordingLength(native.constData()), 60);
    }

    // The same chunks under headers that give the counts: the header's length, not the chunks'.
    const QByteArray counted = RiffAvi(HeaderList(40000, 250) + List("movi", movi));
    AviFileInfo info;
    ASSERT_TRUE(walk(counted, info));
    EXPECT_EQ(RecordingLengthSeconds(info), 10);
    EXPECT_EQ(
        ReadRecordingLength(QFile::encodeName(m_dir.filePath(QStringLiteral("walk.avi"))).constData()), 10);

    // Any other list, or a leaf, that says 0 bytes still ends the walk.
    AviFileInfo stopped;
    ASSERT_TRUE(walk(
        RiffAvi(QByteArray("LIST") + Le32(0) + QByteArray("JUNK") + Chunk("00dc", payload(4))), stopped));
    EXPECT_EQ(stopped.videoChunks, 0u);
    EXPECT_EQ(m_trace.find("JUNK"), std::string::npos);
}

TEST_F(AviWalkTest, SilentWithoutSink)
{
    const QString path = m_dir.filePath(QStringLiteral("silent.avi"));
    ASSERT_TRUE(testsupport::WriteFile(path, RiffAvi(HeaderList(40000, 3))));
    testing::internal::CaptureStdout();
    AviFileInfo info;
    EXPECT_TRUE(ReadAviFileInfo(QFile::encodeName(path).constData(), info));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(info.mainHeader.totalFrames, 3u);
}

} // namespace
