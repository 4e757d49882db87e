#include "app/CRegBase.h"

CRegBase::CRegBase(platform::SettingsBackend *root, const QString &fullPath)
    : m_root(root)
{
    QString path = fullPath;
    while (path.startsWith(QLatin1Char('\\')))
        path.remove(0, 1);
    const qsizetype last = path.lastIndexOf(QLatin1Char('\\'));
    if (last < 0) {
        m_valueName = path;
        return;
    }
    m_subkeyPath = path.left(last);
    while (m_subkeyPath.endsWith(QLatin1Char('\\')))
        m_subkeyPath.chop(1);
    m_valueName = path.mid(last + 1);
}

CRegBase::~CRegBase() = default;

bool CRegBase::BindTo(int *)
{
    return false;
}

bool CRegBase::BindTo(QString *)
{
    return false;
}
