#pragma once

#include <QEvent>
#include <QHash>
#include <QIcon>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

namespace skin {

class SkinClock;
class SkinTimer;

// The skin's tooltip window. Mouse events of the owner dialog and of everything inside it are
// relayed to it; after the pointer rests over a control with a tip for more than 5 ticks of
// 100 ms the tip shows below the pointer, and it hides after more than 10 further ticks or on
// any button press or release.
class CXInfoTip : public QWidget
{
    Q_OBJECT
public:
    enum TipState { kMoving = 0, kWaiting = 1, kShown = 2, kHide = 3 };
    static constexpr int kTimerPeriodMs = 100;
    static constexpr int kShowDelayTicks = 5;
    static constexpr int kHideDelayTicks = 10;

    CXInfoTip(QWidget *owner, SkinClock &clock);
    ~CXInfoTip() override;

    void AddTool(QWidget *control, const QString &text, const QIcon &icon = QIcon());
    bool HasTool(const QWidget *control) const;
    QString ToolText(const QWidget *control) const;

    // A mouse event of the owner dialog or of a control (global pointer position).
    void RelayEvent(QEvent::Type type, Qt::MouseButtons buttons, const QPoint &globalPos);
    // One timer tick (100 ms).
    void OnTimer();

    TipState State() const { return m_state; }
    QString CurrentText() const { return m_text; }
    bool IsTimerActive() const;
    // Where the pointer is; tests give a fixed point.
    void SetCursorSource(std::function<QPoint()> source) { m_cursor = std::move(source); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    struct Tip {
        QString text;
        QIcon icon;
    };
    void HideTip();
    void ShowTip();
    QWidget *ToolAt(const QPoint &globalPos) const;
    QSize TipSize() const;

    QPointer<QWidget> m_owner;
    QHash<const QWidget *, Tip> m_tips;
    std::unique_ptr<SkinTimer> m_timer;
    int m_ticks = 0;
    QPoint m_lastPos;
    TipState m_state = kMoving;
    QString m_text;
    QIcon m_icon;
    std::function<QPoint()> m_cursor;
};

} // namespace skin
