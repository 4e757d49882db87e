#pragma once

#include <cstdint>
#include <string_view>

namespace media::recorder {

// A planar YUV 4:2:0 picture to draw into (the planes of an AVFrame).
struct YuvPicture {
    uint8_t *y = nullptr;
    uint8_t *u = nullptr;
    uint8_t *v = nullptr;
    int yStride = 0;
    int uvStride = 0;
    int width = 0;
    int height = 0;
};

// Draws the sample recorder's picture: sky, a road with lane markings that move with the
// distance driven (towards the camera at the front, away from it at the rear), a row of
// buildings on the horizon, and the recorder's caption (date, time, speed) at the bottom left.
class SampleScene
{
public:
    SampleScene(bool rear, uint64_t seed);

    void Render(YuvPicture &picture, double distanceM, double headingDeg, std::string_view caption) const;

    // Caption drawing on its own: 5 x 7 glyphs for digits, a few capitals and / : - . space.
    static void DrawText(YuvPicture &picture, int x, int y, int scale, std::string_view text, uint8_t luma);

private:
    bool m_rear;
    uint32_t m_buildingSeed;
};

} // namespace media::recorder
