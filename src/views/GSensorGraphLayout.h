#pragma once

#include "views/PixelRect.h"

#include <QPoint>
#include <QString>
#include <Qt>
#include <array>
#include <cstdint>
#include <optional>

// Style flags of the G-sensor graph.
namespace gsensor_style {
inline constexpr uint32_t kSeparateLanes = 0x1; // each axis in a lane of its own
inline constexpr uint32_t kShowLegend = 0x4;
inline constexpr uint32_t kLegendValues = 0x100; // "X:  128" instead of "X", 50 pixels wide
inline constexpr uint32_t kLegendStacked = 0x200; // X, Y, Z one above the other
inline constexpr uint32_t kDefault = 0x40304;
} // namespace gsensor_style

// Where the legend sits in the client area.
namespace legend_align {
inline constexpr uint32_t kTop = 0x10000;
inline constexpr uint32_t kMiddle = 0x20000;
inline constexpr uint32_t kBottom = 0x40000;
inline constexpr uint32_t kLeft = 0x1;
inline constexpr uint32_t kRight = 0x2;
inline constexpr uint32_t kCentre = 0x4;
inline constexpr uint32_t kDefault = 0x20001;
} // namespace legend_align

// The G-sensor graph's geometry, free of any widget: where the legend and the plot go, where the
// grid lines, curve points and cursor are. All results are in client pixels.
class GSensorGraphLayout
{
public:
    struct Params {
        uint32_t style = gsensor_style::kDefault;
        uint32_t legendAlign = legend_align::kDefault;
        int fontHeight = 13;
        int rightMargin = 20;
        int topMargin = 0;
        int bottomMargin = 0;
    };

    struct Areas {
        PixelRect legend;
        PixelRect plot;
    };

    // The legend rectangle and the plot for a client rectangle. When the legend is hidden it keeps
    // `legend` as it was.
    static Areas Compute(const PixelRect &client, const Params &params, const PixelRect &legend);

    // Pixels per millisecond; 0 for a duration that is not positive (nothing to spread).
    static double XScale(const PixelRect &plot, int durationMs);

    // The y coordinates of the five horizontal grid lines, top to bottom.
    static std::array<int, 5> GridLines(const PixelRect &plot);

    // Baselines of the X, Y and Z curves and the pixels per reading unit.
    struct CurveScale {
        std::array<int, 3> baseline {};
        double yScale = 0;
    };
    static CurveScale Curves(const PixelRect &plot, uint32_t style, int valueRange);

    // The point of one reading: x from its time, y upwards from the axis's baseline. Truncated
    // toward zero like the integer coordinates the curves are drawn with.
    static QPoint CurvePoint(
        const PixelRect &plot, double xScale, int baseline, double yScale, uint32_t timeMs, uint32_t value);

    // The cursor's x for a cursor time (none without samples), never right of the plot.
    static int CursorX(
        int cursorOrigin, std::optional<int64_t> cursorTimeMs, double xScale, const PixelRect &plot);

    // The cursor line runs from plotTop + 14 to plotBottom - 11 (the end pixel not drawn).
    static constexpr int kCursorTopInset = 14;
    static constexpr int kCursorBottomInset = 11;

    struct LegendEntry {
        QString text;
        Qt::Alignment align;
    };
    // The three legend lines for X, Y and Z, given the current sample's readings.
    static std::array<LegendEntry, 3> Legend(uint32_t style, const std::array<int, 3> &current);

    // Legend width with and without current values, and its height in font heights.
    static constexpr int kLegendValuesWidth = 50;
    static constexpr int kLegendLettersWidth = 20;
    static constexpr int kLegendLines = 6;
    // The plot keeps this much room left of it for the legend's shift; the legend is then moved
    // this far right.
    static constexpr int kPlotLeftGap = 50;
    static constexpr int kLegendShift = 20;
};
