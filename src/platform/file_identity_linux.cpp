#include "platform/file_identity.h"

#include <QFile>

#include <sys/stat.h>

namespace platform {

bool SameFile(const QString &a, const QString &b)
{
    struct stat first {
    };
    struct stat second {
    };
    if (::stat(QFile::encodeName(a).constData(), &first) != 0
        || ::stat(QFile::encodeName(b).constData(), &second) != 0)
        return false;
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

} // namespace platform
