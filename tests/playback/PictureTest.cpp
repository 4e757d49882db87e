#include "playback/PlaybackTestPlayer.h"

#include "media/playback/BrightnessFilter.h"
#include "media/playback/ColourConverterFilter.h"
#include "media/playback/FrameHandoff.h"
#include "media/playback/VideoDecoderFilter.h"

using namespace playback_test;

TEST(Capture, IsAtTheVideoSizeWhateverTheWindow)
{
    TestPlayer test({}, QSize(500, 90));
    ASSERT_TRUE(test.Open(Media::CounterAac));
    QImage image;
    ASSERT_TRUE(test.player.CaptureFrame(0, &image));
    EXPECT_EQ(image.size(), QSize(160, 120));
    EXPECT_FALSE(test.player.CaptureFrame(-1, &image));
    EXPECT_FALSE(test.player.CaptureFrame(4, &image));
    EXPECT_FALSE(test.player.CaptureFrame(0, nullptr));
}

TEST(Window, GetsPicturesAtItsOwnSizeFollowingResizesAndAgainAfterRefresh)
{
    TestPlayer test({}, QSize(320, 200));
    ASSERT_TRUE(test.Open(Media::CounterAac));
    ASSERT_NE(test.window.Frames(), nullptr);
    auto first = test.window.Frames()->TakeLatest();
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->image.size(), QSize(320, 200));
    EXPECT_EQ(FrameNumberOf(first->image), 0);

    // The next picture after a resize comes at the new size, without a refresh; a capture
    // stays at the video's size.
    test.window.Resize(QSize(240, 136));
    ASSERT_TRUE(test.SeekAndWait(10 * 40));
    auto resized = test.window.Frames()->TakeLatest();
    ASSERT_TRUE(resized.has_value());
    EXPECT_EQ(resized->image.size(), QSize(240, 136));
    EXPECT_EQ(FrameNumberOf(resized->image), 10);
    EXPECT_EQ(test.Capture().size(), QSize(160, 120));
    EXPECT_EQ(test.window.Repaints(), 0);

    test.window.Resize(QSize(200, 100));
    EXPECT_EQ(test.player.Refresh(), media::kPlaybackOk);
    EXPECT_EQ(test.window.Repaints(), 1);
    EXPECT_EQ(test.player.ClientSize(0), QSize(200, 100));
    auto repainted = test.window.Frames()->TakeLatest();
    ASSERT_TRUE(repainted.has_value());
    EXPECT_EQ(repainted->image.size(), QSize(200, 100));
    EXPECT_EQ(FrameNumberOf(repainted->image), 10);
}

// A window much lower than the picture: each colour stays where its brightness is, to the last
// row, whatever the picture's height.
TEST(Converter, KeepsColoursInPlaceInAWindowMuchLowerThanThePicture)
{
    for (const int height : { 96, 91 }) {
        media::ffmpeg::FramePtr picture = media::ffmpeg::MakeFrame();
        picture->format = AV_PIX_FMT_YUV420P;
        picture->width = 64;
        picture->height = height;
        ASSERT_GE(av_frame_get_buffer(picture.get(), 0), 0);
        // Red above row 48, blue from there down.
        for (int y = 0; y < height; ++y)
            memset(picture->data[0] + y * picture->linesize[0], y < 48 ? 81 : 41, 64);
        for (int y = 0; y < (height + 1) / 2; ++y) {
            memset(picture->data[1] + y * picture->linesize[1], y < 24 ? 90 : 240, 32);
            memset(picture->data[2] + y * picture->linesize[2], y < 24 ? 240 : 110, 32);
        }
        media::ColourConverterFilter converter(QStringLiteral("c"));
        for (const QSize size : { QSize(32, 24), QSize(40, 30), QSize(64, 10) }) {
            const QImage image = converter.ConvertForDisplay(picture.get(), size);
            ASSERT_EQ(image.size(), size);
            const int boundary = 48 * size.height() / height;
            for (int y = 0; y < size.height(); ++y) {
                if (std::abs(y - boundary) <= 1)
                    continue;
                const QRgb pixel = image.pixel(size.width() / 2, y);
                const bool red = qRed(pixel) > 180 && qBlue(pixel) < 60;
                const bool blue = qBlue(pixel) > 180 && qRed(pixel) < 60;
                EXPECT_TRUE(y < boundary ? red : blue)
                    << height << " rows to " << size.height() << ", row " << y << ": " << std::hex << pixel;
            }
        }
    }
}

TEST(Brightness, ChangesThePictureEvenWhilePaused)
{
    TestPlayer test;
    ASSERT_TRUE(test.Open(Media::CounterAac));
    ASSERT_TRUE(test.SeekAndWait(31 * 40)); // frame 31: five white stripes, three black
    const QImage plain = test.Capture();
    ASSERT_EQ(FrameNumberOf(plain), 31);

    ASSERT_EQ(test.player.SetBrightness(40), media::kPlaybackOk);
    const QImage brighter = test.Capture();
    EXPECT_GT(MeanGrey(brighter), MeanGrey(plain) + 30);
    // The black stripes lift, the picture is still readable.
    EXPECT_GT(qGray(brighter.pixel(brighter.width() * 15 / 16, brighter.height() / 2)), 60);

    ASSERT_EQ(test.player.SetBrightness(-40), media::kPlaybackOk);
    const QImage darker = test.Capture();
    EXPECT_LT(MeanGrey(darker), MeanGrey(plain) - 30);

    ASSERT_EQ(test.player.SetBrightness(0), media::kPlaybackOk);
    EXPECT_NEAR(MeanGrey(test.Capture()), MeanGrey(plain), 0.5);

    // The window got the adjusted picture too, without playing.
    ASSERT_EQ(test.player.SetBrightness(40), media::kPlaybackOk);
    auto shown = test.window.Frames()->TakeLatest();
    ASSERT_TRUE(shown.has_value());
    EXPECT_GT(MeanGrey(shown->image), MeanGrey(plain) + 30);
}

TEST(Brightness, LeavesTheDecodersPictureUntouched)
{
    media::ffmpeg::FramePtr picture = media::ffmpeg::MakeFrame();
    picture->format = AV_PIX_FMT_YUV420P;
    picture->width = 64;
    picture->height = 32;
    ASSERT_GE(av_frame_get_buffer(picture.get(), 0), 0);
    memset(picture->data[0], 100, static_cast<size_t>(picture->linesize[0]) * 32);
    memset(picture->data[1], 128, static_cast<size_t>(picture->linesize[1]) * 16);
    memset(picture->data[2], 128, static_cast<size_t>(picture->linesize[2]) * 16);

    media::PictureSettings settings;
    settings.adjust = true;
    settings.brightness = 50;
    media::BrightnessFilter brightness(QStringLiteral("b"));
    brightness.ConnectInput(&settings);
    media::ffmpeg::FramePtr out = brightness.Apply(picture.get());
    ASSERT_TRUE(out);
    EXPECT_EQ(out->data[0][0], 200);
    EXPECT_EQ(out->data[0][63 + 31 * out->linesize[0]], 200);
    EXPECT_EQ(picture->data[0][0], 100);
    EXPECT_EQ(out->data[1], picture->data[1]); // chroma is shared, not copied

    settings.brightness = 127; // limited range: white stops at 235
    EXPECT_EQ(brightness.Apply(picture.get())->data[0][0], 235);
    settings.adjust = false; // adjustments off: nothing changes
    EXPECT_EQ(brightness.Apply(picture.get())->data[0], picture->data[0]);
}

TEST(DecoderOption, TogglesWithoutDisturbingPlayback)
{
    TestPlayer test;
    ASSERT_TRUE(test.Open(Media::CounterGop10));
    ASSERT_EQ(test.player.SetDecoderOption(true), media::kPlaybackOk);
    EXPECT_TRUE(test.player.Graph()->Decoder(1)->FastDecoding());
    ASSERT_TRUE(test.SeekAndWait(800));
    EXPECT_EQ(test.FrameOnScreen(), 20);
    ASSERT_EQ(test.player.SetDecoderOption(false), media::kPlaybackOk);
    EXPECT_FALSE(test.player.Graph()->Decoder(1)->FastDecoding());
    EXPECT_EQ(test.player.Graph()->Decoder(1)->PutParameter(9999, 1), media::kPlaybackInvalidArg);
}

TEST(FrameHandoff, KeepsTheNewestPicturesAndCountsTheDropped)
{
    media::FrameHandoff handoff(2);
    int notified = 0;
    handoff.SetListener([&] { ++notified; });
    for (int i = 0; i < 5; ++i)
        handoff.Push(media::DisplayImage { QImage(), i });
    EXPECT_EQ(notified, 5);
    EXPECT_EQ(handoff.Dropped(), 3);
    auto latest = handoff.TakeLatest();
    ASSERT_TRUE(latest.has_value());
    EXPECT_EQ(latest->time, 4);
    EXPECT_EQ(handoff.Dropped(), 4); // picture 3 was queued behind 4 and never painted
    EXPECT_FALSE(handoff.TakeLatest().has_value());
    handoff.SetListener({});
    handoff.Push(media::DisplayImage { QImage(), 5 });
    EXPECT_EQ(notified, 5);
}

// A window that does not take its pictures costs no conversions: the newest picture waits
// unconverted and reaches the window as soon as it takes the one it holds.
TEST(FrameHandoff, BusyWindowGetsTheNewestPictureWhenItIsReady)
{
    TestPlayer test;
    ASSERT_TRUE(test.Open(Media::CounterSilent));
    media::FrameHandoff *frames = test.window.Frames();
    ASSERT_EQ(frames->Pending(), 1); // the first picture, not taken yet
    test.player.Graph()->SetSyncEnabled(false);
    ASSERT_EQ(test.player.Play(), media::kPlaybackOk);
    ASSERT_TRUE(WaitUntil([&] { return test.player.Graph()->Stats().videoEnded; }));
    const media::PlaybackStats stats = test.player.Graph()->Stats();
    EXPECT_EQ(stats.framesShown, kCounterFrames);
    EXPECT_EQ(frames->Pushed(), 1);
    EXPECT_EQ(stats.handoffDropped, kCounterFrames - 2); // all but the first and the newest

    auto first = frames->TakeLatest();
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(FrameNumberOf(first->image), 0);
    ASSERT_TRUE(WaitUntil([&] { return frames->Pending() == 1; }));
    auto newest = frames->TakeLatest();
    ASSERT_TRUE(newest.has_value());
    EXPECT_EQ(FrameNumberOf(newest->image), kCounterFrames - 1);
}
