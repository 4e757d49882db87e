#pragma once

#include "skin/CSkinDialog.h"

// The menu under the tool button: print, capture, clip export, image control, storage, save and
// the recorder's settings report to the main window and leave the menu open; close reports and
// closes it.
class CToolMenuDlg : public skin::CSkinDialog
{
    Q_OBJECT
public:
    CToolMenuDlg(skin::SkinRuntime &runtime, QWidget *parent);

    bool Init(const QString &entryName) { return InitSkin(entryName); }

protected:
    void OnSkinLoaded() override;
};
