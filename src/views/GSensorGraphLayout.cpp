#include "views/GSensorGraphLayout.h"

#include <algorithm>
#include <cmath>

namespace {

// Keeps a computed coordinate inside what an int and the painter can take; samples far beyond
// the duration would otherwise overflow the conversion.
int TruncateCoordinate(double v)
{
    if (std::isnan(v))
        return 0;
    constexpr double kLimit = 1 << 24;
    return static_cast<int>(std::clamp(v, -kLimit, kLimit));
}

} // namespace

GSensorGraphLayout::Areas GSensorGraphLayout::Compute(
    const PixelRect &client, const Params &params, const PixelRect &legend)
{
    Areas areas;
    areas.legend = legend;
    PixelRect rest = client;

    if (params.style & gsensor_style::kShowLegend) {
        const int height = std::min(kLegendLines * params.fontHeight, client.Height());
        const int width
            = (params.style & gsensor_style::kLegendValues) ? kLegendValuesWidth : kLegendLettersWidth;
        const uint32_t align = params.legendAlign;
        PixelRect box;

        // A legend on an edge takes its room away from the plot; a centred one floats over it.
        if (align & legend_align::kTop) {
            box.top = rest.top;
            rest.top += height;
        } else if (align & legend_align::kBottom) {
            box.top = rest.bottom - height;
            rest.bottom -= height;
        } else if (align & legend_align::kMiddle) {
            box.top = rest.top + (rest.Height() - height) / 2;
        } else {
            box.top = rest.top;
        }
        box.bottom = box.top + height;

        if (align & legend_align::kLeft) {
            box.left = rest.left;
            rest.left += width;
        } else if (align & legend_align::kRight) {
            box.left = rest.right - width;
            rest.right -= width;
        } else if (align & legend_align::kCentre) {
            box.left = rest.left + (rest.Width() - width) / 2;
        } else {
            box.left = rest.left;
        }
        box.right = box.left + width;

        box.left += kLegendShift;
        box.right += kLegendShift;
        areas.legend = box;
    }

    areas.plot = PixelRect { rest.left + kPlotLeftGap, rest.top + params.topMargin,
        rest.right - params.rightMargin, rest.bottom - params.bottomMargin };
    return areas;
}

double GSensorGraphLayout::XScale(const PixelRect &plot, int durationMs)
{
    if (durationMs <= 0)
        return 0;
    return static_cast<double>(plot.Width()) / durationMs;
}

std::array<int, 5> GSensorGraphLayout::GridLines(const PixelRect &plot)
{
    const int step = plot.Height() / 6;
    std::array<int, 5> lines {};
    for (int k = 1; k <= 5; ++k)
        lines[k - 1] = plot.top + k * step;
    return lines;
}

GSensorGraphLayout::CurveScale GSensorGraphLayout::Curves(
    const PixelRect &plot, uint32_t style, int valueRange)
{
    const int sixth = plot.Height() / 6;
    CurveScale scale;
    if (style & gsensor_style::kSeparateLanes) {
        scale.baseline = { plot.top + sixth, plot.top + 3 * sixth, plot.top + 5 * sixth };
        scale.yScale = valueRange > 0 ? static_cast<double>(2 * sixth) / valueRange : 0;
    } else {
        const int middle = plot.top + 3 * sixth;
        scale.baseline = { middle, middle, middle };
        scale.yScale = valueRange > 0 ? static_cast<double>(plot.Height()) / valueRange : 0;
    }
    return scale;
}

QPoint GSensorGraphLayout::CurvePoint(
    const PixelRect &plot, double xScale, int baseline, double yScale, uint32_t timeMs, uint32_t value)
{
    return QPoint(
        TruncateCoordinate(plot.left + timeMs * xScale), TruncateCoordinate(baseline - value * yScale));
}

int GSensorGraphLayout::CursorX(
    int cursorOrigin, std::optional<int64_t> cursorTimeMs, double xScale, const PixelRect &plot)
{
    int x = cursorOrigin;
    if (cursorTimeMs)
        x = TruncateCoordinate(cursorOrigin + static_cast<double>(*cursorTimeMs) * xScale);
    return std::min(x, plot.right);
}

std::array<GSensorGraphLayout::LegendEntry, 3> GSensorGraphLayout::Legend(
    uint32_t style, const std::array<int, 3> &current)
{
    static constexpr char kLetters[3] = { 'X', 'Y', 'Z' };
    std::array<LegendEntry, 3> entries;
    const bool stacked = style & gsensor_style::kLegendStacked;
    for (int axis = 0; axis < 3; ++axis) {
        entries[axis].text = (style & gsensor_style::kLegendValues)
            ? QString::asprintf("%c: %4d", kLetters[axis], current[axis])
            : QString(QChar(kLetters[axis]));
    }
    if (stacked) {
        entries[0].align = Qt::AlignRight | Qt::AlignTop;
        entries[1].align = Qt::AlignRight | Qt::AlignVCenter;
        entries[2].align = Qt::AlignRight | Qt::AlignBottom;
    } else {
        entries[0].align = Qt::AlignLeft | Qt::AlignVCenter;
        entries[1].align = Qt::AlignHCenter | Qt::AlignVCenter;
        entries[2].align = Qt::AlignRight | Qt::AlignVCenter;
    }
    return entries;
}
