#include "SkinTestSupport.h"

#include "skin/CSkinDialog.h"
#include "skin/CSkinHeaderCtrl.h"
#include "skin/CSkinListCtrl.h"
#include "skin/CSkinVScrollbar.h"

#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

using namespace skin;

class SkinListTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const QString span = t.WriteSolid("sb/span.bmp", QSize(16, 10), QColor(40, 40, 40));
        const QString top = t.WriteSolid("sb/top.bmp", QSize(16, 8), Qt::gray);
        const QString mid = t.WriteSolid("sb/mid.bmp", QSize(16, 10), Qt::gray);
        const QString bottom = t.WriteSolid("sb/bottom.bmp", QSize(16, 8), Qt::gray);
        const QString up = t.WriteSolid("sb/up.bmp", QSize(16, 21), Qt::lightGray);
        const QString down = t.WriteSolid("sb/down.bmp", QSize(16, 21), Qt::lightGray);
        const QString on = t.WriteSolid("on.bmp", QSize(12, 12), Qt::green);
        const QString off = t.WriteSolid("off.bmp", QSize(12, 12), Qt::red);
        ASSERT_TRUE(dialog.LoadSkinFromText(QString(
            "<w width='400' height='300'>"
            "<control name='files' type='listctrl' header='true' sort='true' x='10' y='10' width='300' "
            "height='200' visible='true'>"
            "<vscroll span='%1' thumbtop='%2' thumbmid='%3' thumbbottom='%4' up='%5' down='%6' ID='4001'/>"
            "<checkbox on='%7' off='%8'/>"
            "<column width='150'>Name</column><column width='100'>Length</column></control></w>")
                                                .arg(span, top, mid, bottom, up, down, on, off)));
        list = dialog.Control<CSkinListCtrl>(kSkinListCtrl, "files");
        ASSERT_NE(list, nullptr);
        bar = list->ScrollBar();
        ASSERT_NE(bar, nullptr);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }

    void Fill(int rows)
    {
        for (int i = 0; i < rows; ++i) {
            list->InsertItem(i);
            list->SetItemText(i, 1, QString("rec%1").arg(i, 3, 10, QChar('0')));
        }
        list->doItemsLayout();
        QCoreApplication::processEvents();
    }

    // The thumb travels between the two 21-pixel arrows, 6 pixels clear of each.
    int LowestThumbTop() const { return 200 - bar->ThumbHeight() - 27; }

    skintest::TestSkin t;
    CSkinDialog dialog { t.runtime };
    CSkinListCtrl *list = nullptr;
    CSkinVScrollbar *bar = nullptr;
};

TEST_F(SkinListTest, ScrollBarReplacesTheNativeOne)
{
    EXPECT_EQ(list->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(bar->parentWidget(), &dialog);
    EXPECT_EQ(bar->geometry(), QRect(10 + 300 - 16, 10, 16, 200));
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->ThumbHeight(), 8 + 8 + 10);
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::ExtendedSelection);
    list->hide();
    EXPECT_FALSE(bar->isVisible());
    list->show();
    EXPECT_TRUE(bar->isVisible());
}

TEST_F(SkinListTest, ThumbFollowsTheScrollPosition)
{
    Fill(60);
    ASSERT_GT(list->ScrollLimit(), 10);
    EXPECT_EQ(bar->ThumbTop(), 27);
    list->ScrollLines(list->ScrollLimit() / 2);
    EXPECT_NEAR(bar->ThumbTop(), (27 + LowestThumbTop()) / 2, 2); // half way down, half way along
    list->ScrollLines(1000);
    EXPECT_EQ(list->ScrollPos(), list->ScrollLimit());
    EXPECT_EQ(bar->ThumbTop(), LowestThumbTop());
}

TEST_F(SkinListTest, HoldingTheDownArrowRepeatsThenPages)
{
    Fill(60);
    const int page = list->verticalScrollBar()->pageStep();
    ASSERT_GT(page, 1);
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(8, 200 - 5));
    EXPECT_TRUE(bar->IsDownPressed());
    t.clock->Advance(299);
    EXPECT_EQ(list->ScrollPos(), 0);
    t.clock->Advance(1); // 300 ms after the press
    EXPECT_EQ(list->ScrollPos(), 1);
    t.clock->Advance(200);
    EXPECT_EQ(list->ScrollPos(), 2);
    t.clock->Advance(400);
    EXPECT_EQ(list->ScrollPos(), 4);
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(8, 200 - 5));
    EXPECT_EQ(list->ScrollPos(), 4 + page);
    EXPECT_FALSE(bar->IsDownPressed());
    t.clock->Advance(1000);
    EXPECT_EQ(list->ScrollPos(), 4 + page);

    // A short click on the up arrow pages up.
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(8, 5));
    EXPECT_EQ(list->ScrollPos(), 4);
}

TEST_F(SkinListTest, DraggingTheThumbScrollsByRows)
{
    Fill(60);
    const auto dragTo = [this](int y) {
        QMouseEvent move(QEvent::MouseMove, QPointF(8, y), bar->mapToGlobal(QPointF(8, y)), Qt::NoButton,
            Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(bar, &move);
    };
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(8, bar->ThumbTop() + 5));
    EXPECT_TRUE(bar->IsDragging());
    // The thumb's middle follows the pointer; the bar's middle shows the middle row.
    dragTo(100);
    EXPECT_EQ(bar->ThumbTop() + bar->ThumbHeight() / 2, 100);
    EXPECT_NEAR(list->ScrollPos(), list->ScrollLimit() / 2, 1);
    dragTo(199);
    EXPECT_EQ(list->ScrollPos(), list->ScrollLimit());
    dragTo(120);
    const int pos = list->ScrollPos();
    EXPECT_GT(pos, list->ScrollLimit() / 2);
    EXPECT_LT(pos, list->ScrollLimit());
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(8, 120));
    EXPECT_FALSE(bar->IsDragging());
    EXPECT_EQ(list->ScrollPos(), pos); // a drag does not page
}

TEST_F(SkinListTest, WheelScrollsOneLinePerNotch)
{
    Fill(60);
    auto wheel = [this](int delta) {
        const QPointF at(50, 50);
        QWheelEvent e(at, list->viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
            Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(list->viewport(), &e);
    };
    wheel(-120);
    EXPECT_EQ(list->ScrollPos(), 1);
    wheel(-240);
    EXPECT_EQ(list->ScrollPos(), 3);
    wheel(120);
    EXPECT_EQ(list->ScrollPos(), 2);
}

TEST_F(SkinListTest, SortsByTextAndReversesOnTheSameColumn)
{
    const char *names[] = { "9", "10", "2", "b", "A" };
    for (int i = 0; i < 5; ++i) {
        list->InsertItem(i, QString::number(i));
        list->SetItemText(i, 1, names[i]);
        list->SetItemData(i, 100 + i); // as the library keeps its file index in each row
    }
    list->SetCheck(2, true);
    EXPECT_EQ(list->CheckedItem(), 2);
    emit list->Header()->sectionClicked(1);
    QStringList sorted;
    for (int i = 0; i < 5; ++i)
        sorted << list->GetItemText(i, 1);
    EXPECT_EQ(sorted, QStringList({ "10", "2", "9", "A", "b" }));
    EXPECT_EQ(list->GetItemText(list->CheckedItem(), 1), "2"); // the checked row is followed
    for (int i = 0; i < 5; ++i) // each row's data went with its texts
        EXPECT_EQ(names[list->GetItemData(i) - 100], list->GetItemText(i, 1));
    EXPECT_EQ(list->GetItemText(list->FindItemByData(101), 1), "10");
    EXPECT_EQ(list->FindItemByData(7), -1);
    EXPECT_FALSE(list->SetItemData(5, 1));
    emit list->Header()->sectionClicked(1);
    EXPECT_EQ(list->GetItemText(0, 1), "b");
    EXPECT_EQ(list->GetItemText(4, 1), "10");
    EXPECT_FALSE(list->SortAscending());
    emit list->Header()->sectionClicked(2);
    EXPECT_EQ(list->SortColumn(), 2);
    EXPECT_TRUE(list->SortAscending());

    list->SetSortEnabled(false);
    emit list->Header()->sectionClicked(1);
    EXPECT_EQ(list->SortColumn(), 2);
}

TEST_F(SkinListTest, CheckBitmapClicksAndRowHeight)
{
    Fill(3);
    const QRect row = list->visualRect(list->model()->index(1, 1));
    EXPECT_EQ(row.height(), list->RowHeight());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(row.left() + 2 + 6, row.top() + 4 + 6));
    EXPECT_TRUE(list->GetCheck(1));
    EXPECT_EQ(list->CheckedItem(), 1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(row.left() + 100, row.center().y()));
    EXPECT_TRUE(list->GetCheck(1)); // a click on the text selects, it does not check
    list->DeleteItem(0);
    EXPECT_EQ(list->CheckedItem(), 0);
    list->DeleteAllItems();
    EXPECT_EQ(list->CheckedItem(), -1);
}

TEST_F(SkinListTest, AutoSizeFillsTheWidth)
{
    list->SetAutoSize(true);
    list->resize(400, 200);
    QCoreApplication::processEvents();
    const int available = list->viewport()->width() - bar->width();
    EXPECT_EQ(list->header()->sectionSize(1) + list->header()->sectionSize(2), available);
    EXPECT_EQ(list->header()->sectionSize(1), 150 * available / 250); // widths keep their proportion
}

// The main window's set-up: grey text, its own selection colour, rows on the window's dark
// grey, and a flat header (flag 0) in the row colour with white text.
TEST_F(SkinListTest, DialogsSetTheColoursAndTheHeaderFlag)
{
    QFont font = list->font();
    font.setPixelSize(14);
    font.setStyleStrategy(QFont::NoAntialias); // solid glyphs in the exact text colour
    list->setFont(font);
    Fill(3);
    list->SetItemText(1, 1, "IIIIIIII");
    list->SetTextColor(0x656565);
    list->SetSelectionColor(0x0F53EF);
    list->SetRowBackColor(0x202020);
    list->SetSelectedItem(2);
    const auto pixelsOf = [](const QImage &image, QRect rect, QColor color) {
        int count = 0;
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            for (int x = rect.left(); x <= rect.right(); ++x)
                count += image.pixelColor(x, y) == color;
        return count;
    };
    QImage shot = list->viewport()->grab().toImage();
    const QRect row1 = list->visualRect(list->model()->index(1, 1));
    const QRect row2 = list->visualRect(list->model()->index(2, 1));
    EXPECT_EQ(shot.pixelColor(row1.right() - 2, row1.top() + 1), QColor(0x20, 0x20, 0x20));
    EXPECT_EQ(shot.pixelColor(row2.right() - 2, row2.top() + 1), QColor(0xEF, 0x53, 0x0F));
    EXPECT_GT(pixelsOf(shot, row1, QColor(0x65, 0x65, 0x65)), 20);
    EXPECT_EQ(pixelsOf(shot, row1, QColor(0x3F, 0xA6, 0xFE)), 0); // the default text colour is gone

    CSkinHeaderCtrl *header = list->Header();
    header->SetColors(0x202020, 0xFFFFFF);
    const int boundary = header->sectionViewportPosition(1) + header->sectionSize(1) - 1;
    QImage withSeparators = header->viewport()->grab().toImage();
    EXPECT_EQ(withSeparators.pixelColor(boundary, header->height() / 2), QColor(0x80, 0x80, 0x80));
    header->SetFlag(0);
    QImage flat = header->viewport()->grab().toImage();
    EXPECT_EQ(flat.pixelColor(boundary, header->height() / 2), QColor(0x20, 0x20, 0x20));
}
