#include "skin/CXInfoTip.h"

#include "skin/SkinClock.h"

#include <QApplication>
#include <QCursor>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

namespace skin {

namespace {
    constexpr int kMargin = 6;
    constexpr int kIconX = 12;
    constexpr int kIconY = 10;
    constexpr int kIconSize = 16;
    constexpr int kRadius = 6;
} // namespace

CXInfoTip::CXInfoTip(QWidget *owner, SkinClock &clock)
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint)
    , m_owner(owner)
    , m_timer(clock.CreateTimer([this] { OnTimer(); }))
    , m_cursor([] { return QCursor::pos(); })
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
    // Like a message filter of the dialog: every mouse message of the dialog and of its
    // controls passes here, also moves that untracked widgets never receive.
    if (qApp)
        qApp->installEventFilter(this);
}

CXInfoTip::~CXInfoTip() = default;

void CXInfoTip::AddTool(QWidget *control, const QString &text, const QIcon &icon)
{
    if (!control)
        return;
    if (!m_tips.contains(control)) {
        connect(control, &QObject::destroyed, this, [this, control] { m_tips.remove(control); });
    }
    m_tips.insert(control, Tip { text, icon });
}

bool CXInfoTip::HasTool(const QWidget *control) const
{
    return m_tips.contains(control);
}

QString CXInfoTip::ToolText(const QWidget *control) const
{
    return m_tips.value(control).text;
}

bool CXInfoTip::IsTimerActive() const
{
    return m_timer && m_timer->IsActive();
}

bool CXInfoTip::eventFilter(QObject *watched, QEvent *event)
{
    // This filter sees every event of the program, the web engine's internal objects included:
    // only mouse events are looked at, before the receiver is touched at all.
    switch (event->type()) {
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        break;
    default:
        return QWidget::eventFilter(watched, event);
    }
    if (!watched->isWidgetType() || !m_owner)
        return QWidget::eventFilter(watched, event);
    auto *widget = static_cast<QWidget *>(watched);
    if (widget == m_owner || m_owner->isAncestorOf(widget)) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        RelayEvent(event->type(), mouse->buttons(), mouse->globalPosition().toPoint());
    }
    return QWidget::eventFilter(watched, event);
}

QWidget *CXInfoTip::ToolAt(const QPoint &globalPos) const
{
    if (!m_owner)
        return nullptr;
    QWidget *w = m_owner->childAt(m_owner->mapFromGlobal(globalPos));
    // The pointer may be over an inner part of a control (an edit's line, a list's rows).
    while (w && w != m_owner) {
        if (m_tips.contains(w))
            return w;
        w = w->parentWidget();
    }
    return nullptr;
}

void CXInfoTip::RelayEvent(QEvent::Type type, Qt::MouseButtons buttons, const QPoint &globalPos)
{
    if (type == QEvent::MouseMove && !(buttons & Qt::LeftButton)) {
        if (globalPos == m_lastPos)
            return;
        m_lastPos = globalPos;
        HideTip();
        if (QWidget *tool = ToolAt(globalPos)) {
            const Tip &tip = m_tips[tool];
            m_text = tip.text;
            m_icon = tip.icon;
            m_state = kWaiting;
            m_ticks = 0;
            m_timer->Start(kTimerPeriodMs);
        } else {
            m_state = kMoving;
            m_timer->Stop();
        }
        return;
    }
    // A drag, a press or a release ends the tip.
    m_lastPos = globalPos;
    HideTip();
    m_state = kMoving;
    m_timer->Stop();
}

void CXInfoTip::OnTimer()
{
    const QPoint pos = m_cursor();
    if (pos != m_lastPos) {
        m_lastPos = pos;
        m_ticks = 0;
        if (m_state == kShown)
            HideTip();
        m_state = kMoving;
        m_timer->Stop();
        return;
    }
    ++m_ticks;
    if (m_state == kWaiting && m_ticks > kShowDelayTicks) {
        ShowTip();
        m_state = kShown;
        m_ticks = 0;
    } else if (m_state == kShown && m_ticks > kHideDelayTicks) {
        HideTip();
        m_state = kHide;
        m_timer->Stop();
    }
}

QSize CXInfoTip::TipSize() const
{
    const QFontMetrics fm(font());
    const QRect text = fm.boundingRect(QRect(0, 0, 400, 1000), Qt::TextWordWrap, m_text);
    const int textLeft = m_icon.isNull() ? kMargin * 2 : kIconX + kIconSize + kMargin;
    return QSize(textLeft + text.width() + kMargin * 2, qMax(text.height(), kIconSize) + kIconY * 2);
}

void CXInfoTip::ShowTip()
{
    const QSize size = TipSize();
    resize(size);
    QPainterPath path;
    path.addRoundedRect(QRectF(0, 0, size.width(), size.height()), kRadius, kRadius);
    setMask(QRegion(path.toFillPolygon().toPolygon()));

    const QPoint cursor = m_lastPos;
    QPoint at(cursor.x(), cursor.y() + 20);
    QRect virtualScreen;
    if (QScreen *screen = QGuiApplication::screenAt(cursor))
        virtualScreen = screen->virtualGeometry();
    else if (QGuiApplication::primaryScreen())
        virtualScreen = QGuiApplication::primaryScreen()->virtualGeometry();
    if (!virtualScreen.isNull() && at.x() + size.width() > virtualScreen.right())
        at.setX(cursor.x() - size.width());
    move(at);
    show();
    raise();
}

void CXInfoTip::HideTip()
{
    if (isVisible())
        hide();
}

void CXInfoTip::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette pal = QGuiApplication::palette();
    painter.setBrush(pal.color(QPalette::ToolTipBase));
    painter.setPen(pal.color(QPalette::ToolTipText));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), kRadius, kRadius);
    int textLeft = kMargin * 2;
    if (!m_icon.isNull()) {
        m_icon.paint(&painter, QRect(kIconX, kIconY, kIconSize, kIconSize));
        textLeft = kIconX + kIconSize + kMargin;
    }
    painter.setPen(pal.color(QPalette::ToolTipText));
    painter.drawText(QRect(textLeft, kIconY, width() - textLeft - kMargin, height() - kIconY * 2),
        Qt::TextWordWrap | Qt::AlignVCenter, m_text);
}

} // namespace skin
