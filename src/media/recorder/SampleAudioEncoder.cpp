#include "media/recorder/SampleAudioEncoder.h"

#include "media/ffmpeg/FfmpegPtr.h"

extern "C" {
#include <libavutil/channel_layout.h>
}

#include <algorithm>

namespace media::recorder {

using namespace media::ffmpeg;

bool SampleAudioEncoder::Encode(const std::vector<float> &samples, std::vector<EncodedPacket> &packets)
{
    const AVCodec *encoder = avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (!encoder) {
        m_error = QStringLiteral("this FFmpeg has no AAC encoder");
        return false;
    }
    CodecContextPtr context(avcodec_alloc_context3(encoder));
    FramePtr frame = MakeFrame();
    PacketPtr packet = MakePacket();
    if (!context || !frame || !packet) {
        m_error = QStringLiteral("out of memory");
        return false;
    }
    context->sample_fmt = AV_SAMPLE_FMT_FLTP;
    context->sample_rate = kSampleRate;
    av_channel_layout_default(&context->ch_layout, 1);
    context->bit_rate = kBitRate;
    context->time_base = AVRational { 1, kSampleRate };
    // The AAC setup goes into the AVI stream format, not into every frame.
    context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(context.get(), encoder, nullptr) < 0) {
        m_error = QStringLiteral("cannot open the AAC encoder");
        return false;
    }
    m_frameSize = context->frame_size > 0 ? context->frame_size : 1024;
    m_extraData.assign(context->extradata, context->extradata + context->extradata_size);

    const auto receive = [&]() -> bool {
        while (true) {
            const int result = avcodec_receive_packet(context.get(), packet.get());
            if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
                return true;
            if (result < 0)
                return false;
            EncodedPacket out;
            out.data.assign(packet->data, packet->data + packet->size);
            out.index = static_cast<int64_t>(packets.size());
            out.keyFrame = true;
            packets.push_back(std::move(out));
            av_packet_unref(packet.get());
        }
    };

    int64_t pts = 0;
    for (size_t start = 0; start < samples.size(); start += static_cast<size_t>(m_frameSize)) {
        const int count
            = static_cast<int>(std::min<size_t>(static_cast<size_t>(m_frameSize), samples.size() - start));
        frame->nb_samples = count;
        frame->format = AV_SAMPLE_FMT_FLTP;
        frame->sample_rate = kSampleRate;
        av_channel_layout_default(&frame->ch_layout, 1);
        if (av_frame_get_buffer(frame.get(), 0) < 0) {
            m_error = QStringLiteral("out of memory");
            return false;
        }
        std::copy_n(samples.data() + start, count, reinterpret_cast<float *>(frame->data[0]));
        frame->pts = pts;
        pts += count;
        if (avcodec_send_frame(context.get(), frame.get()) < 0 || !receive()) {
            m_error = QStringLiteral("audio encoding failed");
            return false;
        }
        av_frame_unref(frame.get());
    }
    if (avcodec_send_frame(context.get(), nullptr) < 0 || !receive()) {
        m_error = QStringLiteral("audio encoding failed");
        return false;
    }
    return true;
}

} // namespace media::recorder
