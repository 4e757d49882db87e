#include "ViewsTestSupport.h"
#include "views/CSpeedCtrl.h"

#include <gtest/gtest.h>

#include <QPainter>

using media::CSpeedItem;
using views_test::SameRgb;

namespace {

constexpr int kDigitW = 12;
constexpr int kDigitH = 20;
constexpr int kUnitW = 24;
constexpr int kUnitH = 8;
constexpr ColorRef kMagenta = 0xFF00FF;
constexpr ColorRef kBackground = 0x203040; // RGB(0x40, 0x30, 0x20)

// Cell i is filled with a colour of its own, with a magenta frame two pixels wide that must let
// the background through.
QColor cellColour(int i)
{
    return QColor(20 * i + 10, 200 - 15 * i, 5 * i);
}
QColor unitColour(int i)
{
    return i == 0 ? QColor(0, 120, 255) : QColor(255, 120, 0);
}

QImage makeStrip(int cells, int w, int h, QColor (*colour)(int))
{
    QImage strip(cells * w, h, QImage::Format_RGB32);
    strip.fill(QColor(255, 0, 255));
    QPainter p(&strip);
    for (int i = 0; i < cells; ++i)
        p.fillRect(i * w + 2, 2, w - 4, h - 4, colour(i));
    return strip;
}

class SpeedCtrlWidget : public ::testing::Test
{
protected:
    void SetUp() override
    {
        gauge.SetDigitImages(makeStrip(11, kDigitW, kDigitH, cellColour), kDigitW, kDigitH, kMagenta);
        gauge.SetUnitImages(makeStrip(2, kUnitW, kUnitH, unitColour), kUnitW, kUnitH, kMagenta);
        gauge.SetBackground(kBackground);
        gauge.resize(gauge.sizeHint());
    }

    // The colour at the centre of digit k as drawn.
    QRgb digitCentre(const QImage &img, int k) const
    {
        const QPoint o = SpeedGaugeLayout::DigitOrigin(k, gauge.Gap(), kDigitW);
        return img.pixel(o.x() + kDigitW / 2, o.y() + kDigitH / 2);
    }

    void expectDigits(const QImage &img, int a, int b, int c)
    {
        EXPECT_TRUE(SameRgb(digitCentre(img, 0), cellColour(a))) << "hundreds";
        EXPECT_TRUE(SameRgb(digitCentre(img, 1), cellColour(b))) << "tens";
        EXPECT_TRUE(SameRgb(digitCentre(img, 2), cellColour(c))) << "ones";
    }

    CSpeedCtrl gauge;
};

} // namespace

TEST_F(SpeedCtrlWidget, StripsAreCutFromTheBitmaps)
{
    EXPECT_EQ(gauge.DigitImages().Count(), 11);
    EXPECT_EQ(gauge.UnitImages().Count(), 2);
    EXPECT_EQ(gauge.sizeHint(), QSize(3 * kDigitW + kUnitW, kDigitH));

    // A bitmap one pixel short of the last cell loses that cell; a null bitmap gives no strip.
    EXPECT_EQ(ImageStrip(makeStrip(11, kDigitW, kDigitH, cellColour).copy(0, 0, 11 * kDigitW - 1, kDigitH),
                  kDigitW, kDigitH, kMagenta)
                  .Count(),
        10);
    EXPECT_TRUE(ImageStrip(QImage(), kDigitW, kDigitH, kMagenta).IsEmpty());
    EXPECT_TRUE(ImageStrip(makeStrip(2, 4, 4, unitColour), 0, 4, kMagenta).IsEmpty());
}

TEST_F(SpeedCtrlWidget, DrawsDigitsUnitAndBackground)
{
    gauge.Add(CSpeedItem { 0, 1, 45.4f, 1 });
    gauge.SetPosition(100);
    QImage img = views_test::Render(gauge);
    ASSERT_EQ(img.size(), QSize(3 * kDigitW + kUnitW, kDigitH));
    expectDigits(img, 0, 4, 5);

    const QColor background = ColorFromColorRef(kBackground);
    EXPECT_TRUE(SameRgb(img.pixel(0, 0), background)) << "magenta frame shows the background";
    EXPECT_TRUE(SameRgb(img.pixel(kDigitW + 1, kDigitH - 1), background));

    // Unit picture: at x = 3 digit widths, bottom-aligned with the digits.
    const QPoint unit = SpeedGaugeLayout::UnitOrigin(0, kDigitW, kDigitH, kUnitH);
    EXPECT_EQ(unit, QPoint(3 * kDigitW, kDigitH - kUnitH));
    EXPECT_TRUE(SameRgb(img.pixel(unit.x() + kUnitW / 2, unit.y() + kUnitH / 2), unitColour(0)));
    EXPECT_TRUE(SameRgb(img.pixel(unit.x() + kUnitW / 2, unit.y() - 2), background))
        << "nothing above the unit";

    gauge.SetUnit(SpeedUnit::Mph);
    gauge.SetPosition(200);
    img = views_test::Render(gauge);
    expectDigits(img, 0, 2, 8);
    EXPECT_TRUE(SameRgb(img.pixel(unit.x() + kUnitW / 2, unit.y() + kUnitH / 2), unitColour(1)));
}

TEST_F(SpeedCtrlWidget, GapSpacesTheDigits)
{
    gauge.SetGap(5);
    gauge.resize(gauge.sizeHint());
    EXPECT_EQ(gauge.width(), 3 * (kDigitW + 5) + kUnitW);
    gauge.Add(CSpeedItem { 0, 1, 123.0f, 1 });
    gauge.SetPosition(0);
    const QImage img = views_test::Render(gauge);
    expectDigits(img, 1, 2, 3);
    EXPECT_TRUE(SameRgb(img.pixel(kDigitW + 2, kDigitH / 2), ColorFromColorRef(kBackground)))
        << "inside the gap";
}

TEST_F(SpeedCtrlWidget, BlankAndAgedDisplayShowBlankCells)
{
    QImage img = views_test::Render(gauge);
    expectDigits(img, 10, 10, 10);

    gauge.Add(CSpeedItem { 5000, 1, 88.0f, 1 });
    gauge.SetPosition(5000);
    expectDigits(views_test::Render(gauge), 0, 8, 8);

    for (int i = 0; i < SpeedGaugeModel::kStaleLimit; ++i)
        gauge.SetPosition(0);
    expectDigits(views_test::Render(gauge), 10, 10, 10);
}

TEST_F(SpeedCtrlWidget, WithoutBitmapsOnlyTheBackgroundIsDrawn)
{
    CSpeedCtrl bare;
    bare.SetDigitImages(QImage(), kDigitW, kDigitH, kMagenta);
    bare.SetBackground(kBackground);
    bare.resize(60, 20);
    bare.Add(CSpeedItem { 0, 1, 45.4f, 1 });
    bare.SetPosition(0);
    const QImage img = views_test::Render(bare);
    for (int y = 0; y < img.height(); y += 3)
        for (int x = 0; x < img.width(); x += 3)
            ASSERT_TRUE(SameRgb(img.pixel(x, y), ColorFromColorRef(kBackground))) << x << "," << y;
}

TEST_F(SpeedCtrlWidget, FedThroughTheTelemetrySink)
{
    media::ISpeedItemSink &sink = gauge;
    sink.Add(CSpeedItem { 0, 7, 10.0f, 1 });
    sink.Add(CSpeedItem { 0, 7, 99.0f, 1 });
    sink.Update(CSpeedItem { 0, 0, 12.0f, 1 });
    ASSERT_EQ(gauge.Model().ItemCount(), 2u);
    // The later of two items at the same time wins.
    gauge.SetPosition(0);
    expectDigits(views_test::Render(gauge), 0, 1, 2);
}
