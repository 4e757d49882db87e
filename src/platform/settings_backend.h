#pragma once

#include <QString>

#include <memory>
#include <optional>

namespace platform {

// The user's persistent settings tree: keys addressed by backslash paths below the user's
// root ("Software\TavinSoft\TAVIN Viewer\Config"), each holding named 32-bit and string
// values. Key and value names are compared without regard to case. A 32-bit value reads back as
// its decimal text; text that is not a number in range does not read as a 32-bit value.
class SettingsBackend
{
public:
    virtual ~SettingsBackend() = default;

    virtual bool KeyExists(const QString &keyPath) const = 0;
    // Creates the key and any missing parents; true when the key exists afterwards.
    virtual bool CreateKey(const QString &keyPath) = 0;

    virtual std::optional<quint32> ReadDword(const QString &keyPath, const QString &valueName) const = 0;
    virtual std::optional<QString> ReadString(const QString &keyPath, const QString &valueName) const = 0;

    // Create the key when needed; false when nothing could be stored.
    virtual bool WriteDword(const QString &keyPath, const QString &valueName, quint32 value) = 0;
    virtual bool WriteString(const QString &keyPath, const QString &valueName, const QString &value) = 0;

    // True when other programs of the system read this tree too (the registry of Windows), so that
    // values meant for them, such as the video decoders' white-lists, mean something here.
    virtual bool IsSystemRegistry() const { return false; }
};

// The settings tree of this platform, on QSettings: the registry below HKEY_CURRENT_USER on
// Windows, elsewhere one INI file, "settings.ini" in QStandardPaths::AppConfigLocation.
// `location` overrides where it lives: the INI file's path, or on Windows a key path
// below HKEY_CURRENT_USER that serves as the root.
std::unique_ptr<SettingsBackend> CreateSettingsBackend(const QString &location = QString());

} // namespace platform
