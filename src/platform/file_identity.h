#pragma once

#include <QString>

namespace platform {

// Whether two paths name one file or folder on disk (the same device and file number), however
// they are spelled: links, "..", another mount of the same disk. False when either is missing.
bool SameFile(const QString &a, const QString &b);

// Whether a path, which need not exist yet, is the folder or lies somewhere below it. Links in the
// path's existing part are followed first, so a link that points into the folder counts as inside.
bool LiesWithin(const QString &path, const QString &folder);

} // namespace platform
