#pragma once

#include "skin/SkinItemArrays.h"

#include <array>
#include <memory>

namespace skin {

// One container per item kind: areas, images, texts, the thirteen control kinds and groups.
class CSkinItemSet
{
public:
    CSkinItemSet();
    ~CSkinItemSet();

    CAreaArray areas;
    CImageArray images;
    CTextArray texts;
    CGroupArray groups;

    SkinControlArray &Controls(SkinControlKind kind) { return *m_controls[kind]; }
    const SkinControlArray &Controls(SkinControlKind kind) const { return *m_controls[kind]; }
    SkinControlArray &ControlsOfType(SkinControlType type) { return Controls(KindOfType(type)); }
    const SkinControlArray &ControlsOfType(SkinControlType type) const { return Controls(KindOfType(type)); }

    // The reset before a reload: controls hidden, areas, images and texts emptied, groups new.
    void ResetForReload();
    // Destroys every control window (the owning dialog does this before it goes).
    void DestroyControls();

private:
    std::array<std::unique_ptr<SkinControlArray>, kSkinControlKindCount> m_controls;
};

} // namespace skin
