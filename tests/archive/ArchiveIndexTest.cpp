#include "ArchiveCard.h"

#include "archive/ArchiveIndex.h"
#include "library/RecordingLibrary.h"
#include "library/RecordingSummary.h"
#include "library/TripModel.h"
#include "support/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <cmath>

using namespace archive;
using namespace archivetest;

namespace {

QDate CardDay()
{
    return QDateTime::fromMSecsSinceEpoch(RecorderMsAtDrive(kFirstDriveS), QTimeZone::utc()).date();
}

QStringList Labels(const std::vector<ArchivedTrip> &trips)
{
    QStringList labels;
    for (const ArchivedTrip &trip : trips)
        labels << trip.sourceLabel;
    return labels;
}

} // namespace

TEST(ArchiveIndex, IndexesACardAndItsBackupAsTwoSourcesOfTheSameDrives)
{
    QTemporaryDir dir;
    const QString backup = CopyCard(dir.path(), QStringLiteral("backup-2024-03"));
    ArchiveIndex index;
    ASSERT_TRUE(index.Open(QDir(dir.path()).filePath(QStringLiteral("a/archive.sqlite"))));
    IndexReport report;
    QString error;
    int calls = 0;
    ASSERT_TRUE(index.AddFolder(
        SuiteCard().root, true, nullptr,
        [&](int, int total, const QString &) {
            ++calls;
            EXPECT_EQ(total, 6);
        },
        &report, &error))
        << qPrintable(error);
    EXPECT_EQ(report.added, 6);
    EXPECT_EQ(report.failed, 0);
    EXPECT_GT(calls, 0);
    ASSERT_TRUE(index.AddFolder(backup, false, nullptr, {}, &report, &error)) << qPrintable(error);

    const std::vector<ArchiveSource> sources = index.Sources();
    ASSERT_EQ(sources.size(), 2u);
    EXPECT_EQ(sources[0].label, QDir::toNativeSeparators(SuiteCard().root));
    EXPECT_TRUE(sources[0].isCard);
    EXPECT_EQ(sources[1].label, QStringLiteral("backup-2024-03"));
    EXPECT_EQ(sources[1].recordings, 6);
    EXPECT_TRUE(sources[1].online);
    EXPECT_TRUE(sources[1].indexedAt.isValid());

    EXPECT_EQ(index.DaysWithDrives(), std::vector<QDate>({ CardDay() }));
    EXPECT_TRUE(index.TripsOn(CardDay().addDays(1)).empty());

    // Each source's trips are those the card gives when read directly, summaries included.
    const std::vector<library::Recording> listing = library::ListRecordings(SuiteCard().root, {});
    library::TripModel live;
    live.Build(listing);
    for (const library::Trip &trip : live.Trips()) {
        for (const library::TripRecording &recording : trip.recordings)
            live.MergeSummary(recording.path, library::SummarizeRecording(recording.path));
    }
    const std::vector<ArchivedTrip> trips = index.TripsOn(CardDay());
    ASSERT_EQ(trips.size(), 2 * live.Trips().size());
    EXPECT_EQ(Labels(trips).count(QStringLiteral("backup-2024-03")), int(live.Trips().size()));
    for (size_t i = 0; i < live.Trips().size(); ++i) {
        const library::Trip &expected = live.Trips()[i];
        const ArchivedTrip &card = trips[2 * i].sourceId == sources[0].id ? trips[2 * i] : trips[2 * i + 1];
        EXPECT_EQ(card.sourceLabel, sources[0].label);
        EXPECT_EQ(card.trip.kind, expected.kind);
        EXPECT_EQ(card.trip.start, expected.start);
        EXPECT_EQ(card.trip.end, expected.end);
        ASSERT_EQ(card.trip.recordings.size(), expected.recordings.size());
        for (size_t r = 0; r < expected.recordings.size(); ++r) {
            EXPECT_EQ(card.trip.recordings[r].path, expected.recordings[r].path);
            EXPECT_EQ(card.trip.recordings[r].rearPath, expected.recordings[r].rearPath);
        }
        EXPECT_TRUE(card.trip.IsSummarized());
        EXPECT_NEAR(card.trip.distanceM, expected.distanceM, 0.01);
        EXPECT_DOUBLE_EQ(card.trip.maxSpeedKmh, expected.maxSpeedKmh);
        EXPECT_EQ(card.trip.impacts, expected.impacts);
        EXPECT_EQ(card.trip.utcOffsetSeconds, expected.utcOffsetSeconds);
    }
    EXPECT_GT(trips.front().trip.distanceM, 10.0);
    EXPECT_EQ(trips.front().trip.utcOffsetSeconds, 9 * 3600);
}

TEST(ArchiveIndex, RereadsOnlyWhatChangedAndForgetsWhatIsGone)
{
    QTemporaryDir dir;
    const QString copy = CopyCard(dir.path(), QStringLiteral("copy"));
    ArchiveIndex index;
    ASSERT_TRUE(index.Open(QDir(dir.path()).filePath(QStringLiteral("archive.sqlite"))));
    IndexReport report;
    ASSERT_TRUE(index.AddFolder(copy, false, nullptr, {}, &report));
    const qint64 id = index.SourceIdOf(copy);
    ASSERT_GT(id, 0);

    ASSERT_TRUE(index.Refresh(id, nullptr, {}, &report));
    EXPECT_EQ(report.unchanged, 6);
    EXPECT_EQ(report.added + report.changed + report.removed + report.failed, 0);

    // One file grows (a recorder finishing it), one goes, one that is no recording appears.
    const QString grown
        = QDir(copy).filePath(QFileInfo(SuiteCard().fronts[3]).fileName().prepend(QStringLiteral("NORMAL/")));
    QFile file(grown);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write(QByteArray(100, '\0'));
    file.close();
    ASSERT_TRUE(QFile::remove(
        QDir(copy).filePath(QStringLiteral("NORMAL/") + QFileInfo(SuiteCard().fronts[4]).fileName())));
    const QString junk = QDir(copy).filePath(QStringLiteral("NORMAL/20240307_100000_FN.AVI"));
    ASSERT_TRUE(testsupport::WriteFile(junk, "not a recording"));

    ASSERT_TRUE(index.Refresh(id, nullptr, {}, &report));
    EXPECT_EQ(report.changed, 1);
    EXPECT_EQ(report.removed, 1);
    EXPECT_EQ(report.unchanged, 4);
    EXPECT_EQ(report.failed, 1);
    ASSERT_EQ(report.failures.size(), 1);
    EXPECT_TRUE(report.failures.front().contains(QStringLiteral("20240307_100000_FN.AVI")));
    EXPECT_EQ(index.Sources().front().recordings, 6);
    // The grown file was read again: its passes are still found; the removed one's are not.
    const std::vector<Pass> passes
        = index.PassesNear(SuiteCard().loopLatitude, SuiteCard().loopLongitude, 50);
    ASSERT_EQ(passes.size(), 1u);
    EXPECT_EQ(passes.front().file, grown);
}

TEST(ArchiveIndex, KeepsACardTakenOutAndRemovesOnlyRows)
{
    QTemporaryDir dir;
    const QString copy = CopyCard(dir.path(), QStringLiteral("card"));
    ArchiveIndex index;
    ASSERT_TRUE(index.Open(QDir(dir.path()).filePath(QStringLiteral("archive.sqlite"))));
    ASSERT_TRUE(index.AddFolder(copy, true));
    const qint64 id = index.SourceIdOf(copy);

    const QString away = QDir(dir.path()).filePath(QStringLiteral("elsewhere"));
    ASSERT_TRUE(QDir().rename(copy, away));
    index.UpdateOnline();
    ASSERT_EQ(index.Sources().size(), 1u);
    EXPECT_FALSE(index.Sources().front().online);
    EXPECT_EQ(index.Sources().front().recordings, 6);
    const std::vector<Pass> passes
        = index.PassesNear(SuiteCard().loopLatitude, SuiteCard().loopLongitude, 50);
    ASSERT_EQ(passes.size(), 2u);
    EXPECT_FALSE(passes[0].online);
    EXPECT_EQ(passes[0].sourceId, id);
    QString error;
    EXPECT_FALSE(index.Refresh(id, nullptr, {}, nullptr, &error));
    EXPECT_TRUE(error.contains(QDir::toNativeSeparators(copy))) << qPrintable(error);
    EXPECT_EQ(index.Sources().front().recordings, 6);

    ASSERT_TRUE(QDir().rename(away, copy));
    index.UpdateOnline();
    EXPECT_TRUE(index.Sources().front().online);

    EXPECT_TRUE(index.RemoveSource(id));
    EXPECT_FALSE(index.RemoveSource(id));
    EXPECT_TRUE(index.Sources().empty());
    EXPECT_TRUE(index.DaysWithDrives().empty());
    EXPECT_TRUE(index.PassesNear(SuiteCard().loopLatitude, SuiteCard().loopLongitude, 50).empty());
    for (const QString &front : SuiteCard().fronts)
        EXPECT_TRUE(QFileInfo::exists(QDir(copy).filePath(QDir(SuiteCard().root).relativeFilePath(front))));
}

TEST(ArchiveIndex, FindsEachPassByPlaceAndEachRecordingBySpan)
{
    QTemporaryDir dir;
    ArchiveIndex index;
    ASSERT_TRUE(index.Open(QDir(dir.path()).filePath(QStringLiteral("archive.sqlite"))));
    ASSERT_TRUE(index.AddFolder(SuiteCard().root, true));
    const ArchiveCard &card = SuiteCard();

    // The loop passes the place twice, a few minutes apart.
    const std::vector<Pass> loop = index.PassesNear(card.loopLatitude, card.loopLongitude, 50);
    ASSERT_EQ(loop.size(), 2u);
    EXPECT_EQ(loop[0].file, card.fronts[3]);
    EXPECT_EQ(loop[1].file, card.fronts[4]);
    EXPECT_NEAR(double(loop[0].time.toMSecsSinceEpoch()), double(RecorderMsAtDrive(card.loopFirstS)), 1500);
    EXPECT_NEAR(double(loop[1].time.toMSecsSinceEpoch()), double(RecorderMsAtDrive(card.loopSecondS)), 1500);
    for (const Pass &pass : loop) {
        EXPECT_LT(pass.distanceM, 15.0);
        EXPECT_GT(pass.speedKmh, 5.0);
        EXPECT_TRUE(pass.online);
        EXPECT_GE(pass.offsetMs, 0);
        EXPECT_LT(pass.offsetMs, 3000);
    }

    // Beside the first drive's road: three recordings (one an event inside another) make one pass.
    EXPECT_TRUE(index.PassesNear(card.offLatitude, card.offLongitude, 50).empty());
    const std::vector<Pass> beside = index.PassesNear(card.offLatitude, card.offLongitude, 100);
    ASSERT_EQ(beside.size(), 1u);
    EXPECT_GE(beside[0].distanceM, 55.0);
    EXPECT_TRUE(beside[0].file == card.fronts[0] || beside[0].file == card.fronts[1]);

    // From 1.5 s into the first recording to the parked one: each recording once, at its first moment in
    // the span; the parked one had no fix.
    const QDateTime from
        = QDateTime::fromMSecsSinceEpoch(RecorderMsAtDrive(kFirstDriveS + 1.5), QTimeZone::utc());
    const QDateTime to = QDateTime::fromMSecsSinceEpoch(RecorderMsAtDrive(2001), QTimeZone::utc());
    const std::vector<Pass> span = index.PassesBetween(from, to);
    ASSERT_EQ(span.size(), 6u);
    EXPECT_EQ(span[0].file, card.fronts[0]);
    EXPECT_EQ(span[0].offsetMs, 1500);
    EXPECT_EQ(span[0].time, from);
    EXPECT_TRUE(std::isfinite(span[0].latitude));
    EXPECT_EQ(span[1].offsetMs, 0);
    EXPECT_EQ(span[5].file, card.fronts[5]);
    EXPECT_TRUE(std::isnan(span[5].latitude));
    EXPECT_TRUE(std::isnan(span[5].speedKmh));
    EXPECT_TRUE(index.PassesBetween(to.addSecs(5), to.addSecs(60)).empty());

    // The map's tracks: those crossing a box around the loop's place, thinned to the asked step.
    const QRectF around(card.loopLongitude - 0.001, card.loopLatitude - 0.001, 0.002, 0.002);
    const std::vector<TrackLine> lines = index.Tracks(around, 1.0);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_GE(lines[0].points.size(), 2u);
    EXPECT_EQ(lines[0].points.size(), lines[0].speeds.size());
    EXPECT_EQ(index.Tracks(around, 1e6)[0].points.size(), 2u);
    EXPECT_TRUE(index.Tracks(QRectF(0, 0, 1, 1), 1.0).empty());
    // The same from a connection that only reads, as the map's worker asks.
    ArchiveIndex reader;
    ASSERT_TRUE(reader.OpenForReading(index.Path())) << qPrintable(reader.LastError());
    EXPECT_EQ(reader.Tracks(around, 1.0).size(), 2u);
}

TEST(ArchiveIndex, MovesAsideAFileItCannotUseAndStartsANewOne)
{
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("archive.sqlite"));
    const QByteArray garbage(8192, '\x5a');
    ASSERT_TRUE(testsupport::WriteFile(path, garbage));
    QString note;
    {
        ArchiveIndex index;
        ASSERT_TRUE(index.Open(path, &note));
        EXPECT_TRUE(note.contains(QStringLiteral("damaged"))) << qPrintable(note);
        EXPECT_TRUE(index.Sources().empty());
        EXPECT_TRUE(index.LastError().isEmpty()) << qPrintable(index.LastError());
    }
    const QStringList damaged = QDir(dir.path()).entryList({ QStringLiteral("archive.sqlite.damaged-*") });
    ASSERT_EQ(damaged.size(), 1);
    EXPECT_EQ(testsupport::ReadFile(QDir(dir.path()).filePath(damaged.front())), garbage);

    // A file a newer program wrote is left to it.
    ASSERT_TRUE(RunSql(path, QStringLiteral("PRAGMA user_version = 99")));
    {
        ArchiveIndex index;
        ASSERT_TRUE(index.Open(path, &note));
        EXPECT_TRUE(note.contains(QStringLiteral("newer"))) << qPrintable(note);
        ASSERT_TRUE(index.AddFolder(SuiteCard().root, true));
    }
    EXPECT_EQ(QDir(dir.path()).entryList({ QStringLiteral("archive.sqlite.newer-*") }).size(), 1);
    {
        ArchiveIndex index; // the new file opens as it is
        ASSERT_TRUE(index.Open(path, &note));
        EXPECT_TRUE(note.isEmpty()) << qPrintable(note);
        EXPECT_EQ(index.Sources().size(), 1u);
    }

    // Only a folder that cannot be made leaves no archive.
    ASSERT_TRUE(testsupport::WriteFile(QDir(dir.path()).filePath(QStringLiteral("plain")), "x"));
    ArchiveIndex index;
    EXPECT_FALSE(index.Open(QDir(dir.path()).filePath(QStringLiteral("plain/archive.sqlite")), &note));
    EXPECT_TRUE(note.contains(QStringLiteral("plain"))) << qPrintable(note);
}

// A file given as the archive by mistake (a recording, another program's database) is refused and
// left exactly as it was: never moved aside, never given the archive's tables.
TEST(ArchiveIndex, LeavesAFileThatIsNoArchiveAlone)
{
    QTemporaryDir dir;
    const QString recording = QDir(dir.path()).filePath(QStringLiteral("20240307_085205_FN.AVI"));
    const QByteArray riff = QByteArray("RIFF\x10\0\0\0AVI LIST", 16) + QByteArray(4096, '\x5a');
    ASSERT_TRUE(testsupport::WriteFile(recording, riff));
    QString note;
    {
        ArchiveIndex index;
        EXPECT_FALSE(index.Open(recording, &note));
        EXPECT_TRUE(note.contains(QStringLiteral("not an archive"))) << qPrintable(note);
    }
    EXPECT_EQ(testsupport::ReadFile(recording), riff);

    const QString foreign = QDir(dir.path()).filePath(QStringLiteral("places.sqlite"));
    ASSERT_TRUE(RunSql(foreign, QStringLiteral("CREATE TABLE sources (url TEXT)")));
    const QByteArray before = testsupport::ReadFile(foreign);
    {
        ArchiveIndex index;
        EXPECT_FALSE(index.Open(foreign, &note));
        EXPECT_TRUE(note.contains(QStringLiteral("another program"))) << qPrintable(note);
    }
    EXPECT_EQ(testsupport::ReadFile(foreign), before);

    // A second connection that only reads (the archive map's worker) makes nothing either.
    ArchiveIndex reader;
    EXPECT_FALSE(reader.OpenForReading(QDir(dir.path()).filePath(QStringLiteral("archive.sqlite"))));
    EXPECT_FALSE(reader.OpenForReading(recording));
    EXPECT_FALSE(reader.OpenForReading(foreign));
    EXPECT_EQ(testsupport::ReadFile(foreign), before);
    EXPECT_EQ(
        QDir(dir.path()).entryList(QDir::Files), QStringList({ "20240307_085205_FN.AVI", "places.sqlite" }));
}
