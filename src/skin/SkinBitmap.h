#pragma once

#include "skin/SkinTypes.h"

#include <QImage>
#include <QRegion>
#include <QString>

namespace skin {

// A BMP file as the skin uses it: the picture plus the file's own pixel format, because a
// transparent colour is compared in that format (a 16-bit file compares 5 or 6 bits a channel).
class SkinBitmap
{
public:
    SkinBitmap() = default;
    static SkinBitmap Load(const QString &filePath);
    static SkinBitmap FromImage(const QImage &image, int fileDepth = 32);

    bool IsNull() const { return m_image.isNull(); }
    int Width() const { return m_image.width(); }
    int Height() const { return m_image.height(); }
    QSize Size() const { return m_image.size(); }
    const QImage &Image() const { return m_image; }
    int FileDepth() const { return m_depth; }

    bool IsTransparent(QRgb pixel, SkinColor transColor) const;
    // Every maximal run of pixels in a row that differ from the transparent colour is one
    // rectangle one pixel high; the region is their union.
    QRegion Region(SkinColor transColor) const;
    // The picture with the transparent colour cut out (alpha 0), for transparent drawing.
    QImage Masked(SkinColor transColor) const;

private:
    QRgb CompareMask() const;

    QImage m_image; // RGB32, or Indexed8 for palette files
    int m_depth = 0;
    bool m_greenSixBits = true; // 16-bit files: 5-6-5 or 5-5-5
};

} // namespace skin
