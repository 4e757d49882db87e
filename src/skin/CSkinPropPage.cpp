#include "skin/CSkinPropPage.h"

namespace skin {

CSkinPropPage::CSkinPropPage(SkinRuntime &runtime, QWidget *sheet, CSkin *sharedSkin)
    : CSkinDialog(runtime, sheet, sharedSkin)
{
    setWindowFlags(Qt::Widget);
    setWindowTitle(QStringLiteral("SkinPropPage"));
    resize(100, 100);
}

} // namespace skin
