#include <gtest/gtest.h>

#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QMouseEvent>

#include "media/playback/CVideoPlayer.h"
#include "media/widgets/CPLVVideoView.h"
#include "playback/PlaybackTestMedia.h"

using namespace playback_test;

namespace {

struct ViewPlayer {
    ViewPlayer()
        : player(media::AudioOutputFactory {})
    {
        view.setWindowTitle(QStringLiteral("Video window 1"));
        view.resize(320, 180);
        view.show();
        player.SetWindows(&view);
    }
    bool WaitForPictures(int64_t count)
    {
        return WaitUntil([&] { return view.PicturesTaken() >= count; });
    }

    CPLVVideoView view; // outlives the player, as the main window's windows do
    media::CVideoPlayer player;
};

} // namespace

TEST(VideoView, IsBlackWithoutPicture)
{
    CPLVVideoView view;
    view.resize(64, 48);
    const QImage shot = view.grab().toImage();
    EXPECT_EQ(qGray(shot.pixel(32, 24)), 0);
    EXPECT_TRUE(view.CurrentImage().isNull());
}

TEST(VideoView, ShowsThePlayersPicturesStretchedOverTheWindow)
{
    ViewPlayer test;
    ASSERT_TRUE(test.player.Open(MediaPath(Media::CounterAac)));
    ASSERT_TRUE(test.WaitForPictures(1));
    EXPECT_EQ(test.view.CurrentImage().size(), QSize(320, 180));
    EXPECT_EQ(FrameNumberOf(test.view.CurrentImage()), 0);

    // Paused seeks reach the window.
    test.player.Play();
    test.player.Pause();
    const int64_t before = test.view.PicturesTaken();
    ASSERT_TRUE(test.player.SeekMs(1000));
    ASSERT_TRUE(test.WaitForPictures(before + 1));
    ASSERT_TRUE(WaitUntil([&] { return FrameNumberOf(test.view.CurrentImage()) == 25; }));

    // The window paints what it holds over its whole area.
    const QImage shot = test.view.grab().toImage();
    EXPECT_EQ(shot.size(), QSize(320, 180));
    EXPECT_EQ(FrameNumberOf(shot), 25);
    const QString path
        = QDir(QStringLiteral(TAVIN_BIN_DIR)).filePath(QStringLiteral("../tests/playback_view.png"));
    EXPECT_TRUE(shot.save(path));
}

// A colour picture scaled down into the window, saved for a look at the result.
TEST(VideoView, PaintsAColourPictureScaledToTheWindow)
{
    ViewPlayer test;
    test.view.resize(488, 274);
    ASSERT_TRUE(test.player.Open(MediaPath(Media::Pattern)));
    test.player.Play();
    test.player.Pause();
    ASSERT_TRUE(test.player.SeekMs(1000));
    ASSERT_TRUE(test.player.Graph()->WaitForPicture(std::chrono::seconds(10)));
    ASSERT_TRUE(WaitUntil([&] { return test.view.CurrentImage().size() == QSize(488, 274); }));
    const QImage shot = test.view.grab().toImage();
    int colourful = 0;
    for (int y = 0; y < shot.height(); y += 4)
        for (int x = 0; x < shot.width(); x += 4)
            if (QColor(shot.pixel(x, y)).hsvSaturation() > 120)
                ++colourful;
    EXPECT_GT(colourful, (shot.width() / 4) * (shot.height() / 4) / 5); // the colour bars came through
    const QString path
        = QDir(QStringLiteral(TAVIN_BIN_DIR)).filePath(QStringLiteral("../tests/playback_view_pattern.png"));
    EXPECT_TRUE(shot.save(path));
}

TEST(VideoView, FollowsPlaybackAndResizes)
{
    ViewPlayer test;
    ASSERT_TRUE(test.player.Open(MediaPath(Media::CounterAac)));
    ASSERT_EQ(test.player.Play(), media::kPlaybackOk);
    ASSERT_TRUE(WaitUntil([&] { return FrameNumberOf(test.view.CurrentImage()) >= 10; }));

    // While playing, the pictures follow a resize by themselves, still readable.
    test.view.resize(240, 136);
    ASSERT_TRUE(WaitUntil([&] { return test.view.CurrentImage().size() == QSize(240, 136); }));
    EXPECT_GE(FrameNumberOf(test.view.CurrentImage()), 10);
    test.player.Pause();

    test.view.resize(200, 100);
    ASSERT_EQ(test.player.Refresh(), media::kPlaybackOk);
    ASSERT_TRUE(WaitUntil([&] { return test.view.CurrentImage().size() == QSize(200, 100); }));
    EXPECT_GE(FrameNumberOf(test.view.CurrentImage()), 10);
}

TEST(VideoView, ShowsTheBrightnessAtOnce)
{
    ViewPlayer test;
    ASSERT_TRUE(test.player.Open(MediaPath(Media::CounterAac)));
    ASSERT_TRUE(test.WaitForPictures(1));
    const double plain = MeanGrey(test.view.CurrentImage());
    ASSERT_EQ(test.player.SetBrightness(50), media::kPlaybackOk);
    ASSERT_TRUE(WaitUntil([&] { return MeanGrey(test.view.CurrentImage()) > plain + 40; }));
}

TEST(VideoView, IsEmptiedWhenThePlayerCloses)
{
    ViewPlayer test;
    ASSERT_TRUE(test.player.Open(MediaPath(Media::CounterAac)));
    ASSERT_TRUE(test.WaitForPictures(1));
    test.player.Close();
    EXPECT_TRUE(test.view.CurrentImage().isNull());
    EXPECT_EQ(qGray(test.view.grab().toImage().pixel(160, 90)), 0);
}

// A window closed before its player: the player keeps playing into nothing and is destroyed
// later without touching the window.
TEST(VideoView, MayBeDestroyedBeforeItsPlayer)
{
    auto view = std::make_unique<CPLVVideoView>();
    view->resize(160, 90);
    view->show();
    media::CVideoPlayer player { media::AudioOutputFactory {} };
    player.SetWindows(view.get());
    ASSERT_TRUE(player.Open(MediaPath(Media::CounterAac)));
    ASSERT_EQ(player.Play(), media::kPlaybackOk);
    ASSERT_TRUE(WaitUntil([&] { return view->PicturesTaken() >= 3; }));
    view.reset();
    ASSERT_TRUE(WaitUntil([&] { return player.GetPosition() >= 800 * 10000; }));
    EXPECT_EQ(player.Refresh(), media::kPlaybackOk);
    player.Close();
}

TEST(VideoView, ReportsDoubleClicks)
{
    CPLVVideoView view;
    int clicks = 0;
    QObject::connect(&view, &CPLVVideoView::doubleClicked, [&] { ++clicks; });
    QMouseEvent press(QEvent::MouseButtonDblClick, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
        Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&view, &press);
    EXPECT_EQ(clicks, 1);
}
