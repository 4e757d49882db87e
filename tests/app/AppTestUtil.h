#pragma once

#include "platform/settings_backend.h"
#include "support/QtPrinters.h"

#include <QStringList>

#include <memory>

// Passes everything to a real backend and logs each read and write as
// "read <key>\<name>" / "write <key>\<name>".
class RecordingBackend final : public platform::SettingsBackend
{
public:
    explicit RecordingBackend(platform::SettingsBackend &inner, bool systemRegistry = false)
        : m_inner(inner)
        , m_systemRegistry(systemRegistry)
    {
    }

    // A stand-in for the registry of Windows, which other programs read too.
    bool IsSystemRegistry() const override { return m_systemRegistry; }

    bool KeyExists(const QString &keyPath) const override { return m_inner.KeyExists(keyPath); }
    bool CreateKey(const QString &keyPath) override { return m_inner.CreateKey(keyPath); }
    std::optional<quint32> ReadDword(const QString &keyPath, const QString &name) const override
    {
        log.append(QStringLiteral("read %1\\%2").arg(keyPath, name));
        return m_inner.ReadDword(keyPath, name);
    }
    std::optional<QString> ReadString(const QString &keyPath, const QString &name) const override
    {
        log.append(QStringLiteral("read %1\\%2").arg(keyPath, name));
        return m_inner.ReadString(keyPath, name);
    }
    bool WriteDword(const QString &keyPath, const QString &name, quint32 value) override
    {
        log.append(QStringLiteral("write %1\\%2").arg(keyPath, name));
        return m_inner.WriteDword(keyPath, name, value);
    }
    bool WriteString(const QString &keyPath, const QString &name, const QString &value) override
    {
        log.append(QStringLiteral("write %1\\%2").arg(keyPath, name));
        return m_inner.WriteString(keyPath, name, value);
    }

    // Log lines that start with `prefix`, in order.
    QStringList Entries(const QString &prefix) const
    {
        QStringList found;
        for (const QString &line : log) {
            if (line.startsWith(prefix))
                found.append(line);
        }
        return found;
    }

    mutable QStringList log;

private:
    platform::SettingsBackend &m_inner;
    bool m_systemRegistry;
};
