#pragma once

#include "skin/SkinBitmap.h"

#include <QImage>
#include <QWidget>

namespace skin {

// A slider drawn from a channel bitmap, an optional active-channel bitmap and a thumb bitmap.
// It posts the slider-moving message while the thumb is dragged to a new pixel and the
// slider-moved message when it is released (first parameter the identifier, second the
// position). In range mode it has two thumbs at least 1000 apart.
class CBitmapSlider : public QWidget
{
    Q_OBJECT
public:
    explicit CBitmapSlider(QWidget *parent = nullptr);

    void SetRange(int minimum, int maximum, bool redraw = false);
    int GetRangeMin() const { return m_min; }
    int GetRangeMax() const { return m_max; }
    void SetPos(int position);
    int GetPos() const { return m_pos; }
    void SetPos2(int position);
    int GetPos2() const { return m_pos2; }
    void SetPageSize(int size) { m_pageSize = size; }
    int GetPageSize() const { return m_pageSize; }
    void SetMargin(int left, int top, int right, int bottom);
    void SetVertical(bool vertical);
    void SetRangeMode(bool on);
    bool IsRangeMode() const { return m_rangeMode; }

    // Paths are file paths; an empty active path means no active bitmap.
    bool SetBitmapChannel(const QString &channel, const QString &active, bool transparent,
        SkinColor transColor, bool channelStretch, bool activeStretch);
    bool SetBitmapThumb(const QString &thumb, bool transparent, SkinColor transColor);
    void SetThumbAutoDisplay(bool on);
    void Enable(bool on);
    bool IsEnabled() const { return m_enabled; }
    QSize ThumbSize() const { return { m_thumbWidth, m_thumbHeight }; }

    // The pixel of a position's thumb centre along the slider, and back.
    int PositionToPixel(int position) const;
    int PixelToPosition(int pixel) const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    int Length() const { return m_vertical ? height() : width(); }
    int ThumbLength() const { return m_vertical ? m_thumbHeight : m_thumbWidth; }
    int MarginStart() const { return m_vertical ? m_marginTop : m_marginLeft; }
    int MarginEnd() const { return m_vertical ? m_marginBottom : m_marginRight; }
    int Along(const QPointF &point) const { return int(m_vertical ? point.y() : point.x()); }
    void DragTo(int pointer);
    void DrawSpan(class QPainter &painter, const QImage &picture, bool stretch, int from, int to) const;

    int m_max = 100;
    int m_min = 0;
    int m_pos = 0;
    int m_pos2 = 0;
    int m_pageSize = 20;
    bool m_rangeMode = false;
    bool m_draggingFirst = false;
    bool m_draggingSecond = false;
    int m_dragOffset = 0;
    bool m_vertical = false;
    int m_thumbWidth = 0;
    int m_thumbHeight = 0;
    int m_marginLeft = 0;
    int m_marginTop = 0;
    int m_marginRight = 0;
    int m_marginBottom = 0;
    QImage m_channel;
    QImage m_active;
    QImage m_thumb;
    bool m_transparent = false;
    SkinColor m_transColor = kDefaultTransColor;
    bool m_channelStretch = false;
    bool m_activeStretch = false;
    bool m_thumbAutoDisplay = false;
    bool m_enabled = true;
    bool m_hasFocus = false;
    bool m_mouseInside = false;
};

} // namespace skin
