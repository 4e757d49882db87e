#pragma once

#include <atomic>

namespace media {

// The video decoder's parameter interface: numbered settings that callers put one at a time.
namespace DecoderParameter {
    inline constexpr int kBrightness = 202; // picture brightness, -50 (darker) to 50 (brighter)
    inline constexpr int kPictureAdjust = 205; // 1: the picture adjustments above are applied
    inline constexpr int kOptionsEnable = 1101; // 1: the decoding options below are in force
    inline constexpr int kFastDecoding = 1113; // 1: skip the in-loop deblocking (faster, blockier)
} // namespace DecoderParameter

// Picture adjustments held by a decoder and applied by the brightness stage that follows it.
// Written from the UI thread, read by the renderer's thread.
struct PictureSettings {
    std::atomic<bool> adjust { false };
    std::atomic<int> brightness { 0 };

    int EffectiveBrightness() const { return adjust.load() ? brightness.load() : 0; }
};

} // namespace media
