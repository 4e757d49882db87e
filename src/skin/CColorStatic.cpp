#include "skin/CColorStatic.h"

#include "skin/SkinControlReport.h"

#include <QMouseEvent>

#include <utility>

namespace skin {

CColorStatic::CColorStatic(QWidget *parent, bool notify)
    : QLabel(parent)
    , m_notify(notify)
{
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setWordWrap(true);
    setTextFormat(Qt::PlainText);
    SetTextColor(0);
}

void CColorStatic::SetBackColor(SkinColor color)
{
    m_backColor = color;
    m_hasBackColor = true;
    QPalette p = palette();
    p.setColor(QPalette::Window, ToQColor(color));
    setPalette(p);
    setAutoFillBackground(true);
    update();
}

void CColorStatic::SetTextColor(SkinColor color)
{
    m_textColor = color;
    QPalette p = palette();
    p.setColor(QPalette::WindowText, ToQColor(color));
    p.setColor(QPalette::Text, ToQColor(color));
    setPalette(p);
    update();
}

void CColorStatic::mousePressEvent(QMouseEvent *event)
{
    QLabel::mousePressEvent(event);
    if (event->button() == Qt::LeftButton)
        m_endsDoubleClick = false;
}

void CColorStatic::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    // The release that ends a double click is part of it, not a click of its own.
    const bool endsDoubleClick = std::exchange(m_endsDoubleClick, false);
    if (m_notify && !endsDoubleClick && rect().contains(event->position().toPoint()))
        SendCommand(this, kCodeClicked);
}

void CColorStatic::mouseDoubleClickEvent(QMouseEvent *event)
{
    QLabel::mouseDoubleClickEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    m_endsDoubleClick = true;
    if (m_notify)
        SendCommand(this, kCodeDoubleClicked);
}

} // namespace skin
