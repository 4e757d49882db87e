#include "skin/CColorStatic.h"

#include "skin/SkinControlReport.h"

#include <QMouseEvent>

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

void CColorStatic::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    if (m_notify && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        SendCommand(this, kCodeClicked);
}

void CColorStatic::mouseDoubleClickEvent(QMouseEvent *event)
{
    QLabel::mouseDoubleClickEvent(event);
    if (m_notify && event->button() == Qt::LeftButton)
        SendCommand(this, kCodeDoubleClicked);
}

} // namespace skin
