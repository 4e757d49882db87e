#pragma once

#include <QPoint>

// Where the gauge draws its pieces: three digits side by side from the left edge, then the unit
// picture bottom-aligned with the digits.
struct SpeedGaugeLayout {
    static QPoint DigitOrigin(int k, int gap, int digitWidth) { return QPoint((gap + digitWidth) * k, 0); }
    static QPoint UnitOrigin(int gap, int digitWidth, int digitHeight, int unitHeight)
    {
        return QPoint((gap + digitWidth) * 3, digitHeight - unitHeight);
    }
};
