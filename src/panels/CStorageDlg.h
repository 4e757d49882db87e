#pragma once

#include "device/CardBackup.h"
#include "device/CardUsage.h"
#include "skin/CSkinDialog.h"

#include <QMap>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class QProgressDialog;
class QThread;
class QTimer;

namespace device {
class CTAVINSDConfig;
}

// The card's storage panel: free space and how full each recording area is, a verified backup of
// the whole card into a folder, and the format request (carried out by the settings panel). The
// card walks and the backup run on workers; the panel never waits for them.
class CStorageDlg : public skin::CSkinDialog
{
    Q_OBJECT
public:
    struct Space {
        qint64 totalBytes = 0;
        qint64 freeBytes = 0; // available to the user
    };
    using SpaceQuery = std::function<std::optional<Space>(const QString &root)>;

    // partition: the card's committed PartitionMode, read at every refresh.
    CStorageDlg(skin::SkinRuntime &runtime, QString skinFile, device::CTAVINSDConfig *config,
        std::function<int()> partition, int driveIndex, QWidget *parent);
    ~CStorageDlg() override;

    bool Init();
    // Refills the card list, selects index (an index of the offered cards) and reads its figures.
    void RefreshDrives(int index);
    int DriveIndex() const { return m_driveIndex; }
    bool IsShownFlag() const { return m_visible; }
    void SetShownFlag(bool shown) { m_visible = shown; }
    // The text a text item shows now.
    QString ShownText(const QString &name) const { return m_texts.value(name); }
    // A card walk or a backup is running.
    bool IsWorking() const;
    bool IsBackingUp() const { return m_backup != nullptr; }
    const device::BackupReport &LastBackup() const { return m_lastBackup; }
    QString BackupFolder() const { return m_backupFolder; }

    // The edges to the system, replaced by tests: the card's size and free space, and the folder
    // chooser (an empty answer means Cancel).
    void SetSpaceQuery(SpaceQuery query) { m_spaceQuery = std::move(query); }
    void SetChooseFolder(std::function<QString()> choose) { m_chooseFolder = std::move(choose); }
    // Cancels a running backup as the progress window's Cancel does.
    void CancelBackup();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    struct Walk;
    struct Backup;

    void OnDriveList();
    void QueryCapacity();
    void ApplyTexts(const device::StorageTexts &texts);
    void OnBrowse();
    void OnBackup();
    void OnFormat();
    void OnBackupProgress();
    void OnBackupFinished();
    void StopWalk();
    QString SelectedRoot() const;

    QString m_skinFile;
    bool m_visible = false;
    device::CTAVINSDConfig *m_config;
    std::function<int()> m_partition;
    int m_driveIndex;
    QString m_backupFolder; // chosen once, kept for the next backups
    QMap<QString, QString> m_texts;
    SpaceQuery m_spaceQuery;
    std::function<QString()> m_chooseFolder;
    std::shared_ptr<Walk> m_walk; // the current card walk, if any
    std::unique_ptr<Backup> m_backup;
    device::BackupReport m_lastBackup;
};
