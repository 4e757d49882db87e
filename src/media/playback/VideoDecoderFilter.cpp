#include "media/playback/VideoDecoderFilter.h"

#include "media/playback/PlaybackLog.h"

namespace media {

namespace {

    // Pictures waiting for the renderer; with the one it holds and the decoder's own delay this
    // keeps a few pictures ahead without holding much memory at 1080p.
    constexpr int kQueuedPictures = 4;
    constexpr auto kWaitStep = std::chrono::milliseconds(50);
    // Decode times waiting for their picture; more would mean the decoder lost pictures, and old
    // entries are then forgotten rather than shifting every later time.
    constexpr size_t kMaxPendingTimes = 64;
    // Packets a stream may take to give its first picture: the decoder's own delay, and a
    // stream that starts a long group of pictures before its first key frame. Past this the
    // stream is taken to give no picture at all.
    constexpr int kMaxPacketsBeforeFirstPicture = 300;

} // namespace

VideoDecoderFilter::VideoDecoderFilter(QString name, const SeekEpoch &epoch, PlaybackCounters &counters)
    : PlaybackFilter(std::move(name))
    , m_epoch(epoch)
    , m_counters(counters)
    , m_output(epoch, kQueuedPictures)
{
}

VideoDecoderFilter::~VideoDecoderFilter()
{
    RequestStop();
    Join();
}

bool VideoDecoderFilter::ConnectInput(SourcePin *pin)
{
    if (m_pin || !pin || pin->IsConnected() || pin->Type() != AVMEDIA_TYPE_VIDEO)
        return false;
    ffmpeg::CodecContextPtr context = pin->OpenDecoder(0);
    if (!context)
        return false;
    m_codec = std::move(context);
    m_pin = pin;
    pin->SetConnected(true);
    return true;
}

QSize VideoDecoderFilter::NativeSize() const
{
    if (!m_pin)
        return {};
    return QSize(m_pin->Parameters()->width, m_pin->Parameters()->height);
}

PlaybackResult VideoDecoderFilter::PutParameter(int id, int value)
{
    switch (id) {
    case DecoderParameter::kBrightness:
        m_picture.brightness = value;
        return kPlaybackOk;
    case DecoderParameter::kPictureAdjust:
        m_picture.adjust = value != 0;
        return kPlaybackOk;
    case DecoderParameter::kOptionsEnable:
        m_optionsEnabled = value != 0;
        return kPlaybackOk;
    case DecoderParameter::kFastDecoding:
        m_fastDecoding = value != 0;
        return kPlaybackOk;
    default:
        return kPlaybackInvalidArg;
    }
}

void VideoDecoderFilter::Start()
{
    if (m_pin && !m_thread.joinable())
        m_thread = std::thread([this] { Run(); });
}

void VideoDecoderFilter::RequestStop()
{
    m_stop = true;
    m_output.Abort();
    std::lock_guard lock(m_holdMutex);
    m_holdChanged.notify_all();
}

void VideoDecoderFilter::HoldAfterFirstPicture()
{
    std::lock_guard lock(m_holdMutex);
    m_held = true;
}

void VideoDecoderFilter::Release()
{
    std::lock_guard lock(m_holdMutex);
    m_held = false;
    m_holdChanged.notify_all();
}

bool VideoDecoderFilter::WaitWhileHeld()
{
    std::unique_lock lock(m_holdMutex);
    m_holdChanged.wait(lock, [this] { return !m_held || m_stop; });
    return !m_stop;
}

void VideoDecoderFilter::Join()
{
    if (m_thread.joinable())
        m_thread.join();
}

void VideoDecoderFilter::Run()
{
    while (!m_stop) {
        if (m_deliveredInSerial && !WaitWhileHeld())
            break;
        if (m_resend) {
            const ffmpeg::PacketPtr resend = std::move(m_resend);
            DecodePacket(resend.get());
            continue;
        }
        QueuedPacket item;
        const auto result = m_pin->Queue().Pop(&item, kWaitStep);
        if (result == PacketQueue::PopResult::Aborted)
            break;
        if (result == PacketQueue::PopResult::Timeout)
            continue;
        if (item.serial != m_serial)
            BeginSerial(item);
        if (item.serial != m_epoch.Current() || m_gaveUp)
            continue;

        if (item.IsEndOfStream()) {
            DecodePacket(nullptr);
            // A seek past the last picture shows the last picture.
            if (!m_deliveredInSerial && m_candidate.picture)
                Deliver(std::move(m_candidate));
            Deliver(VideoFrame { nullptr, 0, m_serial });
            avcodec_flush_buffers(m_codec.get());
            m_decodeTimes.clear();
            continue;
        }
        // A zero-size AVI chunk repeats the previous picture; handing it to the decoder would
        // ask it to drain instead.
        if (item.packet->size == 0)
            continue;
        if (item.packet->pts == AV_NOPTS_VALUE) {
            m_decodeTimes.push_back(m_pin->ToMediaTime(item.packet->dts));
            if (m_decodeTimes.size() > kMaxPendingTimes)
                m_decodeTimes.pop_front();
        }
        const bool firstOfSerial = !m_packetInSerial;
        m_packetInSerial = true;
        DecodePacket(item.packet.get());
        if (firstOfSerial && !m_deliveredInSerial && StartsAtTarget(*item.packet))
            ShowKeyFrameAtOnce(item.packet.get());
        if (!m_anyPicture && ++m_packetsWithoutPicture >= kMaxPacketsBeforeFirstPicture) {
            qCWarning(lcPlayback) << Name() << "made no picture from the first" << m_packetsWithoutPicture
                                  << "packets of its stream; it ends the stream";
            m_gaveUp = true;
            Deliver(VideoFrame { nullptr, 0, m_serial });
        }
    }
}

void VideoDecoderFilter::BeginSerial(const QueuedPacket &item)
{
    avcodec_flush_buffers(m_codec.get());
    m_serial = item.serial;
    m_target = item.seekTarget;
    m_deliveredInSerial = false;
    m_candidate = VideoFrame {};
    m_decodeTimes.clear();
    m_nextGuess = m_target;
    m_packetInSerial = false;
    m_shownKeyFrame = kNoMediaTime;
    m_resend.reset();
}

bool VideoDecoderFilter::StartsAtTarget(const AVPacket &packet) const
{
    if (!(packet.flags & AV_PKT_FLAG_KEY))
        return false;
    const int64_t stamp = packet.pts != AV_NOPTS_VALUE ? packet.pts : packet.dts;
    if (stamp == AV_NOPTS_VALUE)
        return false;
    const MediaTime time = m_pin->ToMediaTime(stamp);
    return time <= m_target && m_target < time + m_pin->FrameDuration();
}

// A decoder of pictures that come out reordered (B-frames) holds the key frame back until it has
// decoded the pictures that follow it; at 1080p that is two more pictures' decoding before
// anything is shown. When the key frame is itself the picture at the target (an opening, a seek
// to the start), it is drained out at once, and decoding starts again from it for the rest: the
// picture appears after one picture's decoding, the repeat is decoded while it is on screen (once
// the graph is released, see HoldAfterFirstPicture).
void VideoDecoderFilter::ShowKeyFrameAtOnce(const AVPacket *packet)
{
    avcodec_send_packet(m_codec.get(), nullptr);
    ReceiveFrames();
    avcodec_flush_buffers(m_codec.get());
    m_decodeTimes.clear();
    if (!m_deliveredInSerial) {
        // It did not come out as the target's picture: decode on as if nothing happened.
        m_candidate = VideoFrame {};
        m_nextGuess = m_target;
    } else {
        m_shownKeyFrame = m_lastDelivered;
    }
    if (packet->pts == AV_NOPTS_VALUE)
        m_decodeTimes.push_back(m_pin->ToMediaTime(packet->dts));
    // Sent again at the top of the loop, which waits first while the graph is held.
    m_resend = ffmpeg::MakePacket();
    if (av_packet_ref(m_resend.get(), packet) < 0)
        m_resend.reset();
}

void VideoDecoderFilter::DecodePacket(const AVPacket *packet)
{
    const bool fast = FastDecoding();
    if (fast != m_appliedFast) {
        m_codec->skip_loop_filter = fast ? AVDISCARD_ALL : AVDISCARD_DEFAULT;
        m_appliedFast = fast;
    }
    const int sent = avcodec_send_packet(m_codec.get(), packet);
    if (sent < 0 && packet && packet->pts == AV_NOPTS_VALUE && !m_decodeTimes.empty())
        m_decodeTimes.pop_back(); // a packet the decoder refused yields no picture
    ReceiveFrames();
}

MediaTime VideoDecoderFilter::TakeTime(const AVFrame *picture)
{
    MediaTime time = kNoMediaTime;
    if (picture->pts != AV_NOPTS_VALUE) {
        time = m_pin->ToMediaTime(picture->pts);
    } else if (!m_decodeTimes.empty()) {
        time = m_decodeTimes.front();
        m_decodeTimes.pop_front();
    }
    if (time == kNoMediaTime)
        time = m_nextGuess;
    m_nextGuess = time + m_pin->FrameDuration();
    return time;
}

void VideoDecoderFilter::ReceiveFrames()
{
    for (;;) {
        ffmpeg::FramePtr picture = ffmpeg::MakeFrame();
        if (avcodec_receive_frame(m_codec.get(), picture.get()) < 0)
            return;
        m_anyPicture = true;
        VideoFrame frame { std::move(picture), 0, m_serial };
        frame.time = TakeTime(frame.picture.get());
        if (m_shownKeyFrame != kNoMediaTime) {
            // The key frame drained out early comes again from the second decoding: it is on
            // screen already and counts once.
            const bool repeat = frame.time <= m_shownKeyFrame;
            m_shownKeyFrame = kNoMediaTime;
            if (repeat)
                continue;
        }
        ++m_counters.framesDecoded;
        if (m_serial != m_epoch.Current())
            continue;
        if (!m_deliveredInSerial) {
            // The picture on screen at the target is the last one that starts at or before it.
            // Pictures come out in presentation order, so one whose successor at the stream's
            // rate would start after the target is it; otherwise wait for a later one.
            if (frame.time <= m_target && frame.time + m_pin->FrameDuration() <= m_target) {
                if (m_candidate.picture)
                    ++m_counters.framesSkipped;
                m_candidate = std::move(frame);
                continue;
            }
            if (m_candidate.picture && frame.time > m_target)
                Deliver(std::move(m_candidate));
            else if (m_candidate.picture)
                ++m_counters.framesSkipped;
        }
        Deliver(std::move(frame));
    }
}

void VideoDecoderFilter::Deliver(VideoFrame &&frame)
{
    if (!frame.IsEndOfStream()) {
        m_deliveredInSerial = true;
        m_lastDelivered = frame.time;
    }
    while (!m_stop) {
        const auto result = m_output.Push(std::move(frame), kWaitStep);
        if (result != FrameQueue::Result::Timeout)
            return;
    }
}

} // namespace media
