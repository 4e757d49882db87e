#include "playback/PlaybackTestPlayer.h"

#include <cmath>
#include <thread>

#include "media/playback/AudioRendererFilter.h"
#include "media/playback/CVideoGraph.h"
#include "media/playback/QtAudioOutput.h"

using namespace playback_test;
using media::GraphState;

namespace {

int ExpectedFrame(int64_t ms)
{
    return static_cast<int>(std::min<int64_t>(ms / 40, kCounterFrames - 1));
}

} // namespace

TEST(Volume, LevelsFollowTheFormula)
{
    using media::CVideoGraph;
    EXPECT_EQ(CVideoGraph::VolumeLevel(0), -10000);
    EXPECT_EQ(CVideoGraph::VolumeLevel(50), -301);
    EXPECT_EQ(CVideoGraph::VolumeLevel(100), 0);
    EXPECT_EQ(CVideoGraph::VolumeLevel(1), -1999); // truncated towards zero
    EXPECT_EQ(CVideoGraph::VolumeLevel(99), -4);
    EXPECT_EQ(CVideoGraph::VolumeLevel(-20), -10000);
    EXPECT_EQ(CVideoGraph::VolumeLevel(250), 0);

    using media::AudioRendererFilter;
    EXPECT_EQ(AudioRendererFilter::GainForLevel(-10000), 0.0);
    EXPECT_NEAR(AudioRendererFilter::GainForLevel(-301), 0.7071, 0.0005);
    EXPECT_NEAR(AudioRendererFilter::GainForLevel(-2000), 0.1, 1e-9);
    EXPECT_EQ(AudioRendererFilter::GainForLevel(0), 1.0); // volume 100 is full volume, not silence
}

TEST(Volume, ReachesTheSoundDevice)
{
    auto sound = std::make_shared<FakeAudioState>();
    TestPlayer test(FakeAudioOutput::Factory(sound));
    ASSERT_TRUE(test.Open(Media::CounterAac));
    ASSERT_EQ(test.player.Play(), media::kPlaybackOk);
    struct Case {
        int volume;
        int level;
        double gain;
    };
    for (const Case &c : { Case { 50, -301, 0.7071 }, Case { 100, 0, 1.0 }, Case { 0, -10000, 0.0 },
             Case { 50, -301, 0.7071 } }) {
        ASSERT_TRUE(test.player.SetVolume(c.volume));
        EXPECT_EQ(test.player.Graph()->VolumeLevelSent(), c.level);
        EXPECT_EQ(test.player.Graph()->AudioRenderer()->Volume(), c.level);
        EXPECT_TRUE(WaitUntil([&] { return std::abs(sound->Gain() - c.gain) < 0.0005; })) << c.volume;
    }
}

TEST(Rate, IsClampedWhenPlayingAndStoredAsGiven)
{
    TestPlayer test;
    ASSERT_TRUE(test.Open(Media::CounterSilent));
    media::CVideoGraph *graph = test.player.Graph();
    ASSERT_EQ(test.player.Play(), media::kPlaybackOk);
    ASSERT_TRUE(test.player.SetRate(3.0f));
    EXPECT_EQ(graph->Rate(), 2.0f);
    EXPECT_EQ(graph->State(), GraphState::Running);
    ASSERT_TRUE(test.player.SetRate(0.25f));
    EXPECT_EQ(graph->Rate(), 0.5f);
    ASSERT_TRUE(test.player.SetRate(1.0f));
    EXPECT_EQ(graph->Rate(), 1.0f);
    for (float rate : { 0.5f, 0.75f, 1.25f, 1.5f, 1.75f, 2.0f }) {
        ASSERT_TRUE(test.player.SetRate(rate));
        EXPECT_EQ(graph->Rate(), rate);
    }

    // While paused the rate waits for the next Play, which clamps it.
    test.player.Pause();
    ASSERT_TRUE(test.player.SetRate(3.0f));
    EXPECT_EQ(graph->Rate(), 3.0f);
    EXPECT_EQ(graph->State(), GraphState::Paused);
    ASSERT_EQ(test.player.Play(), media::kPlaybackOk);
    EXPECT_EQ(graph->Rate(), 2.0f);
}

// At rate 2 the sound takes half as long and keeps its pitch: the 440 Hz tone stays 440 Hz.
TEST(Rate, KeepsThePitchOfTheSound)
{
    for (float rate : { 2.0f, 0.5f }) {
        auto sound = std::make_shared<FakeAudioState>();
        sound->clock = FakeAudioState::Clock::Instant; // no need to listen in real time
        TestPlayer test(FakeAudioOutput::Factory(sound));
        ASSERT_TRUE(test.Open(Media::CounterAac));
        ASSERT_TRUE(test.player.SetRate(rate));
        ASSERT_EQ(test.player.Play(), media::kPlaybackOk);
        ASSERT_TRUE(
            WaitUntil([&] { return test.player.Graph()->Stats().audioEnded; }, std::chrono::seconds(20)))
            << rate;
        const double mediaSeconds = static_cast<double>(test.player.GetDuration()) / 1e7;
        std::vector<int16_t> left;
        {
            std::lock_guard lock(sound->mutex);
            left = sound->firstChannel;
        }
        const double heardSeconds = static_cast<double>(left.size()) / 48000.0;
        EXPECT_NEAR(heardSeconds, mediaSeconds / rate, 0.1 * mediaSeconds / rate) << rate;

        // Count rising zero crossings over the middle half, away from the start and the end.
        const size_t from = left.size() / 4;
        const size_t to = left.size() * 3 / 4;
        int crossings = 0;
        for (size_t i = from + 1; i < to; ++i)
            if (left[i - 1] < 0 && left[i] >= 0)
                ++crossings;
        const double frequency = crossings / (static_cast<double>(to - from) / 48000.0);
        EXPECT_NEAR(frequency, 440.0, 15.0) << "rate " << rate;
    }
}

// While sound plays, the picture follows the sound device's position, not the wall clock.
TEST(Sync, AudioIsTheMasterClockAndLatePicturesAreDropped)
{
    auto sound = std::make_shared<FakeAudioState>();
    TestPlayer test(FakeAudioOutput::Factory(sound));
    ASSERT_TRUE(test.Open(Media::CounterAac));
    media::CVideoGraph *graph = test.player.Graph();
    ASSERT_EQ(test.player.Play(), media::kPlaybackOk);
    ASSERT_TRUE(
        WaitUntil([&] { return graph->Stats().audioActive && graph->Stats().audioSamplesWritten > 4800; }));
    const int64_t before = test.PositionMs();
    ASSERT_LT(before, 500);

    // The device jumps one second ahead: so does the clock, and the pictures in between are late.
    sound->Jump(1000000);
    ASSERT_TRUE(WaitUntil([&] { return test.PositionMs() >= before + 1000; }));
    ASSERT_TRUE(WaitUntil([&] { return graph->Stats().lastShownTime >= (before + 1000) * kUnitsPerMs; }));
    test.player.Pause();
    // The clock jumped rather than ran there: far less than a second of wall time has passed.
    EXPECT_LT(test.PositionMs(), before + 1500);
    EXPECT_GT(graph->Stats().framesDropped, 10); // of the 25 pictures jumped over
    EXPECT_GE(test.FrameOnScreen(), ExpectedFrame(before + 1000) - 2);
}

// Sound that falls far behind the pictures (a device that started late) skips ahead to the
// clock; the pictures do not jump back to wait for it.
TEST(Sync, LaggingSoundSkipsAheadInsteadOfPullingThePicturesBack)
{
    auto sound = std::make_shared<FakeAudioState>();
    sound->clock = FakeAudioState::Clock::LateStart;
    sound->lateStartUs = 700000;
    TestPlayer test(FakeAudioOutput::Factory(sound));
    ASSERT_TRUE(test.Open(Media::CounterAac));
    media::CVideoGraph *graph = test.player.Graph();
    ASSERT_EQ(test.player.Play(), media::kPlaybackOk);
    int64_t last = test.player.GetPosition();
    int64_t largestStepBack = 0;
    ASSERT_TRUE(WaitUntil([&] {
        const int64_t now = test.player.GetPosition();
        largestStepBack = std::max(largestStepBack, last - now);
        last = now;
        return graph->Stats().videoEnded && now == test.player.GetDuration();
    }));
    EXPECT_GE(graph->AudioRenderer()->CatchUps(), 1);
    EXPECT_LE(largestStepBack, 50 * kUnitsPerMs);
    EXPECT_GE(sound->Resets(), 2); // the seek epoch's reset and the catch-up
}

// A device that never gets going (or plays in large blocks) does not hold the pictures back.
TEST(Sync, StalledSoundDeviceDoesNotHoldThePicturesBack)
{
    auto sound = std::make_shared<FakeAudioState>();
    sound->clock = FakeAudioState::Clock::Stalled;
    TestPlayer test(FakeAudioOutput::Factory(sound));
    ASSERT_TRUE(test.Open(Media::CounterAac));
    ASSERT_EQ(test.player.Play(), media::kPlaybackOk);
    ASSERT_TRUE(WaitUntil([&] { return test.player.GetPosition() == test.player.GetDuration(); }));
    EXPECT_TRUE(test.player.Graph()->Stats().audioActive);
    EXPECT_TRUE(WaitUntil([&] { return test.player.Graph()->Stats().videoEnded; }));
}

TEST(Sync, WithoutSoundDeviceTheGraphPlaysOnTheSystemClock)
{
    TestPlayer test;
    ASSERT_TRUE(test.Open(Media::CounterAac));
    ASSERT_EQ(test.player.Play(), media::kPlaybackOk);
    ASSERT_TRUE(WaitUntil([&] { return test.player.GetPosition() == test.player.GetDuration(); }));
    const media::PlaybackStats stats = test.player.Graph()->Stats();
    EXPECT_FALSE(stats.audioActive);
    EXPECT_EQ(stats.audioSamplesWritten, 0);
    EXPECT_GT(stats.framesShown, 1);
    // Every decoded picture was either shown, dropped late, or skipped by the opening seek.
    EXPECT_TRUE(WaitUntil([&] { return test.player.Graph()->Stats().videoEnded; }));
    const media::PlaybackStats end = test.player.Graph()->Stats();
    EXPECT_EQ(end.framesDecoded, kCounterFrames);
    EXPECT_EQ(end.framesShown + end.framesDropped + end.framesSkipped, end.framesDecoded);
}

// A device that cannot be opened leaves a silent graph whose sound packets do not pile up.
TEST(Sync, SoundDeviceThatFailsToOpenLeavesASilentWorkingGraph)
{
    auto sound = std::make_shared<FakeAudioState>();
    sound->failOpen = true;
    TestPlayer test(FakeAudioOutput::Factory(sound));
    ASSERT_TRUE(test.Open(Media::CounterAac));
    ASSERT_EQ(test.player.Play(), media::kPlaybackOk);
    ASSERT_TRUE(WaitUntil([&] { return test.player.GetPosition() == test.player.GetDuration(); }));
    EXPECT_TRUE(WaitUntil([&] { return test.player.Graph()->Stats().videoEnded; }));
    EXPECT_FALSE(test.player.Graph()->Stats().audioActive);
    EXPECT_EQ(test.FrameOnScreen(), kCounterFrames - 1);
}

TEST(Sync, TwoPlayersStayInStep)
{
    TestPlayer front;
    TestPlayer rear;
    ASSERT_TRUE(front.Open(Media::CounterAac));
    ASSERT_TRUE(rear.Open(Media::CounterRear));
    // The main window issues every command to the front player and then to the rear one.
    auto both = [&](auto command) {
        command(front.player);
        command(rear.player);
    };
    both([](media::CVideoPlayer &p) { p.Play(); });
    ASSERT_TRUE(WaitUntil([&] { return front.PositionMs() >= 600; }));
    both([](media::CVideoPlayer &p) { p.Pause(); });
    EXPECT_NEAR(front.PositionMs(), rear.PositionMs(), 40);
    both([](media::CVideoPlayer &p) { p.SeekMs(1200); });
    ASSERT_TRUE(front.player.Graph()->WaitForPicture(std::chrono::seconds(10)));
    ASSERT_TRUE(rear.player.Graph()->WaitForPicture(std::chrono::seconds(10)));
    EXPECT_EQ(front.FrameOnScreen(), 30);
    EXPECT_EQ(rear.FrameOnScreen(), 30);
    both([](media::CVideoPlayer &p) { p.SetRate(2.0f); });
    both([](media::CVideoPlayer &p) { p.Play(); });
    ASSERT_TRUE(WaitUntil([&] { return front.PositionMs() >= 1700; }));
    both([](media::CVideoPlayer &p) { p.Pause(); });
    EXPECT_NEAR(front.PositionMs(), rear.PositionMs(), 40);
    EXPECT_EQ(rear.Capture().size(), QSize(96, 64));
}

// Through Qt's sound backend: with a sound server the graph plays and its clock follows the
// device; without one (the usual case on a build machine) it plays silently to the end.
TEST(QtSound, PlaysThroughTheDefaultDeviceOrFallsSilentCleanly)
{
    const bool haveDevice = media::QtAudioOutput::Create() != nullptr;
    TestPlayer test(media::CVideoPlayer::DefaultAudioOutputs());
    ASSERT_TRUE(test.Open(Media::CounterAac));
    media::CVideoGraph *graph = test.player.Graph();
    ASSERT_EQ(test.player.Play(), media::kPlaybackOk);
    if (!haveDevice) {
        EXPECT_EQ(graph->AudioRenderer(), nullptr);
    } else {
        ASSERT_NE(graph->AudioRenderer(), nullptr);
        EXPECT_TRUE(WaitUntil(
            [&] { return graph->Stats().audioActive && graph->Stats().audioSamplesWritten > 9600; }));
        test.player.SetVolume(50);
    }
    ASSERT_TRUE(WaitUntil([&] { return test.player.GetPosition() == test.player.GetDuration(); }));
    EXPECT_TRUE(WaitUntil([&] { return graph->Stats().videoEnded; }));
    if (haveDevice) {
        EXPECT_TRUE(WaitUntil([&] { return graph->Stats().audioEnded; }));
    }
    EXPECT_EQ(test.FrameOnScreen(), kCounterFrames - 1);
}

// The front (1080p) and rear (720p) files of a recording decode at different speeds. Whatever
// the main window does to both, the two channels show the same moment, within one frame.
TEST(Sync, FrontAndRearChannelsStayWithinAFrame)
{
    for (const bool withSound : { false, true }) {
        SCOPED_TRACE(withSound ? "with sound" : "without sound");
        auto frontSound = std::make_shared<FakeAudioState>();
        auto rearSound = std::make_shared<FakeAudioState>();
        TestPlayer front(withSound ? FakeAudioOutput::Factory(frontSound) : media::AudioOutputFactory {});
        TestPlayer rear(withSound ? FakeAudioOutput::Factory(rearSound) : media::AudioOutputFactory {});
        ASSERT_TRUE(front.player.Open(RecorderFrontPath()));
        ASSERT_TRUE(rear.player.Open(RecorderRearPath()));
        auto both = [&](const auto &command) {
            command(front.player);
            command(rear.player);
        };
        constexpr int64_t kFrame = 10'000'000 / 30;
        // The largest gap between the channels' positions over a while after a command.
        auto largestGap = [&](std::chrono::milliseconds during) {
            int64_t largest = 0;
            const auto until = std::chrono::steady_clock::now() + during;
            while (std::chrono::steady_clock::now() < until) {
                const int64_t f = front.player.GetPosition();
                const int64_t r = rear.player.GetPosition();
                largest = std::max(largest, std::abs(f - r));
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            return largest;
        };

        both([](media::CVideoPlayer &p) { p.Play(); });
        EXPECT_LE(largestGap(std::chrono::milliseconds(300)), kFrame) << "play";
        // Seeks and skips land late in a group of pictures, where the front file has far more
        // to decode before its first picture than the rear one.
        both([](media::CVideoPlayer &p) { p.SeekMs(1900); });
        EXPECT_LE(largestGap(std::chrono::milliseconds(500)), kFrame) << "seek";
        both([](media::CVideoPlayer &p) { p.SkipBack(1.0); });
        EXPECT_LE(largestGap(std::chrono::milliseconds(500)), kFrame) << "skip back";
        both([](media::CVideoPlayer &p) { p.SetRate(2.0f); });
        EXPECT_LE(largestGap(std::chrono::milliseconds(300)), kFrame) << "rate 2";
        both([](media::CVideoPlayer &p) { p.SetRate(1.0f); });
        both([](media::CVideoPlayer &p) { p.SeekMs(950); });
        EXPECT_LE(largestGap(std::chrono::milliseconds(300)), kFrame) << "seek again";
        both([](media::CVideoPlayer &p) { p.Pause(); });
        EXPECT_LE(largestGap(std::chrono::milliseconds(100)), kFrame) << "pause";
        both([](media::CVideoPlayer &p) { p.SkipForward(0.95); });
        both([](media::CVideoPlayer &p) { p.Play(); });
        EXPECT_LE(largestGap(std::chrono::milliseconds(400)), kFrame) << "skip while paused, then play";
        both([](media::CVideoPlayer &p) { p.Pause(); });
        // Paused, each channel shows the picture of its position.
        EXPECT_TRUE(WaitUntil([&] {
            return std::abs(front.player.Graph()->Stats().lastShownTime
                       - rear.player.Graph()->Stats().lastShownTime)
                <= kFrame;
        }));
    }
}
