#pragma once

#include <array>
#include <cstdint>

#include "media/playback/DecoderParameters.h"
#include "media/playback/FfmpegPtr.h"
#include "media/playback/PlaybackFilter.h"

namespace media {

// Shifts the luma of decoded pictures by the brightness its decoder holds. It works on 8-bit
// planar YUV (what recorders write); other formats pass unchanged. The decoder's picture is
// never written: the result gets a luma plane of its own and shares the chroma planes.
class BrightnessFilter final : public PlaybackFilter
{
public:
    using PlaybackFilter::PlaybackFilter;

    // Takes the settings of the decoder in front of it.
    void ConnectInput(const PictureSettings *settings) { m_settings = settings; }
    bool IsConnected() const { return m_settings != nullptr; }

    int Brightness() const { return m_settings ? m_settings->EffectiveBrightness() : 0; }

    // Whether Apply would change the picture; when not, the picture can be used as it is.
    bool Adjusts(const AVFrame *picture) const;
    // The adjusted picture, or a new reference to the same picture when there is nothing to do.
    ffmpeg::FramePtr Apply(const AVFrame *picture) const;

    // The luma shift for a brightness value: two luma steps per unit, so the control's range of
    // -50 to 50 moves black and white by up to 100 steps.
    static int LumaOffset(int brightness);
    static bool Supports(AVPixelFormat format);

private:
    const PictureSettings *m_settings = nullptr;
};

} // namespace media
