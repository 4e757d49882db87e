#include "skin/CSkinItemSet.h"

namespace skin {

SkinControlArray::~SkinControlArray()
{
    DestroyAll();
}

QWidget *SkinControlArray::Control(const QString &name) const
{
    const SkinControlItem *item = Find(name);
    return item ? item->control.data() : nullptr;
}

void SkinControlArray::HideAll()
{
    for (const auto &entry : *this) {
        if (entry.second->control)
            entry.second->control->hide();
    }
}

void SkinControlArray::DestroyAll()
{
    for (const auto &entry : *this) {
        // A sheet's pages and their controls go with the sheet; the pointers then read null.
        if (QWidget *w = entry.second->control.data())
            delete w;
    }
    Clear();
}

CSkinItemSet::CSkinItemSet()
{
    for (int k = 0; k < kSkinControlKindCount; ++k)
        m_controls[k] = std::make_unique<SkinControlArray>(SkinControlKind(k));
}

CSkinItemSet::~CSkinItemSet()
{
    DestroyControls();
}

void CSkinItemSet::ResetForReload()
{
    for (auto &controls : m_controls)
        controls->HideAll();
    areas.Clear();
    images.Clear();
    texts.Clear();
    groups.clear();
}

void CSkinItemSet::DestroyControls()
{
    // Sheets first: their pages hold controls of the other kinds.
    m_controls[kKindSheet]->DestroyAll();
    for (auto &controls : m_controls)
        controls->DestroyAll();
}

} // namespace skin
