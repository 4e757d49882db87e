#include "TelemetryTestSupport.h"
#include "support/Files.h"
#include "support/Process.h"
#include "support/SampleCards.h"

#include "device/CXmlItemDoc.h"
#include "device/ConfigItems.h"
#include "media/AviFileInfo.h"
#include "media/AviHeaderReader.h"
#include "media/CGps.h"
#include "media/RecordingLength.h"
#include "media/recorder/NmeaRmc.h"
#include "media/recorder/PowerLossCut.h"
#include "media/telemetry/TelemetryReader.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>

using media::recorder::SampleCardGenerator;
using media::recorder::SampleRecordingPlan;
using namespace telemetry_test;
using testsupport::SampleCard;

namespace {

struct Record {
    uint32_t timeMs;
    QByteArray payload;
};

std::vector<Record> readRecords(const QString &path)
{
    media::TelemetryReader reader;
    EXPECT_TRUE(reader.Open(path)) << path.toStdString();
    std::vector<Record> records;
    uint8_t buffer[1024];
    uint32_t length = sizeof buffer, timeMs = 0;
    while (reader.GetNextRecord(buffer, &length, &timeMs) == media::kStreamParseOk) {
        records.push_back({ timeMs, QByteArray(reinterpret_cast<const char *>(buffer), length) });
        length = sizeof buffer;
    }
    return records;
}

QStringList filesBelow(const QString &root)
{
    QStringList files;
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(root).relativeFilePath(it.next());
    files.sort();
    return files;
}

const SampleRecordingPlan *findPlan(char kind, bool parked, const QString &folder = QString())
{
    for (const SampleRecordingPlan &p : testsupport::SharedSampleCard().plans) {
        if (p.kind == kind && p.parked == parked && (folder.isEmpty() || p.folder == folder))
            return &p;
    }
    return nullptr;
}

const SampleRecordingPlan *findCutPlan()
{
    for (const SampleRecordingPlan &p : testsupport::SharedSampleCard().plans) {
        if (p.cutByPowerLoss)
            return &p;
    }
    return nullptr;
}

media::AviFileInfo walk(const QString &path)
{
    media::AviFileInfo info;
    EXPECT_TRUE(media::ReadAviFileInfo(QFile::encodeName(path).constData(), info)) << path.toStdString();
    return info;
}

// Largest distance of a G-sensor reading from the resting level.
int largestDeflection(const std::vector<Record> &records)
{
    int largest = 0;
    for (const Record &r : records) {
        if (r.payload[0] != 'M')
            continue;
        for (int axis = 4; axis < 7; ++axis)
            largest = std::max(largest, std::abs(int(uint8_t(r.payload[axis])) - 55));
    }
    return largest;
}

// Every frame and audio packet of the file decodes without a complaint.
void ExpectCleanDecode(const QString &path)
{
    const testsupport::ProcessResult result = testsupport::RunProgram(QStringLiteral("ffmpeg"),
        { QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-xerror"), QStringLiteral("-i"),
            path, QStringLiteral("-f"), QStringLiteral("null"), QStringLiteral("-") });
    EXPECT_TRUE(result.Ok()) << result.err.toStdString();
    EXPECT_TRUE(result.err.isEmpty()) << result.err.toStdString();
}

} // namespace

TEST(SampleCard, LayoutAndFileNames)
{
    const SampleCard &card = testsupport::SharedSampleCard();
    ASSERT_FALSE(card.written.isEmpty());
    RecordProperty("generation_seconds", QString::number(card.secondsTaken, 'f', 2).toStdString());

    QStringList written = card.written;
    written.sort();
    EXPECT_EQ(filesBelow(card.root).join(QLatin1Char(' ')).toStdString(),
        written.join(QLatin1Char(' ')).toStdString());
    EXPECT_TRUE(written.contains(QStringLiteral("setup.xml")));
    EXPECT_EQ(written.removeDuplicates(), 0); // no recording overwrote another

    const QRegularExpression name(
        QStringLiteral("^(NORMAL|EVENT|MANUAL|PARKING|SAVE)/\\d{8}_\\d{6}_([FR])([NUSPM])\\.AVI$"));
    std::set<char> kinds;
    int withoutRear = 0;
    int withoutFix = 0;
    for (const SampleRecordingPlan &p : card.plans) {
        const QString front = p.RelativePath('F');
        const auto match = name.match(front);
        ASSERT_TRUE(match.hasMatch()) << front.toStdString();
        EXPECT_EQ(match.captured(2), QStringLiteral("F"));
        EXPECT_EQ(match.captured(3), QString(QLatin1Char(p.kind)));
        EXPECT_TRUE(written.contains(front));
        QString rear = front;
        rear[front.lastIndexOf(QLatin1Char('.')) - 2] = QLatin1Char('R');
        EXPECT_EQ(rear, p.RelativePath('R'));
        EXPECT_EQ(written.contains(rear), p.hasRear) << rear.toStdString();
        kinds.insert(p.kind);
        withoutRear += p.hasRear ? 0 : 1;
        withoutFix += p.gpsFix ? 0 : 1;
    }
    EXPECT_EQ(kinds, (std::set<char> { 'N', 'U', 'S', 'P', 'M' }));
    EXPECT_EQ(withoutRear, 1);
    EXPECT_EQ(withoutFix, 1);
    // One event whose files a power loss left unfinished, named like any other.
    const auto cut = std::count_if(
        card.plans.begin(), card.plans.end(), [](const SampleRecordingPlan &p) { return p.cutByPowerLoss; });
    EXPECT_EQ(cut, 1);
    const SampleRecordingPlan *crash = findCutPlan();
    ASSERT_NE(crash, nullptr);
    EXPECT_EQ(crash->folder, QStringLiteral("EVENT"));
    EXPECT_EQ(crash->kind, 'S');
    EXPECT_TRUE(crash->hasRear);
    EXPECT_NE(findPlan('S', false, QStringLiteral("SAVE")), nullptr);
    for (const char *folder : { "NORMAL", "EVENT", "MANUAL", "PARKING", "SAVE" })
        EXPECT_TRUE(QDir(card.root).exists(QString::fromLatin1(folder))) << folder;
}

// The card is a day as the viewer groups it: two drives of several recordings, one with an event
// and a restart of the recorder, then a parking session with its events. Within a drive the car
// drives on from one recording into the next.
TEST(SampleCard, ADayOfTwoDrivesAndAParkingSession)
{
    const SampleCard &card = testsupport::SharedSampleCard();
    const testsupport::ProcessResult result
        = testsupport::RunCli({ QStringLiteral("trips"), card.root, QStringLiteral("--json") });
    ASSERT_TRUE(result.Ok()) << result.err.toStdString();
    const QJsonArray trips = QJsonDocument::fromJson(result.out).array();
    std::vector<QJsonObject> drives;
    int parkingEvents = 0;
    for (const QJsonValue &trip : trips) {
        if (trip[QStringLiteral("kind")].toString() == QLatin1String("drive"))
            drives.push_back(trip.toObject());
        else
            parkingEvents += trip[QStringLiteral("events")].toInt();
    }
    ASSERT_GE(drives.size(), 2u) << result.out.toStdString();
    EXPECT_EQ(trips.size(), qsizetype(drives.size()) + 1) << "one parking session";
    EXPECT_GE(parkingEvents, 2);

    const auto planOf = [&](const QString &front) -> const SampleRecordingPlan * {
        for (const SampleRecordingPlan &p : card.plans)
            if (front.endsWith(QLatin1Char('/') + p.RelativePath('F')))
                return &p;
        return nullptr;
    };
    bool eventAndRestart = false;
    for (const QJsonObject &drive : drives) {
        const QJsonArray fronts = drive[QStringLiteral("recordings")].toArray();
        EXPECT_GE(fronts.size(), 3);
        bool restart = false;
        const SampleRecordingPlan *previous = nullptr;
        for (const QJsonValue &front : fronts) {
            const SampleRecordingPlan *plan = planOf(front.toString());
            ASSERT_NE(plan, nullptr) << front.toString().toStdString();
            if (previous) {
                // What the recorder did not record between the two: nothing, or its restart.
                const int64_t hole = plan->startUtcMs - (previous->startUtcMs + previous->durationMs);
                EXPECT_TRUE(hole >= 0 && (hole < 1000 || (hole >= 2000 && hole <= 4000))) << hole;
                restart = restart || hole >= 2000;
                // The last fix of one recording and the first of the next: the car moved on from
                // where it was, at about the speed it had.
                const auto fixes = [](const SampleRecordingPlan &p) {
                    std::vector<media::CGps> found;
                    for (const Record &r : readRecords(testsupport::CardFile(p, 'F')))
                        if (r.payload[0] == 'G')
                            found.emplace_back(r.timeMs, r.payload.mid(1).constData());
                    return found;
                };
                const std::vector<media::CGps> before = fixes(*previous);
                const std::vector<media::CGps> after = fixes(*plan);
                ASSERT_FALSE(before.empty() || after.empty());
                const media::CGps &last = before.back();
                const media::CGps &first = after.front();
                ASSERT_TRUE(last.IsValid() && first.IsValid());
                const double seconds = double(first.GetFixTime() - last.GetFixTime());
                EXPECT_GE(seconds, 1);
                const double latitude = media::CoordinateToDegrees(last.latitude);
                const double north = (media::CoordinateToDegrees(first.latitude) - latitude) * 111000.0;
                const double east = (media::CoordinateToDegrees(first.longitude)
                                        - media::CoordinateToDegrees(last.longitude))
                    * 111000.0 * std::cos(latitude * 3.14159265 / 180.0);
                EXPECT_LT(std::hypot(north, east), std::max(last.speed, first.speed) / 3.6 * seconds + 10);
                EXPECT_LT(std::abs(first.speed - last.speed), 12 * seconds);
            }
            previous = plan;
        }
        EXPECT_EQ(drive[QStringLiteral("gaps")].toInt(), restart ? 1 : 0);
        eventAndRestart = eventAndRestart || (restart && drive[QStringLiteral("events")].toInt() > 0);
    }
    EXPECT_TRUE(eventAndRestart) << "a drive with an event and the recorder's restart";
}

TEST(SampleCard, SettingsFileReadsAsTheViewerExpects)
{
    const QString path = QDir(testsupport::SharedSampleCard().root).filePath(QStringLiteral("setup.xml"));
    device::CXmlItemDoc doc;
    ASSERT_TRUE(doc.OpenFile(path));
    ASSERT_TRUE(doc.FindFirstItem());
    device::ValueStrings values;
    for (int i = 0; i < device::kItemCount; ++i)
        EXPECT_TRUE(doc.BindItem(device::ConfigItems()[size_t(i)].id, &values[size_t(i)]))
            << device::ConfigItems()[size_t(i)].id;
    EXPECT_EQ(values[device::kItemName], QStringLiteral("TAVIN Q7"));
    EXPECT_FALSE(values[device::kItemFWVersion].isEmpty());
    EXPECT_EQ(values[device::kItemPartitionMode], QStringLiteral("5"));

    // The viewer takes the battery calibration from bytes 300 to 1299 of the raw file.
    const QByteArray raw = testsupport::ReadFile(path);
    const qsizetype marker = raw.indexOf("<item id=\"CarBatVoltCalib\" value=\"");
    EXPECT_GE(marker, 300);
    EXPECT_LE(marker + 34, 1300);
}

TEST(SampleCard, TelemetryIsPlausible)
{
    const SampleCard &card = testsupport::SharedSampleCard();
    for (const SampleRecordingPlan &p : card.plans) {
        SCOPED_TRACE(p.RelativePath('F').toStdString());
        const auto records = readRecords(testsupport::CardFile(p, 'F'));
        // One sentence per second, ten sensor readings per second, in time order.
        int gps = 0, sensor = 0;
        for (size_t i = 0; i < records.size(); ++i) {
            if (i > 0) {
                EXPECT_LE(records[i - 1].timeMs, records[i].timeMs);
            }
            EXPECT_LT(records[i].timeMs, uint32_t(p.durationMs));
            const QByteArray &payload = records[i].payload;
            if (payload[0] == 'M') {
                ++sensor;
                ASSERT_EQ(payload.size(), 7);
                continue;
            }
            ++gps;
            ASSERT_EQ(payload[0], 'G');
            const QByteArray sentence = payload.mid(1);
            // The receiver's checksum and a two-decimal time field.
            const qsizetype star = sentence.lastIndexOf('*');
            ASSERT_GT(star, 0);
            EXPECT_EQ(sentence.mid(star + 1).toInt(nullptr, 16),
                media::recorder::NmeaChecksum(sentence.mid(1, star - 1).toStdString()));
            EXPECT_EQ(sentence.split(',')[1].size(), 9);
            const media::CGps fix(records[i].timeMs, sentence.constData());
            EXPECT_EQ(fix.IsValid(), p.gpsFix);
            // UTC of the fix: the file name's local (Korean) time minus nine hours, plus the second.
            const QDateTime local
                = QDateTime::fromString(p.FileName('F').left(15), QStringLiteral("yyyyMMdd_HHmmss"));
            const QDateTime expected
                = QDateTime(local.date(), local.time(), QTimeZone::utc()).addSecs(-9 * 3600);
            EXPECT_EQ(fix.GetFixTime(), expected.toSecsSinceEpoch() + records[i].timeMs / 1000);
            if (p.gpsFix) {
                const double lat = media::CoordinateToDegrees(fix.latitude);
                const double lon = media::CoordinateToDegrees(fix.longitude);
                EXPECT_TRUE(lat > 37.45 && lat < 37.55 && lon > 127.0 && lon < 127.1) << lat << " " << lon;
                EXPECT_GE(fix.speed, 0.0f);
                EXPECT_LT(fix.speed, 100.0f);
                EXPECT_GE(fix.course, 0.0f);
                EXPECT_LT(fix.course, 360.0f);
                if (p.parked) {
                    EXPECT_LT(fix.speed, 1.0f);
                }
            }
        }
        EXPECT_EQ(gps, p.durationMs / 1000);
        EXPECT_EQ(sensor, p.durationMs / 100);
        // Resting readings stay near the middle of 0 to 110; events show a jolt.
        const int deflection = largestDeflection(records);
        if (p.impactStrength >= 20)
            EXPECT_GT(deflection, 20);
        else
            EXPECT_LT(deflection, 20);
    }
}

TEST(SampleCard, TheSameSeedGivesTheSameCard)
{
    const SampleCard &card = testsupport::SharedSampleCard();
    media::recorder::SampleCardOptions options;
    options.seed = card.seed;
    const auto names = [](const std::vector<SampleRecordingPlan> &plans) {
        QStringList list;
        for (const SampleRecordingPlan &p : plans)
            list << p.RelativePath('F') << (p.hasRear ? p.RelativePath('R') : QString());
        return list;
    };
    EXPECT_EQ(names(SampleCardGenerator(options).Plan()), names(card.plans));
    options.seed = card.seed + 1;
    EXPECT_NE(names(SampleCardGenerator(options).Plan()), names(card.plans));

    // Writing one recording again gives the same telemetry and, here, the same bytes.
    options.seed = card.seed;
    SampleCardGenerator again(options);
    const QString copy = QDir(TemporaryFolder()).filePath(QStringLiteral("again.avi"));
    ASSERT_TRUE(again.GenerateFile(3, 'F', copy)) << again.ErrorString().toStdString();
    const auto original = readRecords(testsupport::CardFile(card.plans[3], 'F'));
    const auto repeated = readRecords(copy);
    ASSERT_EQ(original.size(), repeated.size());
    for (size_t i = 0; i < original.size(); ++i) {
        EXPECT_EQ(original[i].timeMs, repeated[i].timeMs);
        EXPECT_EQ(original[i].payload, repeated[i].payload);
    }
    EXPECT_TRUE(
        testsupport::ReadFile(testsupport::CardFile(card.plans[3], 'F')) == testsupport::ReadFile(copy));

    // The unfinished event is written again unfinished, cut at the same byte.
    const SampleRecordingPlan *crash = findCutPlan();
    ASSERT_NE(crash, nullptr);
    ASSERT_TRUE(again.GenerateFile(size_t(crash - card.plans.data()), 'R', copy))
        << again.ErrorString().toStdString();
    EXPECT_TRUE(testsupport::ReadFile(testsupport::CardFile(*crash, 'R')) == testsupport::ReadFile(copy));
}

TEST(SampleCard, ContainerWalkSeesEveryChunk)
{
    const SampleCard &card = testsupport::SharedSampleCard();
    for (const SampleRecordingPlan &p : card.plans) {
        for (const char channel : { 'F', 'R' }) {
            if (channel == 'R' && !p.hasRear)
                continue;
            SCOPED_TRACE(p.RelativePath(channel).toStdString());
            const QString path = testsupport::CardFile(p, channel);
            const media::AviFileInfo info = walk(path);
            const uint32_t frames = uint32_t(p.durationMs * 30 / 1000);
            // An unfinished file says 0 frames in its header; its length comes from its chunks.
            EXPECT_EQ(info.mainHeader.totalFrames, p.cutByPowerLoss ? 0 : frames);
            EXPECT_EQ(info.videoChunks, frames); // the walk reached the end of "movi"
            EXPECT_EQ(info.moviSize == 0, p.cutByPowerLoss);
            EXPECT_EQ(media::RecordingLengthSeconds(info), p.durationMs / 1000);
            EXPECT_EQ(media::ReadRecordingLength(QFile::encodeName(path).constData()), p.durationMs / 1000);
            EXPECT_EQ(info.mainHeader.width, channel == 'F' ? 1920u : 1280u);
            EXPECT_EQ(info.mainHeader.height, channel == 'F' ? 1080u : 720u);
            EXPECT_EQ(info.hasAudio, channel == 'F' ? 1u : 0u);
            if (channel == 'F') {
                EXPECT_GT(info.audioChunks, 0u);
                EXPECT_EQ(info.audioStreamHeader.length, p.cutByPowerLoss ? 0u : info.audioChunks);
                EXPECT_EQ(info.audioFormat.formatTag, 0x00FF);
            }
        }
    }
}

TEST(SampleCard, FfprobeAndFfmpegAcceptTheFiles)
{
    const SampleRecordingPlan *event = findPlan('S', false, QStringLiteral("EVENT"));
    ASSERT_NE(event, nullptr);
    for (const char channel : { 'F', 'R' }) {
        SCOPED_TRACE(channel);
        QByteArray out, err;
        const int code = testsupport::RunForExitCode(QStringLiteral("ffprobe"),
            { QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-count_packets"),
                QStringLiteral("-show_streams"), QStringLiteral("-show_format"), QStringLiteral("-of"),
                QStringLiteral("json"), testsupport::CardFile(*event, channel) },
            &out, &err);
        ASSERT_EQ(code, 0) << err.toStdString();
        EXPECT_TRUE(err.isEmpty()) << err.toStdString();
        const QJsonObject root = QJsonDocument::fromJson(out).object();
        const QJsonArray streams = root.value(QStringLiteral("streams")).toArray();
        ASSERT_EQ(streams.size(), channel == 'F' ? 2 : 1);
        const QJsonObject video = streams[0].toObject();
        EXPECT_EQ(video.value(QStringLiteral("codec_name")).toString(), QStringLiteral("h264"));
        EXPECT_EQ(video.value(QStringLiteral("width")).toInt(), channel == 'F' ? 1920 : 1280);
        EXPECT_EQ(video.value(QStringLiteral("height")).toInt(), channel == 'F' ? 1080 : 720);
        EXPECT_EQ(video.value(QStringLiteral("r_frame_rate")).toString(), QStringLiteral("30/1"));
        EXPECT_EQ(
            video.value(QStringLiteral("nb_read_packets")).toString().toInt(), event->durationMs * 30 / 1000);
        const double duration = root.value(QStringLiteral("format"))
                                    .toObject()
                                    .value(QStringLiteral("duration"))
                                    .toString()
                                    .toDouble();
        EXPECT_NEAR(duration, event->durationMs / 1000.0, 0.1);
        if (channel == 'F') {
            const QJsonObject audio = streams[1].toObject();
            EXPECT_EQ(audio.value(QStringLiteral("codec_name")).toString(), QStringLiteral("aac"));
            EXPECT_EQ(audio.value(QStringLiteral("sample_rate")).toString(), QStringLiteral("16000"));
        }
    }
    ExpectCleanDecode(testsupport::CardFile(*event, 'F'));
}

TEST(SampleCard, CommandLineWritesTheCardOfThePlan)
{
    const QString root = QDir(TemporaryFolder()).filePath(QStringLiteral("cli-card"));
    QByteArray out, err;
    ASSERT_EQ(testsupport::RunForExitCode(testsupport::CliPath(),
                  { QStringLiteral("sample-card"), root, QStringLiteral("--seed"), QStringLiteral("3"),
                      QStringLiteral("--minutes"), QStringLiteral("0.01"), QStringLiteral("--quiet") },
                  &out, &err, 120000),
        0)
        << err.toStdString();
    media::recorder::SampleCardOptions options;
    options.seed = 3;
    options.minutes = 0.01;
    QStringList expected { QStringLiteral("setup.xml") };
    for (const SampleRecordingPlan &p : SampleCardGenerator(options).Plan()) {
        EXPECT_EQ(p.durationMs, 600);
        expected << p.RelativePath('F');
        if (p.hasRear)
            expected << p.RelativePath('R');
    }
    expected.sort();
    EXPECT_EQ(
        filesBelow(root).join(QLatin1Char(' ')).toStdString(), expected.join(QLatin1Char(' ')).toStdString());

    EXPECT_EQ(testsupport::RunForExitCode(testsupport::CliPath(), { QStringLiteral("sample-card") }), 2);
    EXPECT_EQ(testsupport::RunForExitCode(testsupport::CliPath(),
                  { QStringLiteral("sample-card"), root, QStringLiteral("--minutes"), QStringLiteral("0") }),
        2);
    EXPECT_EQ(testsupport::RunForExitCode(testsupport::CliPath(),
                  { QStringLiteral("sample-card"), root, QStringLiteral("--seed"), QStringLiteral("x") }),
        2);

    // A card that is there (a real one, given by mistake) is never written over, nor is one of
    // its recordings by a single test recording.
    const QString setup = QDir(root).filePath(QStringLiteral("setup.xml"));
    const QByteArray setupBefore = testsupport::ReadFile(setup);
    const QString recording = QDir(root).filePath(expected.constLast());
    const QByteArray recordingBefore = testsupport::ReadFile(recording);
    EXPECT_EQ(testsupport::RunForExitCode(testsupport::CliPath(),
                  { QStringLiteral("sample-card"), root, QStringLiteral("--seed"), QStringLiteral("4"),
                      QStringLiteral("--minutes"), QStringLiteral("0.01"), QStringLiteral("--quiet") },
                  &out, &err, 120000),
        1);
    EXPECT_TRUE(err.contains("not a new or empty folder")) << err.toStdString();
    EXPECT_EQ(testsupport::RunForExitCode(
                  testsupport::CliPath(), { QStringLiteral("sample-recording"), recording }, &out, &err),
        1);
    EXPECT_TRUE(err.contains("exists")) << err.toStdString();
    EXPECT_EQ(
        filesBelow(root).join(QLatin1Char(' ')).toStdString(), expected.join(QLatin1Char(' ')).toStdString());
    EXPECT_EQ(testsupport::ReadFile(setup), setupBefore);
    EXPECT_EQ(testsupport::ReadFile(recording), recordingBefore);
}

TEST(SampleCard, Mpeg4WhenH264IsNotWanted)
{
    media::recorder::SampleCardOptions options;
    options.seed = testsupport::SharedSampleCard().seed;
    options.codec = media::recorder::SampleVideoCodec::Mpeg4;
    SampleCardGenerator generator(options);
    const QString path = QDir(TemporaryFolder()).filePath(QStringLiteral("mpeg4.avi"));
    ASSERT_TRUE(generator.GenerateFile(1, 'R', path)) << generator.ErrorString().toStdString();
    QByteArray out, err;
    ASSERT_EQ(testsupport::RunForExitCode(QStringLiteral("ffprobe"),
                  { QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-count_packets"),
                      QStringLiteral("-show_entries"),
                      QStringLiteral("stream=codec_name,codec_tag_string,nb_read_packets"),
                      QStringLiteral("-of"), QStringLiteral("csv=p=0"), path },
                  &out, &err),
        0)
        << err.toStdString();
    EXPECT_EQ(out.trimmed(),
        QByteArray("mpeg4,FMP4,") + QByteArray::number(generator.Plan()[1].durationMs * 30 / 1000));
    ExpectCleanDecode(path);
}

// What the recorder writes last is gone after the cut; what it wrote before is all still read.
TEST(SampleCard, PowerLossCutKeepsTheChunksAndDropsTheFinish)
{
    const SampleRecordingPlan *event = findPlan('S', false, QStringLiteral("EVENT"));
    ASSERT_NE(event, nullptr);
    ASSERT_FALSE(event->cutByPowerLoss);
    const QString original = testsupport::CardFile(*event, 'F');
    const QByteArray before = testsupport::ReadFile(original);
    const media::AviFileInfo whole = walk(original);
    ASSERT_GT(whole.mainHeader.totalFrames, 0u);
    const qsizetype index = before.lastIndexOf("idx1");
    ASSERT_GT(index, 0);

    for (const bool halve : { false, true }) {
        SCOPED_TRACE(halve ? "last chunk halved" : "whole chunks");
        const QString copy = QDir(TemporaryFolder()).filePath(QStringLiteral("cut.avi"));
        QFile::remove(copy);
        ASSERT_TRUE(QFile::copy(original, copy));
        QString error;
        ASSERT_TRUE(media::recorder::CutLikePowerLoss(copy, { halve }, &error)) << error.toStdString();
        const QByteArray after = testsupport::ReadFile(copy);
        if (halve) {
            EXPECT_LT(after.size(), index);
        } else {
            EXPECT_EQ(after.size(), index); // the file ends where the index began
        }
        const media::AviFileInfo info = walk(copy);
        EXPECT_EQ(info.riffSize, 0u);
        EXPECT_EQ(info.moviSize, 0u);
        EXPECT_EQ(info.mainHeader.totalFrames, 0u);
        EXPECT_EQ(info.videoStreamHeader.length, 0u);
        EXPECT_EQ(info.audioStreamHeader.length, 0u);
        EXPECT_EQ(info.mainHeader.microSecPerFrame, whole.mainHeader.microSecPerFrame);
        EXPECT_EQ(info.videoChunks, whole.videoChunks);
        EXPECT_EQ(info.audioChunks, whole.audioChunks);
        EXPECT_EQ(media::RecordingLengthSeconds(info), media::RecordingLengthSeconds(whole));

        media::TelemetryReader reader;
        ASSERT_TRUE(reader.Open(copy));
        EXPECT_EQ(reader.Stats().source, media::TelemetryReader::ChunkSource::ChunkWalk);
        const auto records = readRecords(copy);
        const auto expected = readRecords(original);
        ASSERT_EQ(records.size(), expected.size());
        EXPECT_EQ(records.back().payload, expected.back().payload);
    }

    const QString text = QDir(TemporaryFolder()).filePath(QStringLiteral("text.avi"));
    ASSERT_TRUE(testsupport::WriteFile(text, "not a recording, only text"));
    QString error;
    EXPECT_FALSE(media::recorder::CutLikePowerLoss(text, {}, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(testsupport::ReadFile(text), QByteArray("not a recording, only text"));
    EXPECT_FALSE(media::recorder::CutLikePowerLoss(text + QStringLiteral(".missing"), {}, nullptr));
    EXPECT_FALSE(QFile::exists(text + QStringLiteral(".missing")));
}

TEST(SampleCard, CommandLineCutsARecordingOrACopy)
{
    const SampleRecordingPlan *crash = findCutPlan();
    const SampleRecordingPlan *event = findPlan('S', false, QStringLiteral("EVENT"));
    ASSERT_TRUE(crash && event);
    const QString copy = QDir(TemporaryFolder()).filePath(QStringLiteral("cli-cut.avi"));
    QFile::remove(copy);
    const QString original = testsupport::CardFile(*event, 'R');
    const QByteArray before = testsupport::ReadFile(original);
    const auto cut = testsupport::RunCli({ QStringLiteral("cut"), original, QStringLiteral("--output"), copy,
        QStringLiteral("--halve-last-chunk") });
    ASSERT_TRUE(cut.Ok()) << cut.err.toStdString();
    EXPECT_EQ(testsupport::ReadFile(original), before); // the recording itself is left alone
    EXPECT_LT(testsupport::ReadFile(copy).size(), before.lastIndexOf("idx1"));

    // The walk and the length treat it like the card's own unfinished event.
    const auto info = testsupport::RunCli({ QStringLiteral("info"), copy, QStringLiteral("--json") });
    ASSERT_TRUE(info.Ok()) << info.err.toStdString();
    const QJsonObject object = QJsonDocument::fromJson(info.out).object();
    EXPECT_EQ(object.value(QStringLiteral("videoChunks")).toInt(), event->durationMs * 30 / 1000);
    EXPECT_EQ(object.value(QStringLiteral("lengthSeconds")).toInt(), event->durationMs / 1000);
    const auto headers = testsupport::RunCli(
        { QStringLiteral("info"), testsupport::CardFile(*crash, 'F'), QStringLiteral("--headers-only") });
    ASSERT_TRUE(headers.Ok()) << headers.err.toStdString();
    EXPECT_TRUE(
        headers.out.contains("\nlengthSeconds: " + QByteArray::number(crash->durationMs / 1000) + "\n"))
        << headers.out.toStdString();

    // In place, and the usage errors.
    EXPECT_EQ(testsupport::RunCli({ QStringLiteral("cut"), copy }).exitCode, 0);
    EXPECT_EQ(walk(copy).videoChunks, uint32_t(event->durationMs * 30 / 1000));
    EXPECT_EQ(testsupport::RunCli({ QStringLiteral("cut") }).exitCode, 2);
    EXPECT_EQ(testsupport::RunCli({ QStringLiteral("cut"), copy, QStringLiteral("--bogus") }).exitCode, 2);
    EXPECT_EQ(testsupport::RunCli({ QStringLiteral("cut"), TemporaryFolder() }).exitCode, 1);
}
