#pragma once

#include <QString>

namespace platform {

// Why the web engine's sandbox cannot run on this system, or an empty text when it can.
QString WebSandboxObstacle();

} // namespace platform
