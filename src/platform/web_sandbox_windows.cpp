#include "platform/web_sandbox.h"

namespace platform {

QString WebSandboxObstacle()
{
    return QString();
}

} // namespace platform
