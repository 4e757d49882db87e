#pragma once

#include "skin/CSkinDialog.h"

namespace skin {
class CBitmapSlider;
}

// The image control panel: skipping and playback speed on page 1, picture brightness on page 2.
// Every action is posted to the main window, which keeps the real speed and brightness; the
// panel's own speed only drives its speed text.
class CImageControlDlg : public skin::CSkinDialog
{
    Q_OBJECT
public:
    // `brightness`: the main window's brightness (-50 to 50) the slider starts at.
    CImageControlDlg(skin::SkinRuntime &runtime, QWidget *parent, int brightness);

    bool Init(const QString &entryName);

    int Page() const { return m_page; }
    float SpeedDelta() const { return m_speedDelta; }
    // "1.25배": the speed the panel shows.
    QString SpeedText() const;
    int BrightnessPosition() const { return m_brightnessPosition; }
    skin::CBitmapSlider *Slider() const;

protected:
    void OnSkinLoaded() override;
    void paintEvent(QPaintEvent *event) override;

private:
    void ShowPage(int page);
    void ChangeSpeed(quint32 message);
    void OnSlider(qintptr position);
    void ResetBrightness();
    void Post(quint32 message, qintptr lParam = 0);

    int m_page = 1;
    float m_speedDelta = 0.0f;
    int m_brightnessPosition = 50;
};
