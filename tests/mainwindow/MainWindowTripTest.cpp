// Trips in the real window: the list shows drives, and a drive plays across its recordings.
#include "MainWindowFixture.h"
#include "app/TripPlayer.h"
#include "app/TripTimelineMarks.h"
#include "app/features/MainWindowTexts.h"
#include "app/features/TripController.h"
#include "media/recorder/SampleCardSetup.h"
#include "support/Files.h"
#include "support/Process.h"
#include "trips/TripRecorder.h"

#include <QFileInfo>

using namespace std::chrono_literals;

namespace mainwindow::test {

namespace {

    // A drive of four short recordings: three back to back, then one after a restart of the
    // recorder (a gap of two seconds), with an event recording made inside the second one.
    struct DriveCard {
        QTemporaryDir dir;
        QStringList fronts;

        bool Write()
        {
            using tripstest::ShortPlan;
            const media::recorder::SampleRecordingPlan plans[] = {
                ShortPlan("NORMAL", 'N', 0, 3000, 10),
                ShortPlan("NORMAL", 'N', 3, 3000, 13),
                ShortPlan("NORMAL", 'N', 6, 3000, 16),
                ShortPlan("NORMAL", 'N', 11, 3000, 21),
                ShortPlan("EVENT", 'S', 4, 1000, 14),
            };
            // The recorder's settings file makes the folder a card.
            QString error;
            if (!WriteSampleSetupXml(dir.filePath(QStringLiteral("setup.xml")), 1, &error))
                return false;
            for (const auto &plan : plans) {
                fronts << tripstest::WriteRecording(dir.path(), plan, true);
                if (fronts.back().isEmpty())
                    return false;
            }
            return true;
        }
    };

} // namespace

class MainWindowTripTest : public MainWindowTest
{
protected:
    TripController &Trips() { return m_window->TripsFeature(); }
    const TripPlayer *Trip() { return m_window->PlayingTrip(); }
    // Seeks, and waits while the recording that holds the moment opens.
    void SeekAndWait(int64_t ms)
    {
        skin::SendWindowMessage(m_window.get(), kMsgSeekTo, 0, qintptr(ms));
        ASSERT_TRUE(testsupport::WaitUntil([&] { return Trip() && !Trip()->IsOpening(); }));
    }
    void ClickAt(const QPoint &at)
    {
        QMouseEvent press(QEvent::MouseButtonPress, at, m_window->mapToGlobal(at), Qt::LeftButton,
            Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_window.get(), &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, m_window->mapToGlobal(at), Qt::LeftButton,
            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(m_window.get(), &release);
    }
    void Key(Qt::Key key)
    {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(m_window->FileList(), &press);
    }
    // Waits until the trip plays its recording index (by the trip's order).
    bool WaitForRecording(int recording)
    {
        return testsupport::WaitUntil(
            [&] { return Trip() && Trip()->CurrentRecording() == recording && Playing(); }, 20s);
    }
};

TEST_F(MainWindowTripTest, TheListShowsDrivesAndADrivePlaysAcrossItsRecordings)
{
    DriveCard card;
    ASSERT_TRUE(card.Write());
    Open({ card.dir.path() });
    ASSERT_TRUE(testsupport::WaitUntil([&] { return m_window->FileList()->GetItemCount() == 5; }));

    // The list shows the one drive, and goes back to the files.
    Click("list_mode_trips");
    ASSERT_TRUE(Trips().ShowsTrips());
    EXPECT_EQ(m_window->FileList()->GetItemCount(), 1);
    ASSERT_EQ(Trips().Model().Trips().size(), 1u);
    const library::Trip &trip = Trips().Model().Trips().front();
    EXPECT_EQ(trip.gaps, 1);
    EXPECT_EQ(trip.events, 1);
    EXPECT_TRUE(m_window->GetControl(skin::kSkinImgButton, QStringLiteral("list_mode_files"))->isVisible());
    Click("list_mode_files");
    EXPECT_EQ(m_window->FileList()->GetItemCount(), 5);
    // A category chosen over the trips shows its files.
    Click("list_mode_trips");
    Click("filelist_category_event");
    EXPECT_FALSE(Trips().ShowsTrips());
    EXPECT_EQ(m_window->FileList()->GetItemCount(), 1);
    Click("filelist_category_all");
    Click("list_mode_trips");
    EXPECT_EQ(m_window->FileList()->GetItemCount(), 1);

    // Choosing the drive plays it from its start as one recording of the drive's length.
    ClickRow(0);
    ASSERT_TRUE(WaitForRecording(0));
    EXPECT_EQ(m_window->DurationMs(), trip.DurationMs());
    const auto *slider
        = m_window->Control<skin::CBitmapSlider>(skin::kSkinSlider, QStringLiteral("play_slider"));
    EXPECT_EQ(slider->GetRangeMax(), int(trip.DurationMs()));
    const auto *marks = m_window->findChild<TripTimelineMarks *>(QStringLiteral("trip_timeline_marks"));
    ASSERT_NE(marks, nullptr);
    EXPECT_EQ(marks->Boundaries().size(), 3u);
    EXPECT_EQ(marks->Gaps().size(), 1u);
    EXPECT_EQ(marks->Events().size(), 1u);

    // The time display can show the recorder's clock time of the picture instead.
    const QRect display = m_window->Skin().GetArea(QStringLiteral("time_display"))->rect.ToQRect();
    ClickAt(display.center());
    const QDateTime clock
        = QDateTime::fromString(m_window->ClockTimeText(), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    ASSERT_TRUE(clock.isValid()) << m_window->ClockTimeText().toStdString();
    EXPECT_LE(std::abs(trip.start.secsTo(clock) - m_window->PositionMs() / 1000), 1);
    EXPECT_EQ(trip.start.toString(QStringLiteral("yyyy-MM-dd HH:mm")), QStringLiteral("2024-03-07 09:00"));
    ClickAt(display.center());
    EXPECT_TRUE(m_window->ClockTimeText().isEmpty());

    // At the boundary the next recording, decoded ahead, takes over: the pictures keep coming in
    // both windows and the position keeps rising.
    m_window->Playback().Faster();
    m_window->Playback().Faster();
    const int64_t frontBefore = PlayedPictures(DualPlayback::kFront);
    const int64_t rearBefore = PlayedPictures(DualPlayback::kRear);
    ASSERT_TRUE(WaitForRecording(1));
    EXPECT_GE(Trip()->TakeOvers(), 1);
    EXPECT_TRUE(testsupport::WaitUntil([&] { return m_window->PositionMs() > 3200; }));
    EXPECT_GT(PlayedPictures(DualPlayback::kFront), frontBefore);
    EXPECT_GT(PlayedPictures(DualPlayback::kRear), rearBefore);
    EXPECT_EQ(m_window->Playback().FrontPath(), card.fronts[1]);
    // The rate carries over to the recording that took over.
    EXPECT_FLOAT_EQ(m_window->Playback().Player(DualPlayback::kFront).Graph()->Rate(), 1.5f);

    // Seeking lands on the recording that holds the moment; a moment in the gap plays on from the
    // gap's end.
    const int last = trip.timeline.back().recording;
    EXPECT_EQ(trip.recordings[size_t(last)].path, card.fronts[3]);
    Post(kMsgSeekTo, 10000);
    ASSERT_TRUE(WaitForRecording(last));
    EXPECT_GE(m_window->PositionMs(), trip.timeline.back().tripMs);
    EXPECT_EQ(m_window->Playback().FrontPath(), card.fronts[3]);
    Post(kMsgSeekTo, 4500);
    ASSERT_TRUE(WaitForRecording(1));
    EXPECT_NEAR(double(Trip()->PositionMs()), 4500.0, 600.0);

    // The drive plays once to its end, then the window stands still.
    Post(kMsgSeekTo, trip.DurationMs() - 800);
    EXPECT_TRUE(testsupport::WaitUntil([&] { return !m_window->PlayingTrip() && !Playing(); }, 20s));
    EXPECT_FALSE(m_window->VideoView(DualPlayback::kFront)->isVisible());
}

} // namespace mainwindow::test

namespace mainwindow::test {

// While a drive plays, the export's marks lie on the drive's timeline, so one clip spans a
// boundary; an export around an impact takes 20 s either side, cut to the drive.
TEST_F(MainWindowTripTest, ExportsSpanTheDrivesRecordings)
{
    DriveCard card;
    ASSERT_TRUE(card.Write());
    Open({ card.dir.path() });
    ASSERT_TRUE(testsupport::WaitUntil([&] { return m_window->FileList()->GetItemCount() == 5; }));
    QTemporaryDir out;
    QString chosen = out.filePath(QStringLiteral("across.mp4"));
    m_window->Dialogs().chooseCaptureFile = [&](QWidget *, const QString &) { return chosen; };
    m_window->Dialogs().askExportChoices = [](QWidget *, const ExportChoices &initial) { return initial; };
    const auto exported = [&] {
        EXPECT_TRUE(testsupport::WaitUntil([&] { return !m_window->ExportFeature().IsExporting(); }, 60s));
        const auto probe = testsupport::RunProgram(QStringLiteral("ffprobe"),
            { "-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                "stream=nb_read_frames,duration", "-of", "csv=p=0", chosen });
        EXPECT_TRUE(probe.Ok()) << probe.err.toStdString();
        return QString::fromUtf8(probe.out).trimmed().split(QLatin1Char(','));
    };

    Click("list_mode_trips");
    ClickRow(0);
    ASSERT_TRUE(WaitForRecording(0));
    Click("pause");
    SeekAndWait(2000);
    Key(Qt::Key_I);
    SeekAndWait(4500);
    Key(Qt::Key_O);
    EXPECT_EQ(m_window->ExportFeature().MarkOutMs(), 4500);
    skin::SendWindowMessage(m_window.get(), kMsgExportClip);
    EXPECT_TRUE(m_window->ExportFeature().IsExporting());
    QStringList probe = exported();
    ASSERT_EQ(probe.size(), 2) << probe.join(QLatin1Char(',')).toStdString();
    // 2.5 s across the boundary at 3 s, at the sample's 30 pictures a second.
    EXPECT_NEAR(probe[0].toDouble(), 2.5, 1.0 / 30 + 0.001);
    EXPECT_EQ(probe[1].toInt(), 75);
    const QString provenance
        = QString::fromUtf8(testsupport::ReadFile(out.filePath(QStringLiteral("across.provenance.txt"))));
    EXPECT_TRUE(provenance.contains(QFileInfo(card.fronts[0]).fileName())) << provenance.toStdString();
    EXPECT_TRUE(provenance.contains(QFileInfo(card.fronts[1]).fileName()));

    // Around a moment at 3 s: the whole drive but its gap.
    chosen = out.filePath(QStringLiteral("around.mp4"));
    skin::SendWindowMessage(m_window.get(), kMsgExportAroundImpact, 0, 3000);
    EXPECT_TRUE(m_window->ExportFeature().IsExporting());
    probe = exported();
    ASSERT_EQ(probe.size(), 2);
    const library::Trip &trip = m_window->TripsFeature().Model().Trips().front();
    int64_t played = 0;
    for (const library::TripSegment &segment : trip.timeline)
        played += segment.IsGap() ? 0 : segment.lengthMs;
    EXPECT_NEAR(probe[0].toDouble() * 1000, double(played), 1000.0 / 30 + 1);
    EXPECT_TRUE(m_shown.empty() || !m_shown.back().text.contains(QStringLiteral("실패")));
}

} // namespace mainwindow::test

namespace mainwindow::test {

// The card pulled out while a drive plays, inside its first recording and at the boundary to the
// next one (which can no longer be opened): the drive stops with the card-removed message and the
// window goes on.
TEST_F(MainWindowTripTest, CardPulledOutDuringADriveStopsItWithTheMessage)
{
    for (const bool atBoundary : { false, true }) {
        SCOPED_TRACE(atBoundary ? "at the boundary" : "inside a recording");
        DriveCard card;
        ASSERT_TRUE(card.Write());
        Open({ card.dir.path() });
        ASSERT_TRUE(testsupport::WaitUntil([&] { return m_window->FileList()->GetItemCount() == 5; }));
        Click("list_mode_trips");
        ClickRow(0);
        ASSERT_TRUE(WaitForRecording(0));
        const QString away = card.dir.path() + QStringLiteral("-away");
        if (atBoundary)
            SeekAndWait(2600);
        ASSERT_TRUE(QDir().rename(card.dir.path(), away));
        if (atBoundary) {
            ASSERT_TRUE(
                testsupport::WaitUntil([&] { return !Trip() || Trip()->CurrentRecording() != 0; }, 20s));
        }
        m_window->OnMountsChanged();
        EXPECT_FALSE(Playing());
        EXPECT_EQ(m_window->PlayingTrip(), nullptr);
        EXPECT_EQ(m_window->FileList()->GetItemCount(), 0);
        ASSERT_FALSE(m_shown.empty());
        EXPECT_EQ(m_shown.back().text, mainwindow::kCardRemovedText);
        Click("play");
        EXPECT_FALSE(Playing());
        m_window.reset();
        m_shown.clear();
        ASSERT_TRUE(QDir().rename(away, card.dir.path()));
    }
}

} // namespace mainwindow::test
