#include "skin/CBitmapDialog.h"

#include "skin/WindowMessageEvent.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

namespace skin {

CBitmapDialog::CBitmapDialog(QWidget *parent)
    : QDialog(parent)
{
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
}

bool CBitmapDialog::SetBackground(const QString &path)
{
    m_background = SkinBitmap::Load(path);
    update();
    return !m_background.IsNull();
}

void CBitmapDialog::ClearBackground()
{
    m_background = SkinBitmap();
    update();
}

bool CBitmapDialog::SetShape(SkinColor transColor)
{
    if (m_background.IsNull()) {
        ClearShape();
        return false;
    }
    m_shape = m_background.Region(transColor);
    setMask(m_shape);
    update();
    return true;
}

void CBitmapDialog::ClearShape()
{
    m_shape = QRegion();
    clearMask();
    update();
}

bool CBitmapDialog::PostMessage(quint32 message, quintptr wParam, qintptr lParam)
{
    return PostWindowMessage(this, message, wParam, lParam);
}

qintptr CBitmapDialog::SendMessage(quint32 message, quintptr wParam, qintptr lParam)
{
    return SendWindowMessage(this, message, wParam, lParam);
}

void CBitmapDialog::DrawBitmap(QPainter &painter, const QImage &picture, const QRect &rect)
{
    if (picture.isNull())
        return;
    painter.drawImage(rect.topLeft(), picture, QRect(QPoint(0, 0), rect.size()));
}

void CBitmapDialog::DrawStretched(QPainter &painter, const QImage &picture, const QRect &rect)
{
    if (!picture.isNull())
        painter.drawImage(rect, picture);
}

void CBitmapDialog::DrawCentered(QPainter &painter, const QImage &picture, const QRect &rect)
{
    if (picture.isNull())
        return;
    const int x = rect.left() + (rect.width() - picture.width()) / 2;
    const int y = rect.top() + (rect.height() - picture.height()) / 2;
    painter.drawImage(x, y, picture);
}

void CBitmapDialog::paintEvent(QPaintEvent *)
{
    if (m_background.IsNull())
        return;
    QPainter painter(this);
    painter.drawImage(0, 0, m_background.Image());
}

void CBitmapDialog::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        const QPoint p = event->position().toPoint();
        m_dragArmed = m_dragRect.Contains(p.x(), p.y());
        m_movePressGlobal = event->globalPosition().toPoint();
        m_moveWindowOrigin = pos();
    }
    QDialog::mousePressEvent(event);
}

void CBitmapDialog::mouseMoveEvent(QMouseEvent *event)
{
    if (m_moving && (event->buttons() & Qt::LeftButton)) {
        move(m_moveWindowOrigin + (event->globalPosition().toPoint() - m_movePressGlobal));
        return;
    }
    if (m_dragArmed && (event->buttons() & Qt::LeftButton)) {
        m_dragArmed = false;
        if (isWindow()) {
            QWindow *window = windowHandle();
            if (!window || !window->startSystemMove()) {
                m_moving = true;
                move(m_moveWindowOrigin + (event->globalPosition().toPoint() - m_movePressGlobal));
            }
        }
        return;
    }
    QDialog::mouseMoveEvent(event);
}

void CBitmapDialog::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_moving = false;
        m_dragArmed = false;
    }
    QDialog::mouseReleaseEvent(event);
}

} // namespace skin
