#include "media/recorder/SampleScene.h"

#include "media/recorder/SampleRandom.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>

namespace media::recorder {

namespace {

    struct Glyph {
        char c;
        uint8_t rows[7]; // five bits per row, most significant bit on the left
    };

    constexpr Glyph kGlyphs[] = {
        { '0', { 0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E } },
        { '1', { 0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E } },
        { '2', { 0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F } },
        { '3', { 0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E } },
        { '4', { 0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02 } },
        { '5', { 0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E } },
        { '6', { 0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E } },
        { '7', { 0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08 } },
        { '8', { 0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E } },
        { '9', { 0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C } },
        { '/', { 0x01, 0x01, 0x02, 0x04, 0x08, 0x10, 0x10 } },
        { ':', { 0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00 } },
        { '-', { 0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00 } },
        { '.', { 0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C } },
        { 'A', { 0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11 } },
        { 'E', { 0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F } },
        { 'F', { 0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10 } },
        { 'G', { 0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F } },
        { 'H', { 0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11 } },
        { 'K', { 0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11 } },
        { 'M', { 0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11 } },
        { 'N', { 0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11 } },
        { 'O', { 0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E } },
        { 'P', { 0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10 } },
        { 'R', { 0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11 } },
        { 'S', { 0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E } },
        { 'T', { 0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04 } },
    };

    const Glyph *FindGlyph(char c)
    {
        for (const Glyph &g : kGlyphs) {
            if (g.c == c)
                return &g;
        }
        return nullptr;
    }

    void FillLuma(YuvPicture &p, int x0, int x1, int y, uint8_t value)
    {
        x0 = std::clamp(x0, 0, p.width);
        x1 = std::clamp(x1, 0, p.width);
        if (y >= 0 && y < p.height && x1 > x0)
            std::memset(
                p.y + static_cast<std::ptrdiff_t>(y) * p.yStride + x0, value, static_cast<size_t>(x1 - x0));
    }

    void FillChroma(YuvPicture &p, int x0, int x1, int cy, uint8_t u, uint8_t v)
    {
        const int w = p.width / 2;
        x0 = std::clamp(x0 / 2, 0, w);
        x1 = std::clamp((x1 + 1) / 2, 0, w);
        if (cy >= 0 && cy < p.height / 2 && x1 > x0) {
            std::memset(
                p.u + static_cast<std::ptrdiff_t>(cy) * p.uvStride + x0, u, static_cast<size_t>(x1 - x0));
            std::memset(
                p.v + static_cast<std::ptrdiff_t>(cy) * p.uvStride + x0, v, static_cast<size_t>(x1 - x0));
        }
    }

} // namespace

SampleScene::SampleScene(bool rear, uint64_t seed)
    : m_rear(rear)
    , m_buildingSeed(static_cast<uint32_t>(seed))
{
}

void SampleScene::DrawText(YuvPicture &picture, int x, int y, int scale, std::string_view text, uint8_t luma)
{
    int penX = x;
    for (char c : text) {
        const Glyph *glyph = FindGlyph(c);
        if (glyph) {
            for (int row = 0; row < 7; ++row) {
                for (int col = 0; col < 5; ++col) {
                    if (!(glyph->rows[row] & (0x10 >> col)))
                        continue;
                    for (int dy = 0; dy < scale; ++dy)
                        FillLuma(picture, penX + col * scale, penX + (col + 1) * scale, y + row * scale + dy,
                            luma);
                }
            }
        }
        penX += 6 * scale;
    }
}

void SampleScene::Render(YuvPicture &p, double distanceM, double headingDeg, std::string_view caption) const
{
    const int w = p.width;
    const int h = p.height;
    const int horizon = h * 45 / 100;
    const double centre = w / 2.0;

    // Sky: lighter towards the horizon.
    for (int y = 0; y < horizon; ++y)
        FillLuma(p, 0, w, y, static_cast<uint8_t>(120 + 70 * y / std::max(horizon, 1)));
    for (int cy = 0; cy < horizon / 2; ++cy)
        FillChroma(p, 0, w, cy, 150, 112);

    // Buildings on the horizon, drifting sideways as the heading changes.
    SampleRandom skyline(m_buildingSeed);
    const int shift = static_cast<int>(std::fmod(headingDeg * w / 90.0, double(w)));
    for (int x = 0; x < w;) {
        const int width = skyline.Between(w / 40, w / 12);
        const int height = skyline.Between(h / 30, h / 6);
        const uint8_t luma = static_cast<uint8_t>(skyline.Between(60, 130));
        const int left = ((x + shift) % w + w) % w;
        for (int y = horizon - height; y < horizon; ++y) {
            FillLuma(p, left, left + width, y, luma);
            FillLuma(p, left - w, left + width - w, y, luma); // the part that wraps round
        }
        x += width + skyline.Between(0, w / 50);
    }

    // Ground: roadside, then the road widening towards the bottom of the picture.
    const double direction = m_rear ? -1.0 : 1.0;
    for (int y = horizon; y < h; ++y) {
        const double depth = double(y - horizon + 1) / double(h - horizon); // 0 far, 1 near
        const double half = w * (0.04 + 0.46 * depth);
        FillLuma(p, 0, w, y, 96);
        FillLuma(p, int(centre - half), int(centre + half), y, 72);
        // Lane markings: dashes every 12 m, 4 m long, running with the distance driven.
        const double metresAhead = 2.5 / depth;
        const double phase = std::fmod(metresAhead + direction * distanceM, 12.0);
        const int line = std::max(1, int(w * 0.006 * depth));
        if ((phase < 0 ? phase + 12.0 : phase) < 4.0) {
            FillLuma(p, int(centre - line), int(centre + line), y, 210);
        }
        FillLuma(p, int(centre - half * 0.92) - line, int(centre - half * 0.92) + line, y, 200);
        FillLuma(p, int(centre + half * 0.92) - line, int(centre + half * 0.92) + line, y, 200);
    }
    for (int cy = horizon / 2; cy < h / 2; ++cy) {
        FillChroma(p, 0, w, cy, 118, 124);
        const double depth = double(2 * cy - horizon + 1) / double(h - horizon);
        const double half = w * (0.04 + 0.46 * std::clamp(depth, 0.0, 1.0));
        FillChroma(p, int(centre - half), int(centre + half), cy, 128, 128);
    }

    // The recorder's caption on a dark band.
    const int scale = std::max(2, h / 270);
    const int band = 9 * scale;
    const int top = h - band - scale * 2;
    for (int y = top; y < top + band; ++y)
        FillLuma(p, 0, int(caption.size() + 2) * 6 * scale, y, 16);
    for (int cy = top / 2; cy < (top + band) / 2; ++cy)
        FillChroma(p, 0, int(caption.size() + 2) * 6 * scale, cy, 128, 128);
    DrawText(p, 6 * scale, top + scale, scale, caption, 235);
}

} // namespace media::recorder
