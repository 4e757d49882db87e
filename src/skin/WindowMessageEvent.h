#pragma once

#include <QEvent>
#include <QtGlobal>

class QObject;

namespace skin {

// The details of a notify message (list clicks, date/time changes).
struct SkinNotifyInfo {
    QObject *from = nullptr;
    int idFrom = 0;
    int code = 0;
    int item = -1;
    int subItem = 0;
};

// A window message: the panels and skinned controls talk to their dialogs with these,
// posted (queued, processed in posting order) or sent (handled at once).
class WindowMessageEvent : public QEvent
{
public:
    static QEvent::Type EventType();

    WindowMessageEvent(quint32 message, quintptr wParam, qintptr lParam);
    // A notify message: wParam is the sender's identifier, lParam points at the details.
    explicit WindowMessageEvent(const SkinNotifyInfo &notify);

    quint32 Message() const { return m_message; }
    quintptr WParam() const { return m_wParam; }
    qintptr LParam() const { return m_lParam; }
    const SkinNotifyInfo *Notify() const { return m_hasNotify ? &m_notify : nullptr; }

    // The answer of the receiver, for sent messages.
    qintptr result = 0;

private:
    quint32 m_message;
    quintptr m_wParam;
    qintptr m_lParam;
    SkinNotifyInfo m_notify;
    bool m_hasNotify = false;
};

// Command messages pack the control identifier in the low and the code in the high 16 bits.
inline quintptr CommandWParam(int identifier, int code)
{
    return quintptr(quint16(identifier)) | (quintptr(quint16(code)) << 16);
}
inline int CommandId(quintptr wParam)
{
    return int(wParam & 0xFFFF);
}
inline int CommandCode(quintptr wParam)
{
    return int((wParam >> 16) & 0xFFFF);
}

// Queued delivery; returns false when there is no target.
bool PostWindowMessage(QObject *target, quint32 message, quintptr wParam = 0, qintptr lParam = 0);
// Immediate delivery; returns the receiver's answer (0 without a target).
qintptr SendWindowMessage(QObject *target, quint32 message, quintptr wParam = 0, qintptr lParam = 0);
qintptr SendNotify(QObject *target, const SkinNotifyInfo &notify);

} // namespace skin
