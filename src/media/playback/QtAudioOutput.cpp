#include "media/playback/QtAudioOutput.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QCoreApplication>
#include <QMediaDevices>
#include <QTimer>

#include <algorithm>
#include <deque>

namespace media {

namespace {

    // The ring holds about this much sound ahead of the device; with the device's own buffer it
    // bounds how long a pause or a seek takes to be heard.
    constexpr int kRingMs = 120;
    constexpr int kPumpIntervalMs = 5;

} // namespace

// Owns the sink; every method except the ring's is called on the output's thread.
class QtAudioOutput::Worker : public QObject
{
public:
    std::mutex ringMutex;
    std::deque<uint8_t> ring;
    size_t ringCapacity = 0;
    std::atomic<int64_t> playedUs { 0 };
    std::atomic<bool> failed { false };

    bool Open(AudioFormatSpec *format)
    {
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        if (device.isNull())
            return false;
        QAudioFormat wanted;
        wanted.setSampleRate(format->sampleRate);
        wanted.setChannelCount(format->channels);
        wanted.setSampleFormat(QAudioFormat::Int16);
        if (!device.isFormatSupported(wanted)) {
            const QAudioFormat preferred = device.preferredFormat();
            wanted.setSampleRate(preferred.sampleRate());
            wanted.setChannelCount(std::clamp(preferred.channelCount(), 1, 2));
            if (!device.isFormatSupported(wanted))
                return false;
        }
        format->sampleRate = wanted.sampleRate();
        format->channels = wanted.channelCount();
        m_bytesPerSecond = static_cast<int64_t>(format->sampleRate) * format->BytesPerFrame();
        {
            std::lock_guard lock(ringMutex);
            ringCapacity = static_cast<size_t>(m_bytesPerSecond * kRingMs / 1000);
        }
        // The backend's own buffer size: smaller ones made the sound server stall here.
        m_sink = new QAudioSink(device, wanted, this);
        m_sink->setVolume(m_gain);
        if (!StartSink())
            return false;
        m_pump = new QTimer(this);
        m_pump->setTimerType(Qt::PreciseTimer);
        connect(m_pump, &QTimer::timeout, this, [this] { Pump(); });
        m_pump->start(kPumpIntervalMs);
        return true;
    }

    bool StartSink()
    {
        m_device = m_sink->start();
        if (!m_device || m_sink->error() != QAudio::NoError) {
            failed = true;
            return false;
        }
        if (m_paused)
            m_sink->suspend();
        playedUs = 0;
        return true;
    }

    void Pump()
    {
        if (!m_sink || !m_device)
            return;
        if (m_sink->error() == QAudio::OpenError || m_sink->error() == QAudio::FatalError) {
            failed = true;
            return;
        }
        playedUs = m_sink->processedUSecs();
        if (m_paused)
            return;
        std::vector<uint8_t> chunk;
        {
            std::lock_guard lock(ringMutex);
            const size_t room = static_cast<size_t>(std::max<qsizetype>(0, m_sink->bytesFree()));
            const size_t n = std::min(room, ring.size()) & ~size_t(3);
            chunk.assign(ring.begin(), ring.begin() + static_cast<ptrdiff_t>(n));
            ring.erase(ring.begin(), ring.begin() + static_cast<ptrdiff_t>(n));
        }
        if (!chunk.empty())
            m_device->write(reinterpret_cast<const char *>(chunk.data()), static_cast<qint64>(chunk.size()));
    }

    void SetPaused(bool paused)
    {
        m_paused = paused;
        if (!m_sink)
            return;
        if (paused)
            m_sink->suspend();
        else
            m_sink->resume();
    }

    void SetVolume(double gain)
    {
        m_gain = gain;
        if (m_sink)
            m_sink->setVolume(gain);
    }

    void Reset()
    {
        {
            std::lock_guard lock(ringMutex);
            ring.clear();
        }
        if (!m_sink)
            return;
        // A fresh start drops what the device holds and counts played time from zero again.
        m_sink->stop();
        StartSink();
    }

    void Close()
    {
        if (m_pump)
            m_pump->stop();
        if (m_sink)
            m_sink->stop();
        delete m_sink;
        m_sink = nullptr;
        m_device = nullptr;
    }

private:
    QAudioSink *m_sink = nullptr;
    QIODevice *m_device = nullptr;
    QTimer *m_pump = nullptr;
    int64_t m_bytesPerSecond = 0;
    double m_gain = 1.0;
    bool m_paused = false;
};

std::unique_ptr<AudioOutput> QtAudioOutput::Create()
{
    // Qt's sound backend needs the application object; without it, or without any output
    // device, the graph plays silently.
    if (!QCoreApplication::instance() || QMediaDevices::audioOutputs().isEmpty())
        return nullptr;
    return std::unique_ptr<AudioOutput>(new QtAudioOutput());
}

QtAudioOutput::QtAudioOutput()
{
    m_thread.setObjectName(QStringLiteral("audio output"));
    m_worker = new Worker();
    m_worker->moveToThread(&m_thread);
    m_thread.start();
}

QtAudioOutput::~QtAudioOutput()
{
    QMetaObject::invokeMethod(
        m_worker,
        [this] {
            m_worker->Close();
            delete m_worker;
        },
        Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

bool QtAudioOutput::Open(AudioFormatSpec *format)
{
    bool opened = false;
    QMetaObject::invokeMethod(
        m_worker, [&] { opened = m_worker->Open(format); }, Qt::BlockingQueuedConnection);
    return opened;
}

int64_t QtAudioOutput::Write(const uint8_t *data, int64_t bytes)
{
    std::lock_guard lock(m_worker->ringMutex);
    const int64_t room
        = static_cast<int64_t>(m_worker->ringCapacity) - static_cast<int64_t>(m_worker->ring.size());
    const int64_t n = std::max<int64_t>(0, std::min(room, bytes)) & ~int64_t(3);
    m_worker->ring.insert(m_worker->ring.end(), data, data + n);
    return n;
}

int64_t QtAudioOutput::FreeBytes() const
{
    std::lock_guard lock(m_worker->ringMutex);
    return static_cast<int64_t>(m_worker->ringCapacity) - static_cast<int64_t>(m_worker->ring.size());
}

int64_t QtAudioOutput::PlayedUs() const
{
    return m_worker->playedUs.load();
}

void QtAudioOutput::SetPaused(bool paused)
{
    QMetaObject::invokeMethod(
        m_worker, [this, paused] { m_worker->SetPaused(paused); }, Qt::QueuedConnection);
}

void QtAudioOutput::SetVolume(double gain)
{
    QMetaObject::invokeMethod(
        m_worker, [this, gain] { m_worker->SetVolume(gain); }, Qt::QueuedConnection);
}

void QtAudioOutput::Reset()
{
    QMetaObject::invokeMethod(
        m_worker, [this] { m_worker->Reset(); }, Qt::BlockingQueuedConnection);
}

bool QtAudioOutput::Failed() const
{
    return m_worker->failed.load();
}

} // namespace media
