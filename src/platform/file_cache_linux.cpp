#include "platform/file_cache.h"

#include <QFileDevice>

#include <fcntl.h>

namespace platform {

bool DropCachedContent(QFileDevice &file)
{
    const int fd = file.handle();
    // Only clean pages are dropped: the caller syncs first.
    return fd >= 0 && ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED) == 0;
}

} // namespace platform
