#include "platform/web_sandbox.h"

#include <QFile>

#include <unistd.h>

namespace platform {

namespace {

    // A kernel setting that reads 0 switches a sandbox requirement off.
    bool SwitchedOff(const char *path)
    {
        QFile file(QString::fromLatin1(path));
        if (!file.open(QIODevice::ReadOnly))
            return false;
        return file.readAll().trimmed() == "0";
    }

} // namespace

QString WebSandboxObstacle()
{
    if (geteuid() == 0)
        return QStringLiteral("the program runs as root");
    // The sandbox isolates its processes in user namespaces of their own.
    if (SwitchedOff("/proc/sys/kernel/unprivileged_userns_clone")
        || SwitchedOff("/proc/sys/user/max_user_namespaces"))
        return QStringLiteral("the kernel does not allow unprivileged user namespaces");
    return QString();
}

} // namespace platform
