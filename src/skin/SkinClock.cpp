#include "skin/SkinClock.h"

#include <QTimer>

namespace skin {

namespace {

    class QtSkinTimer : public SkinTimer
    {
    public:
        explicit QtSkinTimer(std::function<void()> onTimeout)
        {
            QObject::connect(&m_timer, &QTimer::timeout, [fn = std::move(onTimeout)] { fn(); });
        }
        void Start(int intervalMs) override { m_timer.start(intervalMs); }
        void Stop() override { m_timer.stop(); }
        bool IsActive() const override { return m_timer.isActive(); }
        int Interval() const override { return m_timer.interval(); }

    private:
        QTimer m_timer;
    };

} // namespace

std::unique_ptr<SkinTimer> QtSkinClock::CreateTimer(std::function<void()> onTimeout)
{
    return std::make_unique<QtSkinTimer>(std::move(onTimeout));
}

} // namespace skin
