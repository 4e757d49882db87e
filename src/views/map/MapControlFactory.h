#pragma once

namespace skin {
class SkinRuntime;
}

// Lets the skin engine build the map control ("map", type 7) from a description: its "src" is
// the page's address when it looks like one, otherwise the name of a page text of the skin;
// "drawline" draws the whole track; child images of type "noconnect", "nogps" or anything
// else (the background).
void RegisterMapControlFactory(skin::SkinRuntime &runtime);
