#pragma once

#include <QImage>
#include <QSize>

#include <array>
#include <mutex>

#include "media/playback/FfmpegPtr.h"
#include "media/playback/PlaybackFilter.h"

namespace media {

// Converts decoded pictures to 32-bit RGB images with libswscale, scaling them on the way. The
// renderer's thread converts every picture it shows to the window's size; the UI thread converts
// the picture on screen again for repaints and captures. Each side has its own scaler so neither
// waits for the other.
class ColourConverterFilter final : public PlaybackFilter
{
public:
    using PlaybackFilter::PlaybackFilter;
    ~ColourConverterFilter() override;

    void ConnectInput(PlaybackFilter *upstream) { m_upstream = upstream; }
    bool IsConnected() const { return m_upstream != nullptr; }

    // For the renderer's thread only. An empty size converts at the picture's own size.
    QImage ConvertForDisplay(const AVFrame *picture, QSize size);
    // From any thread.
    QImage ConvertStill(const AVFrame *picture, QSize size);

private:
    struct Scaler {
        SwsContext *context = nullptr;
        // What the context was last set up for, so the colour details are applied only on change.
        QSize from, to;
        int format = -1;
        int space = -1;
        bool fullRange = false;
        // Images handed out before; one nobody holds any more is written again instead of
        // allocating (and faulting in) two megabytes per picture.
        std::array<QImage, 4> images;
        size_t next = 0;
        bool failureLogged = false;

        // An image of that size that only the scaler holds, to be written and then shared.
        QImage &FreeImage(QSize size);
    };
    // skipRows: a picture shown at half its height or less may be read a row in two (or three...).
    static QImage Convert(Scaler &scaler, const AVFrame *picture, QSize size, int flags, bool skipRows);

    PlaybackFilter *m_upstream = nullptr;
    Scaler m_display;
    std::mutex m_stillMutex;
    Scaler m_still;
};

} // namespace media
