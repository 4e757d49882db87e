#pragma once

#include "media/telemetry/ImpactDetector.h"
#include "views/ColorRef.h"
#include "views/GSensorGraphLayout.h"
#include "views/GSensorGraphModel.h"

#include <QFont>
#include <QWidget>
#include <array>

// The G-sensor graph: the three axes of the recording's samples as polylines over the whole
// recording, a legend, a vertical cursor at the playback time, and a mark at each impact found in
// all of the recording's readings (the curves show only one reading per second, so a jolt may
// fall between them).
class CGSensorGraph : public QWidget
{
    Q_OBJECT
public:
    // Colour roles, set with SetColour.
    enum ColourIndex {
        kLegendTextColour = 0,
        kBackgroundColour = 1,
        kGridColour = 2,
        kCursorColour = 3,
        kXColour = 4,
        kYColour = 5,
        kZColour = 6,
        kColourCount = 7
    };
    static constexpr int kDefaultCursorOrigin = 100;

    explicit CGSensorGraph(QWidget *parent = nullptr);

    // Indices outside 0 to 6 are ignored.
    void SetColour(int index, ColorRef colour);
    ColorRef Colour(int index) const;

    void SetDuration(int durationMs);
    void SetValueRange(int valueRange);
    void AddSample(const media::GSensorSample &sample);
    // Appends what the telemetry loader collected, in its (time) order.
    void AddSamples(const std::vector<media::GSensorSample> &samples);
    void SetPosition(int64_t timeMs);
    // Empties the samples and the impact marks.
    void Clear();

    // The impacts to mark, in time order; replaces the previous ones.
    void SetImpacts(std::vector<media::Impact> impacts);
    const std::vector<media::Impact> &Impacts() const { return m_impacts; }
    // The x of an impact's mark: where the curves stand at its time.
    int ImpactX(const media::Impact &impact) const;

    void SetStyle(uint32_t style);
    void SetLegendAlign(uint32_t align);
    void SetFontHeight(int height);
    void SetMargins(int right, int top, int bottom);
    void SetCursorOrigin(int x);

    const GSensorGraphModel &Model() const { return m_model; }
    uint32_t Style() const { return m_params.style; }
    const PixelRect &Plot() const;
    const PixelRect &Legend() const;
    double XScale() const;
    int CursorOrigin() const { return m_cursorOrigin; }
    // The x the cursor is drawn at now.
    int CursorX() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void Paint(QPainter &painter) const;
    void Relayout() const;
    // A hidden widget gets its resize event only when shown; the layout follows the size at once.
    void SyncLayout() const;

    GSensorGraphModel m_model;
    std::vector<media::Impact> m_impacts;
    GSensorGraphLayout::Params m_params;
    mutable QSize m_layoutSize;
    mutable PixelRect m_plot;
    mutable PixelRect m_legend { 0, 0, 100, 13 };
    mutable double m_xScale = 0;
    int m_cursorOrigin = kDefaultCursorOrigin;
    std::array<ColorRef, kColourCount> m_colours;
    QFont m_font;
};
