#pragma once

#include <functional>
#include <memory>

namespace skin {

// A repeating timer. The skinned controls take their timers from a SkinClock so that tests can
// drive tooltips and scroll repeats tick by tick.
class SkinTimer
{
public:
    virtual ~SkinTimer() = default;
    virtual void Start(int intervalMs) = 0; // restarts when running
    virtual void Stop() = 0;
    virtual bool IsActive() const = 0;
    virtual int Interval() const = 0;
};

class SkinClock
{
public:
    virtual ~SkinClock() = default;
    virtual std::unique_ptr<SkinTimer> CreateTimer(std::function<void()> onTimeout) = 0;
};

// Timers of the event loop.
class QtSkinClock : public SkinClock
{
public:
    std::unique_ptr<SkinTimer> CreateTimer(std::function<void()> onTimeout) override;
};

} // namespace skin
