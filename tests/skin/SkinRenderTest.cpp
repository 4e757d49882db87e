#include "SkinTestSupport.h"

#include "skin/CBitmapSlider.h"
#include "skin/CImageNumber.h"
#include "skin/CSkinDialog.h"
#include "skin/CSkinListCtrl.h"

#include <QDir>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

using namespace skin;

namespace {

// A digit strip: cells 0-9 and the separator, white on magenta.
QImage DigitStrip(int cell, int height)
{
    QImage strip(cell * 11, height, QImage::Format_RGB32);
    strip.fill(QColor(255, 0, 255));
    QPainter painter(&strip);
    QFont font;
    font.setPixelSize(height - 2);
    font.setBold(true);
    font.setStyleStrategy(QFont::NoAntialias); // no blend with the key colour
    painter.setFont(font);
    painter.setPen(QColor(63, 166, 254));
    for (int i = 0; i < 11; ++i)
        painter.drawText(
            QRect(i * cell, 0, cell, height), Qt::AlignCenter, i == 10 ? ":" : QString::number(i));
    return strip;
}

QImage Gradient(QSize size, QColor from, QColor to)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient g(0, 0, size.width(), 0);
    g.setColorAt(0, from);
    g.setColorAt(1, to);
    painter.fillRect(image.rect(), g);
    return image;
}

} // namespace

// Builds a window from a description with most kinds of items and looks at the result.
TEST(SkinRender, SampleWindowDrawsItsItems)
{
    skintest::TestSkin t;
    // Window bitmap: a rounded dark panel on magenta, which cuts the corners off the shape.
    QImage panel(360, 240, QImage::Format_RGB32);
    panel.fill(QColor(255, 0, 255));
    {
        QPainter p(&panel);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setBrush(QColor(18, 18, 18));
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(QRect(0, 0, 360, 240), 16, 16);
    }
    t.WriteBmp("img/panel.bmp", panel);
    t.WriteSolid("img/titlebar.bmp", QSize(328, 30), QColor(40, 44, 52));
    t.WriteSolid("img/close.bmp", QSize(18, 18), QColor(200, 60, 60), 2);
    t.WriteSolid("img/close_h.bmp", QSize(18, 18), QColor(240, 90, 90), 2);
    t.WriteBmp("img/channel.bmp", Gradient(QSize(200, 8), QColor(60, 60, 60), QColor(90, 90, 90)));
    t.WriteBmp("img/active.bmp", Gradient(QSize(200, 8), QColor(30, 90, 160), QColor(63, 166, 254)));
    t.WriteSolid("img/thumb.bmp", QSize(14, 14), QColor(230, 230, 230), 3);
    t.WriteBmp("img/digits.bmp", DigitStrip(14, 22));
    t.WriteSolid("img/logo.bmp", QSize(24, 24), QColor(63, 166, 254), 4);
    for (const char *name : { "span", "top", "mid", "bottom" })
        t.WriteSolid(QString("img/sb_%1.bmp").arg(name), QSize(12, 10), QColor(70, 70, 70));
    t.WriteSolid("img/sb_up.bmp", QSize(12, 21), QColor(110, 110, 110));
    t.WriteSolid("img/sb_down.bmp", QSize(12, 21), QColor(110, 110, 110));

    t.runtime.AddDescription("sample", R"(
<window src="img/panel.bmp" transcolor="#FF00FF" backcolor="#121212">
  <font height="12" facename="DejaVu Sans"/>
  <area name="drag" x="0" y="0" width="330" height="30"/>
  <text name="title">Sample window</text>
  <image name="bar" src="img/titlebar.bmp" x="16" y="0" visible="true"/>
  <image name="logo" src="img/logo.bmp" x="6" y="3" transcolor="#FF00FF" visible="true"/>
  <image name="hidden" src="img/logo.bmp" x="300" y="3"/>
  <control name="close" x="336" y="6" visible="true">
    <state type="normal" src="img/close.bmp"/><state type="hover" src="img/close_h.bmp"/>
  </control>
  <control name="caption" type="static" x="36" y="7" width="200" height="18" color="#C8C8C8" visible="true">Sample window</control>
  <group x="10" y="40" width="-20" height="60" backcolor="#202020">
    <control name="clock" type="imgnumber" x="8" y="8" width="140" height="22" figure="8" spacing="1" seperate="true" backcolor="#202020" visible="true">
      <number src="img/digits.bmp" width="14" s_width="14" s_pos="3+"/>
    </control>
    <control name="vol" type="slider" transcolor="#FF00FF" x="8" y="40" width="200" height="14" visible="true">
      <channel src="img/channel.bmp" stretch="true"/><active src="img/active.bmp" stretch="true"/><thumb src="img/thumb.bmp"/>
    </control>
    <control name="go" type="button" align="right" x="-8" y="8" width="80" height="26" visible="true">Play</control>
  </group>
  <control name="files" type="listctrl" header="true" x="10" y="108" width="220" height="120" visible="true">
    <vscroll span="img/sb_span.bmp" thumbtop="img/sb_top.bmp" thumbmid="img/sb_mid.bmp" thumbbottom="img/sb_bottom.bmp" up="img/sb_up.bmp" down="img/sb_down.bmp" ID="100"/>
    <column width="120">File</column><column width="60" textalign="right">Length</column>
  </control>
  <control name="speed" type="editbox" x="240" y="108" width="100" height="24" backcolor="#303030" color="#3FA6FE" visible="true">
    <range>1</range><range>99</range>
  </control>
  <control name="kind" type="combobox" x="240" y="140" width="100" height="24" visible="true"><list>Front</list><list>Rear</list></control>
  <control name="gauge" type="speed" x="240" y="172" width="100" height="24" visible="true"/>
  <control name="rear" type="checkbox" x="240" y="202" width="100" height="20" visible="true">Rear</control>
</window>)");

    CSkinDialog dialog(t.runtime);
    ASSERT_TRUE(dialog.LoadSkin("sample"));
    auto *clock = dialog.Control<CImageNumber>(kSkinImgNumber, "clock");
    ASSERT_NE(clock, nullptr);
    const int hms[8] = { 1, 2, 10, 3, 4, 10, 5, 6 };
    for (int i = 0; i < 8; ++i)
        clock->SetCell(i, hms[i]);
    auto *slider = dialog.Control<CBitmapSlider>(kSkinSlider, "vol");
    slider->SetRange(0, 100);
    slider->SetPos(60);
    auto *list = dialog.Control<CSkinListCtrl>(kSkinListCtrl, "files");
    for (int i = 0; i < 12; ++i) {
        list->InsertItem(i);
        list->SetItemText(i, 1, QString("REC_2024_%1F.avi").arg(i, 2, 10, QChar('0')));
        list->SetItemText(i, 2, QString("%1 s").arg(60 + i));
    }
    list->SetSelectedItem(2);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QCoreApplication::processEvents();

    QImage shot = dialog.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    // The platform here cannot shape windows; show the shape the way a desktop would.
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (!dialog.mask().contains(QPoint(x, y)))
                shot.setPixel(x, y, 0);

    EXPECT_EQ(shot.size(), QSize(360, 240));
    EXPECT_EQ(dialog.windowTitle(), "Sample window");
    EXPECT_EQ(qAlpha(shot.pixel(0, 0)), 0); // corner cut by the shape
    EXPECT_EQ(qAlpha(shot.pixel(0, 239)), 0);
    EXPECT_EQ(QColor(shot.pixel(8, 120)), QColor(18, 18, 18)); // window back colour
    EXPECT_EQ(QColor(shot.pixel(180, 20)), QColor(40, 44, 52)); // title bar of the bg image
    EXPECT_EQ(QColor(shot.pixel(18, 15)), QColor(63, 166, 254)); // logo, inside its frame
    EXPECT_EQ(QColor(shot.pixel(17, 4)), QColor(40, 44, 52)); // logo's magenta frame left out
    EXPECT_EQ(QColor(shot.pixel(312, 15)), QColor(40, 44, 52)); // the invisible image is not drawn
    EXPECT_EQ(QColor(shot.pixel(12, 98)), QColor(0x20, 0x20, 0x20)); // group back colour
    EXPECT_EQ(QColor(shot.pixel(345, 15)), QColor(200, 60, 60)); // close button
    const int sliderY = 40 + 40 + 7;
    EXPECT_EQ(QColor(shot.pixel(10 + 8 + 20, sliderY)).blue() > 150, true); // active part left of the thumb
    EXPECT_EQ(QColor(shot.pixel(10 + 8 + 190, sliderY)).blue() < 120, true); // plain channel right of it

    const QString folder = qEnvironmentVariable("TAVIN_SKIN_PNG_DIR");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        shot.save(QDir(folder).filePath("skin-sample.png"));
    }
}

// The settings panel keeps one picture per page in its groups and marks the shown page's
// group active; only active groups are painted.
TEST(SkinRender, OnlyActiveGroupsPaint)
{
    skintest::TestSkin t;
    CSkinDialog dialog(t.runtime);
    ASSERT_TRUE(dialog.LoadSkinFromText("<w width='100' height='60' backcolor='#000000'>"
                                        "<group x='0' y='0' width='100' height='10' backcolor='#404040'/>"
                                        "<group x='0' y='10' width='100' height='50' backcolor='#FF0000'/>"
                                        "<group x='0' y='10' width='100' height='50' backcolor='#00FF00'/>"
                                        "</w>"));
    const auto colourAt = [&dialog](int x, int y) { return dialog.grab().toImage().pixelColor(x, y); };
    ASSERT_EQ(dialog.Skin().GroupCount(), 3);
    EXPECT_EQ(colourAt(50, 30), QColor(0, 255, 0)); // all groups start active: the last is on top

    EXPECT_TRUE(dialog.Skin().SetGroupActive(2, false));
    EXPECT_EQ(colourAt(50, 30), QColor(255, 0, 0));
    EXPECT_TRUE(dialog.Skin().SetGroupActive(1, false));
    EXPECT_TRUE(dialog.Skin().SetGroupActive(2, true));
    EXPECT_EQ(colourAt(50, 30), QColor(0, 255, 0));
    EXPECT_EQ(colourAt(50, 5), QColor(0x40, 0x40, 0x40));
    dialog.Skin().SetGroupActive(1, false);
    dialog.Skin().SetGroupActive(2, false);
    EXPECT_EQ(colourAt(50, 30), QColor(0, 0, 0));
    EXPECT_FALSE(dialog.Skin().SetGroupActive(3, true));
    EXPECT_FALSE(dialog.Skin().SetGroupActive(-1, true));
}
