// Damaged and foreign files: a clean false or a quiet end of the walk, never a crash, a hang
// or a read past the end of the file.

#include "FfmpegTools.h"
#include "RiffBuilder.h"
#include "support/Files.h"

#include "media/AviFileInfo.h"
#include "media/AviHeaderReader.h"
#include "media/RecordingLength.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <random>

using namespace media;
using namespace riff;

namespace {

class AviMalformedTest : public testing::Test
{
protected:
    QByteArray write(const QByteArray &bytes, const char *name = "bad.avi")
    {
        const QString path = m_dir.filePath(QString::fromLatin1(name));
        EXPECT_TRUE(testsupport::WriteFile(path, bytes));
        return QFile::encodeName(path);
    }

    QTemporaryDir m_dir;
};

TEST_F(AviMalformedTest, FilesThatAreNotRiffAviAreRefused)
{
    const QByteArray valid = RiffAvi(HeaderList(40000, 10));
    QByteArray wrongForm = valid;
    wrongForm.replace(8, 4, "WAVE");
    QByteArray wrongId = valid;
    wrongId.replace(0, 4, "RIFX");

    const struct {
        const char *name;
        QByteArray bytes;
    } cases[] = {
        { "empty", QByteArray() },
        { "eleven bytes", valid.left(11) },
        { "form WAVE", wrongForm },
        { "id RIFX", wrongId },
        { "text", QByteArray("hello, this is not a video file at all") },
    };
    for (const auto &c : cases) {
        AviFileInfo info;
        const QByteArray path = write(c.bytes);
        EXPECT_FALSE(ReadAviFileInfo(path.constData(), info)) << c.name;
        EXPECT_FALSE(ReadAviHeaderInfo(path.constData(), info)) << c.name;
        EXPECT_EQ(info.riffSize, 0u) << c.name;
        EXPECT_EQ(ReadRecordingLength(path.constData()), 0) << c.name;
    }

    AviFileInfo info;
    EXPECT_FALSE(ReadAviFileInfo(QFile::encodeName(m_dir.path()).constData(), info)) << "a directory";
    EXPECT_FALSE(ReadAviHeaderInfo(QFile::encodeName(m_dir.path()).constData(), info)) << "a directory";
    EXPECT_FALSE(ReadAviFileInfo(QFile::encodeName(m_dir.filePath("missing.avi")).constData(), info));
    EXPECT_FALSE(ReadAviFileInfo(nullptr, info));
    EXPECT_FALSE(ReadAviHeaderInfo(nullptr, info));
    EXPECT_EQ(ReadRecordingLength(nullptr), 0);
}

TEST_F(AviMalformedTest, BadChunkSizesEndTheWalkQuietly)
{
    const QByteArray head = HeaderList(40000, 10);
    const QByteArray good = Chunk("00dc", QByteArray(10, 'v'));
    const struct {
        const char *name;
        QByteArray movi;
        std::uint32_t videoChunks;
        std::uint32_t videoBytes;
    } cases[] = {
        { "zero size", good + QByteArray("00dc") + Le32(0) + good, 1, 10 },
        { "negative size", good + QByteArray("00dc") + Le32(0xfffffff0u) + good, 1, 10 },
        { "zero id", good + QByteArray(4, '\0') + Le32(10) + good, 1, 10 },
        // A size past the end is still counted, then the walk finds nothing more to read.
        { "size past end", good + QByteArray("00dc") + Le32(0x7ffffff0u) + good, 2, 10 + 0x7ffffff0u },
        { "chunk header cut", good + QByteArray("00d"), 1, 10 },
    };
    for (const auto &c : cases) {
        AviFileInfo info;
        AviReadStats stats;
        const QByteArray bytes = RiffAvi(head + List("movi", c.movi));
        const QByteArray path = write(bytes);
        EXPECT_TRUE(ReadAviFileInfo(path.constData(), info, {}, &stats)) << c.name;
        EXPECT_EQ(info.videoChunks, c.videoChunks) << c.name;
        EXPECT_EQ(info.videoBytes, c.videoBytes) << c.name;
        EXPECT_EQ(info.mainHeader.totalFrames, 10u) << c.name;
        EXPECT_LE(stats.bytesRead, static_cast<std::uint64_t>(bytes.size())) << c.name;
    }
}

TEST_F(AviMalformedTest, HugeListSizesAndStructuresCutShort)
{
    // A list that claims the whole 32-bit range, and a main header cut short by the end of file.
    const QByteArray bigList
        = QByteArray("LIST") + Le32(0x7fffffffu) + QByteArray("hdrl") + Chunk("avih", MainHeader(40000, 10));
    AviFileInfo info;
    ASSERT_TRUE(ReadAviFileInfo(write(RiffAvi(bigList)).constData(), info));
    EXPECT_EQ(info.mainHeader.totalFrames, 10u);

    const QByteArray cut = RiffAvi(List("hdrl", Chunk("avih", MainHeader(40000, 10)))).left(12 + 12 + 8 + 30);
    AviFileInfo cutInfo;
    ASSERT_TRUE(ReadAviFileInfo(write(cut).constData(), cutInfo));
    EXPECT_EQ(cutInfo.mainHeader.totalFrames, 0u); // a partial structure is not taken
}

// Every cut of a real recording: up to the first 12 bytes it is not an AVI file, after that
// the walk ends quietly, never reading more than the file holds.
TEST_F(AviMalformedTest, TruncationsOfARecordingAtManyOffsets)
{
    const QString path = m_dir.filePath(QStringLiteral("cut.avi"));
    const QString error = fftools::makeAvi(path, { "testsrc2=s=160x120:r=15", "sine=r=8000" },
        { "-frames:v", "15", "-c:v", "mpeg4", "-c:a", "pcm_u8", "-shortest" });
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    const QByteArray native = QFile::encodeName(path);
    AviFileInfo whole;
    ASSERT_TRUE(ReadAviFileInfo(native.constData(), whole));
    const qint64 fullSize = QFileInfo(path).size();

    // Every offset through the headers, then a stride through the data; shrinking one file
    // keeps this cheap.
    std::vector<qint64> offsets;
    for (qint64 offset = fullSize - 1; offset >= 0; offset -= offset < 12000 ? 1 : 37)
        offsets.push_back(offset);
    QFile file(path);
    int checked = 0;
    for (qint64 offset : offsets) {
        ASSERT_TRUE(file.resize(offset));
        AviFileInfo info;
        AviReadStats stats;
        const bool isAvi = ReadAviFileInfo(native.constData(), info, {}, &stats);
        ASSERT_EQ(isAvi, offset >= 12) << "offset " << offset;
        ASSERT_LE(stats.bytesRead, static_cast<std::uint64_t>(offset)) << "offset " << offset;
        ASSERT_LE(info.videoChunks, whole.videoChunks) << "offset " << offset;
        ASSERT_LE(info.audioChunks, whole.audioChunks) << "offset " << offset;
        if (offset >= 88) { // the main header is complete
            ASSERT_EQ(info.mainHeader.totalFrames, whole.mainHeader.totalFrames) << "offset " << offset;
        }

        AviFileInfo headers;
        AviReadStats headerStats;
        ASSERT_EQ(ReadAviHeaderInfo(native.constData(), headers, {}, &headerStats), offset >= 12);
        ASSERT_LE(headerStats.bytesRead, static_cast<std::uint64_t>(offset));
        ASSERT_EQ(headers.mainHeader.totalFrames, info.mainHeader.totalFrames) << "offset " << offset;
        ++checked;
    }
    EXPECT_GT(checked, 12000);
}

// Random bytes after a valid RIFF header, and random flips in a valid file: the walk must
// end, within the chunk budget, whatever it meets.
TEST_F(AviMalformedTest, RandomContentAlwaysTerminates)
{
    std::mt19937 random(20240601);
    std::uniform_int_distribution<int> byte(0, 255);
    const QByteArray valid = RiffAvi(HeaderList(40000, 10)
        + List("movi", Chunk("00dc", QByteArray(33, 'v')) + Chunk("01wb", QByteArray(8, 'a'))));
    for (int round = 0; round < 300; ++round) {
        QByteArray bytes;
        if (round % 2 == 0) {
            bytes = QByteArray("RIFF") + Le32(static_cast<std::uint32_t>(random())) + QByteArray("AVI ");
            const int length = static_cast<int>(random() % 600);
            for (int i = 0; i < length; ++i)
                bytes += static_cast<char>(byte(random));
            // Small chunk sizes make the walk hop through many chunks.
            for (int i = 12; i + 8 <= bytes.size(); i += 8)
                if (random() % 3 == 0)
                    bytes.replace(i + 4, 4, Le32(static_cast<std::uint32_t>(random() % 64) - 8));
        } else {
            bytes = valid;
            for (int flips = 0; flips < 6; ++flips)
                bytes[static_cast<int>(12 + random() % (valid.size() - 12))]
                    = static_cast<char>(byte(random));
        }
        AviFileInfo info;
        AviReadStats stats;
        const QByteArray path = write(bytes);
        EXPECT_TRUE(ReadAviFileInfo(path.constData(), info, {}, &stats)) << "round " << round;
        EXPECT_LE(stats.chunksVisited, bytes.size() / 8 + 2) << "round " << round;
        EXPECT_LE(stats.bytesRead, static_cast<std::uint64_t>(bytes.size())) << "round " << round;
    }
}

} // namespace
