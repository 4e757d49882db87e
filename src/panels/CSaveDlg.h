#pragma once

#include "library/RecordingLibrary.h"
#include "skin/CSkinDialog.h"

#include <QStringList>

#include <functional>
#include <vector>

namespace skin {
class CSkinListCtrl;
}

// The save panel: the user checks recordings of the listed card or folder and chooses a folder;
// OK hands the front and rear files of the checked recordings to the main window, which copies
// them. The check marks are the selection: a click on a row's mark adds or removes that row,
// a click elsewhere on a row selects it alone, and the highlighted rows are always the checked
// ones.
class CSaveDlg : public skin::CSkinDialog
{
    Q_OBJECT
public:
    // Answers the chosen folder, or an empty string when the user cancelled.
    using FolderChooser = std::function<QString(QWidget *parent, const QString &start)>;

    CSaveDlg(skin::SkinRuntime &runtime, QWidget *parent);

    // Loads the skin entry and fills the list. False when the skin cannot be loaded.
    bool Init(const QString &entryName);

    // The recordings of the listed location, as the main window's table holds them.
    void SetRecordings(const std::vector<library::Recording> &recordings, const QString &sourceFolder);
    void SetFolderChooser(FolderChooser chooser) { m_chooseFolder = std::move(chooser); }

    int Category() const { return m_category; }
    const QString &SaveFolder() const { return m_saveFolder; }
    void SetSaveFolder(const QString &folder);
    // The files to copy, front then rear for each checked recording; filled by OK.
    const QStringList &Result() const { return m_result; }
    skin::CSkinListCtrl *List() const;

    // The folder the panel starts with: the user's videos folder where the desktop has one,
    // else the home folder.
    static QString DefaultSaveFolder();

protected:
    void OnSkinLoaded() override;
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void ChooseCategory(int category);
    void FillList();
    void SetAllChecked(bool checked);
    void Browse();
    void OnOk();
    void SyncChecksToSelection();
    bool OnCheckMark(const QPoint &viewportPos, int *row) const;

    std::vector<library::Recording> m_recordings;
    QString m_sourceFolder;
    int m_category = library::kCategoryAll;
    QString m_saveFolder;
    QStringList m_result;
    FolderChooser m_chooseFolder;
};
