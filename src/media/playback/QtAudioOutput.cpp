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
        bytesPerSecond_ = static_cast<int64_t>(format->sampleRate) * format->BytesPerFrame();
        {
            std::lock_guard lock(ringMutex);
            ringCapacity = static_cast<size_t>(bytesPerSecond_ * kRingMs / 1000);
        }
        // The backend's own buffer size: smaller ones made the sound server stall here.
        sink_ = new QAudioSink(device, wanted, this);
        sink_->setVolume(gain_);
        if (!StartSink())
            return false;
        pump_ = new QTimer(this);
        pump_->setTimerType(Qt::PreciseTimer);
        connect(pump_, &QTimer::timeout, this, [this] { Pump(); });
        pump_->start(kPumpIntervalMs);
        return true;
    }

    bool StartSink()
    {
        device_ = sink_->start();
        if (!device_ || sink_->error() != QAudio::NoError) {
            failed = true;
            return false;
        }
        if (paused_)
            sink_->suspend();
        playedUs = 0;
        return true;
    }

    void Pump()
    {
        if (!sink_ || !device_)
            return;
        if (sink_->error() == QAudio::OpenError || sink_->error() == QAudio::FatalError) {
            failed = true;
            return;
        }
        playedUs = sink_->processedUSecs();
        if (paused_)
            return;
        std::vector<uint8_t> chunk;
        {
            std::lock_guard lock(ringMutex);
            const size_t room = static_cast<size_t>(std::max<qsizetype>(0, sink_->bytesFree()));
            const size_t n = std::min(room, ring.size()) & ~size_t(3);
            chunk.assign(ring.begin(), ring.begin() + static_cast<ptrdiff_t>(n));
            ring.erase(ring.begin(), ring.begin() + static_cast<ptrdiff_t>(n));
        }
        if (!chunk.empty())
            device_->write(reinterpret_cast<const char *>(chunk.data()), static_cast<qint64>(chunk.size()));
    }

    void SetPaused(bool paused)
    {
        paused_ = paused;
        if (!sink_)
            return;
        if (paused)
            sink_->suspend();
        else
            sink_->resume();
    }

    void SetVolume(double gain)
    {
        gain_ = gain;
        if (sink_)
            sink_->setVolume(gain);
    }

    void Reset()
    {
        {
            std::lock_guard lock(ringMutex);
            ring.clear();
        }
        if (!sink_)
            return;
        // A fresh start drops what the device holds and counts played time from zero again.
        sink_->stop();
        StartSink();
    }

    void Close()
    {
        if (pump_)
            pump_->stop();
        if (sink_)
            sink_->stop();
        delete sink_;
        sink_ = nullptr;
        device_ = nullptr;
    }

private:
    QAudioSink *sink_ = nullptr;
    QIODevice *device_ = nullptr;
    QTimer *pump_ = nullptr;
    int64_t bytesPerSecond_ = 0;
    double gain_ = 1.0;
    bool paused_ = false;
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
    thread_.setObjectName(QStringLiteral("audio output"));
    worker_ = new Worker();
    worker_->moveToThread(&thread_);
    thread_.start();
}

QtAudioOutput::~QtAudioOutput()
{
    QMetaObject::invokeMethod(
        worker_,
        [this] {
            worker_->Close();
            delete worker_;
        },
        Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
}

bool QtAudioOutput::Open(AudioFormatSpec *format)
{
    bool opened = false;
    QMetaObject::invokeMethod(
        worker_, [&] { opened = worker_->Open(format); }, Qt::BlockingQueuedConnection);
    return opened;
}

int64_t QtAudioOutput::Write(const uint8_t *data, int64_t bytes)
{
    std::lock_guard lock(worker_->ringMutex);
    const int64_t room
        = static_cast<int64_t>(worker_->ringCapacity) - static_cast<int64_t>(worker_->ring.size());
    const int64_t n = std::max<int64_t>(0, std::min(room, bytes)) & ~int64_t(3);
    worker_->ring.insert(worker_->ring.end(), data, data + n);
    return n;
}

int64_t QtAudioOutput::FreeBytes() const
{
    std::lock_guard lock(worker_->ringMutex);
    return static_cast<int64_t>(worker_->ringCapacity) - static_cast<int64_t>(worker_->ring.size());
}

int64_t QtAudioOutput::PlayedUs() const
{
    return worker_->playedUs.load();
}

void QtAudioOutput::SetPaused(bool paused)
{
    QMetaObject::invokeMethod(
        worker_, [this, paused] { worker_->SetPaused(paused); }, Qt::QueuedConnection);
}

void QtAudioOutput::SetVolume(double gain)
{
    QMetaObject::invokeMethod(
        worker_, [this, gain] { worker_->SetVolume(gain); }, Qt::QueuedConnection);
}

void QtAudioOutput::Reset()
{
    QMetaObject::invokeMethod(
        worker_, [this] { worker_->Reset(); }, Qt::BlockingQueuedConnection);
}

bool QtAudioOutput::Failed() const
{
    return worker_->failed.load();
}

} // namespace media
