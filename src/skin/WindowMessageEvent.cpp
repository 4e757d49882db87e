#include "skin/WindowMessageEvent.h"

#include <QCoreApplication>

namespace skin {

QEvent::Type WindowMessageEvent::EventType()
{
    static const QEvent::Type type = QEvent::Type(QEvent::registerEventType());
    return type;
}

WindowMessageEvent::WindowMessageEvent(quint32 message, quintptr wParam, qintptr lParam)
    : QEvent(EventType())
    , m_message(message)
    , m_wParam(wParam)
    , m_lParam(lParam)
{
}

WindowMessageEvent::WindowMessageEvent(const SkinNotifyInfo &notify)
    : QEvent(EventType())
    , m_message(0x004E)
    , m_wParam(quintptr(notify.idFrom))
    , m_lParam(0)
    , m_notify(notify)
    , m_hasNotify(true)
{
    m_lParam = reinterpret_cast<qintptr>(&m_notify);
}

bool PostWindowMessage(QObject *target, quint32 message, quintptr wParam, qintptr lParam)
{
    if (!target)
        return false;
    QCoreApplication::postEvent(target, new WindowMessageEvent(message, wParam, lParam));
    return true;
}

qintptr SendWindowMessage(QObject *target, quint32 message, quintptr wParam, qintptr lParam)
{
    if (!target)
        return 0;
    WindowMessageEvent event(message, wParam, lParam);
    QCoreApplication::sendEvent(target, &event);
    return event.result;
}

qintptr SendNotify(QObject *target, const SkinNotifyInfo &notify)
{
    if (!target)
        return 0;
    WindowMessageEvent event(notify);
    QCoreApplication::sendEvent(target, &event);
    return event.result;
}

} // namespace skin
