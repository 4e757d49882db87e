#include "platform/settings_backend_qsettings.h"

#include "platform/PlatformLog.h"

#include <QStringList>

namespace platform {

namespace {

    QStringList PartsOf(const QString &keyPath)
    {
        return keyPath.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    }

    QString FindIgnoringCase(const QStringList &names, const QString &wanted)
    {
        for (const QString &name : names) {
            if (name.compare(wanted, Qt::CaseInsensitive) == 0)
                return name;
        }
        return QString();
    }

} // namespace

QSettingsBackend::QSettingsBackend(std::unique_ptr<QSettings> settings, bool isSystemRegistry)
    : m_settings(std::move(settings))
    , m_isSystemRegistry(isSystemRegistry)
{
    if (m_settings->status() != QSettings::NoError)
        qCWarning(lcPlatform) << "settings at" << m_settings->fileName()
                              << "could not be read; starting from defaults";
}

QString QSettingsBackend::StoredGroup(const QString &keyPath, bool *found) const
{
    QStringList stored;
    bool allFound = true;
    for (const QString &part : PartsOf(keyPath)) {
        QString name;
        if (allFound) {
            m_settings->beginGroup(stored.join(QLatin1Char('/')));
            name = FindIgnoringCase(m_settings->childGroups(), part);
            m_settings->endGroup();
        }
        if (name.isEmpty()) {
            allFound = false;
            name = part;
        }
        stored.append(name);
    }
    if (found)
        *found = allFound;
    return stored.join(QLatin1Char('/'));
}

QString QSettingsBackend::StoredValueName(const QString &group, const QString &valueName) const
{
    m_settings->beginGroup(group);
    const QString stored = FindIgnoringCase(m_settings->childKeys(), valueName);
    m_settings->endGroup();
    return stored.isEmpty() ? valueName : stored;
}

bool QSettingsBackend::KeyExists(const QString &keyPath) const
{
    bool found = false;
    const QString group = StoredGroup(keyPath, &found);
    if (found)
        return true;
    const QString lower = group.toLower();
    for (const QString &key : m_emptyKeys) {
        if (key == lower || key.startsWith(lower + QLatin1Char('/')))
            return true;
    }
    return false;
}

bool QSettingsBackend::CreateKey(const QString &keyPath)
{
    if (KeyExists(keyPath))
        return true;
    // A key without values exists for QSettings only once it holds one; remember it meanwhile,
    // provided the settings can be written at all.
    m_settings->sync();
    if (m_settings->status() != QSettings::NoError || !m_settings->isWritable())
        return false;
    m_emptyKeys.insert(StoredGroup(keyPath, nullptr).toLower());
    return true;
}

std::optional<QVariant> QSettingsBackend::Read(const QString &keyPath, const QString &valueName) const
{
    bool found = false;
    const QString group = StoredGroup(keyPath, &found);
    if (!found && !PartsOf(keyPath).isEmpty())
        return std::nullopt;
    const QString key
        = (group.isEmpty() ? QString() : group + QLatin1Char('/')) + StoredValueName(group, valueName);
    const QVariant value = m_settings->value(key);
    if (!value.isValid())
        return std::nullopt;
    return value;
}

std::optional<quint32> QSettingsBackend::ReadDword(const QString &keyPath, const QString &valueName) const
{
    const std::optional<QVariant> value = Read(keyPath, valueName);
    if (!value)
        return std::nullopt;
    // The registry keeps the type; an INI file keeps the number as its decimal text.
    bool ok = false;
    const qulonglong number = value->toString().toULongLong(&ok, 10);
    if (!ok || number > 0xFFFFFFFFull)
        return std::nullopt;
    return static_cast<quint32>(number);
}

std::optional<QString> QSettingsBackend::ReadString(const QString &keyPath, const QString &valueName) const
{
    const std::optional<QVariant> value = Read(keyPath, valueName);
    if (!value || !value->canConvert<QString>())
        return std::nullopt;
    return value->toString();
}

bool QSettingsBackend::Write(const QString &keyPath, const QString &valueName, const QVariant &value)
{
    const QString group = StoredGroup(keyPath, nullptr);
    const QString key
        = (group.isEmpty() ? QString() : group + QLatin1Char('/')) + StoredValueName(group, valueName);
    const QVariant before = m_settings->value(key);
    // Most values are written back unchanged when the program ends: spare the disk.
    if (before.isValid() && before.toString() == value.toString())
        return true;
    m_settings->setValue(key, value);
    m_settings->sync();
    if (m_settings->status() == QSettings::NoError)
        return true;
    qCWarning(lcPlatform) << "cannot store" << key << "in" << m_settings->fileName();
    // Keep what is in memory equal to what is stored.
    if (before.isValid())
        m_settings->setValue(key, before);
    else
        m_settings->remove(key);
    return false;
}

bool QSettingsBackend::WriteDword(const QString &keyPath, const QString &valueName, quint32 value)
{
    return Write(keyPath, valueName, QVariant::fromValue(value));
}

bool QSettingsBackend::WriteString(const QString &keyPath, const QString &valueName, const QString &value)
{
    return Write(keyPath, valueName, value);
}

} // namespace platform
