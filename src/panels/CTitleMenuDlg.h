#pragma once

#include "skin/CSkinDialog.h"

// The menu under the logo: open, save, storage, the recorder's settings, information and close.
// Each button reports to the main window and closes the menu.
class CTitleMenuDlg : public skin::CSkinDialog
{
    Q_OBJECT
public:
    static constexpr quint32 kMsgOpen = 0x8064;
    static constexpr quint32 kMsgSave = 0x8065;
    static constexpr quint32 kMsgStorage = 0x8066;
    static constexpr quint32 kMsgSettings = 0x8067;
    static constexpr quint32 kMsgInfo = 0x8068;
    static constexpr quint32 kMsgQuit = 0x8069;

    CTitleMenuDlg(skin::SkinRuntime &runtime, QWidget *parent);

    bool Init(const QString &entryName) { return InitSkin(entryName); }

protected:
    void OnSkinLoaded() override;
};
