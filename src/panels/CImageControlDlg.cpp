#include "panels/CImageControlDlg.h"
#include "panels/MainWindowMessages.h"

#include "skin/CBitmapSlider.h"
#include "skin/WindowMessageEvent.h"
#include "skin/fonts/FontFamilies.h"

#include <QPainter>

#include <algorithm>

using skin::kSkinImgButton;

namespace {
const char *const kPlaybackButtons[]
    = { "image_control_rew", "image_control_prev_frame", "image_control_next", "image_control_ff",
          "image_control_slow", "image_control_normal", "image_control_fast" };
const QRect kSpeedArea(140, 280, 360 - 140, 300 - 280);
} // namespace

CImageControlDlg::CImageControlDlg(skin::SkinRuntime &runtime, QWidget *parent, int brightness)
    : CSkinDialog(runtime, parent)
    , m_brightnessPosition(std::min(brightness + 50, 100))
{
}

bool CImageControlDlg::Init(const QString &entryName)
{
    if (!InitSkin(entryName))
        return false;
    if (skin::CBitmapSlider *slider = Slider()) {
        slider->SetRange(0, 100);
        slider->SetPos(m_brightnessPosition);
    }
    ShowPage(1);
    return true;
}

void CImageControlDlg::OnSkinLoaded()
{
    const auto button = [this](const char *name, std::function<void()> fn) {
        RegisterEvent(
            QString::fromLatin1(name), kSkinImgButton, skin::kEventClick, skin::ClickDelegate(std::move(fn)));
    };
    button("image_control_close", [this] {
        Post(mainwindow::kMsgHideImageControl);
        hide();
    });
    button("image_control_category_01", [this] { ShowPage(1); });
    button("image_control_category_02", [this] { ShowPage(2); });
    button("image_control_rew", [this] { Post(mainwindow::kMsgSkipBackStep); });
    button("image_control_prev_frame", [this] { Post(mainwindow::kMsgSkipBack); });
    button("image_control_next", [this] { Post(mainwindow::kMsgSkipForwardStep); });
    button("image_control_ff", [this] { Post(mainwindow::kMsgSkipForward); });
    button("image_control_slow", [this] { ChangeSpeed(mainwindow::kMsgSlower); });
    button("image_control_normal", [this] { ChangeSpeed(mainwindow::kMsgNormalSpeed); });
    button("image_control_fast", [this] { ChangeSpeed(mainwindow::kMsgFaster); });
    button("image_control_reset", [this] { ResetBrightness(); });
    RegisterEvent(QStringLiteral("image_control_cat2_1_slider"), skin::kSkinSlider, skin::kEventClick,
        skin::ValueDelegate([this](qintptr position) { OnSlider(position); }));
}

skin::CBitmapSlider *CImageControlDlg::Slider() const
{
    return Control<skin::CBitmapSlider>(skin::kSkinSlider, QStringLiteral("image_control_cat2_1_slider"));
}

void CImageControlDlg::ShowPage(int page)
{
    m_page = page;
    const bool first = page == 1;
    if (QWidget *tab = GetControl(kSkinImgButton, QStringLiteral("image_control_category_01")))
        tab->setEnabled(!first);
    if (QWidget *tab = GetControl(kSkinImgButton, QStringLiteral("image_control_category_02")))
        tab->setEnabled(first);
    for (const char *name : kPlaybackButtons)
        ShowControl(kSkinImgButton, QString::fromLatin1(name), first);
    ShowControl(skin::kSkinSlider, QStringLiteral("image_control_cat2_1_slider"), !first);
    ShowControl(kSkinImgButton, QStringLiteral("image_control_reset"), !first);
    for (const char *name : { "image_control_cat1_bg1", "image_control_cat1_bg2" }) {
        if (skin::CSkinImage *image = Skin().GetImage(QString::fromLatin1(name)))
            image->visible = first;
    }
    if (skin::CSkinImage *image = Skin().GetImage(QStringLiteral("image_control_cat2_bg1")))
        image->visible = !first;
    update();
}

void CImageControlDlg::ChangeSpeed(quint32 message)
{
    // The thresholds sit a little inside the limits so that float steps of 0.25 stop exactly
    // at 0.5 and 2.0.
    if (message == mainwindow::kMsgSlower && m_speedDelta >= -0.49f)
        m_speedDelta -= 0.25f;
    else if (message == mainwindow::kMsgNormalSpeed)
        m_speedDelta = 0.0f;
    else if (message == mainwindow::kMsgFaster && m_speedDelta <= 0.76f)
        m_speedDelta += 0.25f;
    update(kSpeedArea);
    Post(message);
}

QString CImageControlDlg::SpeedText() const
{
    return tr("%1배").arg(1.0 + double(m_speedDelta), 0, 'f', 2);
}

void CImageControlDlg::OnSlider(qintptr position)
{
    m_brightnessPosition = int(position);
    Post(mainwindow::kMsgBrightness, m_brightnessPosition - 50);
}

void CImageControlDlg::ResetBrightness()
{
    m_brightnessPosition = 50;
    if (skin::CBitmapSlider *slider = Slider())
        slider->SetPos(50);
    Post(mainwindow::kMsgBrightnessZero);
}

void CImageControlDlg::Post(quint32 message, qintptr lParam)
{
    if (QWidget *owner = parentWidget())
        skin::PostWindowMessage(owner, message, 0, lParam);
}

void CImageControlDlg::paintEvent(QPaintEvent *event)
{
    CSkinDialog::paintEvent(event);
    if (m_page != 1)
        return;
    QPainter painter(this);
    QFont font(skin::fonts::kKorean);
    font.setPixelSize(13);
    painter.setFont(font);
    painter.setPen(QColor(63, 166, 254));
    const QRect line(kSpeedArea.left(), kSpeedArea.top(), kSpeedArea.width(), kSpeedArea.height());
    const QString label = tr("재생 속도 : ");
    // A label longer than its place (English) moves the value along instead of running into it.
    const int valueLeft = qMax(220 - 140, painter.fontMetrics().horizontalAdvance(label));
    painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, label);
    painter.drawText(line.adjusted(valueLeft, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, SpeedText());
}
