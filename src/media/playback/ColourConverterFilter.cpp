#include "media/playback/ColourConverterFilter.h"

#include <algorithm>
#include <atomic>

#include "media/playback/PlaybackLog.h"

namespace media {

namespace {

    // Formats that only say "full range" through their name; swscale wants the plain format with
    // the range set explicitly (and warns on every picture otherwise).
    AVPixelFormat WithoutFullRangeAlias(AVPixelFormat format, bool *fullRange)
    {
        switch (format) {
        case AV_PIX_FMT_YUVJ420P:
            *fullRange = true;
            return AV_PIX_FMT_YUV420P;
        case AV_PIX_FMT_YUVJ422P:
            *fullRange = true;
            return AV_PIX_FMT_YUV422P;
        case AV_PIX_FMT_YUVJ444P:
            *fullRange = true;
            return AV_PIX_FMT_YUV444P;
        case AV_PIX_FMT_YUVJ440P:
            *fullRange = true;
            return AV_PIX_FMT_YUV440P;
        default:
            return format;
        }
    }

    // Planar formats whose planes all hold whole rows of their own, so that taking every n-th
    // row of each plane gives a smaller picture of the same format.
    bool IsPlanarYuv(AVPixelFormat format)
    {
        switch (format) {
        case AV_PIX_FMT_YUV420P:
        case AV_PIX_FMT_YUV422P:
        case AV_PIX_FMT_YUV444P:
            return true;
        default:
            return false;
        }
    }

} // namespace

QImage &ColourConverterFilter::Scaler::FreeImage(QSize size)
{
    for (QImage &image : images)
        if (image.size() == size && image.isDetached()) {
            // The last other holder let go with an ordered decrement; this pairs with it so
            // its reads of the pixels happen before they are written again.
            std::atomic_thread_fence(std::memory_order_acquire);
            return image;
        }
    QImage &slot = images[next];
    next = (next + 1) % images.size();
    slot = QImage(size, QImage::Format_RGB32);
    return slot;
}

ColourConverterFilter::~ColourConverterFilter()
{
    sws_freeContext(m_display.context);
    sws_freeContext(m_still.context);
}

QImage ColourConverterFilter::ConvertForDisplay(const AVFrame *picture, QSize size)
{
    // Every shown picture passes here: the fast filter keeps playback cheap, and a moving
    // picture shows no difference.
    return Convert(m_display, picture, size, SWS_FAST_BILINEAR, true);
}

QImage ColourConverterFilter::ConvertStill(const AVFrame *picture, QSize size)
{
    std::lock_guard lock(m_stillMutex);
    return Convert(m_still, picture, size, SWS_BICUBIC, false);
}

QImage ColourConverterFilter::Convert(
    Scaler &scaler, const AVFrame *picture, QSize size, int flags, bool skipRows)
{
    if (!picture || picture->width <= 0 || picture->height <= 0)
        return {};
    if (size.width() <= 0 || size.height() <= 0)
        size = QSize(picture->width, picture->height);

    bool fullRange = picture->color_range == AVCOL_RANGE_JPEG;
    const AVPixelFormat source
        = WithoutFullRangeAlias(static_cast<AVPixelFormat>(picture->format), &fullRange);

    // A picture shown at half its height or less: the fast filter reads only two rows per row
    // it writes anyway, so it is given every second (third, ...) row to begin with and scales
    // half (a third, ...) as many. Every plane skips alike, so the colour rows stay with their
    // brightness rows.
    int rowStep = 1;
    if (skipRows && IsPlanarYuv(source))
        rowStep = std::max(1, (picture->height + size.height() / 2) / size.height());
    const int rows = (picture->height + rowStep - 1) / rowStep;
    int linesize[AV_NUM_DATA_POINTERS] = {};
    for (int plane = 0; plane < AV_NUM_DATA_POINTERS; ++plane)
        linesize[plane] = picture->linesize[plane] * rowStep;
    // QImage::Format_RGB32 is 0xffRRGGBB in native order, which is BGRA bytes on little-endian.
    const AVPixelFormat target = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? AV_PIX_FMT_BGRA : AV_PIX_FMT_ARGB;
    scaler.context = sws_getCachedContext(scaler.context, picture->width, rows, source, size.width(),
        size.height(), target, flags, nullptr, nullptr, nullptr);
    if (!scaler.context) {
        // Every picture would fail the same way: said once.
        if (!std::exchange(scaler.failureLogged, true))
            qCWarning(lcPlayback) << "no conversion for pictures of format" << picture->format << "to" << size
                                  << ": the window stays black";
        return {};
    }

    // High-definition pictures are BT.709 unless they say otherwise; smaller ones BT.601.
    int space = picture->colorspace;
    if (space == AVCOL_SPC_UNSPECIFIED || space == AVCOL_SPC_RGB || space >= AVCOL_SPC_NB)
        space = picture->height >= 720 ? SWS_CS_ITU709 : SWS_CS_ITU601;
    const QSize from(picture->width, rows);
    if (scaler.from != from || scaler.to != size || scaler.format != source || scaler.space != space
        || scaler.fullRange != fullRange) {
        sws_setColorspaceDetails(scaler.context, sws_getCoefficients(space), fullRange ? 1 : 0,
            sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16);
        scaler.from = from;
        scaler.to = size;
        scaler.format = source;
        scaler.space = space;
        scaler.fullRange = fullRange;
    }

    QImage &image = scaler.FreeImage(size);
    if (image.isNull())
        return {};
    uint8_t *dst[4] = { image.bits(), nullptr, nullptr, nullptr };
    int dstStride[4] = { static_cast<int>(image.bytesPerLine()), 0, 0, 0 };
    if (sws_scale(scaler.context, picture->data, linesize, 0, rows, dst, dstStride) <= 0)
        return {};
    return image;
}

} // namespace media
