#pragma once

#include "platform/settings_backend.h"

#include <QSettings>

#include <memory>
#include <set>

namespace platform {

// The settings tree on QSettings: the registry on Windows, a standard INI file elsewhere. Key and
// value names are matched without regard to case against what is stored, and keep the spelling
// they were first written with.
class QSettingsBackend final : public SettingsBackend
{
public:
    explicit QSettingsBackend(std::unique_ptr<QSettings> settings, bool isSystemRegistry);

    bool KeyExists(const QString &keyPath) const override;
    bool CreateKey(const QString &keyPath) override;
    std::optional<quint32> ReadDword(const QString &keyPath, const QString &valueName) const override;
    std::optional<QString> ReadString(const QString &keyPath, const QString &valueName) const override;
    bool WriteDword(const QString &keyPath, const QString &valueName, quint32 value) override;
    bool WriteString(const QString &keyPath, const QString &valueName, const QString &value) override;
    bool IsSystemRegistry() const override { return m_isSystemRegistry; }

private:
    // The stored spelling of a key path ("A/B/C"), or of as much of it as exists; `found` tells
    // whether every part exists.
    QString StoredGroup(const QString &keyPath, bool *found) const;
    QString StoredValueName(const QString &group, const QString &valueName) const;
    std::optional<QVariant> Read(const QString &keyPath, const QString &valueName) const;
    bool Write(const QString &keyPath, const QString &valueName, const QVariant &value);

    std::unique_ptr<QSettings> m_settings;
    bool m_isSystemRegistry;
    // Keys created without values: an INI file keeps no empty sections, so they live for the session.
    std::set<QString> m_emptyKeys;
};

} // namespace platform
