#pragma once

#include "app/CRegBase.h"

// A string setting, bound to a QString of the caller.
class CRegString final : public CRegBase
{
public:
    CRegString(platform::SettingsBackend *root, const QString &fullPath, const QString &defaultValue);
    ~CRegString() override; // writes the value back

    bool WriteValue() override;
    bool ReadValue() override;
    bool BindTo(QString *target) override;
    using CRegBase::BindTo;

    bool IsString() const override { return true; }
    bool IsBound() const override { return m_target != nullptr; }
    const QString &Default() const { return m_default; }

private:
    QString *m_target = nullptr;
    QString m_default;
};
