#pragma once

#include <QString>

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
    PlaybackResult Load(const QString &path);

    int PinCount() const { return static_cast<int>(pins_.size()); }
    SourcePin *Pin(int index) { return pins_.at(static_cast<size_t>(index)).get(); }

    // Length of the recording (the longest stream), 0 when unknown.
    MediaTime Duration() const { return duration_; }

    // The telemetry records of the same file; null before a successful Load. The reader belongs
    // to the source and lives as long as it.
    media::IStreamParseData *StreamParseData() { return telemetry_.get(); }
    const media::TelemetryReader *Telemetry() const { return telemetry_.get(); }

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
    void PushEndOfStream(int serial, MediaTime target);
    SourcePin *PinForStream(int streamIndex) const;
    static int InterruptCallback(void *opaque);
    static bool HeaderDescribesStreams(const AVFormatContext *ctx);

    ffmpeg::FormatContextPtr format_;
    std::vector<std::unique_ptr<SourcePin>> pins_;
    std::unique_ptr<media::TelemetryReader> telemetry_;
    MediaTime startTime_ = 0;
    MediaTime duration_ = 0;

    std::thread thread_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool stopRequested_ = false;
    std::atomic<bool> interrupt_ { false };
    bool seekPending_ = false;
    MediaTime seekTarget_ = 0;
    int seekSerial_ = 0;
    bool reachedEnd_ = false;
};

} // namespace media
