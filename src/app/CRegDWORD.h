#pragma once

#include "app/CRegBase.h"

// A 32-bit setting, bound to an int of the caller.
class CRegDWORD final : public CRegBase
{
public:
    CRegDWORD(platform::SettingsBackend *root, const QString &fullPath, int defaultValue);
    ~CRegDWORD() override; // writes the value back

    bool WriteValue() override;
    bool ReadValue() override;
    bool BindTo(int *target) override;
    using CRegBase::BindTo;

    bool IsString() const override { return false; }
    bool IsBound() const override { return m_target != nullptr; }
    int Default() const { return m_default; }

private:
    int *m_target = nullptr;
    int m_default;
};
