#include "TelemetryTestSupport.h"

#include "media/telemetry/TelemetryFormat.h"
#include "support/Files.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>

namespace telemetry_test {

namespace {

    QTemporaryDir &temporaryDir()
    {
        static QTemporaryDir dir;
        return dir;
    }

} // namespace

QString TemporaryFolder()
{
    return temporaryDir().path();
}

QByteArray ChunkBody(const std::vector<RawRecord> &records)
{
    std::vector<uint8_t> body;
    for (const RawRecord &r : records) {
        const auto *p = reinterpret_cast<const uint8_t *>(r.payload.constData());
        media::telemetry::AppendRecord(body, r.timeMs, std::vector<uint8_t>(p, p + r.payload.size()));
    }
    return QByteArray(reinterpret_cast<const char *>(body.data()), static_cast<qsizetype>(body.size()));
}

SyntheticAvi::SyntheticAvi(const std::vector<QByteArray> &telemetryChunks, bool withIndex)
{
    static std::atomic<int> counter { 0 };
    m_path = QDir(TemporaryFolder()).filePath(QStringLiteral("synthetic_%1.avi").arg(counter++));
    media::recorder::AviWriter writer;
    media::recorder::AviWriter::VideoFormat format;
    format.width = 64;
    format.height = 48;
    EXPECT_TRUE(writer.Open(m_path, format, std::nullopt));
    const uint8_t frame[37] = { 0, 0, 0, 1, 0x65 }; // odd size: exercises the pad byte
    for (const QByteArray &chunk : telemetryChunks) {
        writer.WriteVideo(frame, sizeof frame, true);
        writer.WriteChunk(media::telemetry::kChunkId, reinterpret_cast<const uint8_t *>(chunk.constData()),
            static_cast<size_t>(chunk.size()), 0);
    }
    writer.WriteVideo(frame, sizeof frame, true);
    EXPECT_TRUE(writer.Finish()) << writer.ErrorString().toStdString();
    if (!withIndex) {
        QByteArray data = Bytes();
        const qsizetype index = data.lastIndexOf("idx1");
        EXPECT_GT(index, 0);
        data.truncate(index);
        const uint32_t riffSize = static_cast<uint32_t>(data.size() - 8);
        std::memcpy(data.data() + 4, &riffSize, 4);
        EXPECT_TRUE(testsupport::WriteFile(m_path, data));
    }
}

QByteArray SyntheticAvi::Bytes() const
{
    return testsupport::ReadFile(m_path);
}

QString SyntheticAvi::WriteCopy(const QString &name, const QByteArray &bytes) const
{
    const QString path = QDir(TemporaryFolder()).filePath(name);
    EXPECT_TRUE(testsupport::WriteFile(path, bytes));
    return path;
}

QByteArray GpsPayload(const char *sentence)
{
    return QByteArray("G") + sentence;
}

QByteArray GSensorPayload(uint8_t x, uint8_t y, uint8_t z)
{
    const char bytes[7] = { 'M', 0, 0, 0, char(x), char(y), char(z) };
    return QByteArray(bytes, 7);
}

} // namespace telemetry_test
