#pragma once

#include <gtest/gtest.h>

#include <QImage>

#include "media/playback/CVideoPlayer.h"
#include "media/playback/SourceFilter.h"
#include "media/playback/VideoDecoderFilter.h"
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
        if (!player.SeekMs(ms))
            return false;
        if (player.Graph()->WaitForPicture(std::chrono::seconds(10)))
            return true;
        // What the graph did, for the failure's log.
        const media::PlaybackStats stats = player.Graph()->Stats();
        ADD_FAILURE() << "no picture after seeking to " << ms << " ms: decoded " << stats.framesDecoded
                      << ", skipped " << stats.framesSkipped << ", shown " << stats.framesShown
                      << ", dropped " << stats.framesDropped << ", last shown " << stats.lastShownTime
                      << ", video ended " << stats.videoEnded << ", source at end "
                      << player.Graph()->Source()->ReachedEnd() << ", video packets queued "
                      << player.Graph()->Source()->Pin(0)->Queue().Count() << ", pictures queued "
                      << player.Graph()->Decoder(1)->Output().Count();
        return false;
    }

    int64_t PositionMs() const { return player.GetPosition() / kUnitsPerMs; }

    FakeSurface window;
    media::CVideoPlayer player;
};

} // namespace playback_test
