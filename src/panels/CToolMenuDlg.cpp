#include "panels/CToolMenuDlg.h"
#include "panels/MainWindowMessages.h"

#include "skin/WindowMessageEvent.h"

CToolMenuDlg::CToolMenuDlg(skin::SkinRuntime &runtime, QWidget *parent)
    : CSkinDialog(runtime, parent)
{
}

void CToolMenuDlg::OnSkinLoaded()
{
    const std::pair<const char *, quint32> buttons[] = { { "tool_menu_print", mainwindow::kMsgPrint },
        { "tool_menu_capture", mainwindow::kMsgCapture }, { "tool_menu_export", mainwindow::kMsgExportClip },
        { "tool_menu_screen_setting", mainwindow::kMsgShowImageControl },
        { "tool_menu_drive", mainwindow::kMsgToggleStorage }, { "tool_menu_save", mainwindow::kMsgShowSave },
        { "tool_menu_bb_setting", mainwindow::kMsgShowSettings },
        { "tool_menu_close", mainwindow::kMsgHideToolMenu } };
    for (const auto &[name, message] : buttons) {
        RegisterEvent(QString::fromLatin1(name), skin::kSkinImgButton, skin::kEventClick,
            skin::ClickDelegate([this, message = message] {
                if (QWidget *owner = parentWidget())
                    skin::PostWindowMessage(owner, message);
                if (message == mainwindow::kMsgHideToolMenu)
                    reject();
            }));
    }
}
