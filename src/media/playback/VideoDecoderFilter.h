#pragma once

#include <QSize>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
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
//
// When a position starts with its key frame (an opening), that picture is drained out of the
// decoder at once instead of waiting for the pictures that follow it (see ShowKeyFrameAtOnce).
//
// A stream that has not given a single picture after many packets will not give one: the
// decoder then ends the stream at once rather than read the whole file, so that opening it
// fails quickly.
class VideoDecoderFilter final : public PlaybackFilter
{
public:
    VideoDecoderFilter(QString name, const SeekEpoch &epoch, PlaybackCounters &counters);
    ~VideoDecoderFilter() override;

    // Connects the decoder to a video pin. False when the pin is not video, is taken, or no
    // decoder exists for its codec.
    bool ConnectInput(SourcePin *pin);
    bool IsConnected() const { return m_pin != nullptr; }

    FrameQueue &Output() { return m_output; }
    QSize NativeSize() const;

    // The parameter interface (see DecoderParameter). Unknown ids are refused.
    PlaybackResult PutParameter(int id, int value);
    const PictureSettings &Picture() const { return m_picture; }
    bool FastDecoding() const { return m_optionsEnabled && m_fastDecoding; }

    // Until Release, decoding stops once the first picture is delivered: a graph being prepared
    // on a worker leaves the cores to the other channel's first picture. Called before Start.
    void HoldAfterFirstPicture();
    // Any thread.
    void Release();

    void Start() override;
    void RequestStop() override;
    void Join() override;

private:
    void Run();
    bool WaitWhileHeld();
    void BeginSerial(const QueuedPacket &item);
    void DecodePacket(const AVPacket *packet);
    bool StartsAtTarget(const AVPacket &packet) const;
    void ShowKeyFrameAtOnce(const AVPacket *packet);
    void ReceiveFrames();
    void Deliver(VideoFrame &&frame);
    MediaTime TakeTime(const AVFrame *picture);

    const SeekEpoch &m_epoch;
    PlaybackCounters &m_counters;
    SourcePin *m_pin = nullptr;
    ffmpeg::CodecContextPtr m_codec;
    FrameQueue m_output;
    PictureSettings m_picture;
    std::atomic<bool> m_optionsEnabled { false };
    std::atomic<bool> m_fastDecoding { false };
    std::atomic<bool> m_stop { false };
    std::thread m_thread;
    std::mutex m_holdMutex;
    std::condition_variable m_holdChanged;
    bool m_held = false;

    // Decode thread only.
    int m_serial = -1;
    MediaTime m_target = 0;
    bool m_deliveredInSerial = false;
    bool m_packetInSerial = false;
    MediaTime m_lastDelivered = kNoMediaTime;
    MediaTime m_shownKeyFrame = kNoMediaTime; // drained early, decoded again: dropped once
    ffmpeg::PacketPtr m_resend; // that key frame, sent again once decoding goes on
    VideoFrame m_candidate; // the latest picture not after the target, until a later one comes
    std::deque<MediaTime> m_decodeTimes;
    MediaTime m_nextGuess = 0;
    bool m_appliedFast = false;
    bool m_anyPicture = false; // since the decoder was opened
    int m_packetsWithoutPicture = 0;
    bool m_gaveUp = false;
};

} // namespace media
