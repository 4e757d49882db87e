#include "playback/PlaybackTestPlayer.h"

#include "media/playback/AudioDecoderFilter.h"
#include "media/playback/AudioRendererFilter.h"
#include "media/playback/FilterNames.h"
#include "media/playback/SourceFilter.h"

using namespace playback_test;
using media::GraphState;

TEST(PlayerWithoutGraph, EveryOperationSucceedsAndDoesNothing)
{
    media::CVideoPlayer player(media::AudioOutputFactory {});
    EXPECT_EQ(player.State(), GraphState::NotBuilt);
    EXPECT_EQ(player.Play(), media::kPlaybackOk);
    player.Pause();
    EXPECT_EQ(player.Stop(), media::kPlaybackOk);
    EXPECT_TRUE(player.SetRate(1.5f));
    EXPECT_TRUE(player.SetVolume(50));
    EXPECT_TRUE(player.SeekMs(1000));
    EXPECT_TRUE(player.SkipBack(5));
    EXPECT_TRUE(player.SkipForward(5));
    EXPECT_EQ(player.GetPosition(), 0);
    EXPECT_EQ(player.GetDuration(), 0);
    EXPECT_EQ(player.Refresh(), media::kPlaybackOk);
    EXPECT_EQ(player.SetBrightness(10), media::kPlaybackOk);
    EXPECT_EQ(player.SetDecoderOption(true), media::kPlaybackOk);
    EXPECT_EQ(player.GetStreamParseData(), nullptr);
    // No picture can be captured: that is a failure, not a silent success with no image.
    QImage image;
    EXPECT_FALSE(player.CaptureFrame(0, &image));
}

TEST(PlayerOpen, RefusesWithoutWindowOrPathAndForUnreadableFiles)
{
    media::CVideoPlayer noWindow(media::AudioOutputFactory {});
    EXPECT_FALSE(noWindow.Open(MediaPath(Media::CounterAac)));

    TestPlayer test;
    EXPECT_EQ(test.player.State(), GraphState::NotBuilt); // SetWindows made an empty graph
    ASSERT_NE(test.player.Graph(), nullptr);
    EXPECT_EQ(test.player.Play(), media::kPlaybackWrongState);
    EXPECT_EQ(test.player.Stop(), media::kPlaybackWrongState);
    EXPECT_FALSE(test.player.SeekMs(100)); // nothing built to seek in
    EXPECT_FALSE(test.player.Open(QString()));
    EXPECT_FALSE(test.player.Open(QStringLiteral("/nonexistent/folder/REC_F.avi")));
    EXPECT_FALSE(test.Open(Media::NotMedia));
    EXPECT_EQ(test.player.Graph(), nullptr); // a failed open leaves no graph
    EXPECT_TRUE(test.Open(Media::CounterAac));
}

// A file whose pictures no decoder can make is refused at once, so the main window can say it
// is not a valid recording; why it was refused goes to the playback log once, beside FFmpeg's
// own complaints.
TEST(PlayerOpen, RefusesQuicklyAFileThatGivesNoPicture)
{
    const QString path = MediaPath(Media::NoPicture);
    ASSERT_FALSE(path.isEmpty());
    TestPlayer test;
    LogCapture log;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(test.player.Open(path));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(2500));
    EXPECT_EQ(test.player.Graph(), nullptr);
    EXPECT_EQ(test.player.GetDuration(), 0);

    EXPECT_FALSE(log.Messages("tavin.playback", QtWarningMsg).filter("FFmpeg:").isEmpty());
    EXPECT_EQ(log.Messages("tavin.playback", QtWarningMsg).filter(path).size(), 1);

    // The player is not left broken: the next recording opens.
    EXPECT_TRUE(test.Open(Media::CounterAac));
}

// The main window's video windows may be destroyed before its players (a window closing
// first): the player lets go of its window and never calls it again.
TEST(PlayerLifetime, WindowDestroyedBeforeThePlayerIsNotCalled)
{
    auto window = std::make_unique<FakeSurface>();
    auto player = std::make_unique<media::CVideoPlayer>(media::AudioOutputFactory {});
    player->SetWindows(window.get());
    ASSERT_TRUE(player->Open(MediaPath(Media::CounterAac)));
    ASSERT_EQ(player->Play(), media::kPlaybackOk);
    window.reset();
    EXPECT_EQ(player->Window(0), nullptr);
    EXPECT_EQ(player->Refresh(), media::kPlaybackOk);
    EXPECT_EQ(player->SetBrightness(20), media::kPlaybackOk);
    QImage image;
    EXPECT_TRUE(player->CaptureFrame(0, &image)); // the picture is still there to capture
    EXPECT_FALSE(player->Open(MediaPath(Media::CounterAac))); // no window to play into
    player.reset();
}

TEST(PlayerState, FollowsTheCommandsAndRefusesWrongOnes)
{
    TestPlayer test;
    media::CVideoPlayer &player = test.player;
    ASSERT_TRUE(test.Open(Media::CounterSilent));
    EXPECT_EQ(player.State(), GraphState::Stopped); // built, first picture shown
    EXPECT_EQ(player.Stop(), media::kPlaybackWrongState);
    EXPECT_EQ(player.Play(), media::kPlaybackOk);
    EXPECT_EQ(player.State(), GraphState::Running);
    EXPECT_EQ(player.Play(), media::kPlaybackWrongState);
    player.Pause();
    EXPECT_EQ(player.State(), GraphState::Paused);
    player.Pause();
    EXPECT_EQ(player.State(), GraphState::Paused);
    const int64_t pausedAt = player.GetPosition();
    EXPECT_EQ(player.GetPosition(), pausedAt); // a paused clock stands still
    EXPECT_EQ(player.Play(), media::kPlaybackOk);
    EXPECT_EQ(player.Stop(), media::kPlaybackOk);
    EXPECT_EQ(player.State(), GraphState::Stopped);
    EXPECT_EQ(player.Stop(), media::kPlaybackWrongState);
    player.Pause(); // only acts when running
    EXPECT_EQ(player.State(), GraphState::Stopped);
    EXPECT_EQ(player.Play(), media::kPlaybackOk);
    player.Close();
    EXPECT_EQ(player.State(), GraphState::NotBuilt);
    EXPECT_EQ(player.Graph(), nullptr);
}

TEST(GraphBuild, CompressedSoundGoesThroughTheAudioDecoder)
{
    auto sound = std::make_shared<FakeAudioState>();
    TestPlayer test(FakeAudioOutput::Factory(sound));
    ASSERT_TRUE(test.Open(Media::CounterAac));
    media::CVideoGraph *graph = test.player.Graph();
    EXPECT_EQ(graph->FilterNames(),
        QStringList({ "KVStreamParseFilter", "COREAAC AUDIO", "DirectSound Audio Renderer",
            "FFDShow Decoder1", "Ostrel Brightness 1", "Color Space Convertor 1", "Mixing Renderer9" }));
    EXPECT_TRUE(graph->AudioDecoder()->IsConnected());
    EXPECT_TRUE(graph->AudioRenderer()->IsConnected());
    EXPECT_EQ(graph->VideoPinCount(), 1);
    EXPECT_EQ(graph->RenderedStreamCount(), 1);
    EXPECT_EQ(graph->NativeSize(), QSize(160, 120));
    EXPECT_EQ(graph->ZoomRect(), QRectF(0, 0, 1, 1));
    // The duration is the longer stream's (AAC runs a little past the pictures).
    EXPECT_GE(graph->GetDuration(), 2000 * kUnitsPerMs);
    EXPECT_LE(graph->GetDuration(), 2200 * kUnitsPerMs);
    // The pictures end before that, at two seconds: where a drive goes on to its next recording.
    EXPECT_EQ(graph->GetPicturesEnd(), 2000 * kUnitsPerMs);
    EXPECT_LT(graph->GetPicturesEnd(), graph->GetDuration());

    // A file made by ffmpeg carries no telemetry chunks: the first call reports the end.
    media::IStreamParseData *telemetry = test.player.GetStreamParseData();
    ASSERT_NE(telemetry, nullptr);
    EXPECT_EQ(telemetry, graph->GetStreamParseData());
    uint8_t buffer[media::kStreamParseMaxRecord + 1] = {};
    uint32_t length = media::kStreamParseMaxRecord;
    uint32_t time = 0;
    EXPECT_EQ(telemetry->GetNextRecord(buffer, &length, &time), media::kStreamParseEndOfFile);
}

TEST(GraphBuild, PcmSoundGoesStraightToTheRenderer)
{
    auto sound = std::make_shared<FakeAudioState>();
    TestPlayer test(FakeAudioOutput::Factory(sound));
    ASSERT_TRUE(test.Open(Media::CounterPcm));
    media::CVideoGraph *graph = test.player.Graph();
    EXPECT_EQ(graph->AudioDecoder(), nullptr);
    ASSERT_NE(graph->AudioRenderer(), nullptr);
    EXPECT_TRUE(graph->AudioRenderer()->IsConnected());
    EXPECT_EQ(graph->FindFilter("COREAAC AUDIO"), nullptr);
    ASSERT_TRUE(test.player.Play() == media::kPlaybackOk);
    EXPECT_TRUE(WaitUntil([&] { return sound->TotalFrames() > 4800; })); // 100 ms of sound arrived
    EXPECT_EQ(sound->SampleRate(), 48000);
}

TEST(GraphBuild, WithoutSoundDeviceTheAudioDecoderStaysUnconnected)
{
    TestPlayer test; // the factory makes no output
    ASSERT_TRUE(test.Open(Media::CounterAac));
    media::CVideoGraph *graph = test.player.Graph();
    ASSERT_NE(graph->AudioDecoder(), nullptr);
    EXPECT_FALSE(graph->AudioDecoder()->IsConnected());
    EXPECT_EQ(graph->AudioRenderer(), nullptr);
    EXPECT_FALSE(graph->Source()->Pin(1)->IsConnected());
}

TEST(GraphBuild, TwoVideoStreamsWithOneWindowRenderOnlyTheFirst)
{
    auto sound = std::make_shared<FakeAudioState>();
    TestPlayer test(FakeAudioOutput::Factory(sound));
    ASSERT_TRUE(test.Open(Media::TwoVideo));
    media::CVideoGraph *graph = test.player.Graph();
    EXPECT_EQ(graph->VideoPinCount(), 2);
    EXPECT_EQ(graph->RenderedStreamCount(), 1);
    EXPECT_EQ(test.player.RenderedStreamCount(), 1);
    EXPECT_NE(graph->FindFilter("Mixing Renderer9-1"), nullptr);
    EXPECT_EQ(graph->FindFilter("Mixing Renderer9-2"), nullptr);
    EXPECT_NE(graph->FindFilter("CoreAAC Decoder"), nullptr); // the multi-stream name
    media::SourceFilter *source = graph->Source();
    int connectedVideo = 0;
    for (int i = 0; i < source->PinCount(); ++i)
        if (source->Pin(i)->Name().startsWith("Video") && source->Pin(i)->IsConnected())
            ++connectedVideo;
    EXPECT_EQ(connectedVideo, 1);
    EXPECT_EQ(test.FrameOnScreen(), 0); // the counter stream is the first one
    QImage second;
    EXPECT_FALSE(test.player.CaptureFrame(1, &second)); // one window: no second stream to capture
}

// A recording as the recorder writes it: telemetry chunks between the pictures, which the
// demuxer skips and the source's telemetry reader hands out.
TEST(GraphBuild, RecorderFilePlaysAndHandsOutItsTelemetry)
{
    const QString path = RecorderFrontPath();
    ASSERT_FALSE(path.isEmpty());
    TestPlayer test;
    ASSERT_TRUE(test.player.Open(path));
    EXPECT_EQ(test.player.Graph()->NativeSize(), QSize(1920, 1080));
    const int64_t durationMs = test.player.GetDuration() / kUnitsPerMs;
    EXPECT_NEAR(durationMs, 3000, 100);

    media::IStreamParseData *telemetry = test.player.GetStreamParseData();
    ASSERT_NE(telemetry, nullptr);
    int gsensor = 0;
    int gps = 0;
    uint32_t lastTime = 0;
    for (;;) {
        uint8_t buffer[media::kStreamParseMaxRecord + 1] = {};
        uint32_t length = media::kStreamParseMaxRecord;
        uint32_t time = 0;
        const media::StreamParseResult result = telemetry->GetNextRecord(buffer, &length, &time);
        if (result == media::kStreamParseEndOfFile)
            break;
        ASSERT_EQ(result, media::kStreamParseOk);
        EXPECT_GE(time, lastTime); // in time order
        EXPECT_LE(time, static_cast<uint32_t>(durationMs));
        lastTime = time;
        if (buffer[0] == 'M')
            ++gsensor;
        else if (length > 2 && buffer[2] == 'G')
            ++gps;
    }
    EXPECT_GE(gsensor, 20); // 10 Hz
    EXPECT_GE(gps, 2); // one fix a second

    ASSERT_TRUE(test.SeekAndWait(2000));
    EXPECT_EQ(test.player.GetPosition(), 2000 * kUnitsPerMs);
    EXPECT_EQ(test.Capture().size(), QSize(1920, 1080));
    ASSERT_EQ(test.player.Play(), media::kPlaybackOk);
    ASSERT_TRUE(WaitUntil([&] { return test.player.GetPosition() == test.player.GetDuration(); }));
}
