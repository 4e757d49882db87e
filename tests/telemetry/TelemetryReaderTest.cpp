#include "TelemetryTestSupport.h"
#include "support/Files.h"
#include "support/Process.h"
#include "support/SampleCards.h"

#include "media/recorder/PowerLossCut.h"
#include "media/telemetry/TelemetryFormat.h"
#include "media/telemetry/TelemetryReader.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <cstring>
#include <utility>

using media::TelemetryReader;
using namespace telemetry_test;

namespace {

struct Delivered {
    uint32_t timeMs;
    QByteArray payload;
};

std::vector<Delivered> drain(TelemetryReader &reader)
{
    std::vector<Delivered> out;
    uint8_t buffer[1025];
    while (true) {
        uint32_t length = 1024;
        uint32_t timeMs = 0;
        const auto result = reader.GetNextRecord(buffer, &length, &timeMs);
        if (result != media::kStreamParseOk) {
            EXPECT_EQ(result, media::kStreamParseEndOfFile);
            break;
        }
        out.push_back({ timeMs, QByteArray(reinterpret_cast<const char *>(buffer), length) });
    }
    return out;
}

std::vector<uint32_t> times(const std::vector<Delivered> &records)
{
    std::vector<uint32_t> t;
    for (const Delivered &d : records)
        t.push_back(d.timeMs);
    return t;
}

const char kRmc[] = "$GPRMC,001530.00,A,3729.8772,N,12701.6560,E,13.65,84.40,070324,,,A*6A";

uint32_t le32(const QByteArray &data, qsizetype at)
{
    return media::telemetry::ReadLe32(reinterpret_cast<const uint8_t *>(data.constData()) + at);
}

void putLe32(QByteArray &data, qsizetype at, uint32_t value)
{
    std::memcpy(data.data() + at, &value, 4);
}

} // namespace

TEST(TelemetryReader, HandsOutTaggedRecordsInTimeOrder)
{
    SyntheticAvi avi({ ChunkBody({ { 0, GSensorPayload(55, 56, 58) }, { 40, GpsPayload(kRmc) } }),
        ChunkBody({ { 100, GSensorPayload(54, 57, 60) } }) });
    TelemetryReader reader;
    ASSERT_TRUE(reader.Open(avi.Path()));
    EXPECT_EQ(reader.Stats().source, TelemetryReader::ChunkSource::Index);
    const auto records = drain(reader);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(times(records), (std::vector<uint32_t> { 0, 40, 100 }));
    EXPECT_EQ(records[0].payload, GSensorPayload(55, 56, 58));
    EXPECT_EQ(records[1].payload, GpsPayload(kRmc));
    using media::telemetry::RecordKind;
    const auto kind = [](const QByteArray &p) {
        return media::telemetry::ClassifyRecord(
            reinterpret_cast<const uint8_t *>(p.constData()), static_cast<uint32_t>(p.size()));
    };
    EXPECT_EQ(kind(records[0].payload), RecordKind::GSensor);
    EXPECT_EQ(kind(records[1].payload), RecordKind::Gps);
    EXPECT_EQ(kind(QByteArray("M\0\0", 3)), RecordKind::Unknown); // too short for X, Y, Z
    EXPECT_EQ(kind(QByteArray("X$GNRMC")), RecordKind::Gps); // the tag test looks at byte 2
    EXPECT_EQ(kind(QByteArray("Q$PXXX")), RecordKind::Unknown);
    // The end stays the end.
    uint8_t buffer[16];
    uint32_t length = 16, timeMs = 0;
    EXPECT_EQ(reader.GetNextRecord(buffer, &length, &timeMs), media::kStreamParseEndOfFile);
}

TEST(TelemetryReader, SortsRecordsStoredOutOfOrder)
{
    SyntheticAvi avi({ ChunkBody({ { 2000, GSensorPayload(1, 1, 1) }, { 500, GSensorPayload(2, 2, 2) } }),
        ChunkBody({ { 1000, GSensorPayload(3, 3, 3) }, { 1000, GSensorPayload(4, 4, 4) } }) });
    TelemetryReader reader;
    ASSERT_TRUE(reader.Open(avi.Path()));
    EXPECT_TRUE(reader.Stats().outOfOrder);
    const auto records = drain(reader);
    EXPECT_EQ(times(records), (std::vector<uint32_t> { 500, 1000, 1000, 2000 }));
    // Records with the same time keep their stored order.
    EXPECT_EQ(records[1].payload, GSensorPayload(3, 3, 3));
    EXPECT_EQ(records[2].payload, GSensorPayload(4, 4, 4));
}

TEST(TelemetryReader, ToleratesDamagedRecords)
{
    // A zero-length record is skipped; a record that claims more bytes than its chunk holds ends
    // that chunk; one longer than any record may be ends it too. The next chunk is read normally.
    QByteArray damaged = ChunkBody({ { 0, GSensorPayload(10, 10, 10) } });
    damaged += QByteArray("\x64\0\0\0\0\0", 6); // time 100, length 0
    damaged += ChunkBody({ { 200, GSensorPayload(20, 20, 20) } });
    damaged += QByteArray("\x2c\x01\0\0\x50\0", 6) + QByteArray(10, 'M'); // 80 bytes claimed, 10 there
    QByteArray tooLong = ChunkBody({ { 400, GSensorPayload(40, 40, 40) } });
    tooLong += QByteArray("\xf4\x01\0\0\x01\x04", 6) + QByteArray(1025, 'G'); // 1025 > 1024
    tooLong += ChunkBody({ { 600, GSensorPayload(60, 60, 60) } });
    const QByteArray good = ChunkBody({ { 700, GSensorPayload(70, 70, 70) } });
    SyntheticAvi avi({ damaged, tooLong, good });

    TelemetryReader reader;
    ASSERT_TRUE(reader.Open(avi.Path()));
    EXPECT_EQ(times(drain(reader)), (std::vector<uint32_t> { 0, 200, 400, 700 }));
    EXPECT_EQ(reader.Stats().zeroLengthRecords, 1u);
    EXPECT_EQ(reader.Stats().cutRecords, 2u);
    EXPECT_EQ(reader.Stats().chunks, 3u);
}

TEST(TelemetryReader, FindsChunksWithoutTheIndex)
{
    const std::vector<QByteArray> chunks
        = { ChunkBody({ { 0, GSensorPayload(1, 2, 3) } }), ChunkBody({ { 100, GpsPayload(kRmc) } }) };
    SyntheticAvi indexed(chunks, true);
    SyntheticAvi unindexed(chunks, false);
    TelemetryReader a, b;
    ASSERT_TRUE(a.Open(indexed.Path()));
    ASSERT_TRUE(b.Open(unindexed.Path()));
    EXPECT_EQ(a.Stats().source, TelemetryReader::ChunkSource::Index);
    EXPECT_EQ(b.Stats().source, TelemetryReader::ChunkSource::ChunkWalk);
    const auto fromIndex = drain(a);
    const auto fromWalk = drain(b);
    ASSERT_EQ(fromWalk.size(), 2u);
    EXPECT_EQ(times(fromIndex), times(fromWalk));
    EXPECT_EQ(fromIndex[1].payload, fromWalk[1].payload);
}

TEST(TelemetryReader, AcceptsAbsoluteIndexOffsetsAndSkipsUnreadableEntries)
{
    SyntheticAvi avi({ ChunkBody({ { 0, GSensorPayload(1, 1, 1) } }),
        ChunkBody({ { 100, GSensorPayload(2, 2, 2) } }), ChunkBody({ { 200, GSensorPayload(3, 3, 3) } }) });
    QByteArray data = avi.Bytes();
    const qsizetype index = data.lastIndexOf("idx1");
    const qsizetype movi = data.indexOf("movi");
    const uint32_t entries = le32(data, index + 4) / 16;

    QByteArray absolute = data;
    for (uint32_t i = 0; i < entries; ++i)
        putLe32(absolute, index + 8 + i * 16 + 8, le32(data, index + 8 + i * 16 + 8) + uint32_t(movi));
    TelemetryReader reader;
    ASSERT_TRUE(reader.Open(avi.WriteCopy(QStringLiteral("absolute.avi"), absolute)));
    EXPECT_EQ(reader.Stats().source, TelemetryReader::ChunkSource::Index);
    EXPECT_EQ(reader.RecordCount(), 3u);

    // An entry whose size disagrees with its chunk: the chunk's own header decides.
    QByteArray wrongSize = data;
    for (uint32_t i = 0; i < entries; ++i) {
        const qsizetype entry = index + 8 + i * 16;
        if (wrongSize.mid(entry, 4) == "tlm0")
            putLe32(wrongSize, entry + 12, le32(wrongSize, entry + 12) + 2);
    }
    ASSERT_TRUE(reader.Open(avi.WriteCopy(QStringLiteral("wrongsize.avi"), wrongSize)));
    EXPECT_EQ(reader.Stats().source, TelemetryReader::ChunkSource::Index);
    EXPECT_EQ(times(drain(reader)), (std::vector<uint32_t> { 0, 100, 200 }));

    // One telemetry entry pointing into a video chunk: that chunk is passed over, the index kept.
    QByteArray oneBad = data;
    uint32_t telemetrySeen = 0;
    for (uint32_t i = 0; i < entries; ++i) {
        const qsizetype entry = index + 8 + i * 16;
        if (oneBad.mid(entry, 4) == "tlm0" && ++telemetrySeen == 2)
            putLe32(oneBad, entry + 8, 4); // the first chunk of "movi", a video frame
    }
    ASSERT_TRUE(reader.Open(avi.WriteCopy(QStringLiteral("onebad.avi"), oneBad)));
    EXPECT_EQ(reader.Stats().source, TelemetryReader::ChunkSource::Index);
    EXPECT_EQ(reader.Stats().unreadableChunks, 1u);
    EXPECT_EQ(times(drain(reader)), (std::vector<uint32_t> { 0, 200 }));
}

TEST(TelemetryReader, FallsBackToTheWalkWhenTheIndexIsDamaged)
{
    const auto &card = testsupport::SharedSampleCard();
    const QString front = testsupport::CardFile(card.plans[1], 'F');
    TelemetryReader intact;
    ASSERT_TRUE(intact.Open(front));
    ASSERT_EQ(intact.Stats().source, TelemetryReader::ChunkSource::Index);
    const auto expected = drain(intact);
    ASSERT_GT(expected.size(), 20u);

    const QByteArray data = testsupport::ReadFile(front);
    const qsizetype index = data.lastIndexOf("idx1");
    ASSERT_GT(index, 0);

    // Offsets scrambled: the index no longer matches the file.
    QByteArray scrambled = data;
    for (qsizetype at = index + 8 + 8; at + 4 <= scrambled.size(); at += 16)
        putLe32(scrambled, at, le32(scrambled, at) * 7 + 3);
    // The index chunk renamed: as if the recorder never wrote it.
    QByteArray renamed = data;
    renamed.replace(index, 4, "JUNK");
    // The file cut inside the index.
    const QByteArray cut = data.left(index + 8 + 16 * 5);

    SyntheticAvi helper({});
    for (const auto &[name, bytes] : { std::pair { "scrambled.avi", scrambled },
             std::pair { "renamed.avi", renamed }, std::pair { "cutindex.avi", cut } }) {
        SCOPED_TRACE(name);
        TelemetryReader reader;
        ASSERT_TRUE(reader.Open(helper.WriteCopy(QString::fromLatin1(name), bytes)));
        EXPECT_EQ(reader.Stats().source, TelemetryReader::ChunkSource::ChunkWalk);
        const auto records = drain(reader);
        ASSERT_EQ(records.size(), expected.size());
        EXPECT_EQ(times(records), times(expected));
        EXPECT_EQ(records.back().payload, expected.back().payload);
    }
}

TEST(TelemetryReader, TruncatedFilesNeverReadPastTheEnd)
{
    std::vector<QByteArray> chunks;
    for (uint32_t i = 0; i < 6; ++i)
        chunks.push_back(
            ChunkBody({ { i * 100, GSensorPayload(uint8_t(i), 0, 0) }, { i * 100 + 40, GpsPayload(kRmc) } }));
    SyntheticAvi avi(chunks);
    const QByteArray data = avi.Bytes();
    TelemetryReader full;
    ASSERT_TRUE(full.Open(avi.Path()));
    const size_t all = full.RecordCount();
    ASSERT_EQ(all, 12u);

    size_t previous = 0;
    for (qsizetype length = 0; length <= data.size(); length += 7) {
        TelemetryReader reader;
        const bool opened = reader.Open(avi.WriteCopy(QStringLiteral("cut.avi"), data.left(length)));
        EXPECT_EQ(opened, length >= 12) << length;
        // A longer piece of the file never yields fewer records, and never more than the whole.
        EXPECT_LE(reader.RecordCount(), all) << length;
        EXPECT_GE(reader.RecordCount(), previous) << length;
        previous = reader.RecordCount();
        if (opened) {
            for (const Delivered &d : drain(reader))
                EXPECT_TRUE(d.payload == GpsPayload(kRmc) || d.payload.startsWith('M')) << length;
        }
    }
    EXPECT_EQ(previous, all);
}

// A recorder that loses power leaves no index and the "movi" size at 0, or at what an earlier
// update of the header wrote: every chunk in the file is still read.
TEST(TelemetryReader, FindsEveryRecordOfAFileThatAPowerLossLeftUnfinished)
{
    std::vector<QByteArray> chunks;
    for (uint32_t i = 0; i < 6; ++i)
        chunks.push_back(ChunkBody({ { i * 1000, GSensorPayload(uint8_t(i), 0, 0) } }));
    SyntheticAvi avi(chunks);
    const QString cut = avi.WriteCopy(QStringLiteral("power-loss.avi"), avi.Bytes());
    QString error;
    ASSERT_TRUE(media::recorder::CutLikePowerLoss(cut, { true }, &error)) << error.toStdString();
    const QByteArray zeroSizes = testsupport::ReadFile(cut);
    ASSERT_EQ(zeroSizes.indexOf("idx1"), -1);
    const qsizetype movi = zeroSizes.indexOf("movi");
    ASSERT_EQ(le32(zeroSizes, movi - 4), 0u);

    // The stale size ends after the first telemetry chunk.
    QByteArray stale = zeroSizes;
    const qsizetype second = stale.indexOf("tlm0", stale.indexOf("tlm0") + 4);
    putLe32(stale, movi - 4, uint32_t(second - movi));
    putLe32(stale, 4, uint32_t(second - 8));
    for (const auto &[name, bytes] :
        { std::pair { "sizes 0", zeroSizes }, std::pair { "stale sizes", stale } }) {
        TelemetryReader reader;
        ASSERT_TRUE(reader.Open(avi.WriteCopy(QStringLiteral("power-loss-copy.avi"), bytes))) << name;
        EXPECT_EQ(reader.Stats().source, TelemetryReader::ChunkSource::ChunkWalk) << name;
        EXPECT_EQ(times(drain(reader)), (std::vector<uint32_t> { 0, 1000, 2000, 3000, 4000, 5000 })) << name;
    }
}

TEST(TelemetryReader, RefusesWhatIsNotAnAviFile)
{
    SyntheticAvi helper({});
    TelemetryReader reader;
    EXPECT_FALSE(reader.Open(QDir(TemporaryFolder()).filePath(QStringLiteral("missing.avi"))));
    EXPECT_FALSE(
        reader.Open(helper.WriteCopy(QStringLiteral("wave.avi"), QByteArray("RIFF\x04\0\0\0WAVE", 12))));
    EXPECT_FALSE(reader.IsOpen());
    uint8_t buffer[8];
    uint32_t length = 8, timeMs = 0;
    EXPECT_EQ(reader.GetNextRecord(buffer, &length, &timeMs), media::kStreamParseNotReady);
    EXPECT_EQ(reader.GetNextRecord(nullptr, &length, &timeMs), media::kStreamParseInvalidArg);

    // A RIFF AVI without any telemetry opens and has no records.
    ASSERT_TRUE(reader.Open(helper.Path()));
    EXPECT_EQ(reader.RecordCount(), 0u);
    EXPECT_EQ(reader.GetNextRecord(buffer, &length, &timeMs), media::kStreamParseEndOfFile);
}

TEST(TelemetryReader, ConfigurationRangeAndBufferSize)
{
    SyntheticAvi avi({ ChunkBody({ { 0, GSensorPayload(1, 1, 1) }, { 1000, GpsPayload(kRmc) } }),
        ChunkBody({ { 2000, GSensorPayload(2, 2, 2) }, { 3000, GSensorPayload(3, 3, 3) } }) });
    TelemetryReader reader;
    ASSERT_TRUE(reader.Open(avi.Path()));

    EXPECT_EQ(reader.Configure(0), media::kStreamParseOk);
    EXPECT_TRUE(drain(reader).empty());
    EXPECT_EQ(reader.Configure(2), media::kStreamParseInvalidArg);
    EXPECT_EQ(reader.Configure(1), media::kStreamParseOk);

    EXPECT_EQ(reader.SetRecordRange(1000, 2000), media::kStreamParseOk);
    EXPECT_EQ(times(drain(reader)), (std::vector<uint32_t> { 1000, 2000 }));
    EXPECT_EQ(reader.SetRecordRange(0, -1), media::kStreamParseOk);
    EXPECT_EQ(drain(reader).size(), 4u);
    EXPECT_EQ(reader.SetRecordRange(5, 4), media::kStreamParseInvalidArg);
    EXPECT_EQ(reader.SetRecordRange(-1, -1), media::kStreamParseInvalidArg);

    // Too small a buffer: told the size needed, and the record is still the next one.
    ASSERT_EQ(reader.SetRecordRange(1000, -1), media::kStreamParseOk);
    uint8_t buffer[1024];
    uint32_t length = 10, timeMs = 0;
    EXPECT_EQ(reader.GetNextRecord(buffer, &length, &timeMs), media::kStreamParseMoreData);
    EXPECT_EQ(length, uint32_t(sizeof kRmc)); // 'G' + the sentence without its 0
    length = sizeof buffer;
    EXPECT_EQ(reader.GetNextRecord(buffer, &length, &timeMs), media::kStreamParseOk);
    EXPECT_EQ(timeMs, 1000u);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char *>(buffer), length), GpsPayload(kRmc));
}
