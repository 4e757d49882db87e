#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace media {

// Interleaved signed 16-bit samples at this rate and channel count.
struct AudioFormatSpec {
    int sampleRate = 48000;
    int channels = 2;

    int BytesPerFrame() const { return channels * 2; }
};

// Where the audio renderer's samples go: a sound device, or a stand-in in tests. Every method is
// called from the audio renderer's thread, except the destructor (graph teardown).
class AudioOutput
{
public:
    virtual ~AudioOutput() = default;

    // Opens the device for the format, which the device may change to one it plays (rate and
    // channel count). False when it cannot play at all.
    virtual bool Open(AudioFormatSpec *format) = 0;
    // Queues as many bytes as fit without waiting; returns how many were taken.
    virtual int64_t Write(const uint8_t *data, int64_t bytes) = 0;
    virtual int64_t FreeBytes() const = 0;
    // Microseconds of audio heard since Open or the last Reset.
    virtual int64_t PlayedUs() const = 0;
    virtual void SetPaused(bool paused) = 0;
    // Linear gain, 0 (silent) to 1 (full).
    virtual void SetVolume(double gain) = 0;
    // Drops everything queued (after a seek); PlayedUs starts again at 0.
    virtual void Reset() = 0;
    // The device went away or reported an error; the renderer then goes silent.
    virtual bool Failed() const = 0;
};

// Makes the output of a new graph; null when there is no sound device, and the graph then plays
// without sound.
using AudioOutputFactory = std::function<std::unique_ptr<AudioOutput>()>;

} // namespace media
