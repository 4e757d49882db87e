#pragma once

#include "device/FormatCard.h"
#include "device/SafeFileWriter.h"

#include "platform/card_formatter.h"
#include "platform/file_attributes.h"
#include "platform/volume_source.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace device {

// The recorder's card as the viewer sees it: the removable cards present, the ones offered to the
// user, the selected one, and the card services (time file, format). The settings file itself is
// the derived class's business.
class CSDConfig
{
public:
    explicit CSDConfig(QString fileName);
    virtual ~CSDConfig();

    CSDConfig(const CSDConfig &) = delete;
    CSDConfig &operator=(const CSDConfig &) = delete;

    // Rebuilds the offered cards (all present cards, or with the flag only those holding the
    // configuration file), clears the selection and returns how many are offered.
    virtual int ScanDrives(bool onlyWithConfigFile);
    virtual bool Load(const QString &fileName) = 0;
    virtual bool Save(const QString &fileName) = 0;

    // Fills roots with every present card, in order, and returns how many.
    int EnumRemovableDrives(QStringList &roots) const;
    // index is into the offered cards; false (and no change) for an invalid index.
    bool SelectDrive(int index);
    // The root of offered card index, or an empty string for an invalid index.
    QString GetDrive(int index) const;
    // The selected card's root, or an empty string when none is selected.
    QString GetSelectedDrive() const;
    int GetMatchingDriveCount() const { return static_cast<int>(m_matchingDrives.size()); }
    int GetSelectedIndex() const { return m_selectedIndex; }
    const QString &FileName() const { return m_fileName; }

    // Writes time.cfg on the selected card (safely: the old file survives a failed write).
    // False when no card is selected, the time is not a valid one, the file is read-only or it
    // cannot be written; ErrorString() then says which.
    bool WriteTimeFile(int year, int month, int day, int hour, int minute, int second);

    // Formats the card at root after prompt.ConfirmFormat() said yes. Returns 0 only when the format
    // completed; 1 when the user declined, the card was busy, the system refused or broke off, or
    // formatting is not available (the prompt has told the user why). Only a removable card of the
    // last scan is ever formatted, never a folder given as a card. When the card comes back at
    // another mount point, the drive lists follow it.
    int FormatCard(const QString &root, FormatPrompt &prompt, FormatOutcome *outcome = nullptr);

    // Why the last failed Load, Save or WriteTimeFile failed, in words for the user: the parser's
    // message with its row, or the system's reason for a failed write (read-only, full, removed).
    const QString &ErrorString() const { return m_error; }

    void SetVolumeSource(std::unique_ptr<platform::VolumeSource> source);
    void SetCardFormatter(std::unique_ptr<platform::CardFormatter> formatter);
    platform::VolumeSource *GetVolumeSource() const { return m_volumes.get(); }
    // How files on the card are replaced and how their DOS attributes are kept (tests replace
    // both; null restores the system's).
    void SetFileWriter(std::unique_ptr<SafeFileWriter> writer);
    void SetFileAttributes(const platform::FileAttributes *attributes);

protected:
    QString m_fileName;
    QStringList m_driveRoots; // every present card, from the last scan
    std::vector<int> m_matchingDrives; // indices into m_driveRoots offered to the user
    int m_selectedIndex = -1; // index into m_driveRoots, -1 for none
    QString m_selectedRoot; // kept after a rescan clears the index
    int m_driveCount = 0;
    std::unique_ptr<SafeFileWriter> m_writer;
    const platform::FileAttributes *m_attributes;
    QString m_error;

private:
    std::vector<platform::MountedVolume> m_driveVolumes; // the last scan's cards, as m_driveRoots
    std::unique_ptr<platform::VolumeSource> m_volumes;
    std::unique_ptr<platform::CardFormatter> m_formatter;
};

} // namespace device
