#include "views/CSpeedCtrl.h"

#include <QPainter>

#include <algorithm>

CSpeedCtrl::CSpeedCtrl(QWidget *parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::TabFocus);
}

void CSpeedCtrl::SetDigitImages(const QImage &image, int width, int height, ColorRef maskColour)
{
    m_digits = ImageStrip(image, width, height, maskColour);
    m_digitWidth = width;
    m_digitHeight = height;
    update();
}

void CSpeedCtrl::SetUnitImages(const QImage &image, int width, int height, ColorRef maskColour)
{
    m_units = ImageStrip(image, width, height, maskColour);
    m_unitWidth = width;
    m_unitHeight = height;
    update();
}

void CSpeedCtrl::SetBackground(ColorRef colour)
{
    m_background = colour;
    update();
}

void CSpeedCtrl::Configure(const SpeedCtrlConfig &config)
{
    SetDigitImages(config.digitImage, config.digitWidth, config.digitHeight, config.transColour);
    SetUnitImages(config.unitImage, config.unitWidth, config.unitHeight, config.transColour);
    SetBackground(config.background);
}

void CSpeedCtrl::SetGap(int gap)
{
    m_gap = gap;
    update();
}

void CSpeedCtrl::Add(const media::CSpeedItem &item)
{
    m_model.Add(item);
}

void CSpeedCtrl::Update(const media::CSpeedItem &item)
{
    m_model.Update(item);
}

void CSpeedCtrl::SetPosition(int64_t timeMs)
{
    m_model.SetPosition(timeMs);
    update();
}

void CSpeedCtrl::Clear()
{
    m_model.Clear();
}

void CSpeedCtrl::Blank()
{
    m_model.Blank();
    update();
}

void CSpeedCtrl::SetUnit(SpeedUnit unit)
{
    m_model.SetUnit(unit);
    update();
}

QSize CSpeedCtrl::sizeHint() const
{
    const int width = (m_gap + m_digitWidth) * 3 + m_unitWidth;
    const int height = std::max(m_digitHeight, m_unitHeight);
    return width > 0 && height > 0 ? QSize(width, height) : QWidget::sizeHint();
}

void CSpeedCtrl::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), ColorFromColorRef(m_background));

    if (!m_digits.IsEmpty()) {
        const auto &digits = m_model.Digits();
        for (int k = 0; k < 3; ++k) {
            const QImage cell = m_digits.Cell(digits[static_cast<std::size_t>(k)]);
            if (!cell.isNull())
                painter.drawImage(SpeedGaugeLayout::DigitOrigin(k, m_gap, m_digitWidth), cell);
        }
    }
    if (!m_units.IsEmpty()) {
        const QImage cell = m_units.Cell(m_model.UnitIndex());
        if (!cell.isNull()) {
            painter.drawImage(
                SpeedGaugeLayout::UnitOrigin(m_gap, m_digitWidth, m_digitHeight, m_unitHeight), cell);
        }
    }
}
