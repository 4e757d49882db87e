#include "SkinTestSupport.h"

#include "skin/CBitmapSlider.h"
#include "skin/CColorStatic.h"
#include "skin/CEditEx.h"
#include "skin/CImgButton.h"
#include "skin/CSkinDialog.h"
#include "skin/CSkinListCtrl.h"
#include "skin/WindowMessageEvent.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace skin;

namespace {

// A dialog that records what reaches its own message handling.
class RecordingDialog : public CSkinDialog
{
public:
    using CSkinDialog::CSkinDialog;
    std::vector<quint32> own;

protected:
    bool WindowProc(WindowMessageEvent &message) override
    {
        own.push_back(message.Message());
        return CSkinDialog::WindowProc(message);
    }
};

} // namespace

class SkinDialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        btn = t.WriteSolid("btn.bmp", QSize(20, 20), Qt::green);
        channel = t.WriteSolid("ch.bmp", QSize(200, 10), Qt::darkGray);
        thumb = t.WriteSolid("th.bmp", QSize(10, 10), Qt::white);
        const QString skinText = QString(
            "<w width='400' height='300'>"
            "<control name='play' x='10' y='10' visible='true'><state src='%1'/></control>"
            "<control name='quiet' x='40' y='10' visible='true'><state src='%1'/></control>"
            "<control name='vol' type='slider' x='10' y='50' width='200' height='10' visible='true'>"
            "<channel src='%2'/><thumb src='%3'/></control>"
            "<control name='files' type='listctrl' x='10' y='80' width='200' height='100' visible='true'>"
            "<column width='100'>Name</column><column width='80'>Size</column></control>"
            "<control name='mode' type='combobox' x='220' y='10' width='100' height='20' visible='true'>"
            "<list>a</list><list>b</list></control>"
            "<control name='name' type='editbox' x='220' y='40' width='100' height='20' visible='true'/>"
            "<control name='label' type='static' notify='true' x='220' y='70' width='100' height='20' "
            "visible='true'>L</control>"
            "<control name='go' type='button' x='220' y='100' width='60' height='24' "
            "visible='true'>Go</control>"
            "<control name='day' type='date' x='220' y='130' width='120' height='24' visible='true'/>"
            "</w>")
                                     .arg(btn, channel, thumb);
        t.runtime.AddDescription("test_main", skinText);
        dialog = std::make_unique<RecordingDialog>(t.runtime);
        ASSERT_TRUE(dialog->LoadSkin("test_main"));
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }

    skintest::TestSkin t;
    QString btn, channel, thumb;
    std::unique_ptr<RecordingDialog> dialog;
};

TEST_F(SkinDialogTest, ClickReachesTheDelegateThroughTheRouter)
{
    int clicks = 0;
    ASSERT_TRUE(dialog->RegisterEvent("play", kSkinImgButton, kEventClick, ClickDelegate([&] { ++clicks; })));
    auto *play = dialog->Control<CImgButton>(kSkinImgButton, "play");
    QTest::mouseClick(play, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks, 1);
    // A click on a button without a delegate is swallowed by the router too.
    QTest::mouseClick(dialog->GetControl(kSkinImgButton, "quiet"), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(std::find(dialog->own.begin(), dialog->own.end(), kMsgCommand) == dialog->own.end());

    // A command from an identifier outside the routed ranges goes to the dialog itself.
    dialog->SendMessage(kMsgCommand, CommandWParam(0x1234, 0), 0);
    EXPECT_EQ(dialog->own.size(), 1u);
    dialog->PostMessage(0x8001, 1, 2);
    skintest::DeliverPosted();
    ASSERT_EQ(dialog->own.size(), 2u);
    EXPECT_EQ(dialog->own[1], 0x8001u);

    QTest::mouseClick(dialog->GetControl(kSkinButton, "go"), Qt::LeftButton);
    int goes = 0;
    ASSERT_TRUE(dialog->RegisterEvent("go", kSkinButton, kEventClick, ClickDelegate([&] { ++goes; })));
    QTest::mouseClick(dialog->GetControl(kSkinButton, "go"), Qt::LeftButton);
    EXPECT_EQ(goes, 1);
}

TEST_F(SkinDialogTest, TypedDelegatesCallMemberFunctions)
{
    struct Target {
        int clicks = 0;
        void OnPlay() { ++clicks; }
    } target;
    ASSERT_TRUE(
        dialog->RegisterEvent("play", kSkinImgButton, kEventClick, MakeDelegate(&target, &Target::OnPlay)));
    QTest::mouseClick(dialog->GetControl(kSkinImgButton, "play"), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(target.clicks, 1);
    // A second registration replaces the first.
    int replaced = 0;
    ASSERT_TRUE(
        dialog->RegisterEvent("play", kSkinImgButton, kEventClick, ClickDelegate([&] { ++replaced; })));
    QTest::mouseClick(dialog->GetControl(kSkinImgButton, "play"), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(target.clicks, 1);
    EXPECT_EQ(replaced, 1);
}

TEST_F(SkinDialogTest, RegisteringForMissingControlsOrEventsDoesNothing)
{
    EXPECT_FALSE(dialog->RegisterEvent("nope", kSkinImgButton, kEventClick, ClickDelegate([] {})));
    EXPECT_FALSE(dialog->RegisterEvent("play", kSkinImgButton, kEventChange, ClickDelegate([] {})));
    EXPECT_FALSE(dialog->RegisterEvent("play", kSkinSlider, kEventClick, ClickDelegate([] {})));
    EXPECT_EQ(t.runtime.Delegates().Size(), 0u);
}

TEST_F(SkinDialogTest, SliderDragReportsPositionsThroughValue)
{
    std::vector<qintptr> values;
    ASSERT_TRUE(dialog->RegisterEvent(
        "vol", kSkinSlider, kEventClick, ValueDelegate([&](qintptr v) { values.push_back(v); })));
    auto *slider = dialog->Control<CBitmapSlider>(kSkinSlider, "vol");
    ASSERT_NE(slider, nullptr);
    slider->SetRange(0, 100);
    slider->SetPos(0);
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(100, 5));
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(100, 5));
    skintest::DeliverPosted();
    // The press jumps the thumb (moving), the release reports the end (moved).
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0], slider->GetPos());
    EXPECT_EQ(values[1], slider->GetPos());
    EXPECT_EQ(slider->GetPos(), slider->PixelToPosition(100));
}

TEST_F(SkinDialogTest, ListClicksDeliverItemAndSubItem)
{
    auto *list = dialog->Control<CSkinListCtrl>(kSkinListCtrl, "files");
    ASSERT_NE(list, nullptr);
    for (int i = 0; i < 3; ++i) {
        list->InsertItem(i);
        list->SetItemText(i, 1, QString("file%1").arg(i));
        list->SetItemText(i, 2, QString::number(i));
    }
    std::vector<std::pair<int, int>> clicks, doubles;
    ASSERT_TRUE(
        dialog->RegisterEvent("files", kSkinListCtrl, kEventClick, ItemDelegate([&](int item, int sub) {
            clicks.push_back({ item, sub });
        })));
    ASSERT_TRUE(
        dialog->RegisterEvent("files", kSkinListCtrl, kEventDoubleClick, ItemDelegate([&](int item, int sub) {
            doubles.push_back({ item, sub });
        })));
    list->doItemsLayout();
    const QRect row1 = list->visualRect(list->model()->index(1, 2));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row1.center());
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0], std::make_pair(1, 2));
    EXPECT_EQ(list->GetSelectedItem(), 1);
    // A user's double click through the window: press, release, press (reported as a double
    // click), release. The dialog hears the first click and the double click, nothing more.
    QTest::mouseDClick(
        dialog->windowHandle(), Qt::LeftButton, {}, list->viewport()->mapTo(dialog.get(), row1.center()));
    ASSERT_EQ(doubles.size(), 1u);
    EXPECT_EQ(doubles[0], std::make_pair(1, 2));
    EXPECT_EQ(clicks.size(), 2u);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row1.center());
    EXPECT_EQ(clicks.size(), 3u);
    // Below the last row there is no item.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(10, list->viewport()->height() - 2));
    EXPECT_EQ(clicks.back().first, -1);
}

TEST_F(SkinDialogTest, ChangeEventsDeliverTheControl)
{
    qintptr comboValue = 0, editValue = 0, dateValue = 0;
    int staticClicks = 0, staticDoubles = 0;
    ASSERT_TRUE(dialog->RegisterEvent(
        "mode", kSkinComboBox, kEventChange, ValueDelegate([&](qintptr v) { comboValue = v; })));
    ASSERT_TRUE(dialog->RegisterEvent(
        "name", kSkinEditBox, kEventChange, ValueDelegate([&](qintptr v) { editValue = v; })));
    ASSERT_TRUE(dialog->RegisterEvent(
        "day", kSkinDate, kEventChange, ValueDelegate([&](qintptr v) { dateValue = v; })));
    ASSERT_TRUE(
        dialog->RegisterEvent("label", kSkinStatic, kEventClick, ClickDelegate([&] { ++staticClicks; })));
    ASSERT_TRUE(dialog->RegisterEvent(
        "label", kSkinStatic, kEventDoubleClick, ClickDelegate([&] { ++staticDoubles; })));

    auto *combo = dialog->Control<QComboBox>(kSkinComboBox, "mode");
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    EXPECT_EQ(combo->currentIndex(), 1);
    EXPECT_EQ(comboValue, reinterpret_cast<qintptr>(combo));

    auto *edit = dialog->Control<CEditEx>(kSkinEditBox, "name");
    QTest::keyClicks(edit->Edit(), "ab");
    EXPECT_EQ(editValue, 0); // the edit's change is posted
    skintest::DeliverPosted();
    EXPECT_EQ(editValue, reinterpret_cast<qintptr>(edit));

    auto *date = dialog->Control<QDateEdit>(kSkinDate, "day");
    date->setDate(QDate(2020, 2, 3));
    EXPECT_EQ(dateValue, reinterpret_cast<qintptr>(date));

    QWidget *label = dialog->GetControl(kSkinStatic, "label");
    QTest::mouseClick(label, Qt::LeftButton);
    EXPECT_EQ(staticClicks, 1);
    QTest::mouseDClick(dialog->windowHandle(), Qt::LeftButton, {}, label->geometry().center());
    EXPECT_EQ(staticDoubles, 1);
    EXPECT_EQ(staticClicks, 2); // the first click of the two, not the release that ends them
}

TEST_F(SkinDialogTest, DelegatesLeaveWithTheirDialog)
{
    ASSERT_TRUE(dialog->RegisterEvent("play", kSkinImgButton, kEventClick, ClickDelegate([] {})));
    EXPECT_EQ(t.runtime.Delegates().Size(), 1u);
    dialog.reset();
    EXPECT_EQ(t.runtime.Delegates().Size(), 0u);
}

TEST(SkinDialogWindow, ShapeFromTheTransparentColour)
{
    skintest::TestSkin t;
    // 40 x 30 picture with a 5-pixel magenta frame and a magenta hole in its middle row.
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(QColor(255, 0, 255));
    for (int y = 5; y < 25; ++y)
        for (int x = 5; x < 35; ++x)
            picture.setPixelColor(
                x, y, (y == 15 && x >= 10 && x < 20) ? QColor(255, 0, 255) : QColor(10, 20, 30));
    const QString path = t.WriteBmp("shape.bmp", picture);

    CSkinDialog dialog(t.runtime);
    ASSERT_TRUE(dialog.LoadSkinFromText(QString("<w src='%1' transcolor='#FF00FF'/>").arg(path)));
    EXPECT_EQ(dialog.size(), QSize(40, 30));
    const QRegion shape = dialog.Shape();
    EXPECT_EQ(dialog.mask(), shape);
    EXPECT_EQ(shape.boundingRect(), QRect(5, 5, 30, 20));
    EXPECT_TRUE(shape.contains(QPoint(5, 5)));
    EXPECT_FALSE(shape.contains(QPoint(4, 5)));
    EXPECT_FALSE(shape.contains(QPoint(12, 15)));
    EXPECT_TRUE(shape.contains(QPoint(20, 15)));
    // Pixel count: 30 x 20 less the 10-pixel hole.
    int area = 0;
    for (const QRect &r : shape)
        area += r.width() * r.height();
    EXPECT_EQ(area, 30 * 20 - 10);

    // A description without "transcolor" removes the shape.
    ASSERT_TRUE(dialog.LoadSkinFromText(QString("<w src='%1'/>").arg(path)));
    EXPECT_TRUE(dialog.mask().isEmpty());
}

TEST(SkinDialogWindow, SixteenBitFilesCompareInTheirOwnFormat)
{
    // A 5-6-5 file: the transparent colour matches after conversion to the file's format.
    SkinBitmap exact = SkinBitmap::FromImage(QImage(), 16);
    EXPECT_TRUE(exact.IsTransparent(qRgb(0xF8, 0x00, 0xF8), 0xFF00FF));
    EXPECT_FALSE(exact.IsTransparent(qRgb(0xF8, 0x04, 0xF8), 0xFF00FF));
    SkinBitmap full = SkinBitmap::FromImage(QImage(), 24);
    EXPECT_FALSE(full.IsTransparent(qRgb(0xF8, 0x00, 0xF8), 0xFF00FF));
    EXPECT_TRUE(full.IsTransparent(qRgb(0xFF, 0x00, 0xFF), 0xFF00FF));
}

TEST(SkinDialogWindow, DragRectangleAndLinks)
{
    skintest::TestSkin t;
    CSkinDialog dialog(t.runtime);
    ASSERT_TRUE(dialog.LoadSkinFromText("<w width='200' height='100'/>"));
    EXPECT_EQ(dialog.DragRect(), (SkinRect { 0, 0, 200, 100 }));
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QTest::mousePress(&dialog, Qt::LeftButton, {}, QPoint(150, 80));
    EXPECT_TRUE(dialog.IsDragArmed());
    QTest::mouseRelease(&dialog, Qt::LeftButton, {}, QPoint(150, 80));

    ASSERT_TRUE(dialog.LoadSkinFromText(
        "<w width='200' height='100'><area name='drag' width='200' height='20'/>"
        "<area name='site' x='50' y='50' width='20' height='20' href='https://example.org/x'/></w>"));
    EXPECT_EQ(dialog.DragRect(), (SkinRect { 0, 0, 200, 20 }));
    QTest::mousePress(&dialog, Qt::LeftButton, {}, QPoint(150, 80));
    EXPECT_FALSE(dialog.IsDragArmed());
    QTest::mouseRelease(&dialog, Qt::LeftButton, {}, QPoint(150, 80));
    QTest::mousePress(&dialog, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(dialog.IsDragArmed());
    QTest::mouseRelease(&dialog, Qt::LeftButton, {}, QPoint(10, 10));

    QTest::mouseMove(&dialog, QPoint(55, 55));
    EXPECT_EQ(dialog.cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(&dialog, Qt::LeftButton, {}, QPoint(55, 55));
    ASSERT_EQ(t.openedUrls.size(), 1u);
    EXPECT_EQ(t.openedUrls[0], QUrl("https://example.org/x"));
}

TEST(SkinDialogWindow, FailedInitialisationTellsAndCloses)
{
    skintest::TestSkin t;
    RecordingDialog dialog(t.runtime);
    EXPECT_FALSE(dialog.InitSkin("missing_entry"));
    ASSERT_EQ(t.messages.size(), 1u);
    EXPECT_EQ(t.messages[0].text, "Fail to load skin file. Please reinstall program.");
    EXPECT_EQ(t.messages[0].flags & 0xF0, kMbIconError);
    skintest::DeliverPosted();
    ASSERT_EQ(dialog.own.size(), 1u);
    EXPECT_EQ(dialog.own[0], kMsgClose);

    // With a skin already loaded, the keyed caption is used.
    ASSERT_TRUE(dialog.LoadSkinFromText("<w><text name='err_title'>Oops</text></w>"));
    EXPECT_FALSE(dialog.InitSkin("missing_entry"));
    EXPECT_EQ(t.messages.back().caption, "Oops");
}
