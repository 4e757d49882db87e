#include "app/CRegString.h"

#include "platform/settings_backend.h"

CRegString::CRegString(platform::SettingsBackend *root, const QString &fullPath, const QString &defaultValue)
    : CRegBase(root, fullPath)
    , m_default(defaultValue)
{
}

CRegString::~CRegString()
{
    WriteValue();
}

bool CRegString::BindTo(QString *target)
{
    m_target = target;
    ReadValue();
    return true;
}

bool CRegString::ReadValue()
{
    if (!m_target)
        return false;
    const std::optional<QString> stored
        = m_root ? m_root->ReadString(m_subkeyPath, m_valueName) : std::nullopt;
    if (stored) {
        *m_target = *stored;
        m_done = true;
        return true;
    }
    *m_target = m_default;
    return false;
}

bool CRegString::WriteValue()
{
    const QString &value = m_target ? *m_target : m_default;
    if (!m_root || !m_root->WriteString(m_subkeyPath, m_valueName, value))
        return false;
    m_done = true;
    return true;
}
