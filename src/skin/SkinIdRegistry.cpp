#include "skin/SkinIdRegistry.h"

namespace skin {

quint32 SkinIdRegistry::NameHash(const QString &name)
{
    quint32 hash = 0;
    for (qsizetype i = 0; i < name.size(); ++i)
        hash += quint32(name[i].unicode()) * quint32(i + 1);
    return hash;
}

int SkinIdRegistry::Identifier(SkinControlKind kind, const QString &name, const void *dialog)
{
    Kind &k = m_kinds[kind];
    const Key key { NameHash(name), quintptr(dialog) };
    auto it = k.ids.constFind(key);
    if (it != k.ids.constEnd())
        return it.value();
    const int id = IdentifierBase(kind) + k.next++;
    k.ids.insert(key, id);
    return id;
}

int SkinIdRegistry::Find(SkinControlKind kind, const QString &name, const void *dialog) const
{
    return m_kinds[kind].ids.value(Key { NameHash(name), quintptr(dialog) }, 0);
}

} // namespace skin
