#include "panels/CTitleMenuDlg.h"
#include "panels/MainWindowMessages.h"

#include "skin/WindowMessageEvent.h"

CTitleMenuDlg::CTitleMenuDlg(skin::SkinRuntime &runtime, QWidget *parent)
    : CSkinDialog(runtime, parent)
{
}

void CTitleMenuDlg::OnSkinLoaded()
{
    const std::pair<const char *, quint32> buttons[]
        = { { "menu_file_open", mainwindow::kMsgOpenFolder }, { "menu_file_save", mainwindow::kMsgTitleSave },
              { "menu_storage_setting", mainwindow::kMsgTitleStorage },
              { "menu_BB_setting", mainwindow::kMsgTitleSettings },
              { "menu_info", mainwindow::kMsgProgramInfo }, { "menu_close", mainwindow::kMsgQuit } };
    for (const auto &[name, message] : buttons) {
        RegisterEvent(QString::fromLatin1(name), skin::kSkinImgButton, skin::kEventClick,
            skin::ClickDelegate([this, message = message] {
                if (QWidget *owner = parentWidget())
                    skin::PostWindowMessage(owner, message);
                reject();
            }));
    }
}
