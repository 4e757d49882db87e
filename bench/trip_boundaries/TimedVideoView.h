#pragma once

#include "media/playback/PlaybackTypes.h"
#include "media/widgets/CPLVVideoView.h"
#include "trip_boundaries/TimedAudioOutput.h"

#include <functional>
#include <vector>

namespace tripbench {

// A picture the window painted for the first time.
struct PaintedPicture {
    Clock::time_point at;
    int graph = 0; // how many graphs had been attached to the window when it was taken
    int skipped = 0; // pictures taken since the last paint that were never painted
    media::MediaTime shown = media::kNoMediaTime; // the renderer's last shown picture then
};

// The window's hand-off changing: a graph let go of it (detached) or a new one took it.
struct WindowChange {
    Clock::time_point at;
    bool attached = false;
};

// The main window's video window, noting when it paints a picture it had not painted before and
// when its graph changes. Only the notes are added; taking and painting are the window's own.
class TimedVideoView final : public CPLVVideoView
{
public:
    // Reads the media time of the picture the window's renderer shows last (UI thread).
    using ShownTime = std::function<media::MediaTime()>;

    explicit TimedVideoView(ShownTime shownTime);

    void AttachFrames(std::shared_ptr<media::FrameHandoff> frames) override;

    const std::vector<PaintedPicture> &Pictures() const { return m_pictures; }
    const std::vector<WindowChange> &Changes() const { return m_changes; }
    // Paints of a black window (no picture) while a graph was attached or just let go.
    int BlankPaints() const { return m_blankPaints; }
    void Clear();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    ShownTime m_shownTime;
    std::vector<PaintedPicture> m_pictures;
    std::vector<WindowChange> m_changes;
    int m_graphs = 0;
    int64_t m_painted = 0; // PicturesTaken at the last paint
    int m_blankPaints = 0;
};

} // namespace tripbench
