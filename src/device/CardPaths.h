#pragma once

#include <QString>

namespace device {

// root + name for a file on a card. Empty when no card root is known, so that nothing is ever
// read from or written to the program's current folder by mistake.
QString CardFilePath(const QString &root, const QString &name);

// Creates every missing folder along path, up to the last separator ('/' or the system's own);
// the last part is taken as a file name. True when all those folders exist afterwards.
bool MakeFolders(const QString &path);

} // namespace device
