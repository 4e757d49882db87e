#include "device/CSDConfig.h"

#include "device/CardFileGuard.h"
#include "device/CardPaths.h"
#include "device/TimeFile.h"

#include <QFileInfo>

#include <algorithm>

namespace device {

CSDConfig::CSDConfig(QString fileName)
    : m_fileName(std::move(fileName))
    , m_writer(std::make_unique<SafeFileWriter>())
    , m_attributes(&platform::SystemFileAttributes())
{
}

CSDConfig::~CSDConfig() = default;

void CSDConfig::SetVolumeSource(std::unique_ptr<platform::VolumeSource> source)
{
    m_volumes = std::move(source);
}

void CSDConfig::SetFileWriter(std::unique_ptr<SafeFileWriter> writer)
{
    m_writer = writer ? std::move(writer) : std::make_unique<SafeFileWriter>();
}

void CSDConfig::SetFileAttributes(const platform::FileAttributes *attributes)
{
    m_attributes = attributes ? attributes : &platform::SystemFileAttributes();
}

void CSDConfig::SetCardFormatter(std::unique_ptr<platform::CardFormatter> formatter)
{
    m_formatter = std::move(formatter);
}

int CSDConfig::EnumRemovableDrives(QStringList &roots) const
{
    roots.clear();
    if (!m_volumes)
        return 0;
    for (const platform::MountedVolume &volume : m_volumes->RemovableVolumes())
        roots.append(volume.root);
    return static_cast<int>(roots.size());
}

int CSDConfig::ScanDrives(bool onlyWithConfigFile)
{
    m_selectedIndex = -1;
    m_matchingDrives.clear();
    m_driveVolumes = m_volumes ? m_volumes->RemovableVolumes() : std::vector<platform::MountedVolume>();
    m_driveRoots.clear();
    for (const platform::MountedVolume &volume : m_driveVolumes)
        m_driveRoots.append(volume.root);
    m_driveCount = static_cast<int>(m_driveRoots.size());
    for (int i = 0; i < m_driveCount; ++i) {
        if (!onlyWithConfigFile || QFileInfo(CardFilePath(m_driveRoots[i], m_fileName)).isFile())
            m_matchingDrives.push_back(i);
    }
    return static_cast<int>(m_matchingDrives.size());
}

bool CSDConfig::SelectDrive(int index)
{
    if (index < 0 || index >= static_cast<int>(m_matchingDrives.size()))
        return false;
    m_selectedIndex = m_matchingDrives[static_cast<size_t>(index)];
    m_selectedRoot = m_driveRoots[m_selectedIndex];
    return true;
}

QString CSDConfig::GetDrive(int index) const
{
    if (index < 0 || index >= static_cast<int>(m_matchingDrives.size()))
        return QString();
    return m_driveRoots[m_matchingDrives[static_cast<size_t>(index)]];
}

QString CSDConfig::GetSelectedDrive() const
{
    return m_selectedIndex < 0 ? QString() : m_selectedRoot;
}

bool CSDConfig::WriteTimeFile(int year, int month, int day, int hour, int minute, int second)
{
    m_error.clear();
    const QString path = CardFilePath(GetSelectedDrive(), QString::fromLatin1(kTimeFileName));
    const std::optional<QByteArray> text = TimeFileText(year, month, day, hour, minute, second);
    if (path.isEmpty())
        m_error = QStringLiteral("no card is selected");
    else if (!text)
        m_error = QStringLiteral("%1-%2-%3 %4:%5:%6 is not a valid date and time")
                      .arg(year)
                      .arg(month)
                      .arg(day)
                      .arg(hour)
                      .arg(minute)
                      .arg(second);
    if (!m_error.isEmpty())
        return false;
    const CardFileGuard guard(path, *m_attributes);
    if (!guard.MayReplace()) {
        m_error = guard.Refusal();
        return false;
    }
    if (!m_writer->Write(path, *text)) {
        m_error = QStringLiteral("cannot write %1: %2").arg(path, m_writer->ErrorString());
        return false;
    }
    guard.Restore(false);
    return true;
}

int CSDConfig::FormatCard(const QString &root, FormatPrompt &prompt, FormatOutcome *outcome)
{
    auto finish = [&](FormatOutcome result, const QString &reason = QString()) {
        if (!reason.isEmpty())
            prompt.FormatFailed(reason);
        if (result != FormatOutcome::Formatted)
            prompt.FormatNotDone();
        if (outcome)
            *outcome = result;
        return FormatResultCode(result);
    };

    // Only a removable card found by the last scan can be formatted: a typed or stale path, or a
    // folder given as a card (even the mount point of a disk), never reaches the formatter.
    const auto found = std::find_if(m_driveVolumes.begin(), m_driveVolumes.end(),
        [&](const platform::MountedVolume &volume) { return !root.isEmpty() && volume.root == root; });
    if (found == m_driveVolumes.end())
        return finish(
            FormatOutcome::Unavailable, QStringLiteral("%1 is not a card that is present").arg(root));
    const platform::MountedVolume card = *found;
    if (card.deviceNumber.isEmpty())
        return finish(FormatOutcome::Unavailable,
            QStringLiteral("%1 is a folder given as a card; only a removable card can be formatted")
                .arg(root));

    if (!prompt.ConfirmFormat(root))
        return finish(FormatOutcome::Declined);
    if (!m_formatter)
        return finish(
            FormatOutcome::Unavailable, QStringLiteral("formatting is not available on this system"));

    prompt.SetBusy(true);
    platform::CardFormatter *formatter = m_formatter.get();
    const platform::FormatResult result = prompt.RunFormat([formatter, card, root] {
        const FormatParameters parameters = ChooseFormatParameters(formatter->QueryGeometry(root));
        return formatter->Format(card, parameters.fileSystem, parameters.label, parameters.clusterBytes);
    });
    prompt.SetBusy(false);

    if (!result.root.isEmpty() && result.root != root) {
        for (QString &known : m_driveRoots) {
            if (known == root)
                known = result.root;
        }
        for (platform::MountedVolume &volume : m_driveVolumes) {
            if (volume.root == root)
                volume.root = result.root;
        }
        if (m_selectedRoot == root)
            m_selectedRoot = result.root;
    }

    switch (result.status) {
    case platform::FormatStatus::Formatted:
        return finish(FormatOutcome::Formatted);
    case platform::FormatStatus::InUse:
        prompt.DeviceInUse();
        return finish(FormatOutcome::InUse);
    case platform::FormatStatus::Failed:
        return finish(FormatOutcome::Failed,
            result.message.isEmpty() ? QStringLiteral("the system did not complete the format")
                                     : result.message);
    case platform::FormatStatus::Unavailable:
        break;
    }
    return finish(FormatOutcome::Unavailable,
        result.message.isEmpty() ? QStringLiteral("formatting is not available on this system")
                                 : result.message);
}

} // namespace device
