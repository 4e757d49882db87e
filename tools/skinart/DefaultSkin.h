#pragma once

#include "skinart/ArtCatalog.h"

namespace skinart {

// Folder of the default skin's bitmaps, relative to the program's folder; the descriptions
// name their bitmaps as this folder + "/" + file name.
inline constexpr const char *kDefaultSkinBitmapFolder = "skin/default";

// Every bitmap of the default skin.
ArtCatalog defaultSkinArt();

// Parts of the catalogue, one per group of windows (skinart_DefaultSkin*.cpp).
void addMainWindowArt(ArtCatalog &catalog);
void addPanelArt(ArtCatalog &catalog);
void addSettingsArt(ArtCatalog &catalog);

} // namespace skinart
