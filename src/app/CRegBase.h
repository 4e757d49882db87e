#pragma once

#include <QString>

namespace platform {
class SettingsBackend;
}

// One persistent value of the settings store: where it lives (subkey path and value name
// below the user's root) and the caller's variable it is bound to. A value binds only to
// a variable of its own type. The derived classes write the value back when destroyed.
class CRegBase
{
public:
    // `fullPath` is the key path and value name joined by "\" ("Software\A\B\Config\Volume").
    CRegBase(platform::SettingsBackend *root, const QString &fullPath);
    virtual ~CRegBase();
    CRegBase(const CRegBase &) = delete;
    CRegBase &operator=(const CRegBase &) = delete;

    // Stores the bound variable (the default when nothing is bound); failures are silent.
    virtual bool WriteValue() = 0;
    // Copies the stored value into the bound variable, or the default when there is none.
    virtual bool ReadValue() = 0;
    // Binds the caller's variable and reads the value into it at once. Returns false (and
    // binds nothing) when the variable's type is not the value's.
    virtual bool BindTo(int *target);
    virtual bool BindTo(QString *target);

    virtual bool IsString() const = 0;
    virtual bool IsBound() const = 0;

    const QString &ValueName() const { return m_valueName; }
    const QString &SubkeyPath() const { return m_subkeyPath; }
    bool IsDone() const { return m_done; }

protected:
    platform::SettingsBackend *m_root;
    QString m_valueName;
    QString m_subkeyPath;
    bool m_done = false; // set when a read or write succeeded
};
