#pragma once

#include "skin/SkinTypes.h"

#include <QImage>
#include <QWidget>

#include <vector>

namespace skin {

// A row of digit cells drawn from a digit strip (cells 0-9, and cell 10 the separator).
// Dialogs write the cells and repaint.
class CImageNumber : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kSeparator = 10;

    explicit CImageNumber(QWidget *parent = nullptr);

    bool SetDigitStrip(const QString &path, int digitWidth, SkinColor transColor);
    bool SetDigitStrip(const QString &path, int digitWidth, int separatorWidth, int separatorPosition,
        bool plus, SkinColor transColor);
    void SetDigitCount(int count); // all cells 0
    int DigitCount() const { return int(m_cells.size()); }
    void ResetCells(); // all 0, separators placed
    void SetCell(int index, int value);
    int Cell(int index) const;
    // Writes a number right-aligned into the digit cells (separator cells are kept).
    void SetNumber(qint64 value);
    void SetSpacing(int spacing) { m_spacing = spacing; }
    void SetBackColor(SkinColor color) { m_backColor = color; }
    void SetShowLeadingZeros(bool show) { m_showLeadingZeros = show; }
    bool HasStrip() const { return !m_strip.isNull(); }
    int StripCellCount() const { return m_stripCells; }

    // What painting draws: per drawn cell its index, left edge, width and value.
    struct DrawnCell {
        int index;
        int x;
        int width;
        int value;
    };
    std::vector<DrawnCell> Layout() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool LoadStrip(const QString &path, int digitWidth, SkinColor transColor);

    int m_spacing = 3;
    int m_digitWidth = 0;
    int m_digitHeight = 0;
    int m_separatorWidth = 0;
    int m_separatorPosition = 0;
    bool m_separate = false;
    bool m_plus = false;
    bool m_showLeadingZeros = false;
    SkinColor m_backColor = 0;
    std::vector<int> m_cells;
    QImage m_strip; // transparent colour already cut out
    int m_stripCells = 0;
};

} // namespace skin
