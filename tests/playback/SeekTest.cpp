#include "playback/PlaybackTestPlayer.h"

#include "media/recorder/SampleCardGenerator.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

using namespace playback_test;
using media::GraphState;

namespace {

// The picture on screen at t ms of a 25-frames-per-second counter.
int ExpectedFrame(int64_t ms)
{
    return static_cast<int>(std::min<int64_t>(ms / 40, kCounterFrames - 1));
}

} // namespace

TEST(Seek, OpeningShowsTheFirstPicture)
{
    TestPlayer test;
    ASSERT_TRUE(test.Open(Media::CounterAac));
    EXPECT_EQ(test.FrameOnScreen(), 0);
    EXPECT_EQ(test.player.GetPosition(), 0);
}

// The only key frame is at 0 and the stream has B-frames: every seek decodes forward from the
// start and must still land on the picture of the asked time, not on the key frame.
TEST(Seek, ShowsThePictureOnScreenAtTheTarget)
{
    TestPlayer test;
    ASSERT_TRUE(test.Open(Media::CounterAac));
    for (int64_t ms : { 1000, 0, 39, 40, 1010, 1039, 1040, 520, 1960, 1999, 80 }) {
        ASSERT_TRUE(test.SeekAndWait(ms)) << ms;
        EXPECT_EQ(test.FrameOnScreen(), ExpectedFrame(ms)) << "seek to " << ms;
        EXPECT_EQ(test.player.GetPosition(), ms * kUnitsPerMs);
    }
    EXPECT_GT(test.player.Graph()->Stats().framesSkipped, 0);
}

TEST(Seek, LandsExactlyWithShortGroupsOfPictures)
{
    TestPlayer test;
    ASSERT_TRUE(test.Open(Media::CounterGop10));
    for (int64_t ms : { 400, 399, 1200, 1250, 40, 1960 }) {
        ASSERT_TRUE(test.SeekAndWait(ms)) << ms;
        EXPECT_EQ(test.FrameOnScreen(), ExpectedFrame(ms)) << "seek to " << ms;
    }
}

TEST(Seek, KeepsThePreviousPictureWhereTheRecordingSkippedFrames)
{
    TestPlayer test;
    ASSERT_TRUE(test.Open(Media::CounterGaps)); // pictures 0, 5, 10, ... each 200 ms on screen
    for (int64_t ms : { 500, 200, 1190, 1210, 1900 }) {
        ASSERT_TRUE(test.SeekAndWait(ms)) << ms;
        EXPECT_EQ(test.FrameOnScreen(), ExpectedFrame(ms) / 5 * 5) << "seek to " << ms;
    }
}

TEST(Seek, WorksOnFullRangeMjpeg)
{
    // swscale complains about yuvj420p on every picture unless it is given as yuv420p with
    // full range; its complaints reach the playback log.
    LogCapture log;
    TestPlayer test;
    ASSERT_TRUE(test.Open(Media::CounterMjpeg));
    EXPECT_EQ(test.FrameOnScreen(), 0);
    ASSERT_TRUE(test.SeekAndWait(1234));
    EXPECT_EQ(test.FrameOnScreen(), ExpectedFrame(1234));
    // Full range: the white stripes come out white, not grey (frame 30 has bit 1 set).
    const QImage picture = test.Capture();
    EXPECT_GE(qGray(picture.pixel(picture.width() * 3 / 16, picture.height() / 2)), 230);
    EXPECT_LE(qGray(picture.pixel(picture.width() / 16, picture.height() / 2)), 25);
    EXPECT_EQ(log.Messages("tavin.playback", QtInfoMsg).filter("deprecated pixel format").size(), 0);
}

TEST(Seek, PastTheEndShowsTheLastPicture)
{
    TestPlayer test;
    ASSERT_TRUE(test.Open(Media::CounterAac));
    const int64_t duration = test.player.GetDuration();
    ASSERT_TRUE(test.SeekAndWait(duration / kUnitsPerMs + 500)); // clamped to the duration
    EXPECT_EQ(test.player.GetPosition(), duration);
    EXPECT_EQ(test.FrameOnScreen(), kCounterFrames - 1);
}

TEST(Skip, ClampsAtTheStartAndTheEnd)
{
    TestPlayer test;
    ASSERT_TRUE(test.Open(Media::CounterAac));
    const int64_t duration = test.player.GetDuration();
    EXPECT_FALSE(test.player.SkipForward(5)); // stopped: skips act only while running or paused

    ASSERT_EQ(test.player.Play(), media::kPlaybackOk);
    test.player.Pause();
    ASSERT_TRUE(test.SeekAndWait(1500));
    ASSERT_TRUE(test.player.SkipBack(5));
    EXPECT_EQ(test.player.GetPosition(), 0);
    ASSERT_TRUE(test.player.SkipForward(0.5));
    EXPECT_EQ(test.player.GetPosition(), 500 * kUnitsPerMs);
    ASSERT_TRUE(test.player.SkipForward(5));
    EXPECT_EQ(test.player.GetPosition(), duration);
    ASSERT_TRUE(test.player.SkipBack(1));
    EXPECT_EQ(test.player.GetPosition(), duration - 1000 * kUnitsPerMs);
    ASSERT_TRUE(test.player.Graph()->WaitForPicture(std::chrono::seconds(10)));
    EXPECT_EQ(test.FrameOnScreen(), ExpectedFrame((duration - 1000 * kUnitsPerMs) / kUnitsPerMs));
}

TEST(EndOfFile, PositionReachesTheDurationAndStaysThere)
{
    TestPlayer test;
    ASSERT_TRUE(test.Open(Media::CounterAac));
    ASSERT_TRUE(test.player.SetRate(2.0f));
    ASSERT_EQ(test.player.Play(), media::kPlaybackOk);
    const int64_t duration = test.player.GetDuration();
    ASSERT_TRUE(WaitUntil([&] { return test.player.GetPosition() == duration; }));
    EXPECT_TRUE(WaitUntil([&] { return test.player.Graph()->Stats().videoEnded; }));
    EXPECT_EQ(test.FrameOnScreen(), kCounterFrames - 1);
    EXPECT_EQ(test.player.State(), GraphState::Running);
    EXPECT_EQ(test.player.GetPosition(), duration);

    // Play at the very end starts again from the beginning.
    test.player.Pause();
    ASSERT_EQ(test.player.Play(), media::kPlaybackOk);
    EXPECT_LT(test.player.GetPosition(), duration / 2);
    ASSERT_TRUE(test.player.Graph()->WaitForPicture(std::chrono::seconds(10)));
    EXPECT_LT(test.FrameOnScreen(), kCounterFrames / 2);
}

// A recording cut by a power loss says nothing of its length in its headers: the length comes
// from its pictures, and it plays, seeks and skips like a finished one.
TEST(CutRecording, HasTheLengthOfItsPicturesAndPlaysSeeksAndSkips)
{
    const QString whole = RecorderFrontPath();
    const QString cut = CutRecorderFrontPath();
    ASSERT_FALSE(whole.isEmpty());
    ASSERT_FALSE(cut.isEmpty());
    // The sample recorder's pictures last exactly this long.
    const int64_t truth = media::recorder::SampleCardGenerator::kDefaultDurationMs * kUnitsPerMs;
    constexpr int64_t kFrame = (10'000'000 + 29) / 30; // one picture at 30 per second, rounded up
    TestPlayer test;
    ASSERT_TRUE(test.player.Open(cut));
    const int64_t duration = test.player.GetDuration();
    EXPECT_NEAR(duration, truth, kFrame);
    // At the start the main window's end test (position + 20 ms >= duration) must not fire.
    EXPECT_LT(test.player.GetPosition() + 20 * kUnitsPerMs, duration);

    // The middle lies between key frames, which the cut file no longer marks: the picture shown
    // is the one the finished file shows there.
    TestPlayer finished;
    ASSERT_TRUE(finished.player.Open(whole));
    const int64_t middleMs = duration / 2 / kUnitsPerMs;
    ASSERT_TRUE(finished.SeekAndWait(middleMs));
    ASSERT_TRUE(test.SeekAndWait(middleMs));
    EXPECT_EQ(test.player.GetPosition(), middleMs * kUnitsPerMs);
    EXPECT_EQ(test.player.Graph()->Stats().lastShownTime, finished.player.Graph()->Stats().lastShownTime);
    EXPECT_EQ(test.Capture(), finished.Capture());

    ASSERT_EQ(test.player.Play(), media::kPlaybackOk);
    test.player.Pause();
    ASSERT_TRUE(test.player.SkipBack(1));
    EXPECT_NEAR(test.player.GetPosition(), duration / 2 - 10'000'000, kFrame);
    ASSERT_TRUE(test.player.SkipForward(5)); // clamped at the end, not at 0
    EXPECT_EQ(test.player.GetPosition(), duration);
    ASSERT_TRUE(test.player.Graph()->WaitForPicture(std::chrono::seconds(10)));
    EXPECT_FALSE(test.Capture().isNull());

    ASSERT_TRUE(test.SeekAndWait(0));
    ASSERT_EQ(test.player.Play(), media::kPlaybackOk);
    ASSERT_TRUE(WaitUntil([&] { return test.player.GetPosition() == duration; }));
    EXPECT_TRUE(WaitUntil([&] { return test.player.Graph()->Stats().videoEnded; }));
    // The last whole picture was shown, within a frame of the end.
    EXPECT_GE(test.player.Graph()->Stats().lastShownTime, duration - 2 * kFrame);
}

// A recording whose headers claim less than its pictures (stale lengths) plays to the end of its
// pictures: the length grows as the reading passes the old end.
TEST(CutRecording, LengthGrowsPastStaleHeaders)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("stale.avi"));
    ASSERT_TRUE(QFile::copy(RecorderFrontPath(), path));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        QByteArray bytes = file.readAll();
        // Halve TotalFrames and every stream's Length, as a recorder that updates its headers
        // only now and then leaves them.
        auto halve = [&](const char *fourCc, int offset) {
            for (qsizetype at = bytes.indexOf(fourCc); at >= 0; at = bytes.indexOf(fourCc, at + 4)) {
                char *field = bytes.data() + at + 8 + offset;
                qToLittleEndian<quint32>(qFromLittleEndian<quint32>(field) / 2, field);
            }
        };
        halve("avih", 16);
        halve("strh", 32);
        ASSERT_TRUE(file.seek(0));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }
    TestPlayer test;
    ASSERT_TRUE(test.player.Open(path));
    const int64_t claimed = test.player.GetDuration();
    const int64_t truth = media::recorder::SampleCardGenerator::kDefaultDurationMs * kUnitsPerMs;
    ASSERT_LT(claimed, truth * 3 / 4);
    ASSERT_EQ(test.player.Play(), media::kPlaybackOk);
    ASSERT_TRUE(WaitUntil([&] { return test.player.Graph()->Stats().videoEnded; }));
    EXPECT_NEAR(test.player.GetDuration(), truth, 10'000'000 / 30);
    EXPECT_TRUE(WaitUntil([&] { return test.player.GetPosition() == test.player.GetDuration(); }));
    EXPECT_GE(test.player.Graph()->Stats().lastShownTime, truth - 2 * 10'000'000 / 30);
}
