#pragma once

#include <QColor>
#include <cstdint>

// Skins and callers give colours as red + 256 x green + 65536 x blue (0x00BBGGRR).
using ColorRef = uint32_t;

inline QColor ColorFromColorRef(ColorRef c)
{
    return QColor(
        static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
}

inline ColorRef ColorRefFromRgb(int r, int g, int b)
{
    return static_cast<ColorRef>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
