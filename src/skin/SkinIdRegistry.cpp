#include "skin/SkinIdRegistry.h"

#include "skin/SkinLog.h"

namespace skin {

int SkinIdRegistry::Identifier(SkinControlKind kind, const QString &name, const void *dialog)
{
    Kind &k = m_kinds[kind];
    const Key key { name, quintptr(dialog) };
    auto it = k.ids.constFind(key);
    if (it != k.ids.constEnd())
        return it.value();
    int id = IdentifierBase(kind);
    while (id < IdentifierEnd(kind) && k.taken.contains(id))
        ++id;
    if (!InIdentifierRange(kind, id)) {
        if (!k.refused.contains(key)) {
            k.refused.insert(key);
            qCWarning(lcSkin).nospace()
                << "control " << name << " is left out: all " << IdentifierEnd(kind) - IdentifierBase(kind)
                << " identifiers of its kind (from 0x" << Qt::hex << IdentifierBase(kind) << ") are taken";
        }
        return 0;
    }
    k.ids.insert(key, id);
    k.taken.insert(id);
    return id;
}

void SkinIdRegistry::Release(const void *dialog)
{
    for (Kind &k : m_kinds) {
        for (auto it = k.ids.begin(); it != k.ids.end();) {
            if (it.key().dialog == quintptr(dialog)) {
                k.taken.remove(it.value());
                it = k.ids.erase(it);
            } else {
                ++it;
            }
        }
        k.refused.removeIf([dialog](const Key &key) { return key.dialog == quintptr(dialog); });
    }
}

int SkinIdRegistry::Find(SkinControlKind kind, const QString &name, const void *dialog) const
{
    return m_kinds[kind].ids.value(Key { name, quintptr(dialog) }, 0);
}

} // namespace skin
