#pragma once

#include "app/CRegBase.h"

#include <QString>

#include <map>
#include <memory>

namespace platform {
class SettingsBackend;
}
namespace skin {
class SkinXmlNode;
}

// The program's persistent settings. Which values exist, their types and defaults come
// from the settings layout file (skin markup); the program binds its variables to them by
// name. Each value is written back once, when the store is destroyed: bound values with
// the variable's value then, unbound ones with their layout default. Bound variables must
// outlive the store.
class CAppRegistry
{
public:
    explicit CAppRegistry(platform::SettingsBackend *root);
    ~CAppRegistry();
    CAppRegistry(const CAppRegistry &) = delete;
    CAppRegistry &operator=(const CAppRegistry &) = delete;

    // Creates one value per `key` element of the layout; reads nothing from the settings.
    // Returns false when the text holds no root element (the base path then names the
    // fallback company and application).
    bool LoadLayout(const QString &layoutText);

    // Binds a variable to base path + relativeName ("\Config\Volume"), compared without
    // case, and reads the value into it. Nothing happens (false) when the layout has no
    // such value or declares it with the other type.
    bool BindValue(const QString &relativeName, int *target);
    bool BindValue(const QString &relativeName, QString *target);

    // "Software\<company>\<application>" once a layout is loaded, "Software\" before.
    const QString &BasePath() const { return m_basePath; }
    CRegBase *FindValue(const QString &relativeName) const;
    int ValueCount() const { return static_cast<int>(m_values.size()); }

private:
    void LoadKeys(const skin::SkinXmlNode &node, const QString &path);
    void Clear();

    platform::SettingsBackend *m_root;
    QString m_basePath;
    std::map<QString, std::unique_ptr<CRegBase>> m_values; // by lower-cased full path
};
