#pragma once

#include "skin/SkinBitmap.h"
#include "skin/SkinTypes.h"

#include <QDialog>
#include <QPoint>
#include <QRegion>

namespace skin {

// A dialog with a background bitmap, a window shape cut from that bitmap by a transparent
// colour, and a drag rectangle: a press inside it and a move with the button held move the
// window.
class CBitmapDialog : public QDialog
{
    Q_OBJECT
public:
    explicit CBitmapDialog(QWidget *parent = nullptr);

    bool SetBackground(const QString &path);
    void ClearBackground();
    const SkinBitmap &Background() const { return m_background; }

    // The window's shape: the background's pixels that differ from `transColor`.
    bool SetShape(SkinColor transColor);
    void ClearShape();
    const QRegion &Shape() const { return m_shape; }

    void SetDragRect(const SkinRect &rect) { m_dragRect = rect; }
    SkinRect DragRect() const { return m_dragRect; }
    bool IsDragArmed() const { return m_dragArmed; }
    bool IsMoving() const { return m_moving; }

    // Queued and immediate window messages to this dialog.
    bool PostMessage(quint32 message, quintptr wParam = 0, qintptr lParam = 0);
    qintptr SendMessage(quint32 message, quintptr wParam = 0, qintptr lParam = 0);

    // Drawing helpers: copy at the rectangle's origin (clipped to it), copy with the
    // transparent colour left out (pass the masked picture), stretch, centre at own size.
    static void DrawBitmap(QPainter &painter, const QImage &picture, const QRect &rect);
    static void DrawStretched(QPainter &painter, const QImage &picture, const QRect &rect);
    static void DrawCentered(QPainter &painter, const QImage &picture, const QRect &rect);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    SkinBitmap m_background;
    QRegion m_shape;
    bool m_dragArmed = false;
    SkinRect m_dragRect;
    bool m_moving = false; // moving by hand where the platform cannot move windows itself
    QPoint m_movePressGlobal;
    QPoint m_moveWindowOrigin;
};

} // namespace skin
