// Trips in the real window: the list shows drives, and a drive plays across its recordings.
#include "MainWindowFixture.h"
#include "app/TripPlayer.h"
#include "app/TripTimelineMarks.h"
#include "app/features/TripController.h"
#include "media/recorder/SampleCardSetup.h"
#include "trips/TripRecorder.h"

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
    // Waits until the trip plays its recording index (by the trip's order).
    bool WaitForRecording(int recording)
    {
        return testsupport::WaitUntil(
            [&] { return Trip() && Trip()->CurrentRecording() == recording && Playing(); },
            std::chrono::seconds(20));
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
    Click("list_mode_trips");

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
    EXPECT_TRUE(testsupport::WaitUntil(
        [&] { return !m_window->PlayingTrip() && !Playing(); }, std::chrono::seconds(20)));
    EXPECT_FALSE(m_window->VideoView(DualPlayback::kFront)->isVisible());
}

} // namespace mainwindow::test
