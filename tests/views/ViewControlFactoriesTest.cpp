#include "views/ViewControlFactories.h"
#include "ViewsTestSupport.h"
#include "views/CGSensorGraph.h"

#include "skin/CSkin.h"
#include "skin/SkinRuntime.h"
#include "skin/core/SkinXml.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QTemporaryDir>

using media::CSpeedItem;
using views_test::SameRgb;

namespace {

constexpr int kCellW = 10;
constexpr int kCellH = 14;
const QColor kInk(240, 240, 240);
const QColor kMagenta(255, 0, 255);

// A digit strip of 11 cells: a light bar in each cell whose height grows with the digit, on
// magenta; the blank cell is all magenta.
QImage digitStrip()
{
    QImage strip(11 * kCellW, kCellH, QImage::Format_RGB32);
    strip.fill(kMagenta);
    QPainter p(&strip);
    for (int d = 0; d < 10; ++d)
        p.fillRect(d * kCellW + 3, kCellH - 1 - d, 4, d + 1, kInk);
    return strip;
}

class ViewControlFactories : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(digitStrip().save(dir.filePath(QStringLiteral("digits.bmp")), "BMP"));
        QImage units(2 * 20, 6, QImage::Format_RGB32);
        units.fill(QColor(0, 0, 255));
        ASSERT_TRUE(units.save(dir.filePath(QStringLiteral("units.bmp")), "BMP"));
        runtime.SetBaseFolder(dir.path());
        RegisterViewControlFactories(runtime);
    }

    std::unique_ptr<skin::SkinXmlNode> parse(const QString &markup)
    {
        auto node = std::make_unique<skin::SkinXmlNode>();
        EXPECT_TRUE(node->LoadText(markup));
        return node;
    }

    QWidget *make(skin::SkinControlType type, const skin::SkinXmlNode &element, skin::CSkin &owner)
    {
        const skin::SkinControlFactory *factory = runtime.ControlFactory(type);
        if (!factory)
            return nullptr;
        const skin::SkinControlContext context { runtime, owner, &dialog, element, QStringLiteral("ctl"),
            0xE500, type, skin::SkinRect { 0, 0, 60, 14 } };
        QWidget *widget = factory->create(context);
        factory->configure(widget, context);
        return widget;
    }

    QTemporaryDir dir;
    skin::SkinRuntime runtime;
    QWidget dialog;
};

} // namespace

TEST_F(ViewControlFactories, SpeedElementBecomesConfiguredGauge)
{
    const auto element = parse(QStringLiteral("<control name=\"speed\" type=\"speed\" backcolor=\"#102030\">"
                                              "<number src=\"digits.bmp\" width=\"10\" height=\"14\"/><unit "
                                              "src=\"units.bmp\" width=\"20\" height=\"6\"/>"
                                              "</control>"));
    skin::CSkin owner(runtime);
    auto *gauge = qobject_cast<CSpeedCtrl *>(make(skin::kSkinSpeed, *element, owner));
    ASSERT_NE(gauge, nullptr);
    EXPECT_EQ(gauge->parentWidget(), &dialog);
    EXPECT_TRUE(gauge->isHidden()) << "the builder shows it";
    EXPECT_EQ(gauge->DigitImages().Count(), 11);
    EXPECT_EQ(gauge->UnitImages().Count(), 2);

    gauge->resize(60, 14);
    gauge->Add(CSpeedItem { 0, 1, 59.0f, 1 });
    gauge->SetPosition(0);
    const QImage img = views_test::Render(*gauge);
    const QColor background(0x10, 0x20, 0x30);
    // Digit d's bar is d + 1 pixels tall at x 3..6 of its cell; magenta shows the background.
    for (int k = 0; k < 3; ++k) {
        const int digit = std::array { 0, 5, 9 }[k];
        const int x = k * kCellW + 4;
        EXPECT_TRUE(SameRgb(img.pixel(x, kCellH - 1 - digit), kInk)) << "digit " << k;
        EXPECT_TRUE(SameRgb(img.pixel(x, kCellH - 2 - digit), background)) << "digit " << k;
        EXPECT_TRUE(SameRgb(img.pixel(k * kCellW + 1, 2), background));
    }
    EXPECT_TRUE(SameRgb(img.pixel(35, 10), QColor(0, 0, 255))) << "unit picture bottom-aligned";
    EXPECT_TRUE(SameRgb(img.pixel(35, 5), background));
}

TEST_F(ViewControlFactories, MissingBitmapsLeaveStripsEmpty)
{
    const auto element = parse(QStringLiteral("<control type=\"speed\" transcolor=\"#000000\"><number "
                                              "src=\"nope.bmp\" width=\"10\" height=\"14\"/></control>"));
    const SpeedCtrlConfig config = ReadSpeedCtrlConfig(*element, runtime);
    EXPECT_EQ(config.transColour, 0u);
    EXPECT_EQ(config.background, 0u);
    EXPECT_TRUE(config.digitImage.isNull());
    EXPECT_EQ(config.digitWidth, 10);
    EXPECT_TRUE(config.unitImage.isNull());

    skin::CSkin owner(runtime);
    auto *gauge = qobject_cast<CSpeedCtrl *>(make(skin::kSkinSpeed, *element, owner));
    ASSERT_NE(gauge, nullptr);
    EXPECT_TRUE(gauge->DigitImages().IsEmpty());
    EXPECT_TRUE(gauge->UnitImages().IsEmpty());
}

TEST_F(ViewControlFactories, GraphElementBecomesGraph)
{
    const auto element = parse(QStringLiteral("<control name=\"gsensor\" type=\"graph\"/>"));
    skin::CSkin owner(runtime);
    auto *graph = qobject_cast<CGSensorGraph *>(make(skin::kSkinGraph, *element, owner));
    ASSERT_NE(graph, nullptr);
    EXPECT_EQ(graph->objectName(), QStringLiteral("ctl"));
    EXPECT_EQ(graph->Style(), gsensor_style::kDefault);
    EXPECT_EQ(runtime.ControlFactory(skin::kSkinMap), nullptr) << "the map is not ours";
}

TEST_F(ViewControlFactories, DescriptionBuildsBothControlsAndReloadsReuseThem)
{
    runtime.SetMonitorSize(QSize(1366, 768));
    const QString first
        = QStringLiteral("<window width=\"400\" height=\"300\">"
                         "<control name=\"speed\" type=\"speed\" x=\"10\" y=\"20\" width=\"60\" "
                         "height=\"14\" visible=\"true\" "
                         "backcolor=\"#102030\"><number src=\"digits.bmp\" width=\"10\" height=\"14\"/>"
                         "<unit src=\"units.bmp\" width=\"20\" height=\"6\"/></control>"
                         "<control name=\"gsensor\" type=\"GRAPH\" x=\"0\" y=\"-135\" align=\"bottom\" "
                         "width=\"374\" height=\"135\" "
                         "visible=\"true\"/>"
                         "</window>");
    skin::CSkin owner(runtime);
    skin::SkinWindowInfo info;
    ASSERT_TRUE(owner.LoadFromText(first, &info, &dialog, true));

    auto *gauge = owner.Control<CSpeedCtrl>(skin::kSkinSpeed, QStringLiteral("speed"));
    auto *graph = owner.Control<CGSensorGraph>(skin::kSkinGraph, QStringLiteral("gsensor"));
    ASSERT_NE(gauge, nullptr);
    ASSERT_NE(graph, nullptr);
    EXPECT_EQ(gauge->geometry(), QRect(10, 20, 60, 14));
    EXPECT_EQ(graph->geometry(), QRect(0, 768 - 270, 374, 135));
    EXPECT_FALSE(gauge->isHidden());
    EXPECT_EQ(gauge->DigitImages().Count(), 11);
    EXPECT_GE(owner.GetControlId(skin::kSkinSpeed, QStringLiteral("speed")), 0xE500);
    EXPECT_GE(owner.GetControlId(skin::kSkinGraph, QStringLiteral("gsensor")), 0xE700);
    // The graph lays itself out for the size the skin gave it.
    EXPECT_EQ(graph->Plot(), (PixelRect { 100, 0, 354, 135 }));

    // A reload names the gauge again with other settings: the same widget takes them.
    const QString second = QStringLiteral(
        "<window width=\"400\" height=\"300\">"
        "<control name=\"speed\" type=\"speed\" x=\"5\" y=\"5\" width=\"60\" height=\"14\" visible=\"true\" "
        "backcolor=\"#FFFFFF\"/></window>");
    ASSERT_TRUE(owner.LoadFromText(second, &info, &dialog, true));
    EXPECT_EQ(owner.Control<CSpeedCtrl>(skin::kSkinSpeed, QStringLiteral("speed")), gauge);
    EXPECT_EQ(gauge->geometry(), QRect(5, 5, 60, 14));
    EXPECT_EQ(gauge->Background(), 0xFFFFFFu);
    EXPECT_TRUE(gauge->DigitImages().IsEmpty()) << "no number part any more";
    EXPECT_TRUE(graph->isHidden()) << "not named again";
}
