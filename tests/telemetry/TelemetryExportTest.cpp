#include "TelemetryTestSupport.h"
#include "support/Process.h"
#include "support/SampleCards.h"

#include "media/recorder/NmeaRmc.h"
#include "media/telemetry/TelemetryExport.h"
#include "media/telemetry/TelemetryReader.h"

#include <QDateTime>
#include <QFileInfo>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

using media::TelemetryExport;
using media::TelemetryExportEntry;
using media::recorder::SampleRecordingPlan;
using namespace telemetry_test;

namespace {

std::vector<TelemetryExportEntry> entriesOf(const QString &path)
{
    media::TelemetryReader reader;
    EXPECT_TRUE(reader.Open(path));
    return TelemetryExport::Collect(reader);
}

const SampleRecordingPlan &planOf(char kind, bool fix)
{
    for (const SampleRecordingPlan &p : testsupport::SharedSampleCard().plans) {
        if (p.kind == kind && p.gpsFix == fix)
            return p;
    }
    ADD_FAILURE() << "no such recording";
    return testsupport::SharedSampleCard().plans.front();
}

struct XmlSummary {
    bool wellFormed = false;
    QString error;
    QString rootName;
    QString rootNamespace;
    QMap<QString, int> counts; // element name -> occurrences
    QStringList texts; // text of elements named by `collect`
    QStringList attributes; // "lat,lon" of trkpt
};

XmlSummary parseXml(const QByteArray &data, const QString &collect)
{
    XmlSummary s;
    QXmlStreamReader xml(data);
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (s.rootName.isEmpty()) {
            s.rootName = xml.name().toString();
            s.rootNamespace = xml.namespaceUri().toString();
        }
        const QString name = xml.qualifiedName().toString();
        ++s.counts[name];
        if (name == QLatin1String("trkpt"))
            s.attributes << xml.attributes().value(QLatin1String("lat")).toString() + QLatin1Char(',')
                    + xml.attributes().value(QLatin1String("lon")).toString();
        if (name == collect)
            s.texts << xml.readElementText();
    }
    s.wellFormed = !xml.hasError();
    s.error = xml.errorString();
    return s;
}

} // namespace

TEST(TelemetryExport, CsvHasOneRowPerRecordInTimeOrder)
{
    const SampleRecordingPlan &drive = planOf('S', true);
    const auto entries = entriesOf(testsupport::CardFile(drive, 'F'));
    const QList<QByteArray> lines = TelemetryExport::ToCsv(entries).split('\n');
    ASSERT_EQ(lines.first(), QByteArray("time_ms,kind,latitude,longitude,speed_kmh,course,utc,fix,x,y,z"));
    ASSERT_EQ(lines.size(), qsizetype(entries.size()) + 2); // header and the empty piece after the last '\n'
    EXPECT_TRUE(lines.last().isEmpty());

    int previous = -1, gps = 0, sensor = 0;
    for (qsizetype i = 1; i + 1 < lines.size(); ++i) {
        const QList<QByteArray> cells = lines[i].split(',');
        ASSERT_EQ(cells.size(), 11) << lines[i].toStdString();
        const int time = cells[0].toInt();
        EXPECT_GE(time, previous);
        previous = time;
        if (cells[1] == "gps") {
            ++gps;
            EXPECT_EQ(cells[7], "valid");
            EXPECT_NEAR(cells[2].toDouble(), 37.5, 0.06);
            EXPECT_NEAR(cells[3].toDouble(), 127.04, 0.06);
            EXPECT_EQ(cells[2].split('.').last().size(), 6);
            EXPECT_TRUE(QDateTime::fromString(QString::fromLatin1(cells[6]), Qt::ISODate).isValid());
            EXPECT_TRUE(cells[6].endsWith('Z'));
            EXPECT_TRUE(cells[8].isEmpty());
        } else {
            ASSERT_EQ(cells[1], "gsensor");
            ++sensor;
            EXPECT_TRUE(cells[2].isEmpty());
            for (int axis = 8; axis < 11; ++axis) {
                bool ok = false;
                const int value = cells[axis].toInt(&ok);
                EXPECT_TRUE(ok && value >= 0 && value <= 255);
            }
        }
    }
    EXPECT_EQ(gps, drive.durationMs / 1000);
    EXPECT_EQ(sensor, drive.durationMs / 100);
}

TEST(TelemetryExport, CsvMarksFixlessSentencesInsteadOfDroppingThem)
{
    const auto entries = entriesOf(testsupport::CardFile(planOf('M', false), 'F'));
    const QByteArray csv = TelemetryExport::ToCsv(entries);
    int invalid = 0;
    for (const QByteArray &line : csv.split('\n')) {
        if (!line.contains(",gps,"))
            continue;
        const QList<QByteArray> cells = line.split(',');
        EXPECT_EQ(cells[7], "invalid");
        EXPECT_TRUE(cells[2].isEmpty() && cells[3].isEmpty() && cells[4].isEmpty());
        EXPECT_FALSE(cells[6].isEmpty()); // the receiver's clock still dates the sentence
        ++invalid;
    }
    EXPECT_EQ(invalid, planOf('M', false).durationMs / 1000);
}

TEST(TelemetryExport, GpxAndKmlCarryTheTrackOfValidFixes)
{
    const SampleRecordingPlan &drive = planOf('N', true);
    const auto entries = entriesOf(testsupport::CardFile(drive, 'F'));
    std::vector<const TelemetryExportEntry *> fixes;
    for (const TelemetryExportEntry &e : entries) {
        if (e.kind == media::telemetry::RecordKind::Gps && e.fix.IsValid())
            fixes.push_back(&e);
    }
    ASSERT_EQ(fixes.size(), size_t(drive.durationMs / 1000));
    const QString name = drive.FileName('F');

    const XmlSummary gpx = parseXml(TelemetryExport::ToGpx(entries, name), QStringLiteral("time"));
    ASSERT_TRUE(gpx.wellFormed) << gpx.error.toStdString();
    EXPECT_EQ(gpx.rootName, QStringLiteral("gpx"));
    EXPECT_EQ(gpx.rootNamespace, QStringLiteral("http://www.topografix.com/GPX/1/1"));
    EXPECT_EQ(gpx.counts.value(QStringLiteral("trkpt")), int(fixes.size()));
    ASSERT_EQ(gpx.texts.size(), int(fixes.size()));
    for (size_t i = 0; i < fixes.size(); ++i) {
        const QDateTime when = QDateTime::fromString(gpx.texts[int(i)], Qt::ISODate);
        EXPECT_EQ(when.toSecsSinceEpoch(), fixes[i]->fix.GetFixTime());
        EXPECT_EQ(gpx.attributes[int(i)],
            QString::number(media::CoordinateToDegrees(fixes[i]->fix.latitude), 'f', 6) + QLatin1Char(',')
                + QString::number(media::CoordinateToDegrees(fixes[i]->fix.longitude), 'f', 6));
    }

    const XmlSummary kml = parseXml(TelemetryExport::ToKml(entries, name), QStringLiteral("gx:coord"));
    ASSERT_TRUE(kml.wellFormed) << kml.error.toStdString();
    EXPECT_EQ(kml.rootName, QStringLiteral("kml"));
    EXPECT_EQ(kml.rootNamespace, QStringLiteral("http://www.opengis.net/kml/2.2"));
    EXPECT_EQ(kml.counts.value(QStringLiteral("when")), int(fixes.size()));
    ASSERT_EQ(kml.texts.size(), int(fixes.size()));
    // KML writes longitude first.
    EXPECT_TRUE(kml.texts.first().startsWith(QStringLiteral("127.")));

    // Without a fix the documents stay valid and hold no points.
    const auto fixless = entriesOf(testsupport::CardFile(planOf('M', false), 'F'));
    const XmlSummary emptyGpx = parseXml(TelemetryExport::ToGpx(fixless, name), QString());
    EXPECT_TRUE(emptyGpx.wellFormed);
    EXPECT_EQ(emptyGpx.counts.value(QStringLiteral("trkpt")), 0);
    EXPECT_EQ(emptyGpx.counts.value(QStringLiteral("trkseg")), 1);
    EXPECT_TRUE(parseXml(TelemetryExport::ToKml(fixless, name), QString()).wellFormed);
    // Names that need escaping stay well-formed.
    EXPECT_TRUE(parseXml(TelemetryExport::ToGpx(entries, QStringLiteral("a<b&\"c\"")), QString()).wellFormed);
}

TEST(TelemetryExport, NmeaPrintsTheSentences)
{
    const auto entries = entriesOf(testsupport::CardFile(planOf('U', true), 'F'));
    const QByteArray nmea = TelemetryExport::ToNmea(entries);
    QList<QByteArray> lines = nmea.split('\n');
    ASSERT_TRUE(lines.last().isEmpty());
    lines.removeLast();
    EXPECT_EQ(lines.size(), planOf('U', true).durationMs / 1000);
    for (const QByteArray &line : lines) {
        ASSERT_TRUE(line.startsWith("$GPRMC,") && line.endsWith('\r')) << line.toStdString();
        const QByteArray sentence = line.chopped(1);
        const qsizetype star = sentence.lastIndexOf('*');
        EXPECT_EQ(sentence.mid(star + 1).toInt(nullptr, 16),
            media::recorder::NmeaChecksum(sentence.mid(1, star - 1).toStdString()));
    }
}

TEST(TelemetryExport, CommandLineMatchesTheLibrary)
{
    const SampleRecordingPlan &drive = planOf('S', true);
    const QString path = testsupport::CardFile(drive, 'F');
    const auto entries = entriesOf(path);
    const QString name = QFileInfo(path).fileName();
    const struct {
        const char *format;
        QByteArray expected;
    } cases[] = { { nullptr, TelemetryExport::ToCsv(entries) }, { "csv", TelemetryExport::ToCsv(entries) },
        { "gpx", TelemetryExport::ToGpx(entries, name) }, { "kml", TelemetryExport::ToKml(entries, name) },
        { "nmea", TelemetryExport::ToNmea(entries) } };
    for (const auto &c : cases) {
        QStringList args { QStringLiteral("telemetry"), path };
        if (c.format)
            args << QStringLiteral("--format") << QString::fromLatin1(c.format);
        QByteArray out, err;
        ASSERT_EQ(testsupport::RunForExitCode(testsupport::CliPath(), args, &out, &err), 0)
            << err.toStdString();
        EXPECT_EQ(out, c.expected) << (c.format ? c.format : "default");
    }
    EXPECT_EQ(testsupport::RunForExitCode(testsupport::CliPath(),
                  { QStringLiteral("telemetry"), path, QStringLiteral("--format"), QStringLiteral("xml") }),
        2);
    EXPECT_EQ(testsupport::RunForExitCode(testsupport::CliPath(), { QStringLiteral("telemetry") }), 2);
    EXPECT_EQ(testsupport::RunForExitCode(
                  testsupport::CliPath(), { QStringLiteral("telemetry"), path + QStringLiteral(".missing") }),
        1);
}
