#include "views/CGSensorGraph.h"

#include "skin/fonts/FontFamilies.h"

#include <QPainter>
#include <QPen>

namespace {

constexpr std::array<ColorRef, CGSensorGraph::kColourCount> kDefaultColours = {
    0xFFFFFF, // legend text
    0x141414, // background
    0x7D7D7D, // grid
    0xFFFFFF, // cursor
    0x00FF4B, // X
    0x4642FF, // Y
    0xFFBA57, // Z
};

// One-pixel lines that leave out their end point, so that a line "to plot right" stops inside
// the plot as window rectangles count it.
QPen LinePen(ColorRef colour)
{
    QPen pen(ColorFromColorRef(colour));
    pen.setWidth(1);
    pen.setCapStyle(Qt::FlatCap);
    return pen;
}

QFont LegendFont(int pixelHeight)
{
    QFont font;
    // A fixed-pitch face keeps "%4d" columns lined up; the CJK mono face is what Debian ships.
    font.setFamilies(skin::fonts::MonospaceFamilies());
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(std::max(1, pixelHeight));
    font.setWeight(QFont::Normal);
    return font;
}

} // namespace

CGSensorGraph::CGSensorGraph(QWidget *parent)
    : QWidget(parent)
    , m_colours(kDefaultColours)
    , m_font(LegendFont(m_params.fontHeight))
{
    // Every paint covers the whole client area, so the background need not be erased first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::TabFocus);
    Relayout();
}

const PixelRect &CGSensorGraph::Plot() const
{
    SyncLayout();
    return m_plot;
}

const PixelRect &CGSensorGraph::Legend() const
{
    SyncLayout();
    return m_legend;
}

double CGSensorGraph::XScale() const
{
    SyncLayout();
    return m_xScale;
}

void CGSensorGraph::SetColour(int index, ColorRef colour)
{
    if (index < 0 || index >= kColourCount)
        return;
    m_colours[static_cast<std::size_t>(index)] = colour;
    update();
}

ColorRef CGSensorGraph::Colour(int index) const
{
    if (index < 0 || index >= kColourCount)
        return 0;
    return m_colours[static_cast<std::size_t>(index)];
}

void CGSensorGraph::SetDuration(int durationMs)
{
    m_model.SetDuration(durationMs);
    SyncLayout();
    m_xScale = GSensorGraphLayout::XScale(m_plot, durationMs);
    update();
}

void CGSensorGraph::SetValueRange(int valueRange)
{
    m_model.SetValueRange(valueRange);
    update();
}

void CGSensorGraph::AddSample(const media::GSensorSample &sample)
{
    m_model.AddSample(sample);
}

void CGSensorGraph::AddSamples(const std::vector<media::GSensorSample> &samples)
{
    m_model.AddSamples(samples);
    update();
}

void CGSensorGraph::SetPosition(int64_t timeMs)
{
    if (m_model.SetPosition(timeMs))
        update();
}

void CGSensorGraph::Clear()
{
    m_model.Clear();
    m_impacts.clear();
    m_xScale = 0;
    update();
}

void CGSensorGraph::SetImpacts(std::vector<media::Impact> impacts)
{
    m_impacts = std::move(impacts);
    update();
}

int CGSensorGraph::ImpactX(const media::Impact &impact) const
{
    SyncLayout();
    return GSensorGraphLayout::CurvePoint(m_plot, m_xScale, 0, 0, impact.timeMs, 0).x();
}

void CGSensorGraph::SetStyle(uint32_t style)
{
    m_params.style = style;
    Relayout();
    update();
}

void CGSensorGraph::SetLegendAlign(uint32_t align)
{
    m_params.legendAlign = align;
    Relayout();
    update();
}

void CGSensorGraph::SetFontHeight(int height)
{
    m_params.fontHeight = height;
    m_font = LegendFont(height);
    Relayout();
    update();
}

void CGSensorGraph::SetMargins(int right, int top, int bottom)
{
    m_params.rightMargin = right;
    m_params.topMargin = top;
    m_params.bottomMargin = bottom;
    Relayout();
    update();
}

void CGSensorGraph::SetCursorOrigin(int x)
{
    m_cursorOrigin = x;
    update();
}

int CGSensorGraph::CursorX() const
{
    SyncLayout();
    return GSensorGraphLayout::CursorX(m_cursorOrigin, m_model.CursorTimeMs(), m_xScale, m_plot);
}

void CGSensorGraph::Relayout() const
{
    const auto areas = GSensorGraphLayout::Compute(PixelRect::FromQRect(rect()), m_params, m_legend);
    m_legend = areas.legend;
    m_plot = areas.plot;
    m_xScale = GSensorGraphLayout::XScale(m_plot, m_model.DurationMs());
    m_layoutSize = size();
}

void CGSensorGraph::SyncLayout() const
{
    if (m_layoutSize != size())
        Relayout();
}

void CGSensorGraph::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    SyncLayout();
}

void CGSensorGraph::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    Paint(painter);
}

void CGSensorGraph::Paint(QPainter &painter) const
{
    SyncLayout();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(rect(), ColorFromColorRef(m_colours[kBackgroundColour]));

    painter.setPen(LinePen(m_colours[kGridColour]));
    for (int y : GSensorGraphLayout::GridLines(m_plot))
        painter.drawLine(m_plot.left, y, m_plot.right, y);

    if (m_params.style & gsensor_style::kShowLegend) {
        painter.setFont(m_font);
        const auto entries = GSensorGraphLayout::Legend(m_params.style, m_model.CurrentReadings());
        const QRect box = m_legend.ToQRect();
        for (int axis = 0; axis < 3; ++axis) {
            const auto &entry = entries[static_cast<std::size_t>(axis)];
            painter.setPen(ColorFromColorRef(m_colours[static_cast<std::size_t>(kXColour + axis)]));
            painter.drawText(
                box, static_cast<int>(entry.align) | Qt::TextSingleLine | Qt::TextDontClip, entry.text);
        }
    }

    const auto &samples = m_model.Samples();
    if (samples.size() >= 2) {
        const auto scale = GSensorGraphLayout::Curves(m_plot, m_params.style, m_model.ValueRange());
        QPolygon line(static_cast<int>(samples.size()));
        for (int axis = 0; axis < 3; ++axis) {
            const int baseline = scale.baseline[static_cast<std::size_t>(axis)];
            for (std::size_t i = 0; i < samples.size(); ++i) {
                const media::GSensorSample &s = samples[i];
                const uint32_t value = axis == 0 ? s.x : axis == 1 ? s.y : s.z;
                line[static_cast<int>(i)] = GSensorGraphLayout::CurvePoint(
                    m_plot, m_xScale, baseline, scale.yScale, s.timeMs, value);
            }
            painter.setPen(LinePen(m_colours[static_cast<std::size_t>(kXColour + axis)]));
            painter.drawPolyline(line);
        }
    }

    // Impacts: a red line over the plot's height with a small flag at its top, under the cursor.
    if (m_xScale > 0) {
        const QColor mark(0xFF, 0x4D, 0x4D);
        for (const media::Impact &impact : m_impacts) {
            const int ix = std::min(ImpactX(impact), m_plot.right - 1);
            painter.fillRect(ix - 1, m_plot.top + 2, 2, m_plot.bottom - m_plot.top - 4, mark);
            painter.fillRect(ix - 1, m_plot.top + 2, 7, 5, mark);
        }
    }

    painter.setPen(LinePen(m_colours[kCursorColour]));
    const int x = CursorX();
    painter.drawLine(x, m_plot.top + GSensorGraphLayout::kCursorTopInset, x,
        m_plot.bottom - GSensorGraphLayout::kCursorBottomInset);
}
