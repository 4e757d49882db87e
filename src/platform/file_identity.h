#pragma once

#include <QString>

namespace platform {

// Whether two paths name one file or folder on disk (the same device and file number), however
// they are spelled: links, "..", another mount of the same disk. False when either is missing.
bool SameFile(const QString &a, const QString &b);

} // namespace platform
