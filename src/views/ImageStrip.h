#pragma once

#include "views/ColorRef.h"

#include <QImage>
#include <vector>

// A row of equally sized images cut from one bitmap (a digit strip, the unit pictures). Pixels of
// the mask colour become transparent so that the background shows through them.
class ImageStrip
{
public:
    ImageStrip() = default;

    // Cuts the bitmap into cells of width x height from its left edge; a partial cell at the right
    // end is left out. A null bitmap or a cell size that is not positive gives an empty strip.
    ImageStrip(const QImage &bitmap, int width, int height, ColorRef maskColour);

    bool IsEmpty() const { return m_cells.empty(); }
    int Count() const { return static_cast<int>(m_cells.size()); }
    int CellWidth() const { return m_width; }
    int CellHeight() const { return m_height; }
    // The cell's image, or a null image for an index outside the strip.
    QImage Cell(int index) const;

private:
    std::vector<QImage> m_cells;
    int m_width = 0;
    int m_height = 0;
};
