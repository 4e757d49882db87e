#include "media/playback/SourceFilter.h"

#include "media/ffmpeg/FfmpegError.h"

#include <QFile>

#include <algorithm>

#include "media/playback/PlaybackLog.h"

#include <cstring>

namespace media {

namespace {

    // The demuxer reads on until every connected queue holds about this much, so that decoders never
    // wait for the disk, but stops well before a paused graph would fill memory.
    constexpr int kEnoughVideoPackets = 30;
    constexpr int kEnoughAudioPackets = 60;
    constexpr int64_t kMaxQueuedBytes = 24 * 1024 * 1024;
    // A packet that ends this much past the known length makes the recording longer; less is
    // the rounding of the headers' lengths.
    constexpr MediaTime kLengthTolerance = kUnitsPerMs;

    using ffmpeg::ErrorText;

} // namespace

// A recorder's AVI header already names every stream's codec, picture size and sound format.
// Probing the streams would decode the first key frame only to learn its pixel format, which the
// decoder finds out anyway: skipping it saves a full 1080p picture's decoding at every opening.
bool SourceFilter::HeaderDescribesStreams(const AVFormatContext *ctx)
{
    if (!ctx->iformat || strcmp(ctx->iformat->name, "avi") != 0 || ctx->nb_streams == 0)
        return false;
    for (unsigned i = 0; i < ctx->nb_streams; ++i) {
        const AVCodecParameters *params = ctx->streams[i]->codecpar;
        if (params->codec_id == AV_CODEC_ID_NONE || ctx->streams[i]->duration == AV_NOPTS_VALUE)
            return false;
        if (params->codec_type == AVMEDIA_TYPE_VIDEO && (params->width <= 0 || params->height <= 0))
            return false;
        if (params->codec_type == AVMEDIA_TYPE_AUDIO
            && (params->sample_rate <= 0 || params->ch_layout.nb_channels <= 0
                || (params->codec_id == AV_CODEC_ID_AAC && params->extradata_size == 0)))
            return false;
    }
    return true;
}

SourceFilter::SourceFilter(QString name)
    : PlaybackFilter(std::move(name))
{
}

SourceFilter::~SourceFilter()
{
    RequestStop();
    Join();
}

int SourceFilter::InterruptCallback(void *opaque)
{
    const auto *source = static_cast<const SourceFilter *>(opaque);
    const bool cancelled = source->m_cancel && source->m_cancel->load(std::memory_order_relaxed);
    return source->m_interrupt.load(std::memory_order_relaxed) || cancelled ? 1 : 0;
}

PlaybackResult SourceFilter::Load(const QString &path)
{
    if (path.isEmpty() || m_format)
        return kPlaybackNotLoaded;
    m_path = path;

    AVFormatContext *ctx = avformat_alloc_context();
    if (!ctx)
        return kPlaybackFail;
    ctx->interrupt_callback.callback = &SourceFilter::InterruptCallback;
    ctx->interrupt_callback.opaque = this;
    const QByteArray fileName = QFile::encodeName(path);
    if (const int opened = avformat_open_input(&ctx, fileName.constData(), nullptr, nullptr); opened < 0) {
        // avformat_open_input frees the context on failure
        qCWarning(lcPlayback) << "cannot open" << path << ":" << ErrorText(opened);
        return kPlaybackNotLoaded;
    }
    m_format.reset(ctx);
    if (!HeaderDescribesStreams(ctx)) {
        if (const int probed = avformat_find_stream_info(ctx, nullptr); probed < 0) {
            qCWarning(lcPlayback) << "cannot read the streams of" << path << ":" << ErrorText(probed);
            return kPlaybackNotLoaded;
        }
    }

    m_startTime
        = ctx->start_time == AV_NOPTS_VALUE ? 0 : ffmpeg::ToMediaTime(ctx->start_time, AV_TIME_BASE_Q);
    MediaTime duration = 0;
    if (ctx->duration != AV_NOPTS_VALUE && ctx->duration > 0) {
        duration = ffmpeg::ToMediaTime(ctx->duration, AV_TIME_BASE_Q);
    } else {
        // The longest stream, as the probe would have found.
        for (unsigned i = 0; i < ctx->nb_streams; ++i) {
            const AVStream *stream = ctx->streams[i];
            if (stream->duration == AV_NOPTS_VALUE)
                continue;
            const int64_t start = stream->start_time == AV_NOPTS_VALUE ? 0 : stream->start_time;
            duration = std::max(
                duration, ffmpeg::ToMediaTime(start + stream->duration, stream->time_base) - m_startTime);
        }
    }

    int videoCount = 0;
    int audioCount = 0;
    for (unsigned i = 0; i < ctx->nb_streams; ++i) {
        AVStream *stream = ctx->streams[i];
        stream->discard = AVDISCARD_ALL; // until a pin is connected
        QString pinName;
        if (stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO
            && !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC))
            pinName = QStringLiteral("Video %1").arg(++videoCount);
        else if (stream->codecpar->codec_type == AVMEDIA_TYPE_AUDIO)
            pinName = QStringLiteral("Audio %1").arg(++audioCount);
        else
            continue;
        m_pins.push_back(std::make_unique<SourcePin>(pinName, stream, m_startTime));
    }
    if (m_pins.empty()) {
        qCWarning(lcPlayback) << "refusing" << path << ": it holds neither pictures nor sound";
        return kPlaybackNotLoaded;
    }
    MediaTime picturesEnd = 0;
    for (const auto &pin : m_pins) {
        const AVStream *stream = ctx->streams[pin->StreamIndex()];
        if (pin->Type() != AVMEDIA_TYPE_VIDEO || stream->duration == AV_NOPTS_VALUE || stream->duration <= 0)
            continue;
        const int64_t start = stream->start_time == AV_NOPTS_VALUE ? 0 : stream->start_time;
        picturesEnd = std::max(picturesEnd, pin->ToMediaTime(start + stream->duration));
    }
    if (duration <= 0) {
        duration = LengthFromPackets();
        picturesEnd = duration;
        if (m_cancel && m_cancel->load())
            return kPlaybackNotLoaded; // measured only in part: given up
        qCInfo(lcPlayback) << path << "gives no length in its headers; its pictures last"
                           << duration / kUnitsPerMs << "ms";
    }
    m_duration = duration;
    m_picturesEnd = std::min(picturesEnd, duration);
    return kPlaybackOk;
}

void SourceFilter::LoadTelemetry()
{
    if (!m_format || m_telemetry)
        return;
    auto telemetry = std::make_unique<media::TelemetryReader>();
    if (telemetry->Open(m_path))
        m_telemetry = std::move(telemetry);
}

// A recorder that loses power leaves every length in the headers at 0: the data present is then
// the truth. The recording lasts until its last picture ends. Reading the packets once also
// finds the key frames, which a file without an index does not mark for the demuxer, and
// leaves the demuxer an index to seek with instead of reading forward from the start.
MediaTime SourceFilter::LengthFromPackets()
{
    AVFormatContext *ctx = m_format.get();
    const SourcePin *video = nullptr;
    for (const auto &pin : m_pins) {
        if (!video && pin->Type() == AVMEDIA_TYPE_VIDEO)
            video = pin.get();
        // Every stream is read, so that each one's position is known again after the seek back.
        ctx->streams[pin->StreamIndex()]->discard = AVDISCARD_DEFAULT;
    }
    MediaTime end = 0;
    ffmpeg::PacketPtr packet = ffmpeg::MakePacket();
    while (video && av_read_frame(ctx, packet.get()) >= 0) {
        const int64_t stamp = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        if (packet->stream_index == video->StreamIndex() && stamp != AV_NOPTS_VALUE) {
            end = std::max(end, video->ToMediaTime(stamp) + video->FrameDuration());
            if (packet->flags & AV_PKT_FLAG_KEY)
                m_keyFrames.push_back(stamp);
        }
        av_packet_unref(packet.get());
    }
    for (const auto &pin : m_pins)
        ctx->streams[pin->StreamIndex()]->discard = AVDISCARD_ALL;
    std::sort(m_keyFrames.begin(), m_keyFrames.end());
    if (video && av_seek_frame(ctx, video->StreamIndex(), video->ToStreamTime(0), AVSEEK_FLAG_BACKWARD) < 0)
        qCWarning(lcPlayback) << "cannot return to the start of" << m_path << "after measuring it";
    return end;
}

void SourceFilter::RaiseDuration(const AVPacket *packet, const SourcePin *pin)
{
    const int64_t stamp = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
    if (pin->Type() != AVMEDIA_TYPE_VIDEO || stamp == AV_NOPTS_VALUE)
        return;
    const MediaTime end = pin->ToMediaTime(stamp) + pin->FrameDuration();
    MediaTime pictures = m_picturesEnd.load(std::memory_order_relaxed);
    while (end > pictures + kLengthTolerance
        && !m_picturesEnd.compare_exchange_weak(pictures, end, std::memory_order_relaxed)) { }
    MediaTime known = m_duration.load(std::memory_order_relaxed);
    while (end > known + kLengthTolerance
        && !m_duration.compare_exchange_weak(known, end, std::memory_order_relaxed)) { }
}

SourcePin *SourceFilter::PinForStream(int streamIndex) const
{
    for (const auto &pin : m_pins)
        if (pin->StreamIndex() == streamIndex)
            return pin.get();
    return nullptr;
}

void SourceFilter::RequestSeek(MediaTime target, int serial)
{
    // The queues move to the new epoch before the demuxer hears of the seek: otherwise it could
    // seek and queue the new position's first packets (or all of a short file) while the queues
    // still refuse them as belonging to a future epoch.
    for (auto &pin : m_pins)
        if (pin->IsConnected())
            pin->Queue().Flush(serial);
    {
        std::lock_guard lock(m_mutex);
        m_seekPending = true;
        m_seekTarget = target;
        m_seekSerial = serial;
        m_reachedEnd = false;
    }
    m_wake.notify_all();
}

void SourceFilter::Start()
{
    if (!m_format || m_thread.joinable())
        return;
    for (auto &pin : m_pins) {
        pin->Queue().SetOnSpace([this] {
            std::lock_guard lock(m_mutex);
            m_wake.notify_all();
        });
        // Streams nobody listens to are skipped inside the demuxer where it can.
        m_format->streams[pin->StreamIndex()]->discard
            = pin->IsConnected() ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
    }
    m_thread = std::thread([this] { Run(); });
}

void SourceFilter::RequestStop()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopRequested = true;
    }
    m_interrupt = true;
    for (auto &pin : m_pins)
        pin->Queue().Abort();
    m_wake.notify_all();
}

void SourceFilter::Join()
{
    if (m_thread.joinable())
        m_thread.join();
}

bool SourceFilter::ReachedEnd() const
{
    std::lock_guard lock(m_mutex);
    return m_reachedEnd;
}

bool SourceFilter::QueuesSatisfied() const
{
    int64_t bytes = 0;
    bool allEnough = true;
    bool anyConnected = false;
    for (const auto &pin : m_pins) {
        if (!pin->IsConnected())
            continue;
        anyConnected = true;
        PacketQueue &queue = pin->Queue();
        bytes += queue.Bytes();
        const int enough = pin->Type() == AVMEDIA_TYPE_VIDEO ? kEnoughVideoPackets : kEnoughAudioPackets;
        if (queue.Count() < enough)
            allEnough = false;
    }
    return !anyConnected || allEnough || bytes > kMaxQueuedBytes;
}

void SourceFilter::SeekTo(MediaTime target)
{
    // Seek on the first connected video stream so that decoding starts at its key frame; the
    // demuxer places the other streams at the same time.
    SourcePin *anchor = nullptr;
    for (const auto &pin : m_pins)
        if (pin->IsConnected() && pin->Type() == AVMEDIA_TYPE_VIDEO) {
            anchor = pin.get();
            break;
        }
    int result = -1;
    if (anchor) {
        int64_t ts = anchor->ToStreamTime(target);
        if (!m_keyFrames.empty()) {
            const auto after = std::upper_bound(m_keyFrames.begin(), m_keyFrames.end(), ts);
            ts = after == m_keyFrames.begin() ? m_keyFrames.front() : *(after - 1);
        }
        result = av_seek_frame(m_format.get(), anchor->StreamIndex(), ts, AVSEEK_FLAG_BACKWARD);
    }
    if (result < 0) {
        const int64_t ts = av_rescale(target + m_startTime, AV_TIME_BASE, kUnitsPerSecond);
        result = avformat_seek_file(m_format.get(), -1, INT64_MIN, ts, ts, 0);
    }
    if (result < 0 && avformat_seek_file(m_format.get(), -1, INT64_MIN, 0, 0, AVSEEK_FLAG_BYTE) < 0)
        qCWarning(lcPlayback) << "cannot seek in" << m_path << ": it plays on from where it was";
}

void SourceFilter::PushEndOfStream(int serial, MediaTime target)
{
    for (auto &pin : m_pins)
        if (pin->IsConnected())
            pin->Queue().Push(QueuedPacket { nullptr, serial, target });
}

void SourceFilter::Run()
{
    int serial = 0;
    MediaTime target = 0;
    bool atEnd = false;
    ffmpeg::PacketPtr packet = ffmpeg::MakePacket();

    for (;;) {
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(
                lock, [&] { return m_stopRequested || m_seekPending || (!atEnd && !QueuesSatisfied()); });
            if (m_stopRequested)
                return;
            if (m_seekPending) {
                m_seekPending = false;
                serial = m_seekSerial;
                target = m_seekTarget;
                atEnd = false;
                lock.unlock();
                SeekTo(target);
                continue;
            }
        }

        const int result = av_read_frame(m_format.get(), packet.get());
        if (result == AVERROR(EAGAIN))
            continue;
        if (result < 0) {
            // End of file, or damage the demuxer cannot read past: either way the streams end here.
            if (m_interrupt)
                return;
            if (result != AVERROR_EOF && !atEnd)
                qCWarning(lcPlayback) << "reading" << m_path << "stopped early:" << ErrorText(result);
            PushEndOfStream(serial, target);
            atEnd = true;
            std::lock_guard lock(m_mutex);
            if (!m_seekPending)
                m_reachedEnd = true;
            continue;
        }
        SourcePin *pin = PinForStream(packet->stream_index);
        if (pin && pin->IsConnected()) {
            RaiseDuration(packet.get(), pin);
            ffmpeg::PacketPtr queued = ffmpeg::MakePacket();
            av_packet_move_ref(queued.get(), packet.get());
            pin->Queue().Push(QueuedPacket { std::move(queued), serial, target });
        } else {
            av_packet_unref(packet.get());
        }
    }
}

} // namespace media
