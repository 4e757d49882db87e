#include "playback/PlaybackTestPlayer.h"

#include <random>

using namespace playback_test;

// Commands in quick succession while the threads decode: nothing may hang, and afterwards the
// graph still shows the right picture.
TEST(Stress, RapidCommandsWhileDecoding)
{
    auto sound = std::make_shared<FakeAudioState>();
    TestPlayer test(FakeAudioOutput::Factory(sound));
    ASSERT_TRUE(test.Open(Media::CounterGop10));
    std::mt19937 random(1234);
    for (int i = 0; i < 300; ++i) {
        switch (random() % 9) {
        case 0:
        case 1:
            test.player.Play();
            break;
        case 2:
            test.player.Pause();
            break;
        case 3:
            test.player.SeekMs(static_cast<int64_t>(random() % 2100));
            break;
        case 4:
            test.player.SetRate(0.5f + static_cast<float>(random() % 7) * 0.25f);
            break;
        case 5:
            test.player.SkipForward(0.3);
            break;
        case 6:
            test.player.SkipBack(0.3);
            break;
        case 7:
            test.player.Stop();
            break;
        case 8:
            test.player.Refresh();
            test.player.SetBrightness(static_cast<int>(random() % 101) - 50);
            break;
        }
        if (i % 50 == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    test.player.Pause();
    test.player.SetBrightness(0);
    ASSERT_TRUE(test.SeekAndWait(1000));
    EXPECT_EQ(test.FrameOnScreen(), 25);
    EXPECT_EQ(test.player.GetPosition(), 1000 * kUnitsPerMs);
}

TEST(Stress, ClosingWhileDecodingAndReopening)
{
    auto sound = std::make_shared<FakeAudioState>();
    TestPlayer test(FakeAudioOutput::Factory(sound));
    for (int round = 0; round < 10; ++round) {
        ASSERT_TRUE(test.Open(round % 2 ? Media::CounterAac : Media::CounterPcm));
        test.player.SetRate(2.0f);
        test.player.Play();
        test.player.SeekMs(round * 150);
        if (round % 3 == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
        test.player.Close();
        EXPECT_EQ(test.player.State(), media::GraphState::NotBuilt);
    }
    // Opening over an open, running graph replaces it.
    ASSERT_TRUE(test.Open(Media::CounterAac));
    test.player.Play();
    ASSERT_TRUE(test.Open(Media::CounterSilent));
    EXPECT_EQ(test.player.State(), media::GraphState::Stopped);
    EXPECT_EQ(test.FrameOnScreen(), 0);
}
