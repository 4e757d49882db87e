#pragma once

#include "skin/SkinTypes.h"

#include <QImage>
#include <QTreeWidget>

#include <memory>

namespace skin {

class CSkinHeaderCtrl;
class CSkinVScrollbar;
class SkinClock;

// The recording lists: a report-view list drawn in the skin's dark colours, with an optional
// check bitmap per row, a skinned header and a skinned vertical scroll bar. List column 0 is
// hidden; skin column k is list column k + 1. Clicks and double clicks reach the dialog as
// notify messages with the item and sub-item (list column) under the pointer.
class CSkinListCtrl : public QTreeWidget
{
    Q_OBJECT
public:
    enum ColumnFormat { kFormatLeft = 0, kFormatRight = 1, kFormatCenter = 2 };

    // `clock` drives the scroll bar's repeat timers (the event loop's timers when null).
    explicit CSkinListCtrl(QWidget *parent = nullptr, SkinClock *clock = nullptr);
    ~CSkinListCtrl() override;

    // Columns. The first call also inserts the hidden column 0; returns the list column.
    int InsertColumn(const QString &text, int width, int format);
    int GetColumnCount() const { return m_columnCount; }
    int ColumnFormat(int column) const;

    // Rows. Texts of column 0 are not shown.
    int InsertItem(int row, const QString &text = QString());
    int GetItemCount() const { return topLevelItemCount(); }
    bool SetItemText(int row, int column, const QString &text);
    QString GetItemText(int row, int column) const;
    // A number kept with the row (the recording library keeps its file index there); it moves
    // with the row when the list is sorted. Rows start with 0.
    bool SetItemData(int row, qint64 data);
    qint64 GetItemData(int row) const;
    // The row that carries `data`, or -1.
    int FindItemByData(qint64 data) const;
    bool DeleteItem(int row);
    void DeleteAllItems();
    int GetSelectedItem() const; // the first selected row, or -1
    QList<int> GetSelectedItems() const;
    void SetSelectedItem(int row);
    void EnsureVisible(int row);

    // Check marks (drawn with the check bitmaps).
    void SetCheck(int row, bool checked);
    bool GetCheck(int row) const;
    int CheckedItem() const { return m_checkedItem; }

    // Sorts rows by the text of a column with the locale's comparison.
    void Sort(int column, bool ascending);
    int SortColumn() const { return m_sortColumn; }
    bool SortAscending() const { return m_sortAscending; }
    void SetSortEnabled(bool enabled) { m_sortEnabled = enabled; }
    bool SortEnabled() const { return m_sortEnabled; }
    void SetAutoSize(bool on) { m_autoSize = on; }
    bool AutoSize() const { return m_autoSize; }
    void SetHeaderVisible(bool visible);

    // Replaces the native scroll bar with the skinned one (created on the first call).
    bool SetScrollBar(const QString &span, const QString &thumbTop, const QString &thumbMid,
        const QString &thumbBottom, const QString &up, const QString &down, int identifier);
    bool SetCheckBitmaps(const QString &on, const QString &off);
    bool HasCheckBitmaps() const { return !m_checkOn.isNull() || !m_checkOff.isNull(); }

    void SetColors(
        SkinColor text, SkinColor selection, SkinColor rowBack1, SkinColor rowBack2, SkinColor back);
    // One colour at a time, as the dialogs set up their lists: the text of the rows, the
    // background of selected rows, and the background of both kinds of row.
    void SetTextColor(SkinColor color);
    void SetSelectionColor(SkinColor color);
    void SetRowBackColor(SkinColor color);
    SkinColor TextColor() const { return m_textColor; }
    SkinColor SelectionColor() const { return m_selectionColor; }

    CSkinHeaderCtrl *Header() const { return m_header; }
    CSkinVScrollbar *ScrollBar() const { return m_scrollBar; }

    // Scrolling in rows, as the skinned bar uses it.
    int ScrollPos() const;
    int ScrollLimit() const;
    void ScrollLines(int lines);
    void ScrollPages(int pages);
    int RowHeight() const;
    // Recomputes column widths to fill the client width (auto-size).
    void FitColumns();

protected:
    void drawRow(
        QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void PlaceScrollBar();
    void Notify(int code, const QPoint &pos);
    QRect CheckRect(const QRect &rowRect) const;
    void OnHeaderClicked(int column);

    CSkinHeaderCtrl *m_header;
    CSkinVScrollbar *m_scrollBar = nullptr;
    int m_scrollBarId = 0;
    std::unique_ptr<SkinClock> m_ownClock;
    SkinClock *m_clock;
    QImage m_checkOn;
    QImage m_checkOff;
    SkinColor m_textColor = 0xFEA63F;
    SkinColor m_selectionColor = 0xFF0000;
    SkinColor m_rowBack1 = 0x202020;
    SkinColor m_rowBack2 = 0x202020;
    SkinColor m_backColor = 0x181818;
    int m_columnCount = 0;
    QList<int> m_formats;
    bool m_autoSize = false;
    bool m_sortEnabled = false;
    int m_sortColumn = -1;
    bool m_sortAscending = true;
    int m_checkedItem = -1;
    bool m_fitPending = false;
    bool m_endsDoubleClick = false;
    int m_wheelRemainder = 0;
};

} // namespace skin
