#include "ViewsTestSupport.h"
#include "views/CGSensorGraph.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QPainter>
#include <cmath>

using media::GSensorSample;
using views_test::SameRgb;

namespace {

// A minute of driving as the loader hands it over: one sample a second, readings swinging
// around the middle of 0 to 110, a bump at 40 s.
std::vector<GSensorSample> drivingSamples()
{
    std::vector<GSensorSample> samples;
    for (int s = 0; s < 60; ++s) {
        const double bump = (s >= 40 && s <= 42) ? 40 : 0;
        samples.push_back(GSensorSample { static_cast<uint32_t>(55 + 12 * std::sin(s / 4.0) + bump),
            static_cast<uint32_t>(50 + 8 * std::cos(s / 3.0) - bump / 2),
            static_cast<uint32_t>(70 + 5 * std::sin(s / 2.0)), static_cast<uint32_t>(s * 1000 + 37) });
    }
    return samples;
}

// Each axis's curve passes through its sample points: the pixel there (or, where a steep segment
// starts, one above or below it) has the axis colour, or the colour of a curve drawn later (Y over
// X, Z over both) or of the cursor crossing it. Most points must show their own colour.
void expectCurvesThroughSamples(const CGSensorGraph &graph, const QImage &img)
{
    const PixelRect plot = graph.Plot();
    const auto scale = GSensorGraphLayout::Curves(plot, graph.Style(), graph.Model().ValueRange());
    const auto &samples = graph.Model().Samples();
    const QColor cursor = ColorFromColorRef(graph.Colour(CGSensorGraph::kCursorColour));
    int own = 0;
    int covered = 0;
    // The polyline's last point is left out, as every line end is.
    for (std::size_t i = 0; i + 1 < samples.size(); ++i) {
        for (int axis = 0; axis < 3; ++axis) {
            const uint32_t v = axis == 0 ? samples[i].x : axis == 1 ? samples[i].y : samples[i].z;
            const QPoint p = GSensorGraphLayout::CurvePoint(
                plot, graph.XScale(), scale.baseline[axis], scale.yScale, samples[i].timeMs, v);
            const QRgb pixel = img.pixel(p);
            const QColor colour = ColorFromColorRef(graph.Colour(CGSensorGraph::kXColour + axis));
            if (SameRgb(pixel, colour)) {
                ++own;
                continue;
            }
            if (SameRgb(img.pixel(p.x(), p.y() - 1), colour) || SameRgb(img.pixel(p.x(), p.y() + 1), colour))
                continue;
            bool later = SameRgb(pixel, cursor);
            for (int over = axis + 1; over < 3; ++over)
                later = later
                    || SameRgb(pixel, ColorFromColorRef(graph.Colour(CGSensorGraph::kXColour + over)));
            EXPECT_TRUE(later) << "sample " << i << " axis " << axis << " at " << p.x() << "," << p.y();
            ++covered;
        }
    }
    EXPECT_GT(own, 9 * (own + covered) / 10);
}

} // namespace

TEST(ViewsSnapshot, GraphWithRecorderLikeData)
{
    // As the main window sets it up, at the size of the small layout's graph area.
    CGSensorGraph graph;
    graph.resize(374, 135);
    graph.SetColour(CGSensorGraph::kBackgroundColour, 0x121212);
    graph.SetValueRange(230);
    graph.SetDuration(60000);
    graph.AddSamples(drivingSamples());
    ASSERT_EQ(graph.Model().SampleCount(), 60u);
    graph.SetPosition(41500);

    QImage img = views_test::Render(graph);
    expectCurvesThroughSamples(graph, img);
    EXPECT_EQ(graph.CursorX(), 275); // 100 + 41.5 s x 254 pixels / 60 s, truncated
    EXPECT_TRUE(SameRgb(
        img.pixel(graph.CursorX(), 60), ColorFromColorRef(graph.Colour(CGSensorGraph::kCursorColour))));
    img.save(QDir(views_test::SnapshotDir()).filePath(QStringLiteral("gsensor-shared.png")));

    graph.SetStyle(gsensor_style::kDefault | gsensor_style::kSeparateLanes);
    img = views_test::Render(graph);
    expectCurvesThroughSamples(graph, img);
    img.save(QDir(views_test::SnapshotDir()).filePath(QStringLiteral("gsensor-lanes.png")));
}
