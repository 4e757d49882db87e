#include "skin/CImageNumber.h"

#include "skin/SkinBitmap.h"

#include <QPainter>

namespace skin {

CImageNumber::CImageNumber(QWidget *parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::TabFocus);
}

bool CImageNumber::LoadStrip(const QString &path, int digitWidth, SkinColor transColor)
{
    const SkinBitmap bitmap = SkinBitmap::Load(path);
    m_digitWidth = digitWidth;
    if (bitmap.IsNull() || digitWidth <= 0) {
        m_strip = QImage();
        m_stripCells = 0;
        m_digitHeight = 0;
        return false;
    }
    m_strip = bitmap.Masked(transColor);
    m_digitHeight = bitmap.Height();
    m_stripCells = bitmap.Width() / digitWidth;
    update();
    return true;
}

bool CImageNumber::SetDigitStrip(const QString &path, int digitWidth, SkinColor transColor)
{
    m_separate = false;
    m_plus = false;
    return LoadStrip(path, digitWidth, transColor);
}

bool CImageNumber::SetDigitStrip(const QString &path, int digitWidth, int separatorWidth,
    int separatorPosition, bool plus, SkinColor transColor)
{
    m_separate = true;
    m_separatorWidth = separatorWidth;
    m_separatorPosition = separatorPosition;
    m_plus = plus;
    return LoadStrip(path, digitWidth, transColor);
}

void CImageNumber::SetDigitCount(int count)
{
    m_cells.assign(size_t(std::max(0, count)), 0);
    update();
}

void CImageNumber::ResetCells()
{
    for (size_t i = 0; i < m_cells.size(); ++i) {
        const bool separator
            = m_separate && m_separatorPosition > 0 && (i + 1) % size_t(m_separatorPosition) == 0;
        m_cells[i] = separator ? kSeparator : 0;
    }
    update();
}

void CImageNumber::SetCell(int index, int value)
{
    if (index < 0 || index >= DigitCount())
        return;
    m_cells[size_t(index)] = value;
    update();
}

int CImageNumber::Cell(int index) const
{
    return index >= 0 && index < DigitCount() ? m_cells[size_t(index)] : 0;
}

void CImageNumber::SetNumber(qint64 value)
{
    value = value < 0 ? -value : value;
    for (int i = DigitCount() - 1; i >= 0; --i) {
        if (m_cells[size_t(i)] == kSeparator)
            continue;
        m_cells[size_t(i)] = int(value % 10);
        value /= 10;
    }
    update();
}

std::vector<CImageNumber::DrawnCell> CImageNumber::Layout() const
{
    std::vector<DrawnCell> drawn;
    const int step = m_spacing + m_digitWidth;
    const int n = DigitCount();
    if (!m_separate) {
        qint64 soFar = 0;
        for (int i = 0; i < n; ++i) {
            const int value = m_cells[size_t(i)];
            soFar = soFar * 10 + value;
            if (m_showLeadingZeros || soFar != 0 || i == n - 1)
                drawn.push_back({ i, step * i, m_digitWidth, value });
        }
        return drawn;
    }
    const int s = m_separatorPosition;
    for (int i = 0; i < n; ++i) {
        const int value = m_cells[size_t(i)];
        if (s <= 0) {
            drawn.push_back({ i, step * i, m_digitWidth, value });
        } else if (m_plus) {
            const bool separator = (i + 1) % s == 0;
            drawn.push_back({ i, step * (i - i / s) + m_separatorWidth * (i / s),
                separator ? m_separatorWidth : m_digitWidth, value });
        } else if (i < s) {
            drawn.push_back({ i, step * i, m_digitWidth, value });
        } else if (i == s) {
            drawn.push_back({ i, step * i, m_separatorWidth, value });
        } else {
            drawn.push_back({ i, step * (i - 1) + m_separatorWidth + m_spacing, m_digitWidth, value });
        }
    }
    return drawn;
}

void CImageNumber::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), ToQColor(m_backColor));
    if (m_strip.isNull())
        return;
    for (const DrawnCell &cell : Layout()) {
        if (cell.value < 0 || cell.value >= m_stripCells)
            continue;
        const int w = std::min(cell.width, m_digitWidth);
        painter.drawImage(QPoint(cell.x, 0), m_strip, QRect(cell.value * m_digitWidth, 0, w, m_digitHeight));
    }
}

} // namespace skin
