#pragma once

#include <gtest/gtest.h>

#include <QImage>

#include "media/playback/CVideoPlayer.h"
#include "playback/PlaybackFakes.h"
#include "playback/PlaybackTestMedia.h"

namespace playback_test {

inline constexpr int64_t kUnitsPerMs = 10000;

// A player on a fake window, silent unless given a fake sound device.
struct TestPlayer {
    explicit TestPlayer(media::AudioOutputFactory audio = {}, QSize windowSize = QSize(320, 240))
        : window(windowSize)
        , player(std::move(audio))
    {
        player.SetWindows(&window);
    }

    bool Open(Media media) { return player.Open(MediaPath(media)); }

    // The picture on screen, at the video's size.
    QImage Capture()
    {
        QImage image;
        return player.CaptureFrame(0, &image) ? image : QImage();
    }
    int FrameOnScreen() { return FrameNumberOf(Capture()); }

    // Seeks and waits until the picture of the new position is on screen.
    bool SeekAndWait(int64_t ms)
    {
        return player.SeekMs(ms) && player.Graph()->WaitForPicture(std::chrono::seconds(10));
    }

    int64_t PositionMs() const { return player.GetPosition() / kUnitsPerMs; }

    FakeSurface window;
    media::CVideoPlayer player;
};

} // namespace playback_test
