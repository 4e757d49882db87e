#include "SkinTestSupport.h"

#include "skin/CBitmapSlider.h"
#include "skin/CEditEx.h"
#include "skin/CImageNumber.h"
#include "skin/CImgButton.h"
#include "skin/CSkinDialog.h"
#include "skin/CXInfoTip.h"
#include "skin/WindowMessageEvent.h"

#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace skin;

namespace {

// Collects the slider messages posted to it.
class MessageSink : public QWidget
{
public:
    std::vector<std::pair<quint32, qintptr>> messages;

protected:
    bool event(QEvent *event) override
    {
        if (event->type() == WindowMessageEvent::EventType()) {
            auto *m = static_cast<WindowMessageEvent *>(event);
            messages.push_back({ m->Message(), m->LParam() });
            return true;
        }
        return QWidget::event(event);
    }
};

} // namespace

TEST(CImgButtonTest, ShowsTheBitmapOfItsStateAtItsSize)
{
    skintest::TestSkin t;
    QWidget parent;
    CImgButton button(&parent, true);
    button.SetStateImage(
        CImgButton::kNormal, t.Folder() + "/" + t.WriteSolid("n.bmp", QSize(30, 20), Qt::gray), 0xFF00FF);
    button.SetStateImage(
        CImgButton::kHover, t.Folder() + "/" + t.WriteSolid("h.bmp", QSize(32, 22), Qt::gray), 0xFF00FF);
    button.SetStateImage(
        CImgButton::kClick, t.Folder() + "/" + t.WriteSolid("c.bmp", QSize(34, 24), Qt::gray, 2), 0xFF00FF);
    parent.show();
    EXPECT_EQ(button.size(), QSize(30, 20));
    button.resize(5, 5); // whoever resizes it, it keeps its bitmap's size
    EXPECT_EQ(button.size(), QSize(30, 20));

    QEnterEvent enter(QPointF(3, 3), QPointF(3, 3), QPointF(3, 3));
    QCoreApplication::sendEvent(&button, &enter);
    EXPECT_EQ(button.CurrentState(), CImgButton::kHover);
    EXPECT_EQ(button.size(), QSize(32, 22));

    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(button.isChecked());
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&button, &leave);
    // Checked: the click bitmap while the mouse is elsewhere, shaped without its frame.
    EXPECT_EQ(button.CurrentState(), CImgButton::kClick);
    EXPECT_EQ(button.size(), QSize(34, 24));
    EXPECT_EQ(button.mask().boundingRect(), QRect(2, 2, 30, 20));

    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(10, 10));
    QCoreApplication::sendEvent(&button, &leave);
    EXPECT_FALSE(button.isChecked());
    EXPECT_EQ(button.CurrentState(), CImgButton::kNormal);
    EXPECT_EQ(button.size(), QSize(30, 20));

    // Without a disable bitmap a disabled button shows its normal one.
    button.setEnabled(false);
    EXPECT_EQ(button.CurrentState(), CImgButton::kDisable);
    EXPECT_EQ(button.ShownState(), CImgButton::kNormal);

    // Qt tells a disabled button that the pointer entered; the disable bitmap stays (the
    // current category button is disabled and the pointer often rests on it).
    button.SetStateImage(
        CImgButton::kDisable, t.Folder() + "/" + t.WriteSolid("d.bmp", QSize(36, 26), Qt::gray), 0xFF00FF);
    QCoreApplication::sendEvent(&button, &enter);
    EXPECT_EQ(button.ShownState(), CImgButton::kDisable);
    EXPECT_EQ(button.size(), QSize(36, 26));
    button.setEnabled(true); // the pointer is still over it
    EXPECT_EQ(button.ShownState(), CImgButton::kHover);
    EXPECT_EQ(button.size(), QSize(32, 22));
}

TEST(CBitmapSliderTest, PositionsAndPixels)
{
    CBitmapSlider slider;
    slider.resize(200, 10);
    QImage thumb(10, 10, QImage::Format_RGB32);
    thumb.fill(Qt::white);
    skintest::TestSkin t;
    ASSERT_TRUE(slider.SetBitmapThumb(t.Folder() + "/" + t.WriteBmp("th.bmp", thumb), false, 0));
    slider.SetRange(0, 100);
    // thumb / 2 + trunc(0.5 x (200 - 10))
    EXPECT_EQ(slider.PositionToPixel(50), 100);
    EXPECT_EQ(slider.PositionToPixel(0), 5);
    EXPECT_EQ(slider.PositionToPixel(100), 195);
    EXPECT_EQ(slider.PixelToPosition(100), 50);
    EXPECT_EQ(slider.PixelToPosition(5), 0);
    EXPECT_EQ(slider.PixelToPosition(195), 100);
    EXPECT_EQ(slider.PixelToPosition(6), 0); // 1/190 of the range truncates to 0

    slider.SetMargin(10, 0, 20, 0);
    EXPECT_EQ(slider.PositionToPixel(50), 5 + 10 + 80);
    // With "range" margins the thumb's centre reaches both ends.
    slider.SetMargin(-5, 0, -5, 0);
    EXPECT_EQ(slider.PositionToPixel(0), 0);
    EXPECT_EQ(slider.PositionToPixel(100), 200);

    slider.SetPos(150);
    EXPECT_EQ(slider.GetPos(), 100);
    slider.SetPos(-3);
    EXPECT_EQ(slider.GetPos(), 0);

    CBitmapSlider flat;
    flat.SetRange(5, 5);
    EXPECT_EQ(flat.PixelToPosition(3), 5);
}

TEST(CBitmapSliderTest, RangeModeKeepsThePositionsApart)
{
    CBitmapSlider slider;
    slider.resize(200, 10);
    slider.SetRange(0, 10000);
    slider.SetRangeMode(true);
    slider.SetPos(5000);
    slider.SetPos2(4500);
    EXPECT_EQ(slider.GetPos2(), 4000);
    slider.SetPos(4200);
    EXPECT_EQ(slider.GetPos(), 5000);
    slider.SetPos2(-10);
    EXPECT_EQ(slider.GetPos2(), 0);
    slider.SetPos(500);
    EXPECT_EQ(slider.GetPos(), 1000);
}

TEST(CBitmapSliderTest, MovingOnlyWhenThePixelChangesMovedAlways)
{
    skintest::TestSkin t;
    MessageSink sink;
    CBitmapSlider slider(&sink);
    slider.resize(200, 10);
    QImage thumb(10, 10, QImage::Format_RGB32);
    thumb.fill(Qt::white);
    slider.SetBitmapThumb(t.Folder() + "/" + t.WriteBmp("th.bmp", thumb), false, 0);
    slider.SetRange(0, 1000);
    slider.SetPos(500);
    sink.show();
    const int centre = slider.PositionToPixel(500);

    // Press on the thumb, two pixels off its centre, and release without moving.
    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(centre + 2, 5));
    QTest::mouseMove(&slider, QPoint(centre + 2, 5));
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(centre + 2, 5));
    skintest::DeliverPosted();
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].first, kMsgSliderMoved);
    EXPECT_EQ(sink.messages[0].second, 500);

    // A drag by 19 pixels moves the thumb by 19 pixels.
    sink.messages.clear();
    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(centre, 5));
    QMouseEvent move(QEvent::MouseMove, QPointF(centre + 19, 5), slider.mapToGlobal(QPointF(centre + 19, 5)),
        Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&slider, &move);
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(centre + 19, 5));
    skintest::DeliverPosted();
    ASSERT_EQ(sink.messages.size(), 2u);
    EXPECT_EQ(sink.messages[0].first, kMsgSliderMoving);
    EXPECT_EQ(sink.messages[1].first, kMsgSliderMoved);
    EXPECT_EQ(slider.PositionToPixel(slider.GetPos()), centre + 19);
    EXPECT_EQ(sink.messages[1].second, slider.GetPos());

    // A disabled slider ignores presses.
    sink.messages.clear();
    slider.Enable(false);
    QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(20, 5));
    skintest::DeliverPosted();
    EXPECT_TRUE(sink.messages.empty());
}

TEST(CImageNumberTest, CellsAndLeadingZeros)
{
    skintest::TestSkin t;
    CImageNumber number;
    ASSERT_TRUE(number.SetDigitStrip(
        t.Folder() + "/" + t.WriteSolid("d.bmp", QSize(100, 14), Qt::white), 10, 0xFF00FF));
    EXPECT_EQ(number.StripCellCount(), 10);
    number.SetDigitCount(4);
    number.SetSpacing(3);
    const int digits[4] = { 0, 0, 4, 2 };
    for (int i = 0; i < 4; ++i)
        number.SetCell(i, digits[i]);
    auto drawn = number.Layout();
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_EQ(drawn[0].value, 4);
    EXPECT_EQ(drawn[0].x, 26);
    EXPECT_EQ(drawn[1].value, 2);
    EXPECT_EQ(drawn[1].x, 39);

    number.ResetCells();
    drawn = number.Layout();
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].index, 3);
    number.SetShowLeadingZeros(true);
    EXPECT_EQ(number.Layout().size(), 4u);

    number.SetShowLeadingZeros(false);
    number.SetNumber(507);
    EXPECT_EQ(number.Cell(0), 0);
    EXPECT_EQ(number.Cell(1), 5);
    EXPECT_EQ(number.Cell(3), 7);
    EXPECT_EQ(number.Layout().size(), 3u); // an inner zero is drawn
}

TEST(CImageNumberTest, SeparatorCells)
{
    skintest::TestSkin t;
    const QString strip = t.Folder() + "/" + t.WriteSolid("d.bmp", QSize(110, 14), Qt::white);
    CImageNumber time;
    time.SetSpacing(2);
    ASSERT_TRUE(time.SetDigitStrip(strip, 10, 4, 3, true, 0xFF00FF));
    time.SetDigitCount(8);
    time.ResetCells();
    // dd:dd:dd
    const int cells[8] = { 0, 0, 10, 0, 0, 10, 0, 0 };
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(time.Cell(i), cells[i]);
    auto drawn = time.Layout();
    ASSERT_EQ(drawn.size(), 8u);
    const int xs[8] = { 0, 12, 24, 28, 40, 52, 56, 68 };
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(drawn[i].x, xs[i]) << i;
    EXPECT_EQ(drawn[2].width, 4);
    EXPECT_EQ(drawn[3].width, 10);

    CImageNumber speed; // one separator at the given cell, spaced on both sides
    speed.SetSpacing(2);
    ASSERT_TRUE(speed.SetDigitStrip(strip, 10, 4, 2, false, 0xFF00FF));
    speed.SetDigitCount(4);
    drawn = speed.Layout();
    ASSERT_EQ(drawn.size(), 4u);
    EXPECT_EQ(drawn[1].x, 12);
    EXPECT_EQ(drawn[2].x, 24);
    EXPECT_EQ(drawn[2].width, 4);
    EXPECT_EQ(drawn[3].x, 12 * 2 + 4 + 2);
}

TEST(CEditExTest, SpinStaysInRange)
{
    QWidget parent;
    CEditEx edit(&parent);
    edit.resize(80, 20);
    edit.SetRange(1, 3);
    edit.SetValue(2);
    EXPECT_EQ(edit.Text(), "2");
    edit.SetValue(9);
    EXPECT_EQ(edit.Text(), "2");
    edit.Spin(1);
    EXPECT_EQ(edit.Text(), "3");
    edit.Spin(1);
    EXPECT_EQ(edit.Text(), "3");
    edit.Spin(-2);
    EXPECT_EQ(edit.Text(), "1");
    // The spin arrows sit in a square at the right edge; the edit ends where they begin.
    ASSERT_NE(edit.SpinButton(), nullptr);
    EXPECT_EQ(edit.SpinButton()->geometry(), QRect(60, 0, 20, 20));
    EXPECT_EQ(edit.Edit()->geometry(), QRect(0, 0, 60, 20));
}

TEST(CXInfoTipTest, ShowsAfterRestingAndHidesLater)
{
    skintest::TestSkin t;
    CSkinDialog dialog(t.runtime);
    ASSERT_TRUE(dialog.LoadSkinFromText(
        "<w width='200' height='100'>"
        "<control name='b' type='button' x='10' y='10' width='50' height='20' visible='true'>B"
        "<tooltip>Help text</tooltip></control>"
        "<control name='n' type='button' x='100' y='10' width='50' height='20' "
        "visible='true'>N</control></w>"));
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    CXInfoTip *tip = dialog.Skin().Tooltip();
    ASSERT_NE(tip, nullptr);
    QWidget *button = dialog.GetControl(kSkinButton, "b");
    const QPoint global = button->mapToGlobal(QPoint(5, 5));
    tip->SetCursorSource([global] { return global; });

    auto moveOver = [](QWidget *w, QPoint local, Qt::MouseButtons buttons = Qt::NoButton) {
        QMouseEvent e(QEvent::MouseMove, QPointF(local), QPointF(w->mapToGlobal(local)), Qt::NoButton,
            buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &e);
    };
    moveOver(button, QPoint(5, 5));
    EXPECT_EQ(tip->State(), CXInfoTip::kWaiting);
    EXPECT_EQ(tip->CurrentText(), "Help text");
    t.clock->Advance(500);
    EXPECT_FALSE(tip->isVisible());
    t.clock->Advance(100); // the sixth tick
    EXPECT_TRUE(tip->isVisible());
    EXPECT_EQ(tip->State(), CXInfoTip::kShown);
    EXPECT_GE(tip->y(), global.y());
    t.clock->Advance(1000);
    EXPECT_TRUE(tip->isVisible());
    t.clock->Advance(100); // more than 10 further ticks
    EXPECT_FALSE(tip->isVisible());
    EXPECT_FALSE(tip->IsTimerActive());

    // A click hides it at once.
    moveOver(button, QPoint(6, 6));
    tip->SetCursorSource([button] { return button->mapToGlobal(QPoint(6, 6)); });
    t.clock->Advance(600);
    EXPECT_TRUE(tip->isVisible());
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(6, 6));
    EXPECT_FALSE(tip->isVisible());
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(6, 6));

    // A pointer that keeps moving never gets a tip; a control without one neither.
    moveOver(button, QPoint(7, 7));
    tip->SetCursorSource([button] { return button->mapToGlobal(QPoint(8, 8)); });
    t.clock->Advance(1000);
    EXPECT_FALSE(tip->isVisible());
    QWidget *plain = dialog.GetControl(kSkinButton, "n");
    moveOver(&dialog, plain->geometry().center());
    EXPECT_FALSE(tip->IsTimerActive());
}
