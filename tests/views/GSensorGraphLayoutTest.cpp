#include "views/GSensorGraphLayout.h"

#include <gtest/gtest.h>

namespace {

using Params = GSensorGraphLayout::Params;
const PixelRect kInitialLegend { 0, 0, 100, 13 };

GSensorGraphLayout::Areas layout(const PixelRect &client, const Params &params = {})
{
    return GSensorGraphLayout::Compute(client, params, kInitialLegend);
}

} // namespace

TEST(GSensorLayout, DefaultsPutLegendLeftAndPlotAtHundred)
{
    const auto areas = layout({ 0, 0, 374, 135 });
    // 6 font heights of 13 = 78, centred in 135.
    EXPECT_EQ(areas.legend, (PixelRect { 20, 28, 70, 106 }));
    EXPECT_EQ(areas.plot, (PixelRect { 100, 0, 354, 135 }));
}

TEST(GSensorLayout, LegendHeightLimitedToClient)
{
    const auto areas = layout({ 0, 0, 300, 40 });
    EXPECT_EQ(areas.legend.Height(), 40);
    EXPECT_EQ(areas.legend.top, 0);
}

TEST(GSensorLayout, EdgeLegendsTakeRoomCentredOnesDoNot)
{
    Params p;
    p.legendAlign = legend_align::kTop | legend_align::kRight;
    auto areas = layout({ 0, 0, 400, 200 }, p);
    EXPECT_EQ(areas.legend, (PixelRect { 370, 0, 420, 78 })) << "shifted 20 right even on the right edge";
    EXPECT_EQ(areas.plot, (PixelRect { 50, 78, 330, 200 }));

    p.legendAlign = legend_align::kBottom | legend_align::kCentre;
    areas = layout({ 0, 0, 400, 200 }, p);
    EXPECT_EQ(areas.legend, (PixelRect { 195, 122, 245, 200 }));
    EXPECT_EQ(areas.plot, (PixelRect { 50, 0, 380, 122 }));

    p.legendAlign = legend_align::kMiddle | legend_align::kCentre;
    areas = layout({ 0, 0, 400, 200 }, p);
    EXPECT_EQ(areas.plot, (PixelRect { 50, 0, 380, 200 }));
}

TEST(GSensorLayout, LegendWidthAndHiddenLegend)
{
    Params p;
    p.style = gsensor_style::kShowLegend | gsensor_style::kLegendStacked;
    auto areas = layout({ 0, 0, 400, 200 }, p);
    EXPECT_EQ(areas.legend.Width(), 20);
    EXPECT_EQ(areas.plot.left, 70);

    p.style = 0;
    areas = layout({ 0, 0, 400, 200 }, p);
    EXPECT_EQ(areas.legend, kInitialLegend);
    EXPECT_EQ(areas.plot, (PixelRect { 50, 0, 380, 200 }));
}

TEST(GSensorLayout, MarginsAndFontHeight)
{
    Params p;
    p.rightMargin = 5;
    p.topMargin = 7;
    p.bottomMargin = 9;
    p.fontHeight = 10;
    const auto areas = layout({ 10, 20, 410, 220 }, p);
    EXPECT_EQ(areas.legend, (PixelRect { 30, 90, 80, 150 }));
    EXPECT_EQ(areas.plot, (PixelRect { 110, 27, 405, 211 }));
}

TEST(GSensorLayout, TimeScaleAndCurvePoints)
{
    const PixelRect plot { 100, 0, 700, 120 };
    const double xScale = GSensorGraphLayout::XScale(plot, 60000);
    EXPECT_DOUBLE_EQ(xScale, 0.01);
    EXPECT_EQ(GSensorGraphLayout::CurvePoint(plot, xScale, 60, 0.5, 30000, 0).x(), 400);
    EXPECT_EQ(GSensorGraphLayout::CurvePoint(plot, xScale, 60, 0.5, 59999, 0).x(), 699) << "truncated";
    EXPECT_EQ(GSensorGraphLayout::XScale(plot, 0), 0);
    EXPECT_EQ(GSensorGraphLayout::XScale(plot, -5), 0);

    // Far outside the duration the point stays representable.
    const QPoint far = GSensorGraphLayout::CurvePoint(plot, 1000.0, 60, 0.5, 4000000000u, 0);
    EXPECT_GT(far.x(), plot.right);
}

TEST(GSensorLayout, GridLines)
{
    const auto lines = GSensorGraphLayout::GridLines({ 100, 10, 354, 145 });
    EXPECT_EQ(lines, (std::array<int, 5> { 32, 54, 76, 98, 120 })) << "step 135 / 6 = 22";
}

TEST(GSensorLayout, SharedBaseline)
{
    const PixelRect plot { 100, 0, 354, 138 };
    const auto scale = GSensorGraphLayout::Curves(plot, gsensor_style::kDefault, 230);
    EXPECT_EQ(scale.baseline, (std::array<int, 3> { 69, 69, 69 }));
    EXPECT_DOUBLE_EQ(scale.yScale, 138.0 / 230);
    EXPECT_EQ(GSensorGraphLayout::CurvePoint(plot, 0, 69, scale.yScale, 0, 100).y(), 9) << "69 - 60 = 9";
    EXPECT_EQ(GSensorGraphLayout::Curves(plot, 0, 0).yScale, 0) << "no value range, flat curves";
}

TEST(GSensorLayout, LanesHoldReadingsUpToHundredTen)
{
    const PixelRect plot { 100, 10, 354, 145 };
    const auto scale = GSensorGraphLayout::Curves(plot, gsensor_style::kSeparateLanes, 230);
    const int sixth = 22; // 135 / 6
    EXPECT_EQ(scale.baseline, (std::array<int, 3> { 32, 76, 120 }));

    // The recorder's readings (0 to 110) stay between a lane's baseline and the grid line above;
    // 110 truncates onto that line.
    for (int axis = 0; axis < 3; ++axis) {
        const int baseline = scale.baseline[static_cast<std::size_t>(axis)];
        for (uint32_t v : { 0u, 55u, 110u }) {
            const int y = GSensorGraphLayout::CurvePoint(plot, 0, baseline, scale.yScale, 0, v).y();
            EXPECT_LE(y, baseline);
            EXPECT_GE(y, baseline - sixth) << "axis " << axis << " value " << v;
        }
    }
    EXPECT_EQ(GSensorGraphLayout::CurvePoint(plot, 0, scale.baseline[1], scale.yScale, 0, 110).y(), 54)
        << "76 - 110 x 44 / 230 = 54.96, truncated onto the grid line";
}

TEST(GSensorLayout, CursorPosition)
{
    const PixelRect plot { 100, 0, 700, 120 };
    EXPECT_EQ(GSensorGraphLayout::CursorX(100, std::nullopt, 0.01, plot), 100);
    EXPECT_EQ(GSensorGraphLayout::CursorX(100, 30000, 0.01, plot), 400);
    EXPECT_EQ(GSensorGraphLayout::CursorX(100, 30099, 0.01, plot), 400) << "truncated";
    EXPECT_EQ(GSensorGraphLayout::CursorX(100, 90000, 0.01, plot), 700) << "never right of the plot";
    EXPECT_EQ(GSensorGraphLayout::CursorX(100, -1000, 0.01, plot), 90)
        << "a time before the start is left of it";
    EXPECT_EQ(GSensorGraphLayout::CursorX(800, std::nullopt, 0.01, plot), 700);
}

TEST(GSensorLayout, LegendTexts)
{
    auto entries = GSensorGraphLayout::Legend(gsensor_style::kDefault, { 128, 7, 255 });
    EXPECT_EQ(entries[0].text, QStringLiteral("X:  128"));
    EXPECT_EQ(entries[1].text, QStringLiteral("Y:    7"));
    EXPECT_EQ(entries[2].text, QStringLiteral("Z:  255"));
    EXPECT_EQ(entries[0].align, Qt::AlignRight | Qt::AlignTop);
    EXPECT_EQ(entries[1].align, Qt::AlignRight | Qt::AlignVCenter);
    EXPECT_EQ(entries[2].align, Qt::AlignRight | Qt::AlignBottom);

    entries = GSensorGraphLayout::Legend(gsensor_style::kShowLegend, { 1, 2, 3 });
    EXPECT_EQ(entries[0].text, QStringLiteral("X"));
    EXPECT_EQ(entries[2].text, QStringLiteral("Z"));
    EXPECT_EQ(entries[0].align, Qt::AlignLeft | Qt::AlignVCenter);
    EXPECT_EQ(entries[1].align, Qt::AlignHCenter | Qt::AlignVCenter);
    EXPECT_EQ(entries[2].align, Qt::AlignRight | Qt::AlignVCenter);
}
