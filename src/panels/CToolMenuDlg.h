#pragma once

#include "skin/CSkinDialog.h"

// The menu under the tool button: print, capture, clip export, image control, storage, save and
// the recorder's settings report to the main window and leave the menu open; close reports and
// closes it.
class CToolMenuDlg : public skin::CSkinDialog
{
    Q_OBJECT
public:
    static constexpr quint32 kMsgPrint = 0x8032;
    static constexpr quint32 kMsgCapture = 0x8033;
    static constexpr quint32 kMsgImageControl = 0x8034;
    static constexpr quint32 kMsgStorage = 0x8035;
    static constexpr quint32 kMsgSave = 0x8036;
    static constexpr quint32 kMsgSettings = 0x8037;
    static constexpr quint32 kMsgClose = 0x8038;
    static constexpr quint32 kMsgExport = 0x8039;

    CToolMenuDlg(skin::SkinRuntime &runtime, QWidget *parent);

    bool Init(const QString &entryName) { return InitSkin(entryName); }

protected:
    void OnSkinLoaded() override;
};
