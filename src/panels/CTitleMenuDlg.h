#pragma once

#include "skin/CSkinDialog.h"

// The menu under the logo: open, save, storage, the recorder's settings, information and close.
// Each button reports to the main window and closes the menu.
class CTitleMenuDlg : public skin::CSkinDialog
{
    Q_OBJECT
public:
    CTitleMenuDlg(skin::SkinRuntime &runtime, QWidget *parent);

    bool Init(const QString &entryName) { return InitSkin(entryName); }

protected:
    void OnSkinLoaded() override;
};
