// A graph prepared on a worker (NewGraph, Prepare) and handed to its player afterwards (Adopt).
#include "playback/PlaybackTestPlayer.h"

#include <thread>

using namespace playback_test;
using media::GraphState;

TEST(PreparedGraph, LeavesTheWindowAloneUntilAdoptedThenShowsAndPlaysEveryPictureOnce)
{
    TestPlayer test;
    std::unique_ptr<media::CVideoGraph> graph = test.player.NewGraph();
    ASSERT_NE(graph, nullptr);
    const media::CVideoGraph::PictureSizes sizes = graph->WindowSizes();
    EXPECT_EQ(sizes[0], QSize(320, 240));
    media::PlaybackResult prepared = media::kPlaybackFail;
    std::thread worker([&] { prepared = graph->Prepare(MediaPath(Media::CounterAac), sizes); });
    worker.join();
    ASSERT_EQ(prepared, media::kPlaybackOk);
    EXPECT_EQ(test.window.Frames(), nullptr); // not attached yet
    EXPECT_EQ(graph->Stats().framesShown, 1);

    test.player.Adopt(std::move(graph));
    ASSERT_NE(test.window.Frames(), nullptr);
    EXPECT_EQ(test.window.Frames()->Pending(), 1); // the first picture, waiting for the window
    EXPECT_EQ(test.player.State(), GraphState::Stopped);
    EXPECT_EQ(test.FrameOnScreen(), 0);

    test.player.Graph()->SetSyncEnabled(false);
    ASSERT_EQ(test.player.Play(), media::kPlaybackOk);
    ASSERT_TRUE(WaitUntil([&] { return test.player.Graph()->Stats().videoEnded; }));
    const media::PlaybackStats stats = test.player.Graph()->Stats();
    // The first picture came out of the decoder early and was decoded again; it counts once.
    EXPECT_EQ(stats.framesDecoded, kCounterFrames);
    EXPECT_EQ(stats.framesShown, kCounterFrames);
}

TEST(PreparedGraph, ATelemetryFreeGraphReadsNone)
{
    TestPlayer test;
    test.player.SetReadsTelemetry(false);
    ASSERT_TRUE(test.player.Open(RecorderFrontPath()));
    EXPECT_EQ(test.player.GetStreamParseData(), nullptr);

    TestPlayer reading;
    ASSERT_TRUE(reading.player.Open(RecorderFrontPath()));
    ASSERT_NE(reading.player.GetStreamParseData(), nullptr);
}

TEST(PreparedGraph, ACancelledPreparationOpensNothing)
{
    TestPlayer test;
    std::unique_ptr<media::CVideoGraph> graph = test.player.NewGraph();
    ASSERT_NE(graph, nullptr);
    graph->CancelPrepare();
    EXPECT_EQ(graph->Prepare(CutRecorderFrontPath(), graph->WindowSizes()), media::kPlaybackNotLoaded);
    EXPECT_EQ(graph->Stats().framesShown, 0);
}

TEST(FrameHandoff, AListenerSetWhileAPictureWaitsIsToldAtOnce)
{
    media::FrameHandoff handoff;
    int notified = 0;
    handoff.SetListener([&] { ++notified; });
    EXPECT_EQ(notified, 0); // nothing waits
    handoff.SetListener({});
    handoff.Push(media::DisplayImage { QImage(), 0 });
    handoff.SetListener([&] { ++notified; });
    EXPECT_EQ(notified, 1);
    handoff.TakeLatest();
    handoff.SetListener([&] { ++notified; });
    EXPECT_EQ(notified, 1);
}
