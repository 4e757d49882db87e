#include "TelemetryTestSupport.h"

#include "samplecard_setup.h"

#include "media/telemetry/TelemetryFormat.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>

extern "C" {
#include <libavutil/log.h>
}

namespace telemetry_test {

namespace {

QTemporaryDir &temporaryDir()
{
    static QTemporaryDir dir;
    return dir;
}

constexpr uint64_t kCardSeed = 7;

// CTest runs every test in a process of its own; the card is therefore kept in the build tree and
// made again only when this test program changed (a new build may change the generator).
QString cardStamp()
{
    const QFileInfo self(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath());
    return QStringLiteral("%1 %2 %3")
        .arg(self.lastModified().toMSecsSinceEpoch())
        .arg(self.size())
        .arg(kCardSeed);
}

SampleCard generateCard()
{
    av_log_set_level(AV_LOG_ERROR);  // the encoders' statistics are of no interest here
    SampleCard card;
    card.seed = kCardSeed;
    const QString base = QStringLiteral(TAVIN_BIN_DIR "/../tests/telemetry-card");
    card.root = base + QStringLiteral("/card");
    media::recorder::SampleCardOptions options;
    options.directory = card.root;
    options.seed = card.seed;
    options.writeSetup = [](const QString &path, QString *error) {
        return writeSampleSetupXml(path, kCardSeed, error);
    };
    media::recorder::SampleCardGenerator generator(options);
    card.plans = generator.plan();

    QDir().mkpath(base);
    QLockFile lock(base + QStringLiteral("/lock"));
    lock.setStaleLockTime(0);
    if (!lock.lock()) {
        ADD_FAILURE() << "cannot lock " << base.toStdString();
        return card;
    }
    QFile stampFile(base + QStringLiteral("/complete"));
    if (stampFile.open(QIODevice::ReadOnly) && QString::fromUtf8(stampFile.readAll()) == cardStamp()) {
        QFile list(base + QStringLiteral("/files"));
        if (list.open(QIODevice::ReadOnly)) {
            card.written = QString::fromUtf8(list.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            return card;
        }
    }
    stampFile.close();
    QFile::remove(stampFile.fileName());
    QDir(card.root).removeRecursively();

    QElapsedTimer timer;
    timer.start();
    const bool ok = generator.generate();
    card.secondsTaken = timer.elapsed() / 1000.0;
    card.written = generator.writtenFiles();
    if (!ok) {
        ADD_FAILURE() << "sample card: " << generator.errorString().toStdString();
        return card;
    }
    QFile list(base + QStringLiteral("/files"));
    if (list.open(QIODevice::WriteOnly | QIODevice::Truncate))
        list.write(card.written.join(QLatin1Char('\n')).toUtf8());
    list.close();
    if (stampFile.open(QIODevice::WriteOnly | QIODevice::Truncate))
        stampFile.write(cardStamp().toUtf8());
    return card;
}

} // namespace

QString temporaryFolder()
{
    return temporaryDir().path();
}

const SampleCard &sampleCard()
{
    static const SampleCard card = generateCard();
    return card;
}

QString cardFile(const media::recorder::SampleRecordingPlan &plan, char channel)
{
    return QDir(sampleCard().root).filePath(plan.relativePath(channel));
}

QByteArray chunkBody(const std::vector<RawRecord> &records)
{
    std::vector<uint8_t> body;
    for (const RawRecord &r : records) {
        const auto *p = reinterpret_cast<const uint8_t *>(r.payload.constData());
        media::telemetry::appendRecord(body, r.timeMs, std::vector<uint8_t>(p, p + r.payload.size()));
    }
    return QByteArray(reinterpret_cast<const char *>(body.data()), static_cast<qsizetype>(body.size()));
}

SyntheticAvi::SyntheticAvi(const std::vector<QByteArray> &telemetryChunks, bool withIndex)
{
    static std::atomic<int> counter{0};
    m_path = QDir(temporaryFolder()).filePath(QStringLiteral("synthetic_%1.avi").arg(counter++));
    media::recorder::AviWriter writer;
    media::recorder::AviWriter::VideoFormat format;
    format.width = 64;
    format.height = 48;
    EXPECT_TRUE(writer.open(m_path, format, std::nullopt));
    const uint8_t frame[37] = {0, 0, 0, 1, 0x65};  // odd size: exercises the pad byte
    for (const QByteArray &chunk : telemetryChunks) {
        writer.writeVideo(frame, sizeof frame, true);
        writer.writeChunk(media::telemetry::kChunkId, reinterpret_cast<const uint8_t *>(chunk.constData()),
                          static_cast<size_t>(chunk.size()), 0);
    }
    writer.writeVideo(frame, sizeof frame, true);
    EXPECT_TRUE(writer.finish()) << writer.errorString().toStdString();
    if (!withIndex) {
        QByteArray data = bytes();
        const qsizetype index = data.lastIndexOf("idx1");
        EXPECT_GT(index, 0);
        data.truncate(index);
        const uint32_t riffSize = static_cast<uint32_t>(data.size() - 8);
        std::memcpy(data.data() + 4, &riffSize, 4);
        QFile file(m_path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(data);
    }
}

QByteArray SyntheticAvi::bytes() const
{
    QFile file(m_path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

QString SyntheticAvi::writeCopy(const QString &name, const QByteArray &bytes) const
{
    const QString path = QDir(temporaryFolder()).filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    return path;
}

int runProgram(const QString &program, const QStringList &args, QByteArray *out, QByteArray *err, int timeoutMs)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForStarted(10000))
        return -1;
    process.closeWriteChannel();
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    if (out)
        *out = process.readAllStandardOutput();
    if (err)
        *err = process.readAllStandardError();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

QString cliPath()
{
    return QStringLiteral(TAVIN_BIN_DIR "/tavin-cli");
}

QByteArray gpsPayload(const char *sentence)
{
    return QByteArray("G") + sentence;
}

QByteArray gsensorPayload(uint8_t x, uint8_t y, uint8_t z)
{
    const char bytes[7] = {'M', 0, 0, 0, char(x), char(y), char(z)};
    return QByteArray(bytes, 7);
}

} // namespace telemetry_test
