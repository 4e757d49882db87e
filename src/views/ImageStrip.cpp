#include "views/ImageStrip.h"

ImageStrip::ImageStrip(const QImage &bitmap, int width, int height, ColorRef maskColour)
{
    if (bitmap.isNull() || width <= 0 || height <= 0)
        return;
    const QImage source = bitmap.convertToFormat(QImage::Format_ARGB32);
    const QRgb mask = ColorFromColorRef(maskColour).rgb() & RGB_MASK;
    const int count = source.width() / width;
    m_cells.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        // Rows below the bitmap (a cell taller than the strip) stay transparent.
        QImage cell = source.copy(i * width, 0, width, height);
        for (int y = 0; y < cell.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(cell.scanLine(y));
            for (int x = 0; x < cell.width(); ++x) {
                if ((line[x] & RGB_MASK) == mask)
                    line[x] = 0;
            }
        }
        m_cells.push_back(std::move(cell));
    }
    m_width = width;
    m_height = height;
}

QImage ImageStrip::Cell(int index) const
{
    if (index < 0 || index >= Count())
        return {};
    return m_cells[static_cast<std::size_t>(index)];
}
