#pragma once

#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

#include "media/playback/PlaybackTypes.h"

namespace media {

// Owning handles for the FFmpeg objects the graph keeps, so that every early return frees them.
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
    struct FormatContextDeleter {
        void operator()(AVFormatContext *c) const { avformat_close_input(&c); }
    };
    struct SwsDeleter {
        void operator()(SwsContext *c) const { sws_freeContext(c); }
    };
    struct FilterGraphDeleter {
        void operator()(AVFilterGraph *g) const { avfilter_graph_free(&g); }
    };

    using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;
    using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
    using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextDeleter>;
    using FormatContextPtr = std::unique_ptr<AVFormatContext, FormatContextDeleter>;
    using SwsPtr = std::unique_ptr<SwsContext, SwsDeleter>;
    using FilterGraphPtr = std::unique_ptr<AVFilterGraph, FilterGraphDeleter>;

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

    // Converts a time stamp in a stream's time base to 100 ns units.
    inline MediaTime ToMediaTime(int64_t ts, AVRational timeBase)
    {
        if (ts == AV_NOPTS_VALUE)
            return kNoMediaTime;
        return av_rescale_q(ts, timeBase, AVRational { 1, static_cast<int>(kUnitsPerSecond) });
    }

    inline int64_t FromMediaTime(MediaTime t, AVRational timeBase)
    {
        return av_rescale_q(t, AVRational { 1, static_cast<int>(kUnitsPerSecond) }, timeBase);
    }

} // namespace ffmpeg

} // namespace media
