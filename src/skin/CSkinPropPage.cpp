#include "skin/CSkinPropPage.h"

#include "skin/CSheetCtrlEx.h"

namespace skin {

CSkinPropPage::CSkinPropPage(SkinRuntime &runtime, QWidget *sheet, CSkin *sharedSkin)
    : CSkinDialog(runtime, sheet, sharedSkin)
{
    setWindowFlags(Qt::Widget);
    setWindowTitle(QStringLiteral("SkinPropPage"));
    resize(100, 100);
}

void CSkinPropPage::OnSkinLoaded()
{
    // A page's description gives it no size: the sheet decides where its pages lie, also when
    // a reload of the window loads the page again.
    auto *sheet = qobject_cast<CSheetCtrlEx *>(parentWidget());
    if (sheet && sheet->IndexOf(this) >= 0)
        setGeometry(sheet->PageRect());
}

} // namespace skin
