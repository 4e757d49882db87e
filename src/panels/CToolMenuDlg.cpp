#include "panels/CToolMenuDlg.h"

#include "skin/WindowMessageEvent.h"

CToolMenuDlg::CToolMenuDlg(skin::SkinRuntime &runtime, QWidget *parent)
    : CSkinDialog(runtime, parent)
{
}

void CToolMenuDlg::OnSkinLoaded()
{
    const std::pair<const char *, quint32> buttons[]
        = { { "tool_menu_print", kMsgPrint }, { "tool_menu_capture", kMsgCapture },
              { "tool_menu_export", kMsgExport }, { "tool_menu_screen_setting", kMsgImageControl },
              { "tool_menu_drive", kMsgStorage }, { "tool_menu_save", kMsgSave },
              { "tool_menu_bb_setting", kMsgSettings }, { "tool_menu_close", kMsgClose } };
    for (const auto &[name, message] : buttons) {
        RegisterEvent(QString::fromLatin1(name), skin::kSkinImgButton, skin::kEventClick,
            skin::ClickDelegate([this, message = message] {
                if (QWidget *owner = parentWidget())
                    skin::PostWindowMessage(owner, message);
                if (message == kMsgClose)
                    reject();
            }));
    }
}
