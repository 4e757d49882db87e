#include "platform/settings_backend.h"

#include <windows.h>

#include <vector>

namespace platform {

namespace {

// The registry below HKEY_CURRENT_USER, optionally below a prefix key that acts as the root.
class RegistrySettingsBackend final : public SettingsBackend
{
public:
    explicit RegistrySettingsBackend(QString prefix) : m_prefix(std::move(prefix)) {}

    bool KeyExists(const QString &keyPath) const override
    {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, path(keyPath).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }

    bool CreateKey(const QString &keyPath) override
    {
        HKEY key = create(keyPath);
        if (!key)
            return false;
        RegCloseKey(key);
        return true;
    }

    std::optional<quint32> ReadDword(const QString &keyPath, const QString &valueName) const override
    {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, path(keyPath).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return std::nullopt;
        DWORD type = 0;
        DWORD value = 0;
        DWORD size = sizeof(value);
        const std::wstring name = valueName.toStdWString();
        const LONG status =
            RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE *>(&value), &size);
        RegCloseKey(key);
        if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(value))
            return std::nullopt;
        return static_cast<quint32>(value);
    }

    std::optional<QString> ReadString(const QString &keyPath, const QString &valueName) const override
    {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, path(keyPath).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return std::nullopt;
        const std::wstring name = valueName.toStdWString();
        DWORD type = 0;
        DWORD size = 0;
        std::optional<QString> result;
        if (RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
            (type == REG_SZ || type == REG_EXPAND_SZ)) {
            std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
            if (RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE *>(buffer.data()),
                                 &size) == ERROR_SUCCESS) {
                result = QString::fromWCharArray(buffer.data());  // stops at the stored NUL
            }
        }
        RegCloseKey(key);
        return result;
    }

    bool WriteDword(const QString &keyPath, const QString &valueName, quint32 value) override
    {
        HKEY key = create(keyPath);
        if (!key)
            return false;
        const DWORD data = value;
        const std::wstring name = valueName.toStdWString();
        const LONG status =
            RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE *>(&data), sizeof(data));
        RegCloseKey(key);
        return status == ERROR_SUCCESS;
    }

    bool WriteString(const QString &keyPath, const QString &valueName, const QString &value) override
    {
        HKEY key = create(keyPath);
        if (!key)
            return false;
        const std::wstring name = valueName.toStdWString();
        const std::wstring data = value.toStdWString();
        const DWORD bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));  // the NUL included
        const LONG status =
            RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE *>(data.c_str()), bytes);
        RegCloseKey(key);
        return status == ERROR_SUCCESS;
    }

private:
    std::wstring path(const QString &keyPath) const
    {
        QString full = keyPath;
        if (!m_prefix.isEmpty())
            full = m_prefix + QLatin1Char('\\') + keyPath;
        return full.toStdWString();
    }

    HKEY create(const QString &keyPath) const
    {
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, path(keyPath).c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                            &key, nullptr) != ERROR_SUCCESS)
            return nullptr;
        return key;
    }

    QString m_prefix;
};

} // namespace

std::unique_ptr<SettingsBackend> CreateSettingsBackend(const QString &location)
{
    return std::make_unique<RegistrySettingsBackend>(location);
}

} // namespace platform
