#pragma once

#include "skin/SkinClock.h"
#include "skin/SkinRuntime.h"

#include <QImage>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>

#include <functional>
#include <memory>
#include <vector>

namespace skintest {

// Timers that run only when the test advances the clock.
class FakeClock : public skin::SkinClock
{
public:
    std::unique_ptr<skin::SkinTimer> CreateTimer(std::function<void()> onTimeout) override;
    // Moves time on, firing due timers in time order.
    void Advance(int ms);
    int Now() const { return m_now; }

private:
    class Timer;
    friend class Timer;
    int m_now = 0;
    std::vector<Timer *> m_timers;
};

struct ShownMessage {
    QString text;
    QString caption;
    int flags;
};

// A runtime over a temporary folder: bitmaps are written there, the monitor is 640 x 480,
// message boxes and opened links are recorded instead of shown, timers are fake.
class TestSkin
{
public:
    TestSkin();

    skin::SkinRuntime runtime;
    FakeClock *clock; // owned by the runtime
    std::vector<ShownMessage> messages;
    std::vector<QUrl> openedUrls;
    int messageBoxAnswer = skin::kIdOk;

    QString Folder() const { return m_dir.path(); }
    // Writes a BMP under the folder and returns its path relative to it.
    QString WriteBmp(const QString &name, const QImage &image);
    // A solid picture, optionally with a transparent (magenta) frame of `frame` pixels.
    QString WriteSolid(const QString &name, QSize size, QColor color, int frame = 0);

private:
    QTemporaryDir m_dir;
};

// Delivers posted window messages.
void DeliverPosted();

} // namespace skintest
