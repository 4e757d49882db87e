#include "ViewsTestSupport.h"
#include "views/CGSensorGraph.h"
#include "views/CSpeedCtrl.h"
#include "views/ViewControlFactories.h"

#include "skin/CSkin.h"
#include "skin/SkinRuntime.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

using media::GSensorSample;

// The default skin's main window names the gauge "speed" and the graph "gsensor"; built with
// the registered factories, they come out as ours, with the skin's strips, and draw them.
TEST(DefaultSkinViews, SmallLayoutHostsTheGaugeAndTheGraph)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // Beside the program the bitmaps lie in skin/default, as the descriptions name them.
    QString error;
    ASSERT_TRUE(views_test::DrawDefaultSkinArt(dir.filePath(QStringLiteral("skin/default")), &error))
        << error.toStdString();

    skin::SkinRuntime runtime;
    runtime.SetBaseFolder(dir.path());
    runtime.SetMonitorSize(QSize(1366, 768));
    ASSERT_GT(runtime.AddDescriptionFolder(QStringLiteral(TAVIN_SOURCE_DIR "/skin/default")), 0);
    RegisterViewControlFactories(runtime);

    QWidget dialog;
    skin::CSkin owner(runtime);
    skin::SkinWindowInfo info;
    ASSERT_TRUE(owner.Load(QStringLiteral("main_small"), &info, &dialog, true));
    auto *gauge = owner.Control<CSpeedCtrl>(skin::kSkinSpeed, QStringLiteral("speed"));
    auto *graph = owner.Control<CGSensorGraph>(skin::kSkinGraph, QStringLiteral("gsensor"));
    ASSERT_NE(gauge, nullptr);
    ASSERT_NE(graph, nullptr);
    EXPECT_EQ(gauge->DigitImages().Count(), 11);
    EXPECT_EQ(gauge->UnitImages().Count(), 2);

    // As the main window sets them up and moves them along.
    graph->SetColour(CGSensorGraph::kBackgroundColour, 0x121212);
    graph->SetColour(CGSensorGraph::kXColour, 0x00FF4B);
    graph->SetColour(CGSensorGraph::kYColour, 0x4642FF);
    graph->SetColour(CGSensorGraph::kZColour, 0xFFBA57);
    graph->SetValueRange(230);
    graph->SetDuration(60000);
    std::vector<GSensorSample> samples;
    for (uint32_t s = 0; s < 60; ++s)
        samples.push_back(GSensorSample { 50 + s % 7 * 3, 40 + s % 5 * 4, 70 - s % 4 * 2, s * 1000 });
    graph->AddSamples(samples);
    graph->SetPosition(25000);
    gauge->Add(media::CSpeedItem { 0, 1, 87.3f, 1 });
    gauge->SetPosition(25000);
    gauge->show();

    dialog.resize(info.rect.toQRect().size());
    const QImage window = views_test::Render(dialog);
    window.save(QDir(views_test::SnapshotDir()).filePath(QStringLiteral("main-small.png")));

    // The gauge's tens digit in the window is the strip's 8.
    const QImage strip = QImage(dir.filePath(QStringLiteral("skin/default/speed_digits.bmp")))
                             .convertToFormat(QImage::Format_RGB32);
    const int cellWidth = strip.width() / 11;
    const QPoint tens = gauge->mapTo(&dialog, SpeedGaugeLayout::DigitOrigin(1, 0, cellWidth));
    EXPECT_EQ(window.copy(QRect(tens, QSize(cellWidth, strip.height()))),
        strip.copy(8 * cellWidth, 0, cellWidth, strip.height()));

    // The graph's cursor stands at its origin plus 25 s.
    const QPoint cursor = graph->mapTo(&dialog, QPoint(graph->CursorX(), graph->height() / 2));
    EXPECT_EQ(graph->CursorX(), 100 + static_cast<int>(25000 * graph->XScale()));
    EXPECT_TRUE(views_test::SameRgb(window.pixel(cursor), Qt::white));
}
