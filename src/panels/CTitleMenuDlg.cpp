#include "panels/CTitleMenuDlg.h"

#include "skin/WindowMessageEvent.h"

CTitleMenuDlg::CTitleMenuDlg(skin::SkinRuntime &runtime, QWidget *parent)
    : CSkinDialog(runtime, parent)
{
}

void CTitleMenuDlg::OnSkinLoaded()
{
    const std::pair<const char *, quint32> buttons[] = { { "menu_file_open", kMsgOpen },
        { "menu_file_save", kMsgSave }, { "menu_storage_setting", kMsgStorage },
        { "menu_BB_setting", kMsgSettings }, { "menu_info", kMsgInfo }, { "menu_close", kMsgQuit } };
    for (const auto &[name, message] : buttons) {
        RegisterEvent(QString::fromLatin1(name), skin::kSkinImgButton, skin::kEventClick,
            skin::ClickDelegate([this, message = message] {
                if (QWidget *owner = parentWidget())
                    skin::PostWindowMessage(owner, message);
                reject();
            }));
    }
}
