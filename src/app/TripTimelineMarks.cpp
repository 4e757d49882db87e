#include "app/TripTimelineMarks.h"

#include "skin/CBitmapSlider.h"

#include <QPainter>

namespace {
constexpr int kStripHeight = 4;
} // namespace

TripTimelineMarks::TripTimelineMarks(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("trip_timeline_marks"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    hide();
}

void TripTimelineMarks::Show(
    const skin::CBitmapSlider *slider, const library::Trip &trip, const std::vector<media::Impact> &impacts)
{
    Clear();
    m_slider = slider;
    int previous = -1;
    for (const library::TripSegment &segment : trip.timeline) {
        if (segment.IsGap()) {
            m_gaps.push_back({ segment.tripMs, segment.tripMs + segment.lengthMs });
            continue;
        }
        if (previous >= 0 && segment.recording != previous)
            m_boundaries.push_back(segment.tripMs);
        previous = segment.recording;
        if (trip.recordings[size_t(segment.recording)].IsEvent())
            m_events.push_back({ segment.tripMs, segment.tripMs + segment.lengthMs });
    }
    // Event recordings whose moments another recording plays are still shown where they were.
    for (const library::TripMark &mark : trip.marks)
        if (trip.recordings[size_t(mark.recording)].IsEvent())
            m_events.push_back({ mark.tripMs, mark.tripMs + mark.lengthMs });
    for (const media::Impact &impact : impacts)
        m_impacts.push_back(impact.timeMs);
    FollowSlider(slider);
}

void TripTimelineMarks::FollowSlider(const skin::CBitmapSlider *slider)
{
    m_slider = slider;
    if (!slider || !slider->isVisible()
        || (m_boundaries.empty() && m_gaps.empty() && m_events.empty() && m_impacts.empty())) {
        hide();
        return;
    }
    const QRect channel = slider->geometry();
    setGeometry(channel.left(), channel.bottom() - kStripHeight + 1, channel.width(), kStripHeight);
    show();
    raise();
    update();
}

void TripTimelineMarks::Clear()
{
    m_slider = nullptr;
    m_boundaries.clear();
    m_gaps.clear();
    m_events.clear();
    m_impacts.clear();
    hide();
}

void TripTimelineMarks::paintEvent(QPaintEvent *)
{
    if (!m_slider)
        return;
    QPainter painter(this);
    const auto x = [this](int64_t ms) { return m_slider->PositionToPixel(int(ms)); };
    for (const Span &event : m_events)
        painter.fillRect(
            QRect(QPoint(x(event.fromMs), 0), QPoint(x(event.toMs), height() - 1)), QColor(0xFF, 0x98, 0x00));
    for (const Span &gap : m_gaps)
        painter.fillRect(
            QRect(QPoint(x(gap.fromMs), 0), QPoint(std::max(x(gap.toMs), x(gap.fromMs) + 2), height() - 1)),
            QColor(0x80, 0x80, 0x80));
    painter.setPen(QColor(0xE0, 0xE0, 0xE0));
    for (const int64_t boundary : m_boundaries)
        painter.drawLine(x(boundary), 0, x(boundary), height() - 1);
    painter.setPen(QPen(QColor(0xF4, 0x43, 0x36), 2));
    for (const int64_t impact : m_impacts)
        painter.drawLine(x(impact), 0, x(impact), height() - 1);
}
