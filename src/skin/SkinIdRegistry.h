#pragma once

#include "skin/SkinTypes.h"

#include <QHash>
#include <QSet>
#include <QString>

namespace skin {

// Run-time control identifiers: one registry per control kind hands out identifiers from the
// kind's base upwards. The key is the control's name together with its dialog, so a control
// keeps its identifier when its window loads a description again, and two names never share
// one (a shared identifier would let one button fire the other's action).
class SkinIdRegistry
{
public:
    // The identifier of the name in the dialog: the one given before, else the kind's lowest
    // free one.
    // Returns 0 (and logs once) when the kind's range is used up: an identifier past the end
    // would fall into the next kind's range, where the dialog's routing loses its events.
    int Identifier(SkinControlKind kind, const QString &name, const void *dialog);
    // The identifier already given, or 0.
    int Find(SkinControlKind kind, const QString &name, const void *dialog) const;
    // Frees the identifiers of a dialog that goes, for the windows made after it.
    void Release(const void *dialog);

private:
    struct Key {
        QString name;
        quintptr dialog;
        bool operator==(const Key &) const = default;
    };
    friend size_t qHash(const Key &key, size_t seed) { return qHashMulti(seed, key.name, key.dialog); }

    struct Kind {
        QHash<Key, int> ids;
        QSet<int> taken;
        QSet<Key> refused;
    };
    Kind m_kinds[kSkinControlKindCount];
};

} // namespace skin
