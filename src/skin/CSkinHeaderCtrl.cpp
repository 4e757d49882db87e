#include "skin/CSkinHeaderCtrl.h"

#include <QPainter>

namespace skin {

CSkinHeaderCtrl::CSkinHeaderCtrl(QWidget *parent)
    : QHeaderView(Qt::Horizontal, parent)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(9);
    setFont(font);
    setSectionsClickable(true);
    setHighlightSections(false);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setStretchLastSection(false);
}

void CSkinHeaderCtrl::SetColors(SkinColor background, SkinColor text)
{
    m_backColor = background;
    m_textColor = text;
    viewport()->update();
}

void CSkinHeaderCtrl::SetFlag(int flag)
{
    m_flag = flag;
    viewport()->update();
}

void CSkinHeaderCtrl::paintEvent(QPaintEvent *event)
{
    // The part right of the last column has the header's colour too.
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), ToQColor(m_backColor));
    painter.end();
    QHeaderView::paintEvent(event);
}

void CSkinHeaderCtrl::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    if (!rect.isValid())
        return;
    painter->save();
    painter->fillRect(rect, ToQColor(m_backColor));
    if (m_flag != 0) {
        painter->setPen(ToQColor(m_separatorColor));
        painter->drawLine(rect.topRight(), rect.bottomRight());
    }
    painter->setPen(ToQColor(m_textColor));
    painter->setFont(font());
    const QVariant alignment
        = model() ? model()->headerData(logicalIndex, orientation(), Qt::TextAlignmentRole) : QVariant();
    int flags = int(Qt::AlignLeft | Qt::AlignVCenter);
    if (alignment.metaType() == QMetaType::fromType<Qt::Alignment>())
        flags = int(alignment.value<Qt::Alignment>());
    else if (alignment.isValid())
        flags = alignment.toInt();
    const QString text = model() ? model()->headerData(logicalIndex, orientation()).toString() : QString();
    const QRect textRect = rect.adjusted(4, 0, -4, 0);
    painter->drawText(textRect, flags | Qt::AlignVCenter,
        painter->fontMetrics().elidedText(text, Qt::ElideRight, textRect.width()));
    painter->restore();
}

} // namespace skin
