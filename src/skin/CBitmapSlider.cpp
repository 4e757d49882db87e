#include "skin/CBitmapSlider.h"

#include "skin/SkinControlReport.h"
#include "skin/SkinTypes.h"
#include "skin/WindowMessageEvent.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace skin {

namespace {
    // Pictures drawn with their transparent colour left out when transparency is on.
    QImage Prepare(const SkinBitmap &bitmap, bool transparent, SkinColor transColor)
    {
        if (bitmap.IsNull())
            return QImage();
        return transparent ? bitmap.Masked(transColor) : bitmap.Image().convertToFormat(QImage::Format_RGB32);
    }
} // namespace

CBitmapSlider::CBitmapSlider(QWidget *parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
}

void CBitmapSlider::SetRange(int minimum, int maximum, bool redraw)
{
    m_min = minimum;
    m_max = maximum;
    if (redraw)
        update();
}

void CBitmapSlider::SetPos(int position)
{
    int lower = m_min;
    if (m_rangeMode)
        lower = m_pos2 + 1000;
    position = std::min(position, m_max);
    position = std::max(position, lower);
    m_pos = position;
    update();
}

void CBitmapSlider::SetPos2(int position)
{
    position = std::max(position, m_min);
    position = std::min(position, m_rangeMode ? m_pos - 1000 : m_max);
    m_pos2 = position;
    update();
}

void CBitmapSlider::SetMargin(int left, int top, int right, int bottom)
{
    m_marginLeft = left;
    m_marginTop = top;
    m_marginRight = right;
    m_marginBottom = bottom;
    update();
}

void CBitmapSlider::SetVertical(bool vertical)
{
    m_vertical = vertical;
    update();
}

void CBitmapSlider::SetRangeMode(bool on)
{
    m_rangeMode = on;
    update();
}

bool CBitmapSlider::SetBitmapChannel(const QString &channel, const QString &active, bool transparent,
    SkinColor transColor, bool channelStretch, bool activeStretch)
{
    m_transparent = transparent;
    m_transColor = transColor;
    m_channelStretch = channelStretch;
    m_activeStretch = activeStretch;
    const SkinBitmap channelBitmap = SkinBitmap::Load(channel);
    m_channel = Prepare(channelBitmap, transparent, transColor);
    m_active = active.isEmpty() ? QImage() : Prepare(SkinBitmap::Load(active), transparent, transColor);
    update();
    return !channelBitmap.IsNull();
}

bool CBitmapSlider::SetBitmapThumb(const QString &thumb, bool transparent, SkinColor transColor)
{
    const SkinBitmap bitmap = SkinBitmap::Load(thumb);
    m_thumb = Prepare(bitmap, transparent, transColor);
    m_thumbWidth = bitmap.Width();
    m_thumbHeight = bitmap.Height();
    update();
    return !bitmap.IsNull();
}

void CBitmapSlider::SetThumbAutoDisplay(bool on)
{
    m_thumbAutoDisplay = on;
    update();
}

void CBitmapSlider::Enable(bool on)
{
    m_enabled = on;
    update();
}

int CBitmapSlider::PositionToPixel(int position) const
{
    const int span = Length() - MarginStart() - MarginEnd() - ThumbLength();
    double fraction = 0.0;
    if (m_max != m_min)
        fraction = double(position - m_min) / double(m_max - m_min);
    return ThumbLength() / 2 + MarginStart() + int(std::trunc(fraction * span));
}

int CBitmapSlider::PixelToPosition(int pixel) const
{
    const int span = Length() - MarginEnd() - MarginStart() - ThumbLength();
    if (span == 0)
        return m_min;
    const double value
        = double(pixel - ThumbLength() / 2 - MarginStart()) / double(span) * double(m_max - m_min) + m_min;
    return int(std::trunc(value));
}

void CBitmapSlider::mousePressEvent(QMouseEvent *event)
{
    if (!m_enabled || event->button() != Qt::LeftButton)
        return;
    setFocus(Qt::MouseFocusReason);
    const int pointer = Along(event->position());
    const int half = ThumbLength() / 2;
    m_dragOffset = 0;
    if (!m_rangeMode) {
        m_draggingFirst = true;
        const int centre = PositionToPixel(m_pos);
        if (std::abs(pointer - centre) <= half)
            m_dragOffset = pointer - centre;
    } else {
        const int first = PositionToPixel(m_pos);
        const int second = PositionToPixel(m_pos2);
        if (std::abs(pointer - first) <= half) {
            m_draggingFirst = true;
            m_dragOffset = pointer - first;
        } else if (std::abs(pointer - second) <= half) {
            m_draggingSecond = true;
            m_dragOffset = pointer - second;
        }
    }
    if (m_thumbAutoDisplay)
        m_mouseInside = true;
    DragTo(pointer);
    update();
}

void CBitmapSlider::DragTo(int pointer)
{
    if (!m_draggingFirst && !m_draggingSecond)
        return;
    const int low = MarginStart() + ThumbLength() / 2;
    const int high = Length() - MarginEnd() - ThumbLength() / 2;
    int pixel = pointer - m_dragOffset;
    pixel = std::max(low, std::min(pixel, high));
    const int position = PixelToPosition(pixel);
    const bool second = m_draggingSecond;
    const int current = second ? m_pos2 : m_pos;
    if (PositionToPixel(position) == PositionToPixel(current))
        return;
    if (second)
        SetPos2(position);
    else
        SetPos(position);
    PostWindowMessage(parentWidget(), kMsgSliderMoving, quintptr(ControlId(this)), second ? m_pos2 : m_pos);
}

void CBitmapSlider::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_enabled)
        return;
    DragTo(Along(event->position()));
}

void CBitmapSlider::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || (!m_draggingFirst && !m_draggingSecond))
        return;
    const bool second = m_draggingSecond;
    m_draggingFirst = false;
    m_draggingSecond = false;
    update();
    PostWindowMessage(parentWidget(), kMsgSliderMoved, quintptr(ControlId(this)), second ? m_pos2 : m_pos);
}

void CBitmapSlider::enterEvent(QEnterEvent *event)
{
    m_mouseInside = true;
    update();
    QWidget::enterEvent(event);
}

void CBitmapSlider::leaveEvent(QEvent *event)
{
    m_mouseInside = false;
    update();
    QWidget::leaveEvent(event);
}

void CBitmapSlider::focusInEvent(QFocusEvent *event)
{
    m_hasFocus = true;
    update();
    QWidget::focusInEvent(event);
}

void CBitmapSlider::focusOutEvent(QFocusEvent *event)
{
    m_hasFocus = false;
    update();
    QWidget::focusOutEvent(event);
}

void CBitmapSlider::DrawSpan(QPainter &painter, const QImage &picture, bool stretch, int from, int to) const
{
    if (picture.isNull() || to <= from)
        return;
    painter.save();
    const QRect clip = m_vertical ? QRect(0, from, width(), to - from) : QRect(from, 0, to - from, height());
    painter.setClipRect(clip);
    if (stretch)
        painter.drawImage(rect(), picture);
    else
        painter.drawImage(0, 0, picture);
    painter.restore();
}

void CBitmapSlider::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    DrawSpan(painter, m_channel, m_channelStretch, 0, Length());
    const int first = PositionToPixel(m_pos);
    if (m_rangeMode)
        DrawSpan(painter, m_active, m_activeStretch, PositionToPixel(m_pos2), first);
    else
        DrawSpan(painter, m_active, m_activeStretch, 0, first);

    const bool showThumb = m_enabled && (!m_thumbAutoDisplay || m_mouseInside);
    if (showThumb && !m_thumb.isNull()) {
        auto drawThumb = [&](int pixel) {
            if (m_vertical)
                painter.drawImage((width() - m_thumbWidth) / 2, pixel - m_thumbHeight / 2, m_thumb);
            else
                painter.drawImage(pixel - m_thumbWidth / 2, (height() - m_thumbHeight) / 2, m_thumb);
        };
        drawThumb(first);
        if (m_rangeMode)
            drawThumb(PositionToPixel(m_pos2));
    }
    if (m_hasFocus) {
        painter.setPen(QPen(Qt::gray, 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

} // namespace skin
