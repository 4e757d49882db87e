#pragma once

#include "device/CardBackup.h"
#include "device/CardUsage.h"
#include "skin/CSkinDialog.h"

#include <QMap>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class BackgroundJob;

namespace device {
class CTAVINSDConfig;
}

// The card's storage panel: free space and how full each recording area is, a verified backup of
// the whole card into a folder, and the format request (carried out by the settings panel). The
// card walks and the backup run as background jobs; the panel waits for them only when it goes.
class CStorageDlg : public skin::CSkinDialog
{
    Q_OBJECT
public:
    struct Space {
        qint64 totalBytes = 0;
        qint64 freeBytes = 0; // available to the user
    };
    using SpaceQuery = std::function<std::optional<Space>(const QString &root)>;
    // Sums a card's recordings; runs on a worker and stops early when cancel is set.
    using UsageWalk
        = std::function<device::RecordingSums(const QString &root, const std::atomic_bool *cancel)>;

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

    // The edges to the system, replaced by tests: the card's size and free space, the walk over the
    // card's folders (a slow card), and the folder chooser (an empty answer means Cancel).
    void SetSpaceQuery(SpaceQuery query) { m_spaceQuery = std::move(query); }
    void SetUsageWalk(UsageWalk walk) { m_usageWalk = std::move(walk); }
    void SetChooseFolder(std::function<QString()> choose) { m_chooseFolder = std::move(choose); }
    // Cancels a running backup as the progress window's Cancel does.
    void CancelBackup();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void OnDriveList();
    void QueryCapacity();
    void ApplyTexts(const device::StorageTexts &texts);
    void OnBrowse();
    void OnBackup();
    void OnFormat();
    void OnBackupFinished(const device::BackupReport &report);
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
    UsageWalk m_usageWalk;
    std::function<QString()> m_chooseFolder;
    std::unique_ptr<BackgroundJob> m_walk; // the current card walk, if any
    std::unique_ptr<BackgroundJob> m_backup;
    device::BackupReport m_lastBackup;
};
