#pragma once

#include <QImage>
#include <QSize>

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

    void ConnectInput(PlaybackFilter *upstream) { upstream_ = upstream; }
    bool IsConnected() const { return upstream_ != nullptr; }

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
    };
    static QImage Convert(Scaler &scaler, const AVFrame *picture, QSize size);

    PlaybackFilter *upstream_ = nullptr;
    Scaler display_;
    std::mutex stillMutex_;
    Scaler still_;
};

} // namespace media
