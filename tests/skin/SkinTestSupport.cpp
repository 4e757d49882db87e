#include "SkinTestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPainter>

#include <algorithm>

namespace skintest {

class FakeClock::Timer : public skin::SkinTimer
{
public:
    Timer(FakeClock *clock, std::function<void()> fn)
        : m_clock(clock)
        , m_fn(std::move(fn))
    {
        clock->m_timers.push_back(this);
    }
    ~Timer() override { std::erase(m_clock->m_timers, this); }
    void Start(int intervalMs) override
    {
        m_active = true;
        m_interval = intervalMs;
        m_due = m_clock->m_now + intervalMs;
    }
    void Stop() override { m_active = false; }
    bool IsActive() const override { return m_active; }
    int Interval() const override { return m_interval; }

    FakeClock *m_clock;
    std::function<void()> m_fn;
    bool m_active = false;
    int m_interval = 0;
    int m_due = 0;
};

std::unique_ptr<skin::SkinTimer> FakeClock::CreateTimer(std::function<void()> onTimeout)
{
    return std::make_unique<Timer>(this, std::move(onTimeout));
}

void FakeClock::Advance(int ms)
{
    const int target = m_now + ms;
    for (;;) {
        Timer *next = nullptr;
        for (Timer *t : m_timers) {
            if (t->m_active && t->m_due <= target && (!next || t->m_due < next->m_due))
                next = t;
        }
        if (!next)
            break;
        m_now = next->m_due;
        next->m_due += std::max(1, next->m_interval);
        next->m_fn();
    }
    m_now = target;
}

TestSkin::TestSkin()
{
    auto fake = std::make_unique<FakeClock>();
    clock = fake.get();
    runtime.SetClock(std::move(fake));
    runtime.SetBaseFolder(m_dir.path());
    runtime.SetMonitorSize(QSize(640, 480));
    runtime.SetMessageBoxHandler([this](QWidget *, const QString &text, const QString &caption, int flags) {
        messages.push_back({ text, caption, flags });
        return messageBoxAnswer;
    });
    runtime.SetUrlOpener([this](const QUrl &url) { openedUrls.push_back(url); });
}

QString TestSkin::WriteBmp(const QString &name, const QImage &image)
{
    const QString path = QDir(m_dir.path()).filePath(name);
    QDir().mkpath(QFileInfo(path).path());
    image.convertToFormat(QImage::Format_RGB32).save(path, "BMP");
    return name;
}

QString TestSkin::WriteSolid(const QString &name, QSize size, QColor color, int frame)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(255, 0, 255));
    QPainter painter(&image);
    painter.fillRect(QRect(QPoint(0, 0), size).adjusted(frame, frame, -frame, -frame), color);
    painter.end();
    return WriteBmp(name, image);
}

void DeliverPosted()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

} // namespace skintest
