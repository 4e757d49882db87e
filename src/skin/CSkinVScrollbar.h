#pragma once

#include <QImage>
#include <QWidget>

#include <memory>

namespace skin {

class CSkinListCtrl;
class SkinClock;
class SkinTimer;

// The list's vertical scroll bar drawn from six skin bitmaps: a sibling window of the list
// that replaces the native bar. Arrows are the top and bottom 21 pixels; holding one scrolls a
// line every 200 ms after a first 100 ms; a click that does not drag the thumb pages.
class CSkinVScrollbar : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kArrowHeight = 21;
    static constexpr int kThumbCap = 8;
    static constexpr int kThumbMargin = 27;
    static constexpr int kFirstDelayMs = 100;
    static constexpr int kRepeatMs = 200;

    CSkinVScrollbar(CSkinListCtrl *list, QWidget *parent, SkinClock &clock);
    ~CSkinVScrollbar() override;

    // Paths of span, thumb top, thumb middle, thumb bottom, up and down; false when any fails.
    bool SetBitmaps(const QString &span, const QString &thumbTop, const QString &thumbMid,
        const QString &thumbBottom, const QString &up, const QString &down);
    int BarWidth() const;

    int ThumbTop() const { return m_thumbTop; }
    int ThumbHeight() const { return m_thumbHeight; }
    bool IsDragging() const { return m_dragging; }
    bool IsUpPressed() const { return m_upPressed; }
    bool IsDownPressed() const { return m_downPressed; }
    // Recomputes the thumb from the list's scroll position.
    void UpdateThumb();
    // Scrolls the list by lines and moves the thumb with it.
    void ScrollLines(int lines);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    int ClampThumb(int top) const;
    bool OnThumb(int y) const { return y >= m_thumbTop && y < m_thumbTop + m_thumbHeight; }
    void OnTimer();

    CSkinListCtrl *m_list;
    QImage m_span, m_thumbTopBmp, m_thumbMidBmp, m_thumbBottomBmp, m_up, m_down;
    int m_thumbTop = kThumbMargin;
    int m_thumbHeight = 30;
    bool m_dragging = false;
    bool m_upPressed = false;
    bool m_downPressed = false;
    bool m_repeating = false;
    std::unique_ptr<SkinTimer> m_timer;
};

} // namespace skin
