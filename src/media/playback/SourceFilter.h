#pragma once

#include <QString>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "media/playback/FfmpegPtr.h"
#include "media/playback/PlaybackFilter.h"
#include "media/playback/SourcePin.h"
#include "media/telemetry/TelemetryReader.h"

namespace media {

// The head of every graph: opens the recording with libavformat, offers its streams as pins and,
// on its own thread, reads packets into the queues of the connected pins. It also owns the
// recording's telemetry reader, which it hands out as IStreamParseData.
class SourceFilter final : public PlaybackFilter
{
public:
    explicit SourceFilter(QString name);
    ~SourceFilter() override;

    // Opens the file. kPlaybackNotLoaded when it cannot be opened or holds no stream at all.
    // The telemetry is read apart (LoadTelemetry), so that it can be read while the first
    // picture decodes.
    PlaybackResult Load(const QString &path);
    // Reads the telemetry records of the loaded file: a pass of its own over the file's index or
    // chunks. Called once, before the graph is handed to the UI thread.
    void LoadTelemetry();
    // A flag that, once set, makes a Load in progress (a recording measured packet by packet can
    // take seconds on a slow card) give up at the next read. It must outlive the source.
    void SetCancelFlag(const std::atomic<bool> *cancel) { m_cancel = cancel; }

    int PinCount() const { return static_cast<int>(m_pins.size()); }
    SourcePin *Pin(int index) { return m_pins.at(static_cast<size_t>(index)).get(); }

    // Length of the recording (the longest stream). Where the headers say nothing (a recording
    // cut by a power loss), it is where the last picture ends; a file that runs on past its
    // headers' length has it raised when the reading reaches the end.
    MediaTime Duration() const { return m_duration.load(std::memory_order_relaxed); }
    // Where the last picture ends (0 without pictures): before Duration() when the sound runs on
    // past the pictures, as a recorder's sound often does by part of a sound frame.
    MediaTime PicturesEnd() const { return m_picturesEnd.load(std::memory_order_relaxed); }

    // The telemetry records of the same file; null before a successful Load. The reader belongs
    // to the source and lives as long as it.
    media::IStreamParseData *StreamParseData() { return m_telemetry.get(); }
    const media::TelemetryReader *Telemetry() const { return m_telemetry.get(); }

    // Moves the reading position to the key frame at or before target. Packets already queued
    // are dropped at once; what is read from now on is stamped with serial.
    void RequestSeek(MediaTime target, int serial);

    void Start() override;
    void RequestStop() override;
    void Join() override;

    // True once every packet up to the end of the file was queued (for the current position).
    bool ReachedEnd() const;

private:
    void Run();
    void SeekTo(MediaTime target);
    bool QueuesSatisfied() const;
    MediaTime LengthFromPackets();
    void RaiseDuration(const AVPacket *packet, const SourcePin *pin);
    void PushEndOfStream(int serial, MediaTime target);
    SourcePin *PinForStream(int streamIndex) const;
    static int InterruptCallback(void *opaque);
    static bool HeaderDescribesStreams(const AVFormatContext *ctx);

    ffmpeg::FormatContextPtr m_format;
    std::vector<std::unique_ptr<SourcePin>> m_pins;
    std::unique_ptr<media::TelemetryReader> m_telemetry;
    MediaTime m_startTime = 0;
    std::atomic<MediaTime> m_duration { 0 };
    std::atomic<MediaTime> m_picturesEnd { 0 };
    // Stream times of the first video stream's key frames, when the file has no index (a
    // recording cut by a power loss): the demuxer then takes every picture for a key frame.
    std::vector<int64_t> m_keyFrames;
    QString m_path; // for the log

    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopRequested = false;
    std::atomic<bool> m_interrupt { false };
    const std::atomic<bool> *m_cancel = nullptr;
    bool m_seekPending = false;
    MediaTime m_seekTarget = 0;
    int m_seekSerial = 0;
    bool m_reachedEnd = false;
};

} // namespace media
