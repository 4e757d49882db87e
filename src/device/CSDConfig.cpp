#include "device/CSDConfig.h"

#include "device/CardFileGuard.h"
#include "device/CardPaths.h"
#include "device/TimeFile.h"

#include <QFileInfo>

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
    for (const platform::MountedVolume &volume : m_volumes->removableVolumes())
        roots.append(volume.root);
    return static_cast<int>(roots.size());
}

int CSDConfig::ScanDrives(bool onlyWithConfigFile)
{
    m_selectedIndex = -1;
    m_matchingDrives.clear();
    m_driveCount = EnumRemovableDrives(m_driveRoots);
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
    const QString path = CardFilePath(GetSelectedDrive(), QString::fromLatin1(kTimeFileName));
    const std::optional<QByteArray> text = TimeFileText(year, month, day, hour, minute, second);
    if (path.isEmpty() || !text)
        return false;
    const CardFileGuard guard(path, *m_attributes);
    if (!guard.mayReplace() || !m_writer->write(path, *text))
        return false;
    guard.restore(false);
    return true;
}

int CSDConfig::FormatCard(const QString &root, FormatPrompt &prompt, FormatOutcome *outcome)
{
    auto finish = [&](FormatOutcome result) {
        if (outcome)
            *outcome = result;
        return FormatResultCode(result);
    };

    // Only a card found by the last scan can be formatted: a typed or stale path never reaches
    // the formatter.
    if (root.isEmpty() || !m_driveRoots.contains(root))
        return finish(FormatOutcome::Unavailable);

    if (!prompt.confirmFormat(root)) {
        prompt.formatDeclined();
        return finish(FormatOutcome::Declined);
    }
    if (!m_formatter)
        return finish(FormatOutcome::Unavailable);

    prompt.setBusy(true);
    const FormatParameters parameters = ChooseFormatParameters(m_formatter->queryGeometry(root));
    const platform::FormatResult result
        = m_formatter->format(root, parameters.fileSystem, parameters.label, parameters.clusterBytes);
    prompt.setBusy(false);

    if (!result.root.isEmpty() && result.root != root) {
        for (QString &known : m_driveRoots) {
            if (known == root)
                known = result.root;
        }
        if (m_selectedRoot == root)
            m_selectedRoot = result.root;
    }

    switch (result.status) {
    case platform::FormatStatus::Formatted:
        return finish(FormatOutcome::Formatted);
    case platform::FormatStatus::InUse:
        prompt.deviceInUse();
        return finish(FormatOutcome::InUse);
    case platform::FormatStatus::Failed:
        return finish(FormatOutcome::Failed);
    case platform::FormatStatus::Unavailable:
        break;
    }
    return finish(FormatOutcome::Unavailable);
}

} // namespace device
