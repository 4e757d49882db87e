#pragma once

#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/frame.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace media {

// Owning handles for FFmpeg's objects, so that every early return frees them.
namespace ffmpeg {

    struct PacketDeleter {
        void operator()(AVPacket *p) const { av_packet_free(&p); }
    };
    struct FrameDeleter {
        void operator()(AVFrame *f) const { av_frame_free(&f); }
    };
    struct CodecContextDeleter {
        void operator()(AVCodecContext *c) const { avcodec_free_context(&c); }
    };
    // A demuxer's context, from avformat_open_input.
    struct FormatContextDeleter {
        void operator()(AVFormatContext *c) const { avformat_close_input(&c); }
    };
    // A muxer's context, from avformat_alloc_output_context2: closes the file it writes, if open.
    struct OutputContextDeleter {
        void operator()(AVFormatContext *c) const
        {
            if (c->pb && !(c->oformat->flags & AVFMT_NOFILE))
                avio_closep(&c->pb);
            avformat_free_context(c);
        }
    };
    struct SwsDeleter {
        void operator()(SwsContext *c) const { sws_freeContext(c); }
    };
    struct SwrDeleter {
        void operator()(SwrContext *c) const { swr_free(&c); }
    };
    struct AudioFifoDeleter {
        void operator()(AVAudioFifo *f) const { av_audio_fifo_free(f); }
    };
    struct FilterGraphDeleter {
        void operator()(AVFilterGraph *g) const { avfilter_graph_free(&g); }
    };
    struct FilterInOutDeleter {
        void operator()(AVFilterInOut *io) const { avfilter_inout_free(&io); }
    };

    using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;
    using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
    using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextDeleter>;
    using FormatContextPtr = std::unique_ptr<AVFormatContext, FormatContextDeleter>;
    using OutputContextPtr = std::unique_ptr<AVFormatContext, OutputContextDeleter>;
    using SwsPtr = std::unique_ptr<SwsContext, SwsDeleter>;
    using SwrPtr = std::unique_ptr<SwrContext, SwrDeleter>;
    using AudioFifoPtr = std::unique_ptr<AVAudioFifo, AudioFifoDeleter>;
    using FilterGraphPtr = std::unique_ptr<AVFilterGraph, FilterGraphDeleter>;
    using FilterInOutPtr = std::unique_ptr<AVFilterInOut, FilterInOutDeleter>;

    inline PacketPtr MakePacket()
    {
        return PacketPtr(av_packet_alloc());
    }
    inline FramePtr MakeFrame()
    {
        return FramePtr(av_frame_alloc());
    }

    // A new reference to the same picture or samples (no copy of the data).
    inline FramePtr RefFrame(const AVFrame *src)
    {
        FramePtr f = MakeFrame();
        if (f && av_frame_ref(f.get(), src) < 0)
            f.reset();
        return f;
    }

    // Makes dst refer to the same picture as src, reusing dst's frame when it has one (no
    // allocation for a holder that is given a new picture many times a second).
    inline void Rereference(FramePtr &dst, const AVFrame *src)
    {
        if (!dst) {
            dst = RefFrame(src);
            return;
        }
        av_frame_unref(dst.get());
        if (av_frame_ref(dst.get(), src) < 0)
            dst.reset();
    }

} // namespace ffmpeg

} // namespace media
