#include "skin/SkinBitmap.h"

#include <QFile>
#include <QtEndian>

#include <vector>

namespace skin {

namespace {

    QRgb ToRgb(SkinColor c)
    {
        return qRgb(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
    }

    quint32 ReadLe32(const QByteArray &bytes, int at)
    {
        return at + 4 <= bytes.size() ? qFromLittleEndian<quint32>(bytes.constData() + at) : 0;
    }

} // namespace

SkinBitmap SkinBitmap::Load(const QString &filePath)
{
    SkinBitmap bitmap;
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return bitmap;
    const QByteArray header = file.read(70);
    file.close();
    if (header.size() < 30 || header[0] != 'B' || header[1] != 'M')
        return bitmap;
    QImage image(filePath, "BMP");
    if (image.isNull())
        return bitmap;

    const quint32 dibSize = ReadLe32(header, 14);
    const int depthAt = dibSize == 12 ? 24 : 28; // the old core header is shorter
    bitmap.m_depth = quint8(header[depthAt]) | (quint8(header[depthAt + 1]) << 8);
    if (bitmap.m_depth == 16) {
        const quint32 compression = dibSize == 12 ? 0 : ReadLe32(header, 30);
        // Without bit fields a 16-bit file is 5-5-5; with them the green mask tells.
        bitmap.m_greenSixBits = compression == 3 && ReadLe32(header, 58) == 0x07E0;
    }
    if (image.format() != QImage::Format_Indexed8)
        image = image.convertToFormat(QImage::Format_RGB32);
    bitmap.m_image = image;
    return bitmap;
}

SkinBitmap SkinBitmap::FromImage(const QImage &image, int fileDepth)
{
    SkinBitmap bitmap;
    bitmap.m_image
        = image.format() == QImage::Format_Indexed8 ? image : image.convertToFormat(QImage::Format_RGB32);
    bitmap.m_depth = fileDepth;
    return bitmap;
}

QRgb SkinBitmap::CompareMask() const
{
    if (m_depth == 16)
        return m_greenSixBits ? 0xF8FCF8u : 0xF8F8F8u;
    return 0xFFFFFFu;
}

bool SkinBitmap::IsTransparent(QRgb pixel, SkinColor transColor) const
{
    return ((pixel ^ ToRgb(transColor)) & CompareMask()) == 0;
}

QRegion SkinBitmap::Region(SkinColor transColor) const
{
    QRegion region;
    if (m_image.isNull())
        return region;
    const QImage rgb = m_image.convertToFormat(QImage::Format_RGB32);
    const QRgb key = ToRgb(transColor) & CompareMask();
    const QRgb mask = CompareMask();
    std::vector<QRect> runs;
    runs.reserve(40);
    for (int y = 0; y < rgb.height(); ++y) {
        const QRgb *row = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        int x = 0;
        const int w = rgb.width();
        while (x < w) {
            while (x < w && (row[x] & mask) == key)
                ++x;
            const int start = x;
            while (x < w && (row[x] & mask) != key)
                ++x;
            if (x > start)
                runs.emplace_back(start, y, x - start, 1);
        }
    }
    if (!runs.empty())
        region.setRects(runs.data(), int(runs.size()));
    return region;
}

QImage SkinBitmap::Masked(SkinColor transColor) const
{
    QImage out = m_image.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = ToRgb(transColor) & CompareMask();
    const QRgb mask = CompareMask();
    for (int y = 0; y < out.height(); ++y) {
        QRgb *row = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            if ((row[x] & mask) == key)
                row[x] = 0;
        }
    }
    return out;
}

} // namespace skin
