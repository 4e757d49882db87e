#include "media/export/StreamCopyWriter.h"

#include "media/export/ClipCaption.h"
#include "media/export/ExportLog.h"
#include "media/export/Mp4Writer.h"
#include "media/ffmpeg/FfmpegError.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdlib>

namespace media {

using namespace media::ffmpeg;

namespace {

    constexpr AVRational kUs = InputRecording::kTimeBase;
    constexpr int64_t kSecondUs = 1000000;

    QString NameOf(const QString &path)
    {
        return QFileInfo(path).fileName();
    }

    QString Seconds(int64_t us)
    {
        return QString::number(double(us) / kSecondUs, 'f', 3);
    }

    QString CodecName(const AVCodecParameters *par)
    {
        return QString::fromLatin1(avcodec_get_name(par->codec_id));
    }

    QString PictureText(const AVCodecParameters *par)
    {
        return QStringLiteral("%1 %2x%3").arg(CodecName(par)).arg(par->width).arg(par->height);
    }

    // What an MP4 file carries as it is.
    bool Mp4Holds(AVCodecID codec)
    {
        return avformat_query_codec(av_guess_format("mp4", nullptr, nullptr), codec, FF_COMPLIANCE_NORMAL)
            == 1;
    }

    // Sound copied as recorded: AAC that carries its setup apart from its packets, or MP3.
    bool CopiesSound(const AVCodecParameters *par)
    {
        return (par->codec_id == AV_CODEC_ID_AAC && par->extradata_size > 0)
            || par->codec_id == AV_CODEC_ID_MP3;
    }

    bool SameSound(const AVCodecParameters *a, const AVCodecParameters *b)
    {
        return a->codec_id == b->codec_id && a->sample_rate == b->sample_rate
            && a->ch_layout.nb_channels == b->ch_layout.nb_channels && a->extradata_size == b->extradata_size
            && std::equal(a->extradata, a->extradata + a->extradata_size, b->extradata);
    }

    QString CannotHold(const QString &path, const AVCodecParameters *par)
    {
        return QStringLiteral("the pictures of %1 are %2, which an MP4 file cannot hold as recorded; "
                              "make the clip with the re-encoding export instead")
            .arg(NameOf(path), CodecName(par));
    }

    // A later piece's camera must go on in the track the first one set.
    bool SamePictures(const AVCodecParameters *a, const AVCodecParameters *b)
    {
        return a->codec_id == b->codec_id && a->width == b->width && a->height == b->height;
    }

    QString NotSamePictures(const QString &path, const AVCodecParameters *par, const AVCodecParameters *clip)
    {
        return QStringLiteral("%1 holds %2 pictures, the clip's first recording %3: one track cannot copy "
                              "both; export them apart, or make the clip with the re-encoding export")
            .arg(NameOf(path), PictureText(par), PictureText(clip));
    }

    // The time of the picture key frame at or before atUs, read from a second opening of the file
    // so that the one copied from stays where it is; the first key frame when none is that early, -1
    // when there is none. The seek is tried first; a file whose index misleads it is read from the
    // start.
    int64_t KeyFrameAtOrBefore(const QString &path, int64_t atUs)
    {
        PacketPtr packet = MakePacket();
        for (const bool fromStart : { false, true }) {
            InputRecording probe;
            QString error;
            if (!probe.Open(path, false, &error))
                return -1;
            if (!fromStart)
                probe.Seek(atUs);
            int64_t atOrBefore = -1;
            int64_t after = -1;
            while (av_read_frame(probe.Format(), packet.get()) >= 0) {
                const bool picture = packet->stream_index == probe.PictureIndex();
                const bool key = packet->flags & AV_PKT_FLAG_KEY;
                const int64_t timeUs = probe.PacketTimeUs(packet.get());
                av_packet_unref(packet.get());
                if (!picture || timeUs < 0)
                    continue;
                if (timeUs <= atUs) {
                    if (key)
                        atOrBefore = timeUs;
                    continue;
                }
                if (key && after < 0)
                    after = timeUs;
                if (atOrBefore >= 0 || after >= 0)
                    break;
            }
            if (atOrBefore >= 0 || fromStart || atUs <= 0)
                return atOrBefore >= 0 ? atOrBefore : after;
        }
        return -1;
    }

    // A camera's pictures of one piece: copied from its key frame on, each picture whose time lies
    // before the end.
    struct PictureFeed {
        InputRecording *input = nullptr;
        int64_t keyUs = 0;
        bool started = false;
        bool done = false;
        int64_t endUs = -1; // the end of the last picture copied, in the recording's time
        int copied = 0;
        // Pictures past the end that come before ones inside it in decoding order (a stream with
        // reordered pictures needs them to decode the earlier ones).
        std::vector<PacketPtr> held;
    };

} // namespace

StreamCopyWriter::Outcome StreamCopyWriter::Write(const ClipExportOptions &options, const QString &path,
    const std::atomic_bool *cancel, const ClipExporter::Progress &progress)
{
    *this = StreamCopyWriter();
    const std::vector<ClipPiece> pieces = options.Pieces();
    if (!ChooseTracks(options) || !OpenOutput(path, options))
        return Outcome::Failed;
    for (const ClipPiece &piece : pieces) {
        const Outcome outcome = CopyPiece(piece, options, pieces.size() > 1, cancel, progress);
        if (outcome != Outcome::Done)
            return outcome;
    }
    if (m_written.empty()) {
        m_error = QStringLiteral("the span holds no picture");
        return Outcome::Failed;
    }
    if (m_converted && (!TakeSound(true) || !EncodeSound(nullptr)))
        return Outcome::Failed;
    if (cancel && cancel->load())
        return Outcome::Cancelled;
    if (const int rc = av_write_trailer(m_output.get()); rc < 0) {
        m_error = QStringLiteral("cannot finish the clip: %1").arg(ErrorText(rc));
        return Outcome::Failed;
    }
    m_output.reset();
    m_writtenMs = m_offsetUs / 1000;
    return Outcome::Done;
}

bool StreamCopyWriter::ChooseTracks(const ClipExportOptions &options)
{
    const std::vector<ClipPiece> pieces = options.Pieces();
    m_soundMode = options.audio ? Sound::Copy : Sound::None;
    m_rearTrack = true;
    bool anyRear = false;
    QStringList withoutRear;
    for (size_t index = 0; index < pieces.size(); ++index) {
        const ClipPiece &piece = pieces[index];
        InputRecording front;
        QString error;
        if (!front.Open(piece.frontPath, options.audio, &error))
            return Fail(error);
        const AVCodecParameters *picture = front.PictureStream()->codecpar;
        if (!Mp4Holds(picture->codec_id))
            return Fail(CannotHold(piece.frontPath, picture));
        if (m_first && !SamePictures(picture, m_first->PictureStream()->codecpar))
            return Fail(NotSamePictures(piece.frontPath, picture, m_first->PictureStream()->codecpar));
        const AVStream *sound = front.SoundStream();
        if (m_soundMode != Sound::None) {
            if (index == 0 && !sound) {
                m_soundMode = Sound::None;
                if (pieces.size() > 1)
                    m_notes << QStringLiteral(
                        "%1, the clip's first recording, has no sound: the clip is silent")
                                   .arg(NameOf(piece.frontPath));
            } else if (!sound || !CopiesSound(sound->codecpar)
                || (m_first && !SameSound(m_first->SoundStream()->codecpar, sound->codecpar))) {
                // Sound that cannot go on as it is (another format, or none in a later piece) is
                // made AAC throughout, so that the track stays one.
                m_soundMode = Sound::Convert;
            }
        }
        const int64_t lengthUs = front.LengthUs();
        int64_t toUs = piece.toMs < 0 ? lengthUs : piece.toMs * 1000;
        if (lengthUs > 0)
            toUs = std::min(toUs, lengthUs);
        m_totalUs += std::max<int64_t>(0, toUs - std::max<int64_t>(0, piece.fromMs) * 1000);

        const bool hasRear = !piece.rearPath.isEmpty() && QFileInfo::exists(piece.rearPath);
        anyRear = anyRear || hasRear;
        m_rearTrack = m_rearTrack && hasRear;
        if (!hasRear)
            withoutRear << NameOf(piece.frontPath);
        if (hasRear) {
            InputRecording rear;
            if (!rear.Open(piece.rearPath, false, &error))
                return Fail(error);
            const AVCodecParameters *rearPicture = rear.PictureStream()->codecpar;
            if (!Mp4Holds(rearPicture->codec_id))
                return Fail(CannotHold(piece.rearPath, rearPicture));
            if (!m_firstRear)
                m_firstRear.emplace(std::move(rear));
            else if (!SamePictures(rearPicture, m_firstRear->PictureStream()->codecpar))
                return Fail(
                    NotSamePictures(piece.rearPath, rearPicture, m_firstRear->PictureStream()->codecpar));
        }
        if (!m_first)
            m_first.emplace(std::move(front));
    }
    if (!m_rearTrack && anyRear)
        m_notes << QStringLiteral("no rear recording goes with %1: the clip holds the front camera alone")
                       .arg(withoutRear.join(QStringLiteral(", ")));
    if (m_soundMode != Sound::None)
        m_soundName = CodecName(m_first->SoundStream()->codecpar);
    return true;
}

bool StreamCopyWriter::OpenOutput(const QString &path, const ClipExportOptions &options)
{
    AVFormatContext *raw = nullptr;
    const QByteArray fileName = QFile::encodeName(path);
    int rc = avformat_alloc_output_context2(&raw, nullptr, "mp4", fileName.constData());
    if (rc < 0 || !raw)
        return Fail(QStringLiteral("cannot make an MP4: %1").arg(ErrorText(rc)));
    m_output.reset(raw);
    const auto addCopy = [&](const AVStream *source, const char *name, Track &track) {
        track.stream = avformat_new_stream(raw, nullptr);
        if (!track.stream || avcodec_parameters_copy(track.stream->codecpar, source->codecpar) < 0)
            return Fail(QStringLiteral("cannot add a track to the clip"));
        // The container's own tag for the codec, not the recording's.
        track.stream->codecpar->codec_tag = 0;
        track.stream->time_base = source->time_base;
        track.stream->avg_frame_rate = source->avg_frame_rate;
        av_dict_set(&track.stream->metadata, "handler_name", name, 0);
        return true;
    };
    if (!addCopy(m_first->PictureStream(), "Front camera", m_front))
        return false;
    m_front.stream->disposition = AV_DISPOSITION_DEFAULT;
    if (m_rearTrack && !addCopy(m_firstRear->PictureStream(), "Rear camera", m_rear))
        return false;
    if (m_soundMode == Sound::Copy && !addCopy(m_first->SoundStream(), "Sound", m_soundTrack))
        return false;
    if (m_soundMode == Sound::Convert) {
        QString error;
        m_soundEncoder = Mp4Writer::OpenSoundEncoder(m_first->SoundDecoder(), true, &error);
        if (!m_soundEncoder)
            return Fail(error);
        m_soundTrack.stream = avformat_new_stream(raw, nullptr);
        if (!m_soundTrack.stream
            || avcodec_parameters_from_context(m_soundTrack.stream->codecpar, m_soundEncoder.get()) < 0)
            return Fail(QStringLiteral("cannot add a track to the clip"));
        m_soundTrack.stream->time_base = m_soundEncoder->time_base;
        av_dict_set(&m_soundTrack.stream->metadata, "handler_name", "Sound", 0);
        m_converted.emplace();
    }
    if (m_soundTrack.stream)
        m_soundTrack.stream->disposition = AV_DISPOSITION_DEFAULT;
    if (options.caption) {
        QString error;
        if (!m_caption.emplace().Open(raw, &error))
            return Fail(error);
        m_captionTrack.stream = m_caption->Stream();
    }

    m_tracksText = QStringLiteral("front %1").arg(PictureText(m_first->PictureStream()->codecpar));
    if (m_rearTrack)
        m_tracksText
            += QStringLiteral(" and rear %1").arg(PictureText(m_firstRear->PictureStream()->codecpar));
    m_tracksText += QStringLiteral(" as recorded, sound ");
    if (m_soundMode == Sound::None)
        m_tracksText += QStringLiteral("none");
    else if (m_soundMode == Sound::Copy)
        m_tracksText += m_soundName + QStringLiteral(" as recorded");
    else
        m_tracksText += QStringLiteral("converted from %1 to AAC, 64 kb/s per channel").arg(m_soundName);

    if ((rc = Mp4Writer::BeginFile(raw, fileName)) < 0)
        return Fail(QStringLiteral("cannot write %1: %2").arg(path, ErrorText(rc)));
    // Each piece opens its own recordings.
    m_first.reset();
    m_firstRear.reset();
    return true;
}

bool StreamCopyWriter::Put(AVPacket *packet, Track &track)
{
    packet->stream_index = track.stream->index;
    packet->pos = -1;
    track.lastDts = packet->dts;
    track.endTs = packet->dts + packet->duration;
    const int rc = av_interleaved_write_frame(m_output.get(), packet);
    return rc >= 0 || Fail(QStringLiteral("cannot write the clip: %1").arg(ErrorText(rc)));
}

bool StreamCopyWriter::Copy(AVPacket *packet, AVRational timeBase, int64_t shiftUs, Track &track)
{
    if (packet->pts == AV_NOPTS_VALUE)
        packet->pts = packet->dts;
    if (packet->dts == AV_NOPTS_VALUE)
        packet->dts = packet->pts;
    if (packet->dts == AV_NOPTS_VALUE)
        return true; // a packet without a time has no place on the clip
    av_packet_rescale_ts(packet, timeBase, track.stream->time_base);
    const int64_t shift = av_rescale_q(shiftUs, kUs, track.stream->time_base);
    packet->pts += shift;
    packet->dts += shift;
    int64_t move = 0;
    const bool started = track.endTs != std::numeric_limits<int64_t>::min();
    if (track.stream->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) {
        // At a joint the next recording's sound closes up to the end of the last one's, from a
        // packet's length either side; what overlaps by more is passed over.
        const int64_t gap = started ? packet->dts - track.endTs : 0;
        if (std::abs(gap) <= std::max<int64_t>(packet->duration, 1))
            move = -gap;
        else if (gap < 0)
            return true;
    } else if (started && packet->dts <= track.lastDts) {
        move = track.lastDts + 1 - packet->dts;
    }
    packet->pts += move;
    packet->dts += move;
    return Put(packet, track);
}

bool StreamCopyWriter::EncodeSound(const AVFrame *frame)
{
    int rc = avcodec_send_frame(m_soundEncoder.get(), frame);
    if (rc < 0 && !(frame == nullptr && rc == AVERROR_EOF))
        return Fail(QStringLiteral("the AAC encoder failed: %1").arg(ErrorText(rc)));
    while ((rc = avcodec_receive_packet(m_soundEncoder.get(), m_encoded.get())) == 0) {
        av_packet_rescale_ts(m_encoded.get(), m_soundEncoder->time_base, m_soundTrack.stream->time_base);
        if (!Put(m_encoded.get(), m_soundTrack))
            return false;
    }
    return rc == AVERROR(EAGAIN) || rc == AVERROR_EOF
        || Fail(QStringLiteral("the AAC encoder failed: %1").arg(ErrorText(rc)));
}

bool StreamCopyWriter::TakeSound(bool draining)
{
    FramePtr frame;
    while (true) {
        if (!m_converted->Take(&frame, draining))
            return Fail(m_converted->ErrorString());
        if (!frame)
            return true;
        if (!EncodeSound(frame.get()))
            return false;
    }
}

StreamCopyWriter::Outcome StreamCopyWriter::CopyPiece(const ClipPiece &piece,
    const ClipExportOptions &options, bool several, const std::atomic_bool *cancel,
    const ClipExporter::Progress &progress)
{
    const QString name = NameOf(piece.frontPath);
    const auto failed = [this](const QString &error) {
        m_error = error;
        return Outcome::Failed;
    };
    const auto skipped = [&](const QString &note) {
        if (!several)
            return failed(note);
        m_notes << note;
        return Outcome::Done;
    };
    InputRecording front;
    QString error;
    if (!front.Open(piece.frontPath, m_soundMode != Sound::None, &error))
        return failed(error);
    std::optional<InputRecording> rear;
    if (m_rearTrack && !rear.emplace().Open(piece.rearPath, false, &error))
        return failed(error);

    const int64_t fromUs = std::max<int64_t>(0, piece.fromMs) * 1000;
    const int64_t lengthUs = front.LengthUs();
    int64_t toUs = piece.toMs < 0 ? lengthUs : piece.toMs * 1000;
    if (lengthUs > 0)
        toUs = std::min(toUs, lengthUs);
    if (toUs <= fromUs)
        return skipped(QStringLiteral("%1 holds nothing of the span from %2 s to %3 s of it")
                           .arg(name, Seconds(fromUs), Seconds(toUs)));
    PictureFeed frontFeed;
    frontFeed.input = &front;
    frontFeed.keyUs = KeyFrameAtOrBefore(piece.frontPath, fromUs);
    if (frontFeed.keyUs < 0 || frontFeed.keyUs >= toUs)
        return skipped(QStringLiteral("%1 holds no key frame to start the span from %2 s at")
                           .arg(name, Seconds(fromUs)));
    PictureFeed rearFeed;
    if (rear) {
        rearFeed.input = &*rear;
        rearFeed.keyUs = KeyFrameAtOrBefore(piece.rearPath, frontFeed.keyUs);
        if (rearFeed.keyUs < 0 || rearFeed.keyUs >= toUs) {
            m_notes << QStringLiteral("the rear recording %1 gives no picture for its part")
                           .arg(NameOf(piece.rearPath));
            rear.reset();
        }
    }
    // The piece's time 0 on the clip: both cameras keep their recorded timing.
    const int64_t startUs = rear ? std::min(frontFeed.keyUs, rearFeed.keyUs) : frontFeed.keyUs;
    if (startUs < fromUs)
        m_widened << QStringLiteral("%1 from %2 s, the key frame at or before the asked %3 s")
                         .arg(name, Seconds(startUs), Seconds(fromUs));
    front.Seek(startUs);
    if (rear)
        rear->Seek(rearFeed.keyUs);
    const auto shiftOf = [&](const InputRecording &input) { return m_offsetUs - startUs - input.StartUs(); };

    // Sound: the front recording's, from the piece's start to its asked end.
    const AVStream *soundStream = front.SoundStream();
    bool soundDone = m_soundMode == Sound::None || (m_soundMode == Sound::Copy && !soundStream);
    if (m_converted) {
        const bool ok = m_written.empty()
            ? m_converted->Open(front.SoundDecoder(), m_soundEncoder.get(), startUs, toUs)
            : m_converted->Continue(front.SoundDecoder(), m_offsetUs, startUs, toUs);
        if (!ok)
            return failed(m_converted->ErrorString());
        soundDone = m_converted->IsComplete();
    }
    const InputRecording::FrameSink addSound = [&](AVFrame *frame, InputRecording::Kind) {
        if (!m_converted->Add(frame, front.FrameTimeUs(frame, InputRecording::Kind::Sound)))
            return Fail(m_converted->ErrorString());
        return TakeSound(false);
    };

    // Caption: a cue per second of the recording, which is a second of the recorder's clock. Each
    // goes in before any packet later than its start, or the muxer would end the cue before with an
    // empty one.
    std::optional<ClipCaption> caption;
    if (m_caption)
        caption.emplace(piece.frontPath, ClipExporter::ReadFixes(piece.frontPath), options.speedUnit);
    int64_t cueUs = startUs;
    PacketPtr cue = MakePacket();
    const auto cuesUpTo = [&](int64_t timeUs) {
        for (; caption && cueUs <= timeUs && cueUs < toUs; cueUs = (cueUs / kSecondUs + 1) * kSecondUs) {
            const int64_t untilUs = std::min(toUs, (cueUs / kSecondUs + 1) * kSecondUs);
            if (!m_caption->MakeCue(caption->At(cueUs / 1000), cueUs - startUs + m_offsetUs,
                    untilUs - startUs + m_offsetUs, cue.get(), &m_error)
                || !Put(cue.get(), m_captionTrack))
                return false;
            av_packet_unref(cue.get());
        }
        return true;
    };

    // Pictures: from the key frame on, up to the last one before the end in decoding order.
    const auto addPicture = [&](PictureFeed &feed, PacketPtr packet, Track &track) {
        const int64_t timeUs = feed.input->PacketTimeUs(packet.get());
        const AVStream *stream = feed.input->PictureStream();
        if (feed.done || timeUs < 0)
            return true;
        if (!feed.started) {
            if (!(packet->flags & AV_PKT_FLAG_KEY) || timeUs < feed.keyUs)
                return true;
            feed.started = true;
        }
        const int64_t decodeUs = packet->dts == AV_NOPTS_VALUE
            ? timeUs
            : av_rescale_q(packet->dts, stream->time_base, kUs) - feed.input->StartUs();
        if (decodeUs >= toUs) {
            feed.done = true;
            return true;
        }
        if (timeUs >= toUs) {
            feed.held.push_back(std::move(packet));
            return true;
        }
        feed.held.push_back(std::move(packet));
        for (PacketPtr &held : feed.held) {
            // A picture without a length lasts a frame of the stream's rate.
            const AVRational rate
                = stream->avg_frame_rate.num > 0 ? stream->avg_frame_rate : AVRational { 30, 1 };
            const int64_t durationUs = held->duration > 0
                ? av_rescale_q(held->duration, stream->time_base, kUs)
                : av_rescale_q(1, av_inv_q(rate), kUs);
            feed.endUs = std::max(feed.endUs, feed.input->PacketTimeUs(held.get()) + durationUs);
            if (!Copy(held.get(), stream->time_base, shiftOf(*feed.input), track))
                return false;
            ++feed.copied;
        }
        feed.held.clear();
        return true;
    };

    // The front's and the rear's packets in time order, so that the muxer holds little.
    PacketPtr frontNext;
    PacketPtr rearNext;
    bool frontEnd = false;
    bool rearEnd = !rear;
    const auto read = [](InputRecording &input, PacketPtr &next, bool &end) {
        if (next || end)
            return;
        next = MakePacket();
        if (av_read_frame(input.Format(), next.get()) < 0) {
            next.reset();
            end = true;
        }
    };
    while (true) {
        if (cancel && cancel->load())
            return Outcome::Cancelled;
        if (frontFeed.done && soundDone)
            frontEnd = true;
        if (rearFeed.done)
            rearEnd = true;
        read(front, frontNext, frontEnd);
        if (rear)
            read(*rear, rearNext, rearEnd);
        if (!frontNext && !rearNext)
            break;
        const int64_t frontUs = frontNext ? front.PacketTimeUs(frontNext.get()) : -1;
        const int64_t rearUs = rearNext ? rear->PacketTimeUs(rearNext.get()) : -1;
        const bool fromRear = rearNext && (!frontNext || rearUs < frontUs);
        if (!cuesUpTo(fromRear ? rearUs : frontUs))
            return Outcome::Failed;
        if (fromRear) {
            if (rearNext->stream_index == rear->PictureIndex()
                && !addPicture(rearFeed, std::move(rearNext), m_rear))
                return Outcome::Failed;
            rearNext.reset();
            continue;
        }
        PacketPtr packet = std::move(frontNext);
        const int64_t timeUs = frontUs;
        if (packet->stream_index == front.PictureIndex()) {
            if (!addPicture(frontFeed, std::move(packet), m_front))
                return Outcome::Failed;
            if (progress && frontFeed.endUs > startUs)
                progress(
                    std::min(m_totalUs, m_offsetUs + frontFeed.endUs - startUs) / 1000, m_totalUs / 1000);
        } else if (packet->stream_index == front.SoundIndex() && !soundDone && timeUs >= 0) {
            if (timeUs >= toUs) {
                soundDone = true;
            } else if (m_converted) {
                if (!front.DecodeSound(packet.get(), addSound))
                    return Outcome::Failed;
                soundDone = m_converted->IsComplete();
            } else {
                const AVStream *stream = front.SoundStream();
                // Nothing before the piece's start: the clip's time starts at 0.
                if (timeUs >= startUs && !Copy(packet.get(), stream->time_base, shiftOf(front), m_soundTrack))
                    return Outcome::Failed;
            }
        }
    }
    if (m_converted && !soundDone && !front.DecodeSound(nullptr, addSound))
        return Outcome::Failed;
    // Its key frame was found, so a piece without pictures is a damaged file; its cues are written.
    if (frontFeed.copied == 0)
        return failed(QStringLiteral("%1 gave no picture for its part").arg(name));
    const int64_t endUs = std::max(frontFeed.endUs, rearFeed.endUs);
    // A recording whose pictures end before its header says gets the rest of its cues.
    if (!cuesUpTo(endUs - 1))
        return Outcome::Failed;

    ClipPiece written = piece;
    written.fromMs = startUs / 1000;
    written.toMs = std::min(frontFeed.endUs, toUs) / 1000;
    if (!rear)
        written.rearPath.clear();
    m_written.push_back(written);
    m_frames += frontFeed.copied;
    m_offsetUs += endUs - startUs;
    return Outcome::Done;
}

} // namespace media
