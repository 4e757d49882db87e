#pragma once

#include <chrono>
#include <functional>

namespace testsupport {

// Polls the condition, running the Qt event queue when there is an application, until it holds
// or the timeout passes. Returns whether it held.
bool WaitUntil(const std::function<bool()> &condition,
    std::chrono::milliseconds timeout = std::chrono::milliseconds(10000));

} // namespace testsupport
