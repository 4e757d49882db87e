#include "ViewsTestSupport.h"
#include "views/CGSensorGraph.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

using media::GSensorSample;
using views_test::SameRgb;

namespace {

QColor colour(const CGSensorGraph &g, int index)
{
    return ColorFromColorRef(g.Colour(index));
}

class GSensorGraphWidget : public ::testing::Test
{
protected:
    void SetUp() override
    {
        graph.resize(720, 180);
        graph.SetColour(CGSensorGraph::kBackgroundColour, 0x121212);
        graph.SetValueRange(230);
    }

    // Constant readings every second over a minute, so that each curve is a horizontal line.
    void addFlatSamples(uint32_t x, uint32_t y, uint32_t z, int seconds = 60)
    {
        for (int s = 0; s < seconds; ++s)
            graph.AddSample(GSensorSample { x, y, z, static_cast<uint32_t>(s * 1000) });
    }

    bool columnHas(const QImage &img, int x, int top, int bottom, const QColor &c) const
    {
        for (int y = top; y < bottom; ++y)
            if (SameRgb(img.pixel(x, y), c))
                return true;
        return false;
    }

    CGSensorGraph graph;
};

} // namespace

TEST_F(GSensorGraphWidget, LaysOutOnResizeAndScalesTime)
{
    EXPECT_EQ(graph.Plot(), (PixelRect { 100, 0, 700, 180 }));
    EXPECT_EQ(graph.Legend(), (PixelRect { 20, 51, 70, 129 }));
    EXPECT_EQ(graph.CursorOrigin(), graph.Plot().left);

    graph.SetDuration(60000);
    EXPECT_DOUBLE_EQ(graph.XScale(), 0.01);
    graph.resize(420, 180);
    EXPECT_EQ(graph.Plot().right, 400);
    EXPECT_DOUBLE_EQ(graph.XScale(), 300.0 / 60000) << "resizing rescales the time axis";

    graph.Clear();
    EXPECT_EQ(graph.XScale(), 0);
}

TEST_F(GSensorGraphWidget, ColoursBeyondTheTableAreIgnored)
{
    graph.SetDuration(60000);
    addFlatSamples(100, 50, 10);
    graph.SetPosition(30000);
    const QImage before = views_test::Render(graph);
    graph.SetColour(7, 0x123456);
    graph.SetColour(-1, 0x123456);
    EXPECT_EQ(views_test::Render(graph), before);
}

TEST_F(GSensorGraphWidget, DrawsLaneCurvesGridAndCursor)
{
    graph.SetStyle(gsensor_style::kDefault | gsensor_style::kSeparateLanes);
    graph.SetDuration(60000);
    addFlatSamples(100, 50, 10);
    graph.SetPosition(30000);
    const QImage img = views_test::Render(graph);

    const PixelRect plot = graph.Plot();
    // Lanes of 60 pixels with baselines at 30, 90 and 150; 230 readings span two sixths, so
    // 100, 50 and 10 lie 26, 13 and 2 pixels above them (truncated).
    const std::array<QPoint, 3> points { QPoint(250, 3), QPoint(250, 76), QPoint(250, 147) };
    for (int axis = 0; axis < 3; ++axis) {
        const QPoint p = points[axis];
        EXPECT_TRUE(SameRgb(img.pixel(p), colour(graph, CGSensorGraph::kXColour + axis))) << "axis " << axis;
        EXPECT_FALSE(SameRgb(img.pixel(p.x(), p.y() - 3), colour(graph, CGSensorGraph::kXColour + axis)));
    }

    // Grid lines every sixth where no curve crosses, background between them.
    const std::array<int, 5> grid { 30, 60, 90, 120, 150 };
    for (int y : grid)
        EXPECT_TRUE(SameRgb(img.pixel(plot.left + 10, y), colour(graph, CGSensorGraph::kGridColour))) << y;
    EXPECT_TRUE(
        SameRgb(img.pixel(plot.left + 10, grid[0] + 3), colour(graph, CGSensorGraph::kBackgroundColour)));
    EXPECT_FALSE(SameRgb(img.pixel(plot.left - 2, grid[0]), colour(graph, CGSensorGraph::kGridColour)))
        << "the grid starts at the plot";

    // Cursor at origin + 30000 ms, from top + 14 to bottom - 11.
    EXPECT_EQ(graph.CursorX(), 400);
    const QColor cursor = colour(graph, CGSensorGraph::kCursorColour);
    EXPECT_TRUE(SameRgb(img.pixel(400, plot.top + 14), cursor));
    EXPECT_TRUE(SameRgb(img.pixel(400, plot.top + 100), cursor));
    EXPECT_TRUE(SameRgb(img.pixel(400, plot.bottom - 12), cursor));
    EXPECT_FALSE(SameRgb(img.pixel(400, plot.top + 13), cursor));
    EXPECT_FALSE(SameRgb(img.pixel(400, plot.bottom - 11), cursor));
    EXPECT_FALSE(SameRgb(img.pixel(402, plot.top + 100), cursor));

    // The legend shows each axis in its colour.
    const PixelRect legend = graph.Legend();
    for (int axis = 0; axis < 3; ++axis) {
        bool found = false;
        for (int x = legend.left; x < legend.right && !found; ++x)
            found
                = columnHas(img, x, legend.top, legend.bottom, colour(graph, CGSensorGraph::kXColour + axis));
        EXPECT_TRUE(found) << "legend axis " << axis;
    }
    EXPECT_TRUE(SameRgb(img.pixel(5, 5), colour(graph, CGSensorGraph::kBackgroundColour)));
}

TEST_F(GSensorGraphWidget, SharedBaselineDrawsFromTheMiddle)
{
    graph.SetDuration(60000);
    addFlatSamples(60, 60, 60);
    const QImage img = views_test::Render(graph);
    // Three equal curves on one line, 60 x 180 / 230 = 47 pixels above the middle (90): the last
    // drawn (Z) covers the others.
    EXPECT_TRUE(SameRgb(img.pixel(400, 43), colour(graph, CGSensorGraph::kZColour)));
}

TEST_F(GSensorGraphWidget, NoSamplesDrawNoCurveAndCursorAtOrigin)
{
    graph.SetDuration(60000);
    graph.SetPosition(30000);
    const QImage img = views_test::Render(graph);
    EXPECT_EQ(graph.CursorX(), CGSensorGraph::kDefaultCursorOrigin);
    EXPECT_TRUE(SameRgb(img.pixel(100, 90), colour(graph, CGSensorGraph::kCursorColour)));

    const PixelRect plot = graph.Plot();
    for (int x = plot.left + 5; x < plot.right; x += 7)
        for (int axis = 0; axis < 3; ++axis)
            ASSERT_FALSE(
                columnHas(img, x, plot.top, plot.bottom, colour(graph, CGSensorGraph::kXColour + axis)))
                << "x " << x;
}

TEST_F(GSensorGraphWidget, OneSampleDrawsNoCurveAndHoldsTheCursor)
{
    graph.SetDuration(60000);
    graph.AddSample(GSensorSample { 100, 100, 100, 20000 });
    graph.SetPosition(45000);
    EXPECT_EQ(graph.CursorX(), 300);
    const QImage img = views_test::Render(graph);
    const PixelRect plot = graph.Plot();
    for (int x = plot.left + 5; x < plot.right; x += 7)
        ASSERT_FALSE(columnHas(img, x, plot.top, plot.bottom, colour(graph, CGSensorGraph::kZColour))) << x;
    EXPECT_TRUE(SameRgb(img.pixel(300, 90), colour(graph, CGSensorGraph::kCursorColour)));
}

TEST_F(GSensorGraphWidget, CursorBeforeFirstAndAfterLastSample)
{
    graph.SetDuration(60000);
    for (uint32_t t : { 5000u, 6000u, 7000u })
        graph.AddSample(GSensorSample { 50, 50, 50, t });
    graph.SetPosition(2000);
    EXPECT_EQ(graph.Model().CurrentIndex(), 0u) << "the first sample answers a time before it";
    EXPECT_EQ(graph.CursorX(), 120);
    graph.SetPosition(50000);
    EXPECT_EQ(graph.Model().CurrentIndex(), 2u);
    EXPECT_EQ(graph.CursorX(), 600);
    graph.SetPosition(600000);
    EXPECT_EQ(graph.CursorX(), graph.Plot().right);
    EXPECT_TRUE(SameRgb(views_test::Render(graph).pixel(graph.Plot().right, 90),
        colour(graph, CGSensorGraph::kCursorColour)));
}

TEST_F(GSensorGraphWidget, StyleWithoutLegendDrawsNone)
{
    graph.SetDuration(60000);
    addFlatSamples(100, 50, 10);
    graph.SetStyle(0);
    const QImage img = views_test::Render(graph);
    for (int x = 0; x < graph.Plot().left; ++x)
        ASSERT_FALSE(columnHas(img, x, 0, img.height(), colour(graph, CGSensorGraph::kXColour)))
            << "no legend";
}

TEST_F(GSensorGraphWidget, ClickChangesNothing)
{
    graph.SetDuration(60000);
    addFlatSamples(100, 50, 10);
    graph.SetPosition(10000);
    graph.show();
    const QImage before = views_test::Render(graph);
    QTest::mouseClick(&graph, Qt::LeftButton, {}, QPoint(500, 90));
    EXPECT_EQ(graph.Model().CurrentIndex(), 10u);
    EXPECT_EQ(graph.CursorX(), 200);
    EXPECT_EQ(views_test::Render(graph), before);
}
