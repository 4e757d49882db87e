#include "trip_boundaries/TimedVideoView.h"

namespace tripbench {

TimedVideoView::TimedVideoView(ShownTime shownTime)
    : m_shownTime(std::move(shownTime))
{
}

void TimedVideoView::AttachFrames(std::shared_ptr<media::FrameHandoff> frames)
{
    const bool attached = frames != nullptr;
    if (attached)
        ++m_graphs;
    m_changes.push_back({ Clock::now(), attached });
    CPLVVideoView::AttachFrames(std::move(frames));
}

void TimedVideoView::Clear()
{
    m_pictures.clear();
    m_changes.clear();
    m_graphs = 0;
    m_blankPaints = 0;
    m_painted = PicturesTaken();
}

void TimedVideoView::paintEvent(QPaintEvent *event)
{
    CPLVVideoView::paintEvent(event);
    const auto now = Clock::now();
    if (CurrentImage().isNull()) {
        if (m_graphs > 0)
            ++m_blankPaints;
        return;
    }
    const int64_t taken = PicturesTaken();
    if (taken == m_painted)
        return;
    PaintedPicture picture;
    picture.at = now;
    picture.graph = m_graphs;
    picture.skipped = int(taken - m_painted - 1);
    picture.shown = m_shownTime ? m_shownTime() : media::kNoMediaTime;
    m_pictures.push_back(picture);
    m_painted = taken;
}

} // namespace tripbench
