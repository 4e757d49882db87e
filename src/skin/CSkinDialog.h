#pragma once

#include "skin/CBitmapDialog.h"
#include "skin/CSkin.h"
#include "skin/SkinDelegate.h"
#include "skin/SkinItems.h"

#include <memory>

namespace skin {

class SkinRuntime;
class WindowMessageEvent;

// The base of every window of the program: a CBitmapDialog tied to a CSkin. It loads the
// window's description, applies the window settings, paints groups and images, opens area
// links, and routes the notifications of its skinned controls to registered delegates.
//
//   CSkinDialog dialog(runtime);
//   dialog.LoadSkin("main_small");                   // entry name, reset on
//   dialog.RegisterEvent("play", kSkinImgButton, kEventClick, ClickDelegate([] { ... }));
//   dialog.show();
class CSkinDialog : public CBitmapDialog
{
    Q_OBJECT
public:
    // Without a shared skin the dialog makes and owns one; a sheet page shares its dialog's.
    explicit CSkinDialog(SkinRuntime &runtime, QWidget *parent = nullptr, CSkin *sharedSkin = nullptr);
    ~CSkinDialog() override;

    bool LoadSkin(const QString &entryName, bool reset = true);
    bool LoadSkinFromText(const QString &text, bool reset = true);
    // LoadSkin with reset; on failure shows the skin-failure message and posts itself a close.
    bool InitSkin(const QString &entryName);

    // Binds a control's event to a delegate. Does nothing (returns false) when the skin has no
    // such control or the type has no such event.
    bool RegisterEvent(
        const QString &name, SkinControlType type, SkinEventKind kind, std::unique_ptr<Delegate> delegate);
    // The notification code an event kind of a type is registered under, or -1.
    static int NotificationCode(SkinControlType type, SkinEventKind kind);

    CSkin &Skin() { return *m_skin; }
    const CSkin &Skin() const { return *m_skin; }
    SkinRuntime &Runtime() { return m_runtime; }
    const SkinWindowInfo &WindowInfo() const { return m_info; }

    QWidget *GetControl(SkinControlType type, const QString &name) const
    {
        return m_skin->GetControl(type, name);
    }
    template <class T> T *Control(SkinControlType type, const QString &name) const
    {
        return m_skin->Control<T>(type, name);
    }
    int GetControlId(SkinControlType type, const QString &name) const
    {
        return m_skin->GetControlId(type, name);
    }
    bool ShowControl(SkinControlType type, const QString &name, bool show)
    {
        return m_skin->ShowControl(type, name, show);
    }
    int MessageBox(const QString &messageKey, const QString &captionKey, int flags)
    {
        return m_skin->MessageBox(this, messageKey, captionKey, flags);
    }

    static const QString &SkinFailureText();

protected:
    bool event(QEvent *event) override;
    // The dialog's own handling of window messages that no control route took (private
    // messages of panels, close). Returns true when handled. The default closes on kMsgClose.
    virtual bool WindowProc(WindowMessageEvent &message);
    // Runs after each successful load has been applied.
    virtual void OnSkinLoaded() { }

    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    bool RouteMessage(WindowMessageEvent &message);
    void ApplyWindowInfo();
    void ApplyControlPalette();
    const CSkinArea *LinkAreaAt(const QPoint &point) const;

    SkinRuntime &m_runtime;
    std::unique_ptr<CSkin> m_ownedSkin;
    CSkin *m_skin;
    SkinWindowInfo m_info;
};

} // namespace skin
