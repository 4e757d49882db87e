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

namespace {

// The rendered region equals the strip's cell exactly: the default art has no transparent
// colour, so every pixel is copied.
bool regionIs(const QImage &rendered, QPoint at, const QImage &strip, int cell, QSize size)
{
    const QImage expected = strip.copy(cell * size.width(), 0, size.width(), size.height())
                                .convertToFormat(QImage::Format_RGB32);
    return rendered.copy(QRect(at, size)) == expected;
}

} // namespace

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

    dialog.resize(info.rect.ToQRect().size());
    const QImage window = views_test::Render(dialog);
    window.save(QDir(views_test::SnapshotDir()).filePath(QStringLiteral("main-small.png")));

    // The gauge in the window shows the strip's 0, 8 and 7 and the km/h picture.
    const QString art = dir.filePath(QStringLiteral("skin/default/"));
    const QImage digits(art + QStringLiteral("speed_digits.bmp"));
    const QImage units(art + QStringLiteral("speed_units.bmp"));
    ASSERT_EQ(digits.width() % 11, 0) << "ten digits and the blank";
    ASSERT_EQ(units.width() % 2, 0) << "km/h and mph";
    const QSize digit(digits.width() / 11, digits.height());
    const QSize unit(units.width() / 2, units.height());
    const QPoint unitAt = SpeedGaugeLayout::UnitOrigin(0, digit.width(), digit.height(), unit.height());
    const auto digitAt = [&](int k) { return SpeedGaugeLayout::DigitOrigin(k, 0, digit.width()); };
    const QPoint gaugeAt = gauge->mapTo(&dialog, QPoint(0, 0));
    EXPECT_TRUE(regionIs(window, gaugeAt + digitAt(0), digits, 0, digit));
    EXPECT_TRUE(regionIs(window, gaugeAt + digitAt(1), digits, 8, digit));
    EXPECT_TRUE(regionIs(window, gaugeAt + digitAt(2), digits, 7, digit));
    EXPECT_TRUE(regionIs(window, gaugeAt + unitAt, units, 0, unit));
    EXPECT_FALSE(regionIs(window, gaugeAt + unitAt, units, 1, unit));

    // In mph: 87.3 x 0.621 = 54.
    gauge->SetUnit(SpeedUnit::Mph);
    gauge->SetPosition(25100);
    QImage img = views_test::Render(*gauge);
    EXPECT_TRUE(regionIs(img, digitAt(0), digits, 0, digit));
    EXPECT_TRUE(regionIs(img, digitAt(1), digits, 5, digit));
    EXPECT_TRUE(regionIs(img, digitAt(2), digits, 4, digit));
    EXPECT_TRUE(regionIs(img, unitAt, units, 1, unit));
    img.save(QDir(views_test::SnapshotDir()).filePath(QStringLiteral("speed-mph.png")));

    gauge->Blank();
    img = views_test::Render(*gauge);
    for (int k = 0; k < 3; ++k)
        EXPECT_TRUE(regionIs(img, digitAt(k), digits, 10, digit)) << "blank " << k;

    // The graph's cursor stands at its origin plus 25 s.
    const QPoint cursor = graph->mapTo(&dialog, QPoint(graph->CursorX(), graph->height() / 2));
    EXPECT_EQ(graph->CursorX(), 377); // 100 + 25 s x 666 pixels / 60 s of the 786-pixel graph
    EXPECT_TRUE(views_test::SameRgb(window.pixel(cursor), Qt::white));
}
