#pragma once

#include "skin/SkinDelegate.h"

#include <unordered_map>

namespace skin {

// The program-wide map from (control identifier x 65536 + notification code) to a delegate.
// Entries remember the dialog that registered them so that a dialog's handlers leave the map
// with the dialog: a later dialog could otherwise receive a handler bound to a dead one.
class SkinDelegateMap
{
public:
    static quint32 Key(int identifier, int code) { return quint32(identifier) * 65536u + quint16(code); }

    // A second registration of a key replaces the first.
    void Register(quint32 key, std::unique_ptr<Delegate> delegate, const void *owner);
    // Shared so that a handler that re-registers its own key keeps running safely.
    std::shared_ptr<Delegate> Find(quint32 key) const;
    void RemoveOwner(const void *owner);
    size_t Size() const { return m_map.size(); }

private:
    struct Entry {
        std::shared_ptr<Delegate> delegate;
        const void *owner;
    };
    std::unordered_map<quint32, Entry> m_map;
};

} // namespace skin
