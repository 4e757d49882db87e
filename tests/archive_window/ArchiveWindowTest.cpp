// The archive in the real window: what the list shows is indexed, and the archive window finds and
// plays drives by day and by place.
#include "app/TripPlayer.h"
#include "app/features/ArchiveController.h"
#include "archive/ArchiveIndex.h"
#include "mainwindow/MainWindowFixture.h"
#include "media/recorder/SampleCardSetup.h"
#include "trips/TripRecorder.h"
#include "views/archive/ArchiveCalendarPage.h"
#include "views/archive/ArchiveMapPage.h"
#include "views/archive/ArchiveTexts.h"
#include "views/archive/CArchiveDlg.h"
#include "views/map/SimpleBrowser.h"

#include <QCalendarWidget>
#include <QTextCharFormat>
#include <QTreeWidget>

using namespace std::chrono_literals;

#if defined(__SANITIZE_ADDRESS__)
// Closing the archive map's page, the web engine frees one of its own objects with a sized delete of
// another size: a report wholly inside that uninstrumented library, so this program does not check
// sized deletes. Everything else AddressSanitizer checks stays on.
extern "C" const char *__asan_default_options()
{
    return "new_delete_type_mismatch=0";
}
#endif

namespace mainwindow::test {

namespace {

    // The drive second the card's first recording starts at; its recordings follow back to back.
    constexpr double kFirstDriveS = 120;
    constexpr int kRecordingMs = 4000;
    const QDate kDay(2024, 3, 7); // the recorder's date of tripstest::kRecorderStartUtcMs

    // A card with one drive of three four-second recordings, each with its rear file.
    struct DriveCard {
        QTemporaryDir dir;
        QString root;
        QStringList fronts;

        bool Write()
        {
            root = dir.filePath(QStringLiteral("CARD"));
            QString error;
            if (!QDir().mkpath(root) || !WriteSampleSetupXml(root + QStringLiteral("/setup.xml"), 1, &error))
                return false;
            for (int k = 0; k < 3; ++k) {
                const double driveS = kFirstDriveS + k * kRecordingMs / 1000.0;
                fronts << tripstest::WriteRecording(root,
                    tripstest::ShortPlan("NORMAL", 'N', int64_t(driveS - kFirstDriveS), kRecordingMs, driveS),
                    true);
                if (fronts.back().isEmpty())
                    return false;
            }
            return true;
        }
    };

} // namespace

class ArchiveWindowTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        qputenv("TAVIN_ARCHIVE_DB", ArchivePath().toUtf8());
        PrepareArchive();
        ASSERT_TRUE(m_card.Write());
        Open({ m_card.root });
        // Indexed on its own once listed.
        ASSERT_TRUE(testsupport::WaitUntil([&] { return !Archive().IsIndexing(); }, 30s));
        ASSERT_NE(Archive().Index(), nullptr);
        Click("title_archive");
        ASSERT_NE(Dialog(), nullptr);
        ASSERT_TRUE(Dialog()->isVisible());
    }

    // The window goes first: it plays from the card and reads the archive that the test's folders hold.
    void TearDown() override { m_window.reset(); }

    QString ArchivePath() const { return m_archiveDir.filePath(QStringLiteral("archive.sqlite")); }
    // What lies at the archive's place before the window opens.
    virtual void PrepareArchive() { }

    ArchiveController &Archive() { return m_window->ArchiveFeature(); }
    CArchiveDlg *Dialog() { return Archive().ArchiveWindow(); }
    ArchiveCalendarPage &Calendar() { return *Dialog()->CalendarPage(); }
    ArchiveMapPage &Map() { return *Dialog()->MapPage(); }
    const TripPlayer *Trip() { return m_window->PlayingTrip(); }
    bool TripPlays()
    {
        return testsupport::WaitUntil([&] { return Trip() && !Trip()->IsOpening() && Playing(); }, 20s);
    }
    // Where the sample car was at a moment of the card's drive.
    media::recorder::DriveState At(double driveS) { return tripstest::SuiteDrive().At(driveS); }

    QTemporaryDir m_archiveDir;
    DriveCard m_card;
};

TEST_F(ArchiveWindowTest, TheListedCardsDayIsMarkedAndItsTripPlays)
{
    QCalendarWidget *calendar = Calendar().Calendar();
    EXPECT_EQ(calendar->dateTextFormat(kDay).fontWeight(), QFont::Bold);
    EXPECT_NE(calendar->dateTextFormat(kDay.addDays(1)).fontWeight(), QFont::Bold);
    // The window opens on the latest day with drives.
    EXPECT_EQ(calendar->selectedDate(), kDay);

    Calendar().ChooseDay(kDay);
    ASSERT_EQ(Calendar().Trips().size(), 1u);
    const QTreeWidgetItem *row = Calendar().TripList()->topLevelItem(0);
    ASSERT_NE(row, nullptr);
    EXPECT_TRUE(row->text(0).startsWith(QStringLiteral("09:00"))) << row->text(0).toStdString();
    EXPECT_EQ(row->text(1), QStringLiteral("주행"));
    EXPECT_EQ(row->text(2), QStringLiteral("0:00:12"));
    EXPECT_TRUE(row->text(4).contains(QStringLiteral("CARD")));
    EXPECT_EQ(row->text(5), QStringLiteral("연결됨"));
    // The counts in Korean's one form: one trip on the day, one day and three recordings in all.
    EXPECT_EQ(Calendar().DayText(), kDay.toString(Qt::ISODate) + QStringLiteral("  기록 1개"));
    EXPECT_TRUE(
        Calendar().SummaryText().startsWith(QStringLiteral("주행한 날 1일 (2024-03-07 ~ 2024-03-07)")))
        << Calendar().SummaryText().toStdString();
    EXPECT_TRUE(Calendar().SummaryText().contains(QStringLiteral("  ·  영상 3개  ·  ")))
        << Calendar().SummaryText().toStdString();
    // Nothing on another day.
    Calendar().ChooseDay(kDay.addDays(1));
    EXPECT_EQ(Calendar().TripList()->topLevelItemCount(), 0);

    Calendar().ChooseDay(kDay);
    Calendar().ChooseTrip(0);
    ASSERT_TRUE(TripPlays());
    EXPECT_EQ(Trip()->Trip().recordings.size(), 3u);
    EXPECT_EQ(Trip()->CurrentRecording(), 0);
    EXPECT_EQ(m_window->Playback().FrontPath(), m_card.fronts[0]);
    EXPECT_EQ(m_window->DurationMs(), Trip()->DurationMs());
}

TEST_F(ArchiveWindowTest, APassPlaysFrontAndRearFromFiveSecondsBefore)
{
    // A moment 1.5 s into the third recording.
    const media::recorder::DriveState place = At(kFirstDriveS + 2 * kRecordingMs / 1000.0 + 1.5);
    Map().ChoosePlace(place.latitude, place.longitude);
    ASSERT_EQ(Map().Passes().size(), 1u);
    const archive::Pass pass = Map().Passes().front();
    EXPECT_EQ(pass.file, m_card.fronts[2]);
    EXPECT_NEAR(double(pass.offsetMs), 1500.0, 600.0);
    const QTreeWidgetItem *row = Map().PassList()->topLevelItem(0);
    ASSERT_NE(row, nullptr);
    EXPECT_TRUE(row->text(0).startsWith(QStringLiteral("2024-03-07 09:00:09"))) << row->text(0).toStdString();
    EXPECT_FALSE(row->text(1).isEmpty());
    EXPECT_TRUE(row->text(2).endsWith(QStringLiteral("km/h")));

    Map().ChoosePass(0);
    ASSERT_TRUE(TripPlays());
    const double expected = 2.0 * kRecordingMs + double(pass.offsetMs) - ArchiveController::kLeadInMs;
    EXPECT_NEAR(double(Trip()->PositionMs()), expected, 600.0);
    EXPECT_EQ(Trip()->CurrentRecording(), 1);
    EXPECT_EQ(m_window->Playback().FrontPath(), m_card.fronts[1]);
    // The rear picture plays with the front one.
    const int64_t rear = PlayedPictures(DualPlayback::kRear);
    EXPECT_TRUE(testsupport::WaitUntil([&] { return PlayedPictures(DualPlayback::kRear) > rear; }));

    // Far from the road: no pass, and the list says so.
    Map().ChoosePlace(place.latitude + 0.01, place.longitude);
    EXPECT_TRUE(Map().Passes().empty());
    EXPECT_EQ(Map().PassList()->topLevelItemCount(), 0);
}

TEST_F(ArchiveWindowTest, ATripOfACardNotAtHandNamesTheCardInsteadOfPlaying)
{
    // The card is taken out.
    const QString away = m_card.dir.filePath(QStringLiteral("AWAY"));
    ASSERT_TRUE(QDir().rename(m_card.root, away));
    Archive().OnMountsChanged();
    Calendar().ChooseDay(kDay);
    ASSERT_EQ(Calendar().Trips().size(), 1u);
    EXPECT_FALSE(Calendar().Trips().front().online);
    EXPECT_EQ(Calendar().TripList()->topLevelItem(0)->text(5), QStringLiteral("오프라인"));
    const size_t shown = m_shown.size();
    Calendar().ChooseTrip(0);
    ASSERT_EQ(m_shown.size(), shown + 1);
    EXPECT_TRUE(
        m_shown.back().text.contains(QDir::toNativeSeparators(Calendar().Trips().front().sourceLabel)));
    EXPECT_TRUE(m_shown.back().text.contains(QStringLiteral("CARD")));
    EXPECT_EQ(Trip(), nullptr);

    // Back in place, it plays without anything else to do.
    ASSERT_TRUE(QDir().rename(away, m_card.root));
    Calendar().ChooseTrip(0);
    EXPECT_TRUE(TripPlays());
    EXPECT_EQ(m_shown.size(), shown + 1);
}

// The English pack: the counts the pages put into its texts take the form the count wants.
class EnglishArchiveWindowTest : public ArchiveWindowTest
{
protected:
    void PrepareArchive() override
    {
        ASSERT_EQ(m_runtime.LoadPack(QStringLiteral(TAVIN_BIN_DIR "/default_en.skin")), skin::kSkinPackOk);
    }
};

TEST_F(EnglishArchiveWindowTest, CountsTakeTheirSingularOrPluralForm)
{
    Calendar().ChooseDay(kDay);
    ASSERT_EQ(Calendar().Trips().size(), 1u);
    EXPECT_EQ(Calendar().DayText(), kDay.toString(Qt::ISODate) + QStringLiteral("  1 trip"));
    EXPECT_TRUE(
        Calendar().SummaryText().startsWith(QStringLiteral("Drives on 1 day (2024-03-07 to 2024-03-07)")))
        << Calendar().SummaryText().toStdString();
    EXPECT_TRUE(Calendar().SummaryText().contains(QStringLiteral("  ·  3 recordings  ·  connected")))
        << Calendar().SummaryText().toStdString();
    // The map page's count of passes, from the same window's texts.
    const skin::CSkin &texts = Dialog()->Skin();
    EXPECT_EQ(ArchiveCountText(texts, "passes_count", 1).arg(QStringLiteral("37.5, 127.0")),
        QStringLiteral("1 pass near 37.5, 127.0"));
    EXPECT_EQ(ArchiveCountText(texts, "passes_count", 3).arg(QStringLiteral("37.5, 127.0")),
        QStringLiteral("3 passes near 37.5, 127.0"));
    EXPECT_EQ(ArchiveCountText(texts, "trips_count", 0), QStringLiteral("0 trips"));
}

// The map page with the real web engine: it draws the archive's tracks, and a click on the map lists
// the passes there.
TEST_F(ArchiveWindowTest, TheArchiveMapDrawsTheTracksAndAClickListsThePasses)
{
    Dialog()->ShowPage(CArchiveDlg::kMapPage);
    ASSERT_TRUE(testsupport::WaitUntil([&] { return Map().IsPageLoaded(); }, 30s));
    ASSERT_TRUE(testsupport::WaitUntil([&] { return Map().DrawnPoints() > 0; }, 10s));
    const auto pageNumber = [&](const QString &code) {
        std::optional<QVariant> answer;
        Map().Browser()->EvaluateScript(code, [&](const QVariant &value) { answer = value; });
        EXPECT_TRUE(testsupport::WaitUntil([&] { return answer.has_value(); }));
        return answer.value_or(QVariant()).toDouble();
    };
    ASSERT_TRUE(testsupport::WaitUntil([&] { return pageNumber(QStringLiteral("view.points")) > 0; }));
    EXPECT_EQ(pageNumber(QStringLiteral("view.points")), Map().DrawnPoints());

    const media::recorder::DriveState place = At(kFirstDriveS + 5.5);
    Map().Browser()->EvaluateScript(QStringLiteral("map.fire('click', { latlng: L.latLng(%1, %2) });")
                                        .arg(place.latitude, 0, 'f', 7)
                                        .arg(place.longitude, 0, 'f', 7),
        [](const QVariant &) {});
    ASSERT_TRUE(testsupport::WaitUntil([&] { return !Map().Passes().empty(); }));
    EXPECT_EQ(Map().Passes().front().file, m_card.fronts[1]);
    EXPECT_TRUE(
        Map().HintText().endsWith(QStringLiteral(" 부근을 지나간 기록 %1건").arg(Map().Passes().size())))
        << Map().HintText().toStdString();
    EXPECT_TRUE(testsupport::WaitUntil([&] { return pageNumber(QStringLiteral("view.radius")) == 50; }));
}

// An archive file that cannot be used is moved aside and a new one started; the user is told once.
class DamagedArchiveTest : public ArchiveWindowTest
{
protected:
    void PrepareArchive() override
    {
        QFile file(ArchivePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(8192, 'x'));
    }
};

TEST_F(DamagedArchiveTest, IsMovedAsideWithOneNoteAndTheCardIsIndexedAfresh)
{
    ASSERT_FALSE(m_shown.empty());
    EXPECT_TRUE(m_shown.front().text.contains(QStringLiteral("damaged")))
        << m_shown.front().text.toStdString();
    EXPECT_EQ(QDir(m_archiveDir.path()).entryList({ QStringLiteral("archive.sqlite.damaged-*") }).size(), 1);
    EXPECT_EQ(Calendar().Calendar()->dateTextFormat(kDay).fontWeight(), QFont::Bold);
    EXPECT_EQ(m_shown.size(), 1u);
}

// Damage deeper than the header, as a disk's bad sectors leave it: the window opens at once on the
// header alone, and the full check on the worker finds the damage, moves the file aside and tells
// the user once; the listed card is then indexed into the new archive.
class DamagedPagesArchiveTest : public ArchiveWindowTest
{
protected:
    void PrepareArchive() override
    {
        ASSERT_TRUE(m_earlier.Write());
        {
            archive::ArchiveIndex index;
            archive::IndexReport report;
            ASSERT_TRUE(index.Open(ArchivePath()));
            ASSERT_TRUE(index.AddFolder(m_earlier.root, false, nullptr, {}, &report));
            ASSERT_GT(report.added, 0);
        }
        // Closed, the archive has folded its write-ahead log in; its last pages are then spoilt.
        ASSERT_FALSE(QFileInfo::exists(ArchivePath() + QStringLiteral("-wal")));
        QFile file(ArchivePath());
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        const qint64 size = file.size();
        ASSERT_GT(size, 4 * 4096);
        ASSERT_TRUE(file.seek(size - 3 * 4096));
        file.write(QByteArray(3 * 4096, char(0x5a)));
        file.close();
        archive::ArchiveIndex header;
        ASSERT_TRUE(header.Open(ArchivePath(), nullptr, archive::ArchiveIndex::Check::HeaderOnly));
    }

    DriveCard m_earlier;
};

TEST_F(DamagedPagesArchiveTest, IsFoundOnTheWorkerMovedAsideAndTheCardIsIndexedAfresh)
{
    ASSERT_EQ(m_shown.size(), 1u);
    EXPECT_TRUE(m_shown.front().text.contains(QStringLiteral("check failed")))
        << m_shown.front().text.toStdString();
    EXPECT_EQ(QDir(m_archiveDir.path())
                  .entryList({ QStringLiteral("archive.sqlite.damaged-????????-??????") })
                  .size(),
        1);
    const std::vector<archive::ArchiveSource> sources = Archive().Index()->Sources();
    ASSERT_EQ(sources.size(), 1u);
    EXPECT_EQ(QDir::cleanPath(sources.front().root), QDir::cleanPath(m_card.root));
    EXPECT_EQ(Calendar().Calendar()->dateTextFormat(kDay).fontWeight(), QFont::Bold);
}

} // namespace mainwindow::test
