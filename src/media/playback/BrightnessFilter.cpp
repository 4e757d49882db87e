#include "media/playback/BrightnessFilter.h"

#include <algorithm>

extern "C" {
#include <libavutil/pixdesc.h>
}

namespace media {

int BrightnessFilter::LumaOffset(int brightness)
{
    return std::clamp(brightness, -127, 127) * 2;
}

bool BrightnessFilter::Supports(AVPixelFormat format)
{
    const AVPixFmtDescriptor *desc = av_pix_fmt_desc_get(format);
    if (!desc
        || (desc->flags
            & (AV_PIX_FMT_FLAG_RGB | AV_PIX_FMT_FLAG_PAL | AV_PIX_FMT_FLAG_HWACCEL
                | AV_PIX_FMT_FLAG_BITSTREAM)))
        return false;
    const AVComponentDescriptor &luma = desc->comp[0];
    return luma.plane == 0 && luma.depth == 8 && luma.step == 1 && luma.shift == 0 && luma.offset == 0;
}

bool BrightnessFilter::Adjusts(const AVFrame *picture) const
{
    return picture && LumaOffset(Brightness()) != 0 && Supports(static_cast<AVPixelFormat>(picture->format));
}

ffmpeg::FramePtr BrightnessFilter::Apply(const AVFrame *picture) const
{
    ffmpeg::FramePtr out = ffmpeg::RefFrame(picture);
    const int offset = LumaOffset(Brightness());
    if (!out || offset == 0 || !Supports(static_cast<AVPixelFormat>(picture->format)))
        return out;

    const bool fullRange = picture->color_range == AVCOL_RANGE_JPEG || picture->format == AV_PIX_FMT_YUVJ420P
        || picture->format == AV_PIX_FMT_YUVJ422P || picture->format == AV_PIX_FMT_YUVJ444P;
    const int low = fullRange ? 0 : 16;
    const int high = fullRange ? 255 : 235;
    std::array<uint8_t, 256> table {};
    for (int v = 0; v < 256; ++v)
        table[static_cast<size_t>(v)] = static_cast<uint8_t>(std::clamp(v + offset, low, high));

    const int width = picture->width;
    const int height = picture->height;
    const int stride = FFALIGN(width, 64);
    AVBufferRef *luma = av_buffer_alloc(static_cast<size_t>(stride) * static_cast<size_t>(height));
    if (!luma)
        return out;
    for (int y = 0; y < height; ++y) {
        const uint8_t *src = picture->data[0] + static_cast<ptrdiff_t>(y) * picture->linesize[0];
        uint8_t *dst = luma->data + static_cast<ptrdiff_t>(y) * stride;
        for (int x = 0; x < width; ++x)
            dst[x] = table[src[x]];
    }

    // The new plane must be owned by the frame: put it in a free buffer slot (the old slots
    // stay, keeping the shared chroma planes alive).
    int slot = 0;
    while (slot < AV_NUM_DATA_POINTERS && out->buf[slot])
        ++slot;
    if (slot == AV_NUM_DATA_POINTERS) {
        av_buffer_unref(&luma);
        return out;
    }
    out->buf[slot] = luma;
    out->data[0] = luma->data;
    out->linesize[0] = stride;
    return out;
}

} // namespace media
