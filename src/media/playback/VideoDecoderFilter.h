#pragma once

#include <QSize>

#include <atomic>
#include <deque>
#include <thread>

#include "media/playback/DecoderParameters.h"
#include "media/playback/FfmpegPtr.h"
#include "media/playback/FrameQueue.h"
#include "media/playback/PlaybackCounters.h"
#include "media/playback/PlaybackFilter.h"
#include "media/playback/SeekEpoch.h"
#include "media/playback/SourcePin.h"

namespace media {

// Decodes one video pin with libavcodec on its own thread and queues the pictures, with their
// presentation times, for the renderer.
//
// After a seek it decodes forward from the key frame and drops every picture that a later one
// replaces before the seek's target, so the first picture delivered is the one on screen at that
// time. AVI packets carry no presentation times, only decode times; with B-frames the
// pictures come out reordered, and since the decode times of a constant-rate stream are exactly
// the presentation times in order, each picture takes the oldest decode time not yet used.
class VideoDecoderFilter final : public PlaybackFilter
{
public:
    VideoDecoderFilter(QString name, const SeekEpoch &epoch, PlaybackCounters &counters);
    ~VideoDecoderFilter() override;

    // Connects the decoder to a video pin. False when the pin is not video, is taken, or no
    // decoder exists for its codec.
    bool ConnectInput(SourcePin *pin);
    bool IsConnected() const { return pin_ != nullptr; }

    FrameQueue &Output() { return output_; }
    QSize NativeSize() const;

    // The parameter interface (see DecoderParameter). Unknown ids are refused.
    PlaybackResult PutParameter(int id, int value);
    const PictureSettings &Picture() const { return picture_; }
    bool FastDecoding() const { return optionsEnabled_ && fastDecoding_; }

    void Start() override;
    void RequestStop() override;
    void Join() override;

private:
    void Run();
    void BeginSerial(const QueuedPacket &item);
    void DecodePacket(const AVPacket *packet);
    void ReceiveFrames();
    void Deliver(VideoFrame &&frame);
    MediaTime TakeTime(const AVFrame *picture);

    const SeekEpoch &epoch_;
    PlaybackCounters &counters_;
    SourcePin *pin_ = nullptr;
    ffmpeg::CodecContextPtr codec_;
    FrameQueue output_;
    PictureSettings picture_;
    std::atomic<bool> optionsEnabled_ { false };
    std::atomic<bool> fastDecoding_ { false };
    std::atomic<bool> stop_ { false };
    std::thread thread_;

    // Decode thread only.
    int serial_ = -1;
    MediaTime target_ = 0;
    bool deliveredInSerial_ = false;
    VideoFrame candidate_; // the latest picture not after the target, until a later one comes
    std::deque<MediaTime> decodeTimes_;
    MediaTime nextGuess_ = 0;
    bool appliedFast_ = false;
};

} // namespace media
