#pragma once

#include "library/Trip.h"
#include "media/telemetry/ImpactDetector.h"

#include <QWidget>

#include <cstdint>
#include <vector>

namespace skin {
class CBitmapSlider;
}

// What a trip's timeline holds, painted along the play slider: a tick where one recording hands
// over to the next, the gaps where the recorder did not record, the event recordings and the
// impacts. A thin strip under the channel; clicks go through to the slider.
class TripTimelineMarks : public QWidget
{
public:
    explicit TripTimelineMarks(QWidget *parent);

    void Show(const skin::CBitmapSlider *slider, const library::Trip &trip,
        const std::vector<media::Impact> &impacts);
    void Clear();
    // Follows the slider of another layout with the same marks.
    void FollowSlider(const skin::CBitmapSlider *slider);

    // What is painted, in the trip's milliseconds.
    struct Span {
        int64_t fromMs = 0;
        int64_t toMs = 0;
    };
    const std::vector<int64_t> &Boundaries() const { return m_boundaries; }
    const std::vector<Span> &Gaps() const { return m_gaps; }
    const std::vector<Span> &Events() const { return m_events; }
    const std::vector<int64_t> &Impacts() const { return m_impacts; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const skin::CBitmapSlider *m_slider = nullptr;
    std::vector<int64_t> m_boundaries;
    std::vector<Span> m_gaps;
    std::vector<Span> m_events;
    std::vector<int64_t> m_impacts;
};
