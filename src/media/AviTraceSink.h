#pragma once

#include <functional>
#include <string_view>

namespace media {

// Receives the chunk walk's trace text, piece by piece, exactly as the walk formats it
// (lines end in "\r\n"). An empty sink keeps the walk silent.
using AviTraceSink = std::function<void(std::string_view text)>;

} // namespace media
