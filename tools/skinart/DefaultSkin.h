#pragma once

#include "skinart/ArtCatalog.h"

namespace skinart {

// Folder of the default skin's bitmaps, relative to the program's folder; the descriptions
// name their bitmaps as this folder + "/" + file name.
inline constexpr const char *kDefaultSkinBitmapFolder = "skin/default";

// Every bitmap of the default skin.
ArtCatalog DefaultSkinArt();

// Parts of the catalogue, one per group of windows (skinart_DefaultSkin*.cpp).
void AddMainWindowArt(ArtCatalog &catalog);
void AddPanelArt(ArtCatalog &catalog);
void AddSettingsArt(ArtCatalog &catalog);

} // namespace skinart
