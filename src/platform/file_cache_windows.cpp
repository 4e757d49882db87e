#include "platform/file_cache.h"

namespace platform {

// Windows keeps no separate knob for a single file's cache; the read-back comes from the cache.
bool DropCachedContent(QFileDevice &)
{
    return false;
}

} // namespace platform
