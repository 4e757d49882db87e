#include "app/CRegDWORD.h"

#include "platform/settings_backend.h"

CRegDWORD::CRegDWORD(platform::SettingsBackend *root, const QString &fullPath, int defaultValue)
    : CRegBase(root, fullPath)
    , m_default(defaultValue)
{
}

CRegDWORD::~CRegDWORD()
{
    WriteValue();
}

bool CRegDWORD::BindTo(int *target)
{
    m_target = target;
    ReadValue();
    return true;
}

bool CRegDWORD::ReadValue()
{
    if (!m_target)
        return false;
    const std::optional<quint32> stored
        = m_root ? m_root->ReadDword(m_subkeyPath, m_valueName) : std::nullopt;
    if (stored) {
        *m_target = static_cast<int>(*stored);
        m_done = true;
        return true;
    }
    *m_target = m_default;
    return false;
}

bool CRegDWORD::WriteValue()
{
    const int value = m_target ? *m_target : m_default;
    if (!m_root || !m_root->WriteDword(m_subkeyPath, m_valueName, static_cast<quint32>(value)))
        return false;
    m_done = true;
    return true;
}
