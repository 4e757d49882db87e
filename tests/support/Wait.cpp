#include "support/Wait.h"

#include <QCoreApplication>

#include <thread>

namespace testsupport {

bool WaitUntil(const std::function<bool()> &condition, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (QCoreApplication::instance())
            QCoreApplication::processEvents();
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

} // namespace testsupport
