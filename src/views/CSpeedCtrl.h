#pragma once

#include "views/ColorRef.h"
#include "views/ImageStrip.h"
#include "views/SpeedGaugeLayout.h"
#include "views/SpeedGaugeModel.h"

#include <QImage>
#include <QWidget>

// What a skin says about a gauge: its bitmaps (already loaded) with their cell sizes and colours.
struct SpeedCtrlConfig {
    ColorRef background = 0;
    ColorRef transColour = 0xFF00FF;
    QImage digitImage; // 0 to 9, then the blank; null when the skin names none or it cannot be read
    int digitWidth = 0;
    int digitHeight = 0;
    QImage unitImage; // km/h, then mph
    int unitWidth = 0;
    int unitHeight = 0;
};

// The speed gauge: the vehicle's speed at the playback time as three digit pictures and a unit
// picture (km/h or mph), drawn from the skin's bitmaps over a plain background.
class CSpeedCtrl : public QWidget, public media::ISpeedItemSink
{
    Q_OBJECT
public:
    explicit CSpeedCtrl(QWidget *parent = nullptr);

    // The digit strip (0 to 9, then the blank) and the unit strip (km/h, then mph), each cut into
    // cells of width x height with maskColour transparent. A null image leaves that strip empty,
    // and nothing of it is drawn.
    void SetDigitImages(const QImage &image, int width, int height, ColorRef maskColour);
    void SetUnitImages(const QImage &image, int width, int height, ColorRef maskColour);
    void SetBackground(ColorRef colour);
    // Applies a whole skin configuration (both strips and the background).
    void Configure(const SpeedCtrlConfig &config);
    void SetGap(int gap);

    // The telemetry loader's entries: Add keeps the first item per fix time, Update corrects it.
    void Add(const media::CSpeedItem &item) override;
    void Update(const media::CSpeedItem &item) override;
    void SetPosition(int64_t timeMs);
    void Clear();
    void Blank();
    void SetUnit(SpeedUnit unit);

    bool HasItems() const { return m_model.HasItems(); }
    const SpeedGaugeModel &Model() const { return m_model; }
    ColorRef Background() const { return m_background; }
    int Gap() const { return m_gap; }
    const ImageStrip &DigitImages() const { return m_digits; }
    const ImageStrip &UnitImages() const { return m_units; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    SpeedGaugeModel m_model;
    ImageStrip m_digits;
    ImageStrip m_units;
    // Cell sizes as the skin gives them, kept even when a bitmap could not be loaded.
    int m_digitWidth = 0;
    int m_digitHeight = 0;
    int m_unitWidth = 0;
    int m_unitHeight = 0;
    ColorRef m_background = 0;
    int m_gap = 0;
};
