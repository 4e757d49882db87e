#pragma once

#include "views/CSpeedCtrl.h"

namespace skin {
class SkinRuntime;
class SkinXmlNode;
} // namespace skin

// Reads a "speed" control element: "backcolor" (default black) and "transcolor" (default
// magenta), the digit strip from its "number" child and the unit strip from its "unit" child
// ("src", "width", "height"). Bitmaps are found through the runtime's base folder; one that
// cannot be read leaves its strip empty.
SpeedCtrlConfig ReadSpeedCtrlConfig(const skin::SkinXmlNode &element, const skin::SkinRuntime &runtime);

// Lets the skin engine build the speed gauge ("speed", type 5) and the G-sensor graph ("graph",
// type 8) from descriptions. The application calls it once, before the first skin is loaded.
void RegisterViewControlFactories(skin::SkinRuntime &runtime);
