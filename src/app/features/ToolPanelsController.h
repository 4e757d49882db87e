#pragma once

#include "app/features/MainWindowFeature.h"

#include <QObject>
#include <QPoint>

#include <memory>

class BackgroundJob;
class CImageControlDlg;
class CPrintDlg;
class CSaveDlg;
class CTitleMenuDlg;
class CToolMenuDlg;
namespace panels {
class RecordingCopier;
}

// The tools over the video: the title and tool menus, the image control panel, saving recordings
// to a folder on a worker, and capturing and printing the picture. The panels are child windows;
// a panel whose skin is missing stays null and its command says the tool is not available.
class ToolPanelsController : public QObject, public MainWindowFeature
{
    Q_OBJECT
public:
    explicit ToolPanelsController(MainWindowContext &window);
    ~ToolPanelsController() override;

    CSaveDlg *SavePanel() const { return m_savePanel; }
    CPrintDlg *PrintPanel() const { return m_printPanel; }
    CImageControlDlg *ImageControlPanel() const { return m_imageControl; }
    CTitleMenuDlg *TitleMenu() const { return m_titleMenu; }
    CToolMenuDlg *ToolMenu() const { return m_toolMenu; }
    // Whether recordings are being copied into a save folder.
    bool IsSaving() const { return m_saveCopy != nullptr; }

    void OnStart() override;
    void OnSkinLoaded() override;
    // A new layout closes the save panel and the menus, which stood for the old one.
    void OnLayoutChanging() override;
    bool OnMessage(quint32 message, quintptr wParam, qintptr lParam) override;

private:
    void ToggleTitleMenu();
    void ToggleToolMenu();
    void ShowImageControl();
    void ShowSavePanel();
    void SaveRecordings();
    void OnSaveFinished(const panels::RecordingCopier &copier);
    void Capture();
    void SaveCapture();
    void Print();
    // False, after telling the user, when the main area shows the rear channel of a recording
    // that has none.
    bool HasPictureToTake();
    QPoint ToolMenuOffset() const;
    QPoint TitleMenuOffset() const;

    CSaveDlg *m_savePanel = nullptr;
    CPrintDlg *m_printPanel = nullptr;
    CImageControlDlg *m_imageControl = nullptr;
    CTitleMenuDlg *m_titleMenu = nullptr;
    CToolMenuDlg *m_toolMenu = nullptr;
    // A running copy; ending with the window cancels it and waits for its worker.
    std::unique_ptr<BackgroundJob> m_saveCopy;
};
