#include "skin/CSkinVScrollbar.h"

#include "skin/CSkinListCtrl.h"
#include "skin/SkinBitmap.h"
#include "skin/SkinClock.h"

#include <QMouseEvent>
#include <QPainter>

namespace skin {

CSkinVScrollbar::CSkinVScrollbar(CSkinListCtrl *list, QWidget *parent, SkinClock &clock)
    : QWidget(parent)
    , m_list(list)
    , m_timer(clock.CreateTimer([this] { OnTimer(); }))
{
}

CSkinVScrollbar::~CSkinVScrollbar() = default;

bool CSkinVScrollbar::SetBitmaps(const QString &span, const QString &thumbTop, const QString &thumbMid,
    const QString &thumbBottom, const QString &up, const QString &down)
{
    auto load = [](const QString &path) { return SkinBitmap::Load(path).Image(); };
    m_span = load(span);
    m_thumbTopBmp = load(thumbTop);
    m_thumbMidBmp = load(thumbMid);
    m_thumbBottomBmp = load(thumbBottom);
    m_up = load(up);
    m_down = load(down);
    // The thumb has a fixed length: its two caps and the middle bitmap's own height.
    m_thumbHeight = 2 * kThumbCap + (m_thumbMidBmp.isNull() ? 14 : std::max(1, m_thumbMidBmp.height()));
    UpdateThumb();
    return !(m_span.isNull() || m_thumbTopBmp.isNull() || m_thumbMidBmp.isNull() || m_thumbBottomBmp.isNull()
        || m_up.isNull() || m_down.isNull());
}

int CSkinVScrollbar::BarWidth() const
{
    if (!m_up.isNull())
        return m_up.width();
    if (!m_span.isNull())
        return m_span.width();
    return 16;
}

int CSkinVScrollbar::ClampThumb(int top) const
{
    const int high = height() - m_thumbHeight - kThumbMargin;
    top = std::min(top, high);
    return std::max(top, kThumbMargin);
}

void CSkinVScrollbar::UpdateThumb()
{
    if (m_dragging)
        return;
    const int limit = m_list ? m_list->ScrollLimit() : 0;
    const int position = m_list ? m_list->ScrollPos() : 0;
    int top = 0;
    if (limit > 0)
        top = int((qint64(height() - m_thumbHeight) * position) / limit);
    m_thumbTop = ClampThumb(top);
    update();
}

void CSkinVScrollbar::ScrollLines(int lines)
{
    if (m_list)
        m_list->ScrollLines(lines);
    UpdateThumb();
}

void CSkinVScrollbar::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    UpdateThumb();
}

void CSkinVScrollbar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const int h = height();
    const int w = width();
    const QColor spanColor = m_span.isNull() ? QColor(0x30, 0x30, 0x30) : QColor(m_span.pixel(0, 0));
    painter.fillRect(QRect(0, kArrowHeight + 1, w, std::max(0, h - 2 * (kArrowHeight + 1))), spanColor);
    if (!m_up.isNull())
        painter.drawImage(QRect(0, 0, w, kArrowHeight), m_up);
    if (!m_down.isNull())
        painter.drawImage(QRect(0, h - kArrowHeight, w, kArrowHeight), m_down);

    const int middle = std::max(0, m_thumbHeight - 2 * kThumbCap);
    if (!m_thumbTopBmp.isNull())
        painter.drawImage(QRect(0, m_thumbTop, w, kThumbCap), m_thumbTopBmp,
            QRect(0, 0, m_thumbTopBmp.width(), std::min(kThumbCap, m_thumbTopBmp.height())));
    if (!m_thumbMidBmp.isNull())
        painter.drawImage(QRect(0, m_thumbTop + kThumbCap, w, middle), m_thumbMidBmp);
    if (!m_thumbBottomBmp.isNull()) {
        const int capHeight = std::min(kThumbCap, m_thumbBottomBmp.height());
        painter.drawImage(QRect(0, m_thumbTop + kThumbCap + middle, w, kThumbCap), m_thumbBottomBmp,
            QRect(0, m_thumbBottomBmp.height() - capHeight, m_thumbBottomBmp.width(), capHeight));
    }
}

void CSkinVScrollbar::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const int y = int(event->position().y());
    if (OnThumb(y)) {
        m_dragging = true;
    } else if (y < kArrowHeight) {
        m_upPressed = true;
    } else if (y >= height() - kArrowHeight) {
        m_downPressed = true;
    }
    if (m_upPressed || m_downPressed) {
        m_repeating = false;
        m_timer->Start(kFirstDelayMs);
    }
}

void CSkinVScrollbar::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging || !m_list)
        return;
    const int y = int(event->position().y());
    const int h = height();
    m_thumbTop = y - m_thumbHeight / 2;
    const int limit = m_list->ScrollLimit();
    if (limit > 0 && h > m_thumbHeight) {
        const double pixelsPerStep = double(h - m_thumbHeight) / double(limit);
        const int rows = int(m_thumbTop / pixelsPerStep) - m_list->ScrollPos();
        if (rows != 0)
            m_list->ScrollLines(rows);
    }
    m_thumbTop = ClampThumb(m_thumbTop);
    update();
}

void CSkinVScrollbar::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_timer->Stop();
    const int y = int(event->position().y());
    if (!m_dragging && !OnThumb(y) && m_list)
        m_list->ScrollPages(y <= m_thumbTop ? -1 : 1);
    m_dragging = false;
    m_upPressed = false;
    m_downPressed = false;
    m_repeating = false;
    UpdateThumb();
}

void CSkinVScrollbar::OnTimer()
{
    if (!m_repeating) {
        // The first delay is over: from now on one line per repeat period.
        m_repeating = true;
        m_timer->Start(kRepeatMs);
        return;
    }
    if (m_upPressed)
        ScrollLines(-1);
    else if (m_downPressed)
        ScrollLines(1);
}

} // namespace skin
