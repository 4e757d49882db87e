#pragma once

#include "skin/SkinItems.h"

#include <QHash>
#include <QString>

#include <memory>
#include <utility>
#include <vector>

namespace skin {

// Records by name (exact, case-sensitive), kept in document order so that pictures overlap
// the way the description lists them. A second record of the same name replaces the first in
// its place.
template <class Item> class SkinNamedArray
{
public:
    Item *Find(const QString &name) const
    {
        auto it = m_index.constFind(name);
        return it == m_index.constEnd() ? nullptr : m_items[it.value()].second.get();
    }
    Item *Add(const QString &name, std::unique_ptr<Item> item)
    {
        Item *raw = item.get();
        auto it = m_index.constFind(name);
        if (it != m_index.constEnd()) {
            m_items[it.value()].second = std::move(item);
        } else {
            m_index.insert(name, int(m_items.size()));
            m_items.emplace_back(name, std::move(item));
        }
        return raw;
    }
    void Clear()
    {
        m_items.clear();
        m_index.clear();
    }
    int size() const { return int(m_items.size()); }
    const QString &NameAt(int i) const { return m_items[i].first; }
    Item *At(int i) const { return m_items[i].second.get(); }

    // Iteration in document order (the "first / next" walk).
    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }

private:
    std::vector<std::pair<QString, std::unique_ptr<Item>>> m_items;
    QHash<QString, int> m_index;
};

using CAreaArray = SkinNamedArray<CSkinArea>;
using CImageArray = SkinNamedArray<CSkinImage>;
using CTextArray = SkinNamedArray<CSkinText>;

// Groups have no names; they are kept in order.
using CGroupArray = std::vector<std::unique_ptr<CSkinGroup>>;

// The controls of one kind. Destroying the container destroys the windows still alive.
class SkinControlArray : public SkinNamedArray<SkinControlItem>
{
public:
    explicit SkinControlArray(SkinControlKind kind)
        : m_kind(kind)
    {
    }
    ~SkinControlArray();
    SkinControlArray(const SkinControlArray &) = delete;
    SkinControlArray &operator=(const SkinControlArray &) = delete;

    SkinControlKind Kind() const { return m_kind; }
    QWidget *Control(const QString &name) const;
    void HideAll();
    void DestroyAll();

private:
    SkinControlKind m_kind;
};

using CImgBtnArray = SkinControlArray;
using CEditArray = SkinControlArray;
using CStaticArray = SkinControlArray;
using CSkinListCtrlArray = SkinControlArray;
using CSpeedCtrlArray = SkinControlArray;
using CImageNumberArray = SkinControlArray;
using CMapCtrlArray = SkinControlArray;
using CGraphArray = SkinControlArray;
using CSliderArray = SkinControlArray;
using CSheetCtrlArray = SkinControlArray;
using CButtonArray = SkinControlArray;
using CComboBoxArray = SkinControlArray;
using CDateTimeArray = SkinControlArray;

} // namespace skin
