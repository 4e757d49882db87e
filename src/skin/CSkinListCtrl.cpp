#include "skin/CSkinListCtrl.h"

#include "skin/CSkinHeaderCtrl.h"
#include "skin/CSkinVScrollbar.h"
#include "skin/SkinBitmap.h"
#include "skin/SkinClock.h"
#include "skin/SkinControlReport.h"
#include "skin/WindowMessageEvent.h"

#include <QCollator>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace skin {

namespace {

    constexpr int kCheckRole = Qt::UserRole + 1;
    constexpr int kDataRole = Qt::UserRole + 2;
    constexpr int kCheckSize = 12;
    constexpr int kCheckTop = 4;
    constexpr int kCheckLeft = 2;
    constexpr int kTextPadding = 4;

    // Rows follow the font: its height, its external leading and 6 pixels.
    class RowHeightDelegate : public QStyledItemDelegate
    {
    public:
        explicit RowHeightDelegate(CSkinListCtrl *list)
            : QStyledItemDelegate(list)
            , m_list(list)
        {
        }
        QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
        {
            return QSize(QStyledItemDelegate::sizeHint(option, index).width(), m_list->RowHeight());
        }

    private:
        CSkinListCtrl *m_list;
    };

    Qt::Alignment AlignmentOf(int format)
    {
        switch (format) {
        case CSkinListCtrl::kFormatRight:
            return Qt::AlignRight;
        case CSkinListCtrl::kFormatCenter:
            return Qt::AlignHCenter;
        default:
            return Qt::AlignLeft;
        }
    }

} // namespace

CSkinListCtrl::CSkinListCtrl(QWidget *parent, SkinClock *clock)
    : QTreeWidget(parent)
    , m_header(new CSkinHeaderCtrl(this))
    , m_clock(clock)
{
    if (!m_clock) {
        m_ownClock = std::make_unique<QtSkinClock>();
        m_clock = m_ownClock.get();
    }
    setHeader(m_header);
    setColumnCount(0);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFrameShape(QFrame::NoFrame);
    setItemDelegate(new RowHeightDelegate(this));
    SetColors(m_textColor, m_selectionColor, m_rowBack1, m_rowBack2, m_backColor);
    connect(m_header, &QHeaderView::sectionClicked, this, &CSkinListCtrl::OnHeaderClicked);
    auto syncThumb = [this] {
        if (m_scrollBar)
            m_scrollBar->UpdateThumb();
    };
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, syncThumb);
    connect(verticalScrollBar(), &QScrollBar::rangeChanged, this, syncThumb);
}

CSkinListCtrl::~CSkinListCtrl()
{
    delete m_scrollBar;
}

void CSkinListCtrl::SetColors(
    SkinColor text, SkinColor selection, SkinColor rowBack1, SkinColor rowBack2, SkinColor back)
{
    m_textColor = text;
    m_selectionColor = selection;
    m_rowBack1 = rowBack1;
    m_rowBack2 = rowBack2;
    m_backColor = back;
    QPalette p = palette();
    p.setColor(QPalette::Base, ToQColor(back));
    p.setColor(QPalette::Window, ToQColor(back));
    p.setColor(QPalette::Text, ToQColor(text));
    setPalette(p);
    viewport()->update();
}

void CSkinListCtrl::SetTextColor(SkinColor color)
{
    SetColors(color, m_selectionColor, m_rowBack1, m_rowBack2, m_backColor);
}

void CSkinListCtrl::SetSelectionColor(SkinColor color)
{
    SetColors(m_textColor, color, m_rowBack1, m_rowBack2, m_backColor);
}

void CSkinListCtrl::SetRowBackColor(SkinColor color)
{
    SetColors(m_textColor, m_selectionColor, color, color, m_backColor);
}

int CSkinListCtrl::RowHeight() const
{
    const QFontMetrics fm(font());
    return fm.height() + fm.leading() + 6;
}

int CSkinListCtrl::InsertColumn(const QString &text, int width, int format)
{
    if (m_columnCount == 0) {
        // The hidden column 0 keeps the row's own text out of sight.
        setColumnCount(1);
        headerItem()->setText(0, QString());
        m_formats.append(kFormatLeft);
        m_columnCount = 1;
        m_header->resizeSection(0, 0);
        m_header->hideSection(0);
    }
    const int column = m_columnCount++;
    setColumnCount(m_columnCount);
    headerItem()->setText(column, text);
    headerItem()->setTextAlignment(column, AlignmentOf(format) | Qt::AlignVCenter);
    m_formats.append(format);
    m_header->resizeSection(column, std::max(0, width));
    return column;
}

int CSkinListCtrl::ColumnFormat(int column) const
{
    return column >= 0 && column < m_formats.size() ? m_formats[column] : kFormatLeft;
}

int CSkinListCtrl::InsertItem(int row, const QString &text)
{
    auto *item = new QTreeWidgetItem;
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    item->setText(0, text);
    row = std::clamp(row, 0, topLevelItemCount());
    insertTopLevelItem(row, item);
    if (m_checkedItem >= row)
        ++m_checkedItem;
    return row;
}

bool CSkinListCtrl::SetItemText(int row, int column, const QString &text)
{
    QTreeWidgetItem *item = topLevelItem(row);
    if (!item || column < 0 || column >= std::max(1, m_columnCount))
        return false;
    item->setText(column, text);
    return true;
}

QString CSkinListCtrl::GetItemText(int row, int column) const
{
    const QTreeWidgetItem *item = topLevelItem(row);
    return item ? item->text(column) : QString();
}

bool CSkinListCtrl::SetItemData(int row, qint64 data)
{
    QTreeWidgetItem *item = topLevelItem(row);
    if (!item)
        return false;
    item->setData(0, kDataRole, data);
    return true;
}

qint64 CSkinListCtrl::GetItemData(int row) const
{
    const QTreeWidgetItem *item = topLevelItem(row);
    return item ? item->data(0, kDataRole).toLongLong() : 0;
}

int CSkinListCtrl::FindItemByData(qint64 data) const
{
    for (int i = 0; i < topLevelItemCount(); ++i) {
        const QVariant value = topLevelItem(i)->data(0, kDataRole);
        if (value.isValid() && value.toLongLong() == data)
            return i;
    }
    return -1;
}

bool CSkinListCtrl::DeleteItem(int row)
{
    QTreeWidgetItem *item = takeTopLevelItem(row);
    if (!item)
        return false;
    delete item;
    if (m_checkedItem == row)
        m_checkedItem = -1;
    else if (m_checkedItem > row)
        --m_checkedItem;
    return true;
}

void CSkinListCtrl::DeleteAllItems()
{
    clear();
    m_checkedItem = -1;
}

int CSkinListCtrl::GetSelectedItem() const
{
    const QList<int> rows = GetSelectedItems();
    return rows.isEmpty() ? -1 : rows.first();
}

QList<int> CSkinListCtrl::GetSelectedItems() const
{
    QList<int> rows;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        if (topLevelItem(i)->isSelected())
            rows.append(i);
    }
    return rows;
}

void CSkinListCtrl::SetSelectedItem(int row)
{
    clearSelection();
    if (QTreeWidgetItem *item = topLevelItem(row)) {
        setCurrentItem(item);
        item->setSelected(true);
    }
}

void CSkinListCtrl::EnsureVisible(int row)
{
    if (QTreeWidgetItem *item = topLevelItem(row))
        scrollToItem(item);
}

void CSkinListCtrl::SetCheck(int row, bool checked)
{
    QTreeWidgetItem *item = topLevelItem(row);
    if (!item)
        return;
    const bool was = item->data(0, kCheckRole).toBool();
    item->setData(0, kCheckRole, checked);
    if (checked && !was)
        m_checkedItem = row;
    viewport()->update();
}

bool CSkinListCtrl::GetCheck(int row) const
{
    const QTreeWidgetItem *item = topLevelItem(row);
    return item && item->data(0, kCheckRole).toBool();
}

void CSkinListCtrl::Sort(int column, bool ascending)
{
    QList<QTreeWidgetItem *> items;
    QTreeWidgetItem *checked = topLevelItem(m_checkedItem);
    QTreeWidgetItem *current = currentItem();
    const QList<QTreeWidgetItem *> selected = selectedItems();
    while (topLevelItemCount() > 0)
        items.append(takeTopLevelItem(0));

    QCollator collator; // the user's locale; digits compare as text, so "10" comes before "9"
    collator.setNumericMode(false);
    std::stable_sort(items.begin(), items.end(), [&](QTreeWidgetItem *a, QTreeWidgetItem *b) {
        const int order = collator.compare(a->text(column), b->text(column));
        return ascending ? order < 0 : order > 0;
    });
    addTopLevelItems(items);

    m_sortColumn = column;
    m_sortAscending = ascending;
    m_checkedItem = checked ? indexOfTopLevelItem(checked) : -1;
    if (current)
        setCurrentItem(current, 0, QItemSelectionModel::NoUpdate);
    for (QTreeWidgetItem *item : selected)
        item->setSelected(true);
}

void CSkinListCtrl::OnHeaderClicked(int column)
{
    if (!m_sortEnabled)
        return;
    if (column == m_sortColumn)
        Sort(column, !m_sortAscending);
    else
        Sort(column, true);
}

void CSkinListCtrl::SetHeaderVisible(bool visible)
{
    setHeaderHidden(!visible);
}

bool CSkinListCtrl::SetScrollBar(const QString &span, const QString &thumbTop, const QString &thumbMid,
    const QString &thumbBottom, const QString &up, const QString &down, int identifier)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    if (!m_scrollBar || m_scrollBarId != identifier) {
        delete m_scrollBar;
        m_scrollBar = new CSkinVScrollbar(this, parentWidget(), *m_clock);
        m_scrollBarId = identifier;
        SetControlId(m_scrollBar, identifier);
    }
    const bool loaded = m_scrollBar->SetBitmaps(span, thumbTop, thumbMid, thumbBottom, up, down);
    PlaceScrollBar();
    m_scrollBar->setVisible(isVisible());
    return loaded;
}

bool CSkinListCtrl::SetCheckBitmaps(const QString &on, const QString &off)
{
    m_checkOn = SkinBitmap::Load(on).Image();
    m_checkOff = SkinBitmap::Load(off).Image();
    viewport()->update();
    return !m_checkOn.isNull() && !m_checkOff.isNull();
}

void CSkinListCtrl::PlaceScrollBar()
{
    if (!m_scrollBar)
        return;
    const int w = m_scrollBar->BarWidth();
    const QRect g = geometry();
    m_scrollBar->setGeometry(g.left() + g.width() - w, g.top(), w, g.height());
    m_scrollBar->raise();
    m_scrollBar->UpdateThumb();
}

int CSkinListCtrl::ScrollPos() const
{
    return verticalScrollBar()->value();
}

int CSkinListCtrl::ScrollLimit() const
{
    return verticalScrollBar()->maximum();
}

void CSkinListCtrl::ScrollLines(int lines)
{
    verticalScrollBar()->setValue(verticalScrollBar()->value() + lines);
}

void CSkinListCtrl::ScrollPages(int pages)
{
    verticalScrollBar()->setValue(verticalScrollBar()->value() + pages * verticalScrollBar()->pageStep());
}

void CSkinListCtrl::FitColumns()
{
    int available = viewport()->width();
    if (m_scrollBar && m_scrollBar->isVisible())
        available -= m_scrollBar->width();
    QList<int> columns;
    int total = 0;
    for (int c = 1; c < m_columnCount; ++c) {
        if (m_header->isSectionHidden(c))
            continue;
        columns.append(c);
        total += m_header->sectionSize(c);
    }
    if (columns.isEmpty() || available <= 0)
        return;
    int used = 0;
    for (int i = 0; i < columns.size(); ++i) {
        const int c = columns[i];
        int w;
        if (i == columns.size() - 1)
            w = available - used;
        else if (total > 0)
            w = int(qint64(m_header->sectionSize(c)) * available / total);
        else
            w = available / int(columns.size());
        m_header->resizeSection(c, std::max(0, w));
        used += w;
    }
}

QRect CSkinListCtrl::CheckRect(const QRect &rowRect) const
{
    int left = rowRect.left();
    for (int c = 0; c < m_columnCount; ++c) {
        if (!m_header->isSectionHidden(c)) {
            left = m_header->sectionViewportPosition(c);
            break;
        }
    }
    return QRect(left + kCheckLeft, rowRect.top() + kCheckTop, kCheckSize, kCheckSize);
}

void CSkinListCtrl::drawRow(
    QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const QTreeWidgetItem *item = itemFromIndex(index);
    if (!item)
        return;
    const int row = index.row();
    const bool selected = selectionModel() && selectionModel()->isSelected(index);
    const QRect rowRect(0, option.rect.top(), viewport()->width(), option.rect.height());
    painter->save();
    painter->fillRect(rowRect, ToQColor(selected ? m_selectionColor : (row % 2 ? m_rowBack2 : m_rowBack1)));

    int firstVisible = -1;
    const bool checks = HasCheckBitmaps();
    for (int c = 0; c < m_columnCount; ++c) {
        if (m_header->isSectionHidden(c) || m_header->sectionSize(c) <= 0)
            continue;
        const QRect cell(
            m_header->sectionViewportPosition(c), rowRect.top(), m_header->sectionSize(c), rowRect.height());
        QRect textRect = cell.adjusted(kTextPadding, 0, -kTextPadding, 0);
        if (firstVisible < 0) {
            firstVisible = c;
            if (checks) {
                const QImage &mark = item->data(0, kCheckRole).toBool() ? m_checkOn : m_checkOff;
                if (!mark.isNull())
                    painter->drawImage(CheckRect(rowRect), mark);
                textRect.setLeft(cell.left() + kCheckLeft + kCheckSize + kTextPadding);
            }
        }
        painter->setClipRect(cell);
        painter->setPen(selected ? QColor(Qt::white) : ToQColor(m_textColor));
        const QString text
            = painter->fontMetrics().elidedText(item->text(c), Qt::ElideRight, textRect.width());
        painter->drawText(
            textRect, int(AlignmentOf(ColumnFormat(c)) | Qt::AlignVCenter | Qt::TextSingleLine), text);
        painter->setClipping(false);
    }
    if (hasFocus() && currentIndex().isValid() && currentIndex().row() == row) {
        painter->setPen(QPen(QColor(0xC0, 0xC0, 0xC0), 1, Qt::DotLine));
        painter->drawRect(rowRect.adjusted(0, 0, -1, -1));
    }
    painter->restore();
}

void CSkinListCtrl::Notify(int code, const QPoint &pos)
{
    const QModelIndex index = indexAt(pos);
    SkinNotifyInfo info;
    info.from = this;
    info.idFrom = ControlId(this);
    info.code = code;
    info.item = index.isValid() ? index.row() : -1;
    info.subItem = std::max(0, columnAt(pos.x()));
    SendNotify(parentWidget(), info);
}

void CSkinListCtrl::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_endsDoubleClick = false;
    if (event->button() == Qt::LeftButton && HasCheckBitmaps()) {
        const QPoint pos = event->position().toPoint();
        const QModelIndex index = indexAt(pos);
        if (index.isValid() && CheckRect(visualRect(index)).contains(pos))
            SetCheck(index.row(), !GetCheck(index.row()));
    }
    QTreeWidget::mousePressEvent(event);
}

void CSkinListCtrl::mouseReleaseEvent(QMouseEvent *event)
{
    QTreeWidget::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    // The release that ends a double click belongs to it: the dialog hears one double click,
    // not a double click and a click.
    if (!std::exchange(m_endsDoubleClick, false))
        Notify(kCodeListClick, event->position().toPoint());
}

void CSkinListCtrl::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTreeWidget::mouseDoubleClickEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    m_endsDoubleClick = true;
    Notify(kCodeListDoubleClick, event->position().toPoint());
}

void CSkinListCtrl::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space && HasCheckBitmaps() && currentIndex().isValid()) {
        SetCheck(currentIndex().row(), !GetCheck(currentIndex().row()));
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void CSkinListCtrl::wheelEvent(QWheelEvent *event)
{
    m_wheelRemainder += event->angleDelta().y();
    const int notches = m_wheelRemainder / 120;
    m_wheelRemainder -= notches * 120;
    // Turning toward the user (negative delta) scrolls down.
    for (int i = 0; i < std::abs(notches); ++i) {
        const int line = notches < 0 ? 1 : -1;
        if (m_scrollBar)
            m_scrollBar->ScrollLines(line);
        else
            ScrollLines(line);
    }
    event->accept();
}

void CSkinListCtrl::resizeEvent(QResizeEvent *event)
{
    QTreeWidget::resizeEvent(event);
    PlaceScrollBar();
    if (m_autoSize && !m_fitPending) {
        m_fitPending = true;
        QTimer::singleShot(0, this, [this] {
            m_fitPending = false;
            FitColumns();
        });
    }
}

void CSkinListCtrl::moveEvent(QMoveEvent *event)
{
    QTreeWidget::moveEvent(event);
    PlaceScrollBar();
}

void CSkinListCtrl::showEvent(QShowEvent *event)
{
    QTreeWidget::showEvent(event);
    if (m_scrollBar) {
        PlaceScrollBar();
        m_scrollBar->show();
    }
}

void CSkinListCtrl::hideEvent(QHideEvent *event)
{
    QTreeWidget::hideEvent(event);
    if (m_scrollBar && !event->spontaneous())
        m_scrollBar->hide();
}

} // namespace skin
