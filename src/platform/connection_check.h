#pragma once

#include <memory>

namespace platform {

// Whether the machine can reach the network, asked again at every call. The map window checks
// it twice a second; tests put their own answer in its place.
class ConnectionCheck
{
public:
    virtual ~ConnectionCheck() = default;
    virtual bool IsConnected() = 0;
};

// The system's reachability (QNetworkInformation). Where no backend can be loaded the answer is
// always "connected", so the page is tried and shows what it can, and the reason is logged once.
std::unique_ptr<ConnectionCheck> CreateSystemConnectionCheck();

} // namespace platform
