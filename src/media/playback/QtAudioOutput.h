#pragma once

#include <QObject>
#include <QThread>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "media/playback/AudioOutput.h"

class QAudioSink;
class QIODevice;
class QTimer;

namespace media {

// Plays through Qt's QAudioSink. The sink lives on a thread of its own with an event loop: a
// short timer there moves samples from a small ring buffer into the sink as it makes room, so
// the audio renderer never blocks on the device. Without a sound device (no server running)
// Create returns null and the graph plays without sound.
class QtAudioOutput final : public AudioOutput
{
public:
    static std::unique_ptr<AudioOutput> Create();
    ~QtAudioOutput() override;

    bool Open(AudioFormatSpec *format) override;
    int64_t Write(const uint8_t *data, int64_t bytes) override;
    int64_t FreeBytes() const override;
    int64_t PlayedUs() const override;
    void SetPaused(bool paused) override;
    void SetVolume(double gain) override;
    void Reset() override;
    bool Failed() const override;

private:
    class Worker;
    QtAudioOutput();

    QThread m_thread;
    Worker *m_worker = nullptr; // lives on m_thread, deleted there
};

} // namespace media
