#include "SkinTestSupport.h"

#include "skin/CBitmapSlider.h"
#include "skin/CColorStatic.h"
#include "skin/CEditEx.h"
#include "skin/CImageNumber.h"
#include "skin/CImgButton.h"
#include "skin/CSheetCtrlEx.h"
#include "skin/CSkinDialog.h"
#include "skin/CSkinListCtrl.h"
#include "skin/CSkinPropPage.h"
#include "skin/CXInfoTip.h"
#include "skin/core/SkinXml.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTabWidget>

#include <gtest/gtest.h>

using namespace skin;

class SkinBuilderTest : public ::testing::Test
{
protected:
    skintest::TestSkin t;
    CSkinDialog dialog { t.runtime };
};

TEST_F(SkinBuilderTest, ControlWithoutTypeIsAnImageButtonSizedByItsBitmap)
{
    const QString bmp = t.WriteSolid("img/btn.bmp", QSize(24, 16), Qt::green);
    ASSERT_TRUE(dialog.LoadSkinFromText(QString("<w><control name='ok' x='10' y='20' visible='true'>"
                                                "<state type='normal' src='%1'/></control></w>")
                                            .arg(bmp)));
    auto *button = dialog.Control<CImgButton>(kSkinImgButton, "ok");
    ASSERT_NE(button, nullptr);
    EXPECT_FALSE(button->IsCheckMode());
    EXPECT_EQ(button->geometry(), QRect(10, 20, 24, 16));
    EXPECT_FALSE(button->isHidden());
    EXPECT_EQ(dialog.GetControl(kSkinImgCheckBox, "ok"), button); // the same container
}

TEST_F(SkinBuilderTest, ControlsAreHiddenUnlessVisibleIsTrue)
{
    ASSERT_TRUE(dialog.LoadSkinFromText("<w><control name='a' visible='yes'/><control name='b'/>"
                                        "<control name='c' visible='TRUE'/></w>"));
    EXPECT_TRUE(dialog.GetControl(kSkinImgButton, "a")->isHidden());
    EXPECT_TRUE(dialog.GetControl(kSkinImgButton, "b")->isHidden());
    EXPECT_FALSE(dialog.GetControl(kSkinImgButton, "c")->isHidden());
}

TEST_F(SkinBuilderTest, SecondControlOfTheSameNameReusesTheFirst)
{
    ASSERT_TRUE(dialog.LoadSkinFromText(
        "<w><control name='s' type='static' x='1' y='1' width='10' height='10'>one</control>"
        "<control name='s' type='static' x='5' y='6' width='20' height='10'>two</control></w>"));
    auto statics = dialog.findChildren<CColorStatic *>();
    ASSERT_EQ(statics.size(), 1);
    EXPECT_EQ(statics[0]->text(), "two");
    EXPECT_EQ(statics[0]->geometry(), QRect(5, 6, 20, 10));
}

TEST_F(SkinBuilderTest, ReloadWithResetReusesNamedControlsAndHidesTheRest)
{
    ASSERT_TRUE(dialog.LoadSkinFromText(
        "<w><control name='keep' type='slider' visible='true' x='0' width='50' height='10'/>"
        "<control name='drop' type='slider' visible='true'/>"
        "<image name='pic' src='none.bmp'/><text name='t1'>x</text>"
        "<group x='1'/></w>"));
    QWidget *keep = dialog.GetControl(kSkinSlider, "keep");
    QWidget *drop = dialog.GetControl(kSkinSlider, "drop");
    ASSERT_NE(keep, nullptr);
    ASSERT_NE(drop, nullptr);
    ASSERT_NE(dialog.Skin().GetText("t1"), nullptr);
    ASSERT_EQ(dialog.Skin().Items().groups.size(), 1u);

    ASSERT_TRUE(dialog.LoadSkinFromText(
        "<w><control name='keep' type='slider' visible='true' x='30' width='60' height='8'/>"
        "<text name='t2'>y</text></w>"));
    EXPECT_EQ(dialog.GetControl(kSkinSlider, "keep"), keep);
    EXPECT_EQ(keep->geometry(), QRect(30, 0, 60, 8));
    EXPECT_FALSE(keep->isHidden());
    EXPECT_EQ(dialog.GetControl(kSkinSlider, "drop"), drop);
    EXPECT_TRUE(drop->isHidden());
    EXPECT_EQ(dialog.Skin().GetText("t1"), nullptr);
    EXPECT_NE(dialog.Skin().GetText("t2"), nullptr);
    EXPECT_TRUE(dialog.Skin().Items().groups.empty());
    EXPECT_EQ(dialog.findChildren<CBitmapSlider *>().size(), 2);

    // Without reset the items are added to.
    ASSERT_TRUE(dialog.LoadSkinFromText("<w><text name='t3'>z</text></w>", false));
    EXPECT_NE(dialog.Skin().GetText("t2"), nullptr);
    EXPECT_NE(dialog.Skin().GetText("t3"), nullptr);
}

TEST_F(SkinBuilderTest, RadioButtonsStartAGroupAfterAnotherTypeOfControl)
{
    ASSERT_TRUE(dialog.LoadSkinFromText("<w><control name='x' type='button'>Go</control>"
                                        "<control name='r1' type='radio'>One</control>"
                                        "<control name='r2' type='radio'>Two</control>"
                                        "<control name='c1' type='checkbox'>Check</control>"
                                        "<control name='r3' type='radio'>Three</control></w>"));
    auto *r1 = dialog.Control<QRadioButton>(kSkinRadio, "r1");
    auto *r2 = dialog.Control<QRadioButton>(kSkinRadio, "r2");
    auto *r3 = dialog.Control<QRadioButton>(kSkinRadio, "r3");
    auto *c1 = dialog.Control<QCheckBox>(kSkinCheckBox, "c1");
    ASSERT_TRUE(r1 && r2 && r3 && c1);
    EXPECT_TRUE(r1->isChecked());
    EXPECT_FALSE(r2->isChecked());
    EXPECT_TRUE(c1->isChecked()); // a check box after another type is checked too
    EXPECT_TRUE(r3->isChecked()); // r3 starts a group of its own
    EXPECT_EQ(r1->text(), "One");
    r2->click();
    EXPECT_TRUE(r2->isChecked());
    EXPECT_FALSE(r1->isChecked());
    EXPECT_TRUE(r3->isChecked());
}

TEST_F(SkinBuilderTest, PasswordEditMasksAndLimits)
{
    ASSERT_TRUE(
        dialog.LoadSkinFromText("<w><control name='pw' type='editbox' password='****' readonly='true'/>"
                                "<control name='num' type='editbox' textalign='right'>"
                                "<range>5</range><range>7</range><range>99</range></control></w>"));
    auto *pw = dialog.Control<CEditEx>(kSkinEditBox, "pw");
    ASSERT_NE(pw, nullptr);
    EXPECT_EQ(pw->Edit()->echoMode(), QLineEdit::Password);
    EXPECT_EQ(pw->Edit()->maxLength(), 4);
    EXPECT_EQ(
        pw->Edit()->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, pw->Edit()), int('*'));
    EXPECT_TRUE(pw->Edit()->isReadOnly());
    EXPECT_EQ(pw->BackColor(), 0xFFFFFFu);

    auto *num = dialog.Control<CEditEx>(kSkinEditBox, "num");
    ASSERT_NE(num, nullptr);
    EXPECT_TRUE(num->IsNumeric());
    EXPECT_EQ(num->Minimum(), 5);
    EXPECT_EQ(num->Maximum(), 99);
    EXPECT_EQ(num->Text(), "5");
    EXPECT_TRUE(num->Edit()->alignment() & Qt::AlignRight);
}

TEST_F(SkinBuilderTest, TextItemsAreKeyedStringsWithLineBreaks)
{
    ASSERT_TRUE(
        dialog.LoadSkinFromText("<w><text name='title'>My window</text>"
                                "<text name='msg' font='Arial' fontsize='12'>first\\\\nsecond</text></w>"));
    EXPECT_EQ(dialog.windowTitle(), "My window");
    const CSkinText *msg = dialog.Skin().GetText("msg");
    ASSERT_NE(msg, nullptr);
    EXPECT_EQ(msg->text, "first\nsecond");
    EXPECT_EQ(msg->fontFace, "Arial");
    EXPECT_EQ(msg->fontSize, 12);
}

TEST_F(SkinBuilderTest, KeyedMessageBox)
{
    ASSERT_TRUE(dialog.LoadSkinFromText(
        "<w><text name='no_card'>No card</text><text name='err_title'>Error</text></w>"));
    t.messageBoxAnswer = kIdCancel;
    EXPECT_EQ(dialog.MessageBox("no_card", "err_title", kMbOkCancel), kIdCancel);
    ASSERT_EQ(t.messages.size(), 1u);
    EXPECT_EQ(t.messages[0].text, "No card");
    EXPECT_EQ(t.messages[0].caption, "Error");
    EXPECT_EQ(t.messages[0].flags, kMbOkCancel);

    EXPECT_EQ(dialog.MessageBox("missing", "err_title", kMbOk), -1);
    EXPECT_EQ(t.messages.size(), 1u);

    // A missing caption key still shows the message.
    t.messageBoxAnswer = kIdOk;
    EXPECT_EQ(dialog.MessageBox("no_card", "missing", kMbOk), kIdOk);
    ASSERT_EQ(t.messages.size(), 2u);
    EXPECT_EQ(t.messages[1].text, "No card");
}

TEST_F(SkinBuilderTest, ImagesAndAreas)
{
    const QString bmp = t.WriteSolid("pic.bmp", QSize(30, 20), Qt::red);
    ASSERT_TRUE(dialog.LoadSkinFromText(
        QString("<w><image name='a' src='%1' x='5' y='5' visible='true'/>"
                "<image name='b' src='%1' x='0' y='0' width='60' height='40' autosize='true'/>"
                "<image name='c' src='%1' width='10' height='10' transcolor='#FF00FF'/>"
                "<image name='gone' src='nothing.bmp'/>"
                "<area name='web' x='0' y='0' width='10' height='10' href='http://example.org/'/>"
                "<area name='help' href='doc\\\\help.html'/></w>")
            .arg(bmp)));
    const CSkinImage *a = dialog.Skin().GetImage("a");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->rect, (SkinRect { 5, 5, 35, 25 }));
    EXPECT_TRUE(a->visible);
    EXPECT_FALSE(a->transparent);
    EXPECT_EQ(dialog.Skin().GetImage("b")->rect, (SkinRect { 0, 0, 30, 20 }));
    EXPECT_EQ(dialog.Skin().GetImage("c")->rect, (SkinRect { 0, 0, 10, 10 }));
    EXPECT_TRUE(dialog.Skin().GetImage("c")->transparent);
    EXPECT_FALSE(dialog.Skin().GetImage("c")->visible);
    EXPECT_EQ(dialog.Skin().GetImage("gone"), nullptr);

    EXPECT_EQ(dialog.Skin().GetArea("web")->link, "http://example.org/");
    const CSkinArea *help = dialog.Skin().GetArea("help");
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->hasLink);
    EXPECT_TRUE(help->link.startsWith("file:///"));
    EXPECT_TRUE(help->link.endsWith(t.Folder() + "/doc/help.html")) << help->link.toStdString();
}

TEST_F(SkinBuilderTest, GroupsPlaceTheirItemsAndNest)
{
    ASSERT_TRUE(
        dialog.LoadSkinFromText("<w><group x='100' y='50' width='200' height='100' backcolor='#102030'>"
                                "<control name='in' type='static' align='right' width='20' height='10'/>"
                                "<group x='10' y='10' width='50' height='50'>"
                                "<text name='deep' x='1' y='2'>d</text></group></group></w>"));
    EXPECT_EQ(dialog.GetControl(kSkinStatic, "in")->geometry(), QRect(280, 50, 20, 10));
    EXPECT_EQ(dialog.Skin().GetText("deep")->rect, (SkinRect { 111, 62, 111, 62 }));
    ASSERT_EQ(dialog.Skin().Items().groups.size(), 2u);
    EXPECT_TRUE(dialog.Skin().Items().groups[0]->hasBackColor);
    EXPECT_EQ(dialog.Skin().Items().groups[0]->backColor, 0x302010u);
    EXPECT_FALSE(dialog.Skin().Items().groups[1]->hasBackColor);
}

TEST_F(SkinBuilderTest, WindowRecordAndSize)
{
    const QString bmp = t.WriteSolid("bg.bmp", QSize(120, 80), Qt::blue, 4);
    ASSERT_TRUE(dialog.LoadSkinFromText(
        QString("<w src='%1' transcolor='#FF00FF' backcolor='#000000' border='true'/>").arg(bmp)));
    EXPECT_EQ(dialog.WindowInfo().rect, (SkinRect { 0, 0, 120, 80 })); // no size: the bitmap's
    EXPECT_TRUE(dialog.WindowInfo().hasTransColor);
    EXPECT_TRUE(dialog.WindowInfo().hasBackColor);
    EXPECT_TRUE(dialog.WindowInfo().border);
    EXPECT_EQ(dialog.size(), QSize(120, 80));

    ASSERT_TRUE(dialog.LoadSkinFromText(QString("<w src='%1' width='-40' height='200'/>").arg(bmp)));
    EXPECT_EQ(dialog.size(), QSize(600, 200));
    EXPECT_FALSE(dialog.WindowInfo().hasTransColor);
}

// Standard controls inherit the dialog's palette: on a dark skin their text must be light and
// their fields dark, on a light skin the other way round, and without a back colour the
// system palette stays.
TEST_F(SkinBuilderTest, StandardControlsFollowTheSkinBackColour)
{
    const QString controls
        = "<control name='mode' type='combobox' x='0' y='0' width='80' height='20'>"
          "<list>a</list></control>"
          "<control name='on' type='checkbox' x='0' y='30' width='80' height='20'>On</control>";
    ASSERT_TRUE(
        dialog.LoadSkinFromText("<w width='200' height='100' backcolor='#121212'>" + controls + "</w>"));
    auto *combo = dialog.findChild<QComboBox *>("mode");
    auto *check = dialog.findChild<QCheckBox *>("on");
    ASSERT_TRUE(combo && check);
    EXPECT_GT(combo->palette().color(QPalette::Text).lightness(), 200);
    EXPECT_LT(combo->palette().color(QPalette::Base).lightness(), 80);
    EXPECT_GT(check->palette().color(QPalette::WindowText).lightness(), 200);
    EXPECT_LT(check->palette().color(QPalette::Disabled, QPalette::WindowText).lightness(),
        check->palette().color(QPalette::WindowText).lightness());

    ASSERT_TRUE(dialog.LoadSkinFromText(
        "<w width='200' height='100' backcolor='#F0F0F0'>" + controls + "</w>", true));
    EXPECT_LT(combo->palette().color(QPalette::Text).lightness(), 60);
    EXPECT_GT(combo->palette().color(QPalette::Base).lightness(), 180);

    ASSERT_TRUE(dialog.LoadSkinFromText("<w width='200' height='100'>" + controls + "</w>", true));
    EXPECT_EQ(combo->palette().color(QPalette::Text), QPalette().color(QPalette::Text));
}

TEST_F(SkinBuilderTest, ListSettings)
{
    ASSERT_TRUE(dialog.LoadSkinFromText(
        "<w><control name='files' type='listctrl' sort='true' width='200' height='100'>"
        "<column width='80'>Name</column><column width='40' textalign='right'>Size</column>"
        "</control><control name='plain' type='listctrl' header='true'/></w>"));
    auto *list = dialog.Control<CSkinListCtrl>(kSkinListCtrl, "files");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->GetColumnCount(), 3);
    EXPECT_EQ(list->header()->sectionSize(0), 0);
    EXPECT_TRUE(list->header()->isSectionHidden(0));
    EXPECT_EQ(list->headerItem()->text(1), "Name");
    EXPECT_EQ(list->headerItem()->text(2), "Size");
    EXPECT_EQ(list->ColumnFormat(2), CSkinListCtrl::kFormatRight);
    EXPECT_TRUE(list->SortEnabled());
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_TRUE(list->isHeaderHidden());
    EXPECT_FALSE(dialog.Control<CSkinListCtrl>(kSkinListCtrl, "plain")->isHeaderHidden());

    // A reload does not add the columns a second time.
    ASSERT_TRUE(dialog.LoadSkinFromText(
        "<w><control name='files' type='listctrl'><column>Name</column></control></w>"));
    EXPECT_EQ(list->GetColumnCount(), 3);
}

TEST_F(SkinBuilderTest, ComboBoxAndImageNumber)
{
    const QString strip = t.WriteSolid("digits.bmp", QSize(110, 12), Qt::white);
    ASSERT_TRUE(dialog.LoadSkinFromText(
        QString("<w><control name='mode' type='combobox'><list>A</list><list>B</list></control>"
                "<control name='clock' type='imgnumber' figure='8' seperate='true'>"
                "<number src='%1' width='10' s_width='4' s_pos='3+'/></control></w>")
            .arg(strip)));
    auto *combo = dialog.Control<QComboBox>(kSkinComboBox, "mode");
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->currentIndex(), 0);
    ASSERT_TRUE(dialog.LoadSkinFromText(
        QString("<w><control name='mode' type='combobox'><list>A</list><list>B</list></control></w>")));
    EXPECT_EQ(combo->count(), 2);

    dialog.LoadSkinFromText(QString("<w><control name='clock' type='imgnumber' figure='8' seperate='true'>"
                                    "<number src='%1' width='10' s_width='4' s_pos='3+'/></control></w>")
                                .arg(strip));
    auto *number = dialog.Control<CImageNumber>(kSkinImgNumber, "clock");
    ASSERT_NE(number, nullptr);
    EXPECT_EQ(number->DigitCount(), 8);
    EXPECT_EQ(number->StripCellCount(), 11);
    EXPECT_EQ(number->Cell(2), 10); // separators at 3 and every third cell after
    EXPECT_EQ(number->Cell(5), 10);
}

TEST_F(SkinBuilderTest, LaterSubsystemsPlugInThroughFactories)
{
    ASSERT_TRUE(dialog.LoadSkinFromText(
        "<w><control name='gauge' type='speed' width='40' height='20' visible='true'/></w>"));
    QWidget *placeholder = dialog.GetControl(kSkinSpeed, "gauge");
    ASSERT_NE(placeholder, nullptr);
    EXPECT_EQ(placeholder->geometry(), QRect(0, 0, 40, 20));

    int configured = 0;
    QString seenColor;
    EXPECT_FALSE(t.runtime.RegisterControlFactory(kSkinSlider, {}));
    EXPECT_TRUE(t.runtime.RegisterControlFactory(kSkinGraph,
        { [](const SkinControlContext &c) {
             auto *w = new QLabel(c.dialog);
             w->setText(c.name);
             return w;
         },
            [&](QWidget *, const SkinControlContext &c) {
                ++configured;
                seenColor = *c.element.GetAttrValue("color");
            } }));
    CSkinDialog other(t.runtime);
    ASSERT_TRUE(other.LoadSkinFromText("<w><control name='g' type='graph' color='#123456'/></w>"));
    auto *label = qobject_cast<QLabel *>(other.GetControl(kSkinGraph, "g"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), "g");
    EXPECT_EQ(configured, 1);
    EXPECT_EQ(seenColor, "#123456");
    EXPECT_EQ(other.GetControlId(kSkinGraph, "g") & 0xFF00, 0xE700);
    ASSERT_TRUE(other.LoadSkinFromText("<w><control name='g' type='graph' color='#000000'/></w>"));
    EXPECT_EQ(configured, 2);
    EXPECT_EQ(other.GetControl(kSkinGraph, "g"), label);
}

TEST_F(SkinBuilderTest, SheetPagesAreNestedDescriptionsSharingTheSkin)
{
    ASSERT_TRUE(dialog.LoadSkinFromText("<w width='400' height='300'><control name='sheet' type='sheet' "
                                        "x='10' y='10' width='300' height='200' visible='true'>"
                                        "<page name='p1' title='First'><control name='inner' type='static' "
                                        "x='5' y='6' width='50' height='20' visible='true'>hi</control>"
                                        "<text name='p1text'>page text</text></page>"
                                        "<page name='p2' title='Second &amp; last'/></control></w>"));
    auto *sheet = dialog.Control<CSheetCtrlEx>(kSkinSheet, "sheet");
    ASSERT_NE(sheet, nullptr);
    ASSERT_EQ(sheet->PageCount(), 2);
    EXPECT_EQ(sheet->PageNames(), QStringList({ "p1", "p2" }));
    EXPECT_EQ(sheet->Tabs()->tabText(1), "Second & last");

    auto *inner = dialog.Control<CColorStatic>(kSkinStatic, "inner");
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->parentWidget(), sheet->Page(0));
    EXPECT_EQ(inner->text(), "hi");
    EXPECT_EQ(inner->geometry(), QRect(5, 6, 50, 20));
    EXPECT_EQ(dialog.Skin().Text("p1text"), "page text");

    dialog.show();
    sheet->ShowPage(1);
    // The page lies over the body of the tab control: (2 + 1, 2 + 21), (300 - 4) - 6 wide.
    EXPECT_EQ(sheet->Page(1)->geometry(), QRect(3, 23, 290, 171));
    EXPECT_TRUE(sheet->Page(1)->isVisible());
    EXPECT_FALSE(sheet->Page(0)->isVisible());
    EXPECT_EQ(sheet->Tabs()->currentIndex(), 1);

    // The user picking a tab shows its page.
    sheet->Tabs()->setCurrentIndex(0);
    EXPECT_TRUE(sheet->Page(0)->isVisible());
    EXPECT_EQ(sheet->CurrentPage(), 0);

    // Reloading the same description keeps two pages, and the shown one keeps its place.
    ASSERT_TRUE(dialog.LoadSkinFromText(
        "<w><control name='sheet' type='sheet' width='300' height='200' visible='true'>"
        "<page name='p1' title='First'/><page name='p2' title='Second'/></control></w>"));
    EXPECT_EQ(sheet->PageCount(), 2);
    EXPECT_EQ(sheet->Page(0)->geometry(), QRect(3, 23, 290, 171));
    EXPECT_TRUE(sheet->Page(0)->isVisible());
}

TEST_F(SkinBuilderTest, SliderRangeSetsMarginsOnly)
{
    const QString thumb = t.WriteSolid("th.bmp", QSize(10, 10), Qt::white);
    ASSERT_TRUE(dialog.LoadSkinFromText(QString(
        "<w><control name='s' type='slider' range='true' width='200' height='10'><thumb src='%1'/></control>"
        "<control name='p' type='slider' width='200' height='10'><thumb src='%1'/></control></w>")
                                            .arg(thumb)));
    auto *ranged = dialog.Control<CBitmapSlider>(kSkinSlider, "s");
    auto *plain = dialog.Control<CBitmapSlider>(kSkinSlider, "p");
    ASSERT_TRUE(ranged && plain);
    EXPECT_FALSE(ranged->IsRangeMode());
    EXPECT_EQ(ranged->PositionToPixel(ranged->GetRangeMin()), 0);
    EXPECT_EQ(ranged->PositionToPixel(ranged->GetRangeMax()), 200);
    EXPECT_EQ(plain->PositionToPixel(plain->GetRangeMin()), 5);
    EXPECT_EQ(plain->PositionToPixel(plain->GetRangeMax()), 195);
}

namespace {

std::vector<QString> g_skinWarnings;

void RecordSkinWarnings(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type == QtWarningMsg && QLatin1String(context.category) == QLatin1String("tavin.skin"))
        g_skinWarnings.push_back(text);
}

} // namespace

// A slip in the markup costs the element it is in, not the window: what could be read is
// built, and the error is logged with its place.
TEST_F(SkinBuilderTest, MarkupErrorsKeepWhatCouldBeRead)
{
    const QString button = t.WriteSolid("b.bmp", QSize(20, 10), Qt::green);
    g_skinWarnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(RecordSkinWarnings);
    // The button element is closed by the window's end tag.
    t.runtime.AddDescription("wrong_end",
        QString("<w width='120' height='60'>\n<text name='title'>Kept</text>\n"
                "<control name='play' x='4' y='4' visible='true'><state src='%1'/>\n</w>")
            .arg(button));
    const bool loaded = dialog.LoadSkin("wrong_end");
    // A start tag whose "/" is not followed by ">".
    const bool second = dialog.LoadSkinFromText(
        "<w width='90' height='40'><text name='title'>Also</text><control name='x' / ></w>");
    qInstallMessageHandler(previous);

    EXPECT_TRUE(loaded);
    EXPECT_TRUE(second);
    EXPECT_EQ(dialog.windowTitle(), "Also");
    EXPECT_EQ(dialog.size(), QSize(90, 40));
    ASSERT_EQ(g_skinWarnings.size(), 2u);
    EXPECT_TRUE(g_skinWarnings[0].contains("line 4")) << g_skinWarnings[0].toStdString();
    EXPECT_TRUE(g_skinWarnings[0].contains("</w>")) << g_skinWarnings[0].toStdString();

    ASSERT_TRUE(dialog.LoadSkin("wrong_end"));
    EXPECT_EQ(dialog.windowTitle(), "Kept");
    auto *play = dialog.Control<CImgButton>(kSkinImgButton, "play");
    ASSERT_NE(play, nullptr);
    EXPECT_TRUE(play->isVisibleTo(&dialog));
    EXPECT_EQ(play->geometry(), QRect(4, 4, 20, 10));
}

TEST_F(SkinBuilderTest, MissingEntryAndEmptyTextFail)
{
    EXPECT_FALSE(dialog.LoadSkin("nothing_here"));
    EXPECT_FALSE(dialog.LoadSkinFromText("just words"));
    t.runtime.AddDescription("Main_Small", "<w width='100' height='50'><text name='title'>Main</text></w>");
    EXPECT_TRUE(dialog.LoadSkin("main_small"));
    EXPECT_TRUE(dialog.LoadSkin("MAIN_SMALL"));
    EXPECT_EQ(dialog.windowTitle(), "Main");
}
