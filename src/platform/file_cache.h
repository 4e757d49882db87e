#pragma once

class QFileDevice;

namespace platform {

// Asks the system to forget the cached content of an open file that was synced, so that the next
// read comes from the medium itself (a backup's read-back then checks the disk, not memory).
// False where the system cannot; callers treat that as best effort.
bool DropCachedContent(QFileDevice &file);

} // namespace platform
