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
    const int id = IdentifierBase(kind) + k.next;
    if (!InIdentifierRange(kind, id)) {
        if (!k.refused.contains(key)) {
            k.refused.insert(key);
            qCWarning(lcSkin).nospace()
                << "control " << name << " is left out: all " << IdentifierEnd(kind) - IdentifierBase(kind)
                << " identifiers of its kind (from 0x" << Qt::hex << IdentifierBase(kind) << ") are taken";
        }
        return 0;
    }
    ++k.next;
    k.ids.insert(key, id);
    return id;
}

int SkinIdRegistry::Find(SkinControlKind kind, const QString &name, const void *dialog) const
{
    return m_kinds[kind].ids.value(Key { name, quintptr(dialog) }, 0);
}

} // namespace skin
