#pragma once

#include "skin/SkinTypes.h"

#include <QHash>
#include <QString>

namespace skin {

// Run-time control identifiers: one registry per control kind hands out identifiers from the
// kind's base upwards. The key is the hash of the control's name together with its dialog, so
// a control keeps its identifier when its window loads a description again.
class SkinIdRegistry
{
public:
    // Sum over the name's UTF-16 units of unit x position (from 1), modulo 2^32.
    static quint32 NameHash(const QString &name);

    int Identifier(SkinControlKind kind, const QString &name, const void *dialog);
    // The identifier already given, or 0.
    int Find(SkinControlKind kind, const QString &name, const void *dialog) const;

private:
    struct Key {
        quint32 hash;
        quintptr dialog;
        bool operator==(const Key &) const = default;
    };
    friend size_t qHash(const Key &key, size_t seed) { return qHashMulti(seed, key.hash, key.dialog); }

    struct Kind {
        QHash<Key, int> ids;
        int next = 0;
    };
    Kind m_kinds[kSkinControlKindCount];
};

} // namespace skin
