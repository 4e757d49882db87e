#include "device/CTAVINSDConfig.h"

#include "device/CardFileGuard.h"
#include "device/CardPaths.h"
#include "device/DeviceLog.h"

#include "platform/file_attributes.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

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
    m_error.clear();
    if (!fileName.isEmpty()) {
        if (!m_document->OpenFile(CardFilePath(m_selectedRoot, fileName))) {
            m_error = m_document->ErrorString();
            // The settings panel shows the defaults instead without a word; the reason goes here.
            qCWarning(lcDevice) << "settings file not loaded:" << m_error;
            return false;
        }
    }
    if (!m_values) {
        m_error = QStringLiteral("no settings to fill");
        return false;
    }
    BindAll(false);
    return true;
}

TiXmlElement *CTAVINSDConfig::FindItem(int index) const
{
    // The first element of that id, as binding takes it.
    const char *id = ConfigItems()[index].id;
    for (TiXmlElement *element = m_document->FirstItem(); element; element = element->NextSiblingElement()) {
        const char *elementId = element->Attribute("id");
        if (elementId && std::strcmp(elementId, id) == 0)
            return element;
    }
    return nullptr;
}

std::optional<QByteArray> CTAVINSDConfig::KeptValue(int index) const
{
    const QString &value = (*m_values)[index];
    const TiXmlElement *element = m_document->IsLoaded() ? FindItem(index) : nullptr;
    const char *current = element ? element->Attribute("value") : nullptr;
    if (current) {
        // The bytes the card holds, unless the value string says otherwise (an empty string was
        // never filled and takes the element's value, as binding does).
        if (value.isEmpty() || ValueFromFile(current) == value)
            return QByteArray(current);
        return ValueToFile(value);
    }
    // An item the card does not have is kept only when a value was chosen for it.
    if (value.isEmpty())
        return std::nullopt;
    return ValueToFile(value);
}

bool CTAVINSDConfig::Reset(bool keepCardValues)
{
    if (!m_values)
        return false;
    // What the card's document holds now goes into the default one: a value the program does not
    // understand is the card's all the same, and the recorder's battery calibration, which the
    // default text lacks, must survive a reset that keeps the card's values.
    std::optional<QByteArray> partition;
    std::optional<QByteArray> calibration;
    if (keepCardValues) {
        partition = KeptValue(kItemPartitionMode);
        calibration = KeptValue(kItemCarBatVoltCalib);
    }
    if (!m_document->ParseDefault() || !m_document->FindFirstItem())
        return false;
    if (partition) {
        if (TiXmlElement *element = FindItem(kItemPartitionMode))
            element->SetAttribute("value", partition->constData());
    }
    if (calibration) {
        TiXmlElement item("item");
        item.SetAttribute("id", ConfigItems()[kItemCarBatVoltCalib].id);
        item.SetAttribute("value", calibration->constData());
        // In its table place, where the recorder writes it too.
        TiXmlElement *before = FindItem(kItemPmMotionSensi);
        TiXmlNode *setup = m_document->FirstChildElement("setup");
        if (before)
            setup->InsertAfterChild(before, item);
        else
            setup->InsertEndChild(item);
    }
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

    // Not found, or cut off by the window's end: the value reads as empty, and binding then takes it
    // whole from the document instead.
    QString value;
    const qsizetype marker = window.indexOf(kCalibrationMarker);
    if (marker >= 0) {
        const qsizetype start = marker + qsizetype(sizeof kCalibrationMarker - 1);
        const qsizetype end = window.indexOf('"', start);
        if (end >= 0)
            value = ValueFromFile(window.mid(start, end - start).constData());
    }
    QString &calibration = (*m_values)[kItemCarBatVoltCalib];
    calibration = value;
    m_document->BindItem(ConfigItems()[kItemCarBatVoltCalib].id, &calibration);
}

bool CTAVINSDConfig::KeepUnreadableFile(const QString &path)
{
    const QString stem = path + QStringLiteral(".unreadable-")
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    // An earlier copy is never overwritten: a copy refuses a name that exists.
    for (int attempt = 1; attempt <= 100; ++attempt) {
        const QString copy = attempt == 1 ? stem : QStringLiteral("%1-%2").arg(stem).arg(attempt);
        if (QFileInfo::exists(copy))
            continue;
        QFile original(path);
        if (!original.copy(copy)) {
            if (QFileInfo::exists(copy))
                continue;
            m_error = QStringLiteral("cannot keep a copy of the unreadable %1: %2; nothing written")
                          .arg(path, original.errorString());
            return false;
        }
        QFile kept(copy);
        if (!kept.open(QIODevice::ReadWrite) || !platform::SyncFile(kept)) {
            m_error = QStringLiteral("cannot keep a copy of the unreadable %1: %2; nothing written")
                          .arg(path, kept.errorString());
            kept.close();
            QFile::remove(copy);
            return false;
        }
        m_keptCopy = copy;
        return true;
    }
    m_error = QStringLiteral("cannot keep a copy of the unreadable %1: too many copies; nothing written")
                  .arg(path);
    return false;
}

bool CTAVINSDConfig::Save(const QString &fileName)
{
    m_error.clear();
    m_keptCopy.clear();
    const QString path = CardFilePath(GetSelectedDrive(), fileName);
    if (path.isEmpty()) {
        m_error = QStringLiteral("no card is selected");
        return false;
    }
    if (!m_document->IsLoaded()) {
        m_error = QStringLiteral("no settings were loaded");
        return false;
    }
    // A card pulled out takes its mount point along; recreating that folder would write the
    // settings onto the computer's own disk and report success.
    if (!QFileInfo(GetSelectedDrive()).isDir()) {
        m_error = QStringLiteral("cannot write %1: %2 (the card is not there any more)")
                      .arg(path, qt_error_string(ENOENT));
        return false;
    }
    MakeFolders(path);

    const CardFileGuard guard(path, *m_attributes);
    if (!guard.MayReplace()) {
        m_error = guard.Refusal();
        return false;
    }
    // The file about to be replaced may be one that did not load (the defaults stand in for it):
    // its bytes stay on the card where the user can find them.
    if (guard.Exists() && !CXmlItemDoc().OpenFile(path) && !KeepUnreadableFile(path))
        return false;
    if (!m_document->WriteFile(path, *m_writer)) {
        const QString reason = m_writer->ErrorString();
        m_error
            = QStringLiteral("cannot write %1: %2")
                  .arg(path, reason.isEmpty() ? QStringLiteral("the settings could not be printed") : reason);
        return false;
    }
    // The new file replaced the old one and carries none of its DOS attributes yet; a hidden file
    // is hidden again with its old time stamps, as it was before the write.
    guard.Restore(true);
    return true;
}

} // namespace device
