#include "device/CTAVINSDConfig.h"

#include "device/CardFileGuard.h"
#include "device/CardPaths.h"

#include "platform/file_attributes.h"

#include <QFile>
#include <QFileInfo>

namespace device {
namespace {

    // The recorder keeps its battery calibration near the top of its file; only this window of the
    // raw file is searched.
    constexpr qint64 kCalibrationOffset = 300;
    constexpr qint64 kCalibrationLength = 1000;
    const char kCalibrationMarker[] = "<item id=\"CarBatVoltCalib\" value=\"";

} // namespace

CTAVINSDConfig::CTAVINSDConfig(QString fileName)
    : CSDConfig(std::move(fileName))
    , m_document(std::make_unique<CXmlItemDoc>())
{
}

CTAVINSDConfig::~CTAVINSDConfig() = default;

void CTAVINSDConfig::BindAll(bool keepCardValues)
{
    m_document->FindFirstItem();
    const auto &items = ConfigItems();
    for (int i = 0; i < kItemCount; ++i) {
        if (keepCardValues && (i == kItemPartitionMode || i == kItemCarBatVoltCalib))
            continue;
        m_document->BindItem(items[i].id, &(*m_values)[i]);
    }
}

bool CTAVINSDConfig::Load(const QString &fileName)
{
    if (!fileName.isEmpty()) {
        if (!m_document->OpenFile(CardFilePath(m_selectedRoot, fileName)))
            return false;
    }
    if (!m_values)
        return false;
    BindAll(false);
    return true;
}

bool CTAVINSDConfig::Reset(bool keepCardValues)
{
    if (!m_values || !m_document->ParseDefault())
        return false;
    BindAll(keepCardValues);
    SetDefaultValues(keepCardValues);
    return true;
}

void CTAVINSDConfig::SetDefaultValues(bool keepCardValues)
{
    if (!m_values)
        return;
    const auto &items = ConfigItems();
    for (int i = 0; i < kItemCount; ++i) {
        if (i == kItemCarBatVoltCalib || (keepCardValues && i == kItemPartitionMode))
            continue;
        (*m_values)[i] = QString::fromLatin1(items[i].defaultValue);
    }
}

void CTAVINSDConfig::ReadBatteryCalibration()
{
    const QString path = CardFilePath(GetSelectedDrive(), m_fileName);
    if (path.isEmpty() || !m_values || !QFileInfo(path).isFile())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    QByteArray window;
    if (file.seek(kCalibrationOffset))
        window = file.read(kCalibrationLength);

    QString value = QStringLiteral("0");
    const qsizetype marker = window.indexOf(kCalibrationMarker);
    if (marker >= 0) {
        const qsizetype start = marker + qsizetype(sizeof kCalibrationMarker - 1);
        const qsizetype end = window.indexOf('"', start);
        // A value cut off by the window's end reads as empty, and binding then takes it whole from
        // the document instead.
        value = end < 0 ? QString() : ValueFromFile(window.mid(start, end - start).constData());
    }
    QString &calibration = (*m_values)[kItemCarBatVoltCalib];
    calibration = value;
    m_document->BindItem(ConfigItems()[kItemCarBatVoltCalib].id, &calibration);
}

bool CTAVINSDConfig::Save(const QString &fileName)
{
    const QString path = CardFilePath(GetSelectedDrive(), fileName);
    if (path.isEmpty() || !m_document->IsLoaded())
        return false;
    MakeFolders(path);

    const CardFileGuard guard(path, *m_attributes);
    if (!guard.mayReplace() || !m_document->WriteFile(path, *m_writer))
        return false;
    // The new file replaced the old one and carries none of its DOS attributes yet; a hidden file
    // is hidden again with its old time stamps, as it was before the write.
    guard.restore(true);
    return true;
}

} // namespace device
