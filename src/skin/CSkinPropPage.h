#pragma once

#include "skin/CSkinDialog.h"

namespace skin {

// One page of a sheet control: a child dialog that shares its dialog's skin and is built from
// the page element's own markup.
class CSkinPropPage : public CSkinDialog
{
    Q_OBJECT
public:
    CSkinPropPage(SkinRuntime &runtime, QWidget *sheet, CSkin *sharedSkin);

protected:
    void OnSkinLoaded() override;
};

} // namespace skin
