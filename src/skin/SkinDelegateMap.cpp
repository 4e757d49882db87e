#include "skin/SkinDelegateMap.h"

namespace skin {

std::unique_ptr<Delegate> ClickDelegate(std::function<void()> fn)
{
    auto d = std::make_unique<FunctionDelegate>();
    d->onClick = std::move(fn);
    return d;
}

std::unique_ptr<Delegate> ValueDelegate(std::function<void(qintptr)> fn)
{
    auto d = std::make_unique<FunctionDelegate>();
    d->onValue = std::move(fn);
    return d;
}

std::unique_ptr<Delegate> ItemDelegate(std::function<void(int, int)> fn)
{
    auto d = std::make_unique<FunctionDelegate>();
    d->onItem = std::move(fn);
    return d;
}

void SkinDelegateMap::Register(quint32 key, std::unique_ptr<Delegate> delegate, const void *owner)
{
    if (!delegate)
        return;
    m_map[key] = Entry { std::move(delegate), owner };
}

std::shared_ptr<Delegate> SkinDelegateMap::Find(quint32 key) const
{
    auto it = m_map.find(key);
    return it == m_map.end() ? nullptr : it->second.delegate;
}

void SkinDelegateMap::RemoveOwner(const void *owner)
{
    std::erase_if(m_map, [owner](const auto &entry) { return entry.second.owner == owner; });
}

} // namespace skin
