#include "app/CTAVINDlg.h"

#include "app/AppLog.h"
#include "app/MainWindowSettings.h"
#include "app/TripPlayer.h"
#include "app/TripTimelineMarks.h"
#include "app/features/ArchiveController.h"
#include "app/features/CardPanelsController.h"
#include "app/features/ExportController.h"
#include "app/features/ImpactsController.h"
#include "app/features/MainWindowTexts.h"
#include "app/features/MapController.h"
#include "app/features/RecordingListController.h"
#include "app/features/ToolPanelsController.h"
#include "app/features/TripController.h"
#include "device/CTAVINSDConfig.h"
#include "media/widgets/CPLVVideoView.h"
#include "panels/BackgroundJob.h"
#include "panels/MainWindowMessages.h"
#include "skin/CBitmapSlider.h"
#include "skin/CSkinListCtrl.h"
#include "skin/SkinRuntime.h"
#include "skin/WindowMessageEvent.h"
#include "skin/fonts/FontFamilies.h"
#include "views/CGSensorGraph.h"
#include "views/CSpeedCtrl.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTextEdit>

using namespace mainwindow;
using skin::kSkinImgButton;

namespace {
const char *const kViewButtons[] = { "s_view", "l_view", "f_view" };

// Keys typed into a text or date field of a panel belong to that field, not to the transport.
bool TakesTyping(const QObject *target)
{
    return qobject_cast<const QLineEdit *>(target) || qobject_cast<const QAbstractSpinBox *>(target)
        || qobject_cast<const QTextEdit *>(target) || qobject_cast<const QPlainTextEdit *>(target);
}
} // namespace

CTAVINDlg::CTAVINDlg(
    skin::SkinRuntime &runtime, MainWindowSettings &settings, Services services, QWidget *parent)
    : CSkinDialog(runtime, parent)
    , m_settings(settings)
    , m_services(std::move(services))
    , m_playback(m_services.audioOutputs)
    , m_layout(runtime.MonitorSize())
{
    runtime.SetMainWindow(this);
    for (int channel = 0; channel < 2; ++channel) {
        auto *view = new CPLVVideoView(this);
        view->setWindowTitle(
            channel == 0 ? QStringLiteral("Video window 1") : QStringLiteral("Video window 2"));
        view->hide();
        connect(view, &CPLVVideoView::doubleClicked, this,
            [this, channel] { m_playback.ToggleDecoderOption(channel); });
        m_views[static_cast<size_t>(channel)] = view;
    }
    m_playback.SetSurfaces(m_views[0], m_views[1]);
    m_playback.SetVolume(m_settings.volume);
    m_playback.SetBrightness(m_settings.brightness);

    m_config = std::make_unique<device::CTAVINSDConfig>();
    m_config->SetVolumeSource(m_services.volumes
            ? std::move(m_services.volumes)
            : platform::CreateSystemVolumeSource(m_services.cardFolders));
    m_list = AddFeature<RecordingListController>(RecordingListController::Services {
        m_services.commandLine, m_services.chooseCard, m_services.chooseFolder, m_services.watchMounts });
    m_map = AddFeature<MapController>();
    m_toolPanels = AddFeature<ToolPanelsController>();
    m_cardPanels = AddFeature<CardPanelsController>(
        CardPanelsController::Services { std::move(m_services.cardFormatter),
            [this] { return m_list->ListedCardIndex(); }, [this] { m_list->CancelListing(); } });
    m_impacts = AddFeature<ImpactsController>();
    m_export = AddFeature<ExportController>();
    m_trips = AddFeature<TripController>(*m_list);
    m_archive = AddFeature<ArchiveController>(*m_list);
    m_list->SetOnCardListed([this] { m_cardPanels->OnCardListed(); });
    qApp->installEventFilter(this);
}

template <class Feature, class... Args> Feature *CTAVINDlg::AddFeature(Args &&...args)
{
    auto feature = std::make_unique<Feature>(*this, std::forward<Args>(args)...);
    Feature *raw = feature.get();
    m_features.push_back(std::move(feature));
    return raw;
}

CTAVINDlg::~CTAVINDlg()
{
    qApp->removeEventFilter(this);
    // Workers end before the players and the library they read go away.
    m_features.clear();
    m_tripOpening.reset();
    m_tripPlayer.reset();
    m_playback.Close();
    Runtime().Delegates().RemoveOwner(this);
}

bool CTAVINDlg::Init()
{
    if (!InitSkin(EntryOf(ViewLayout::kSmall)))
        return false;
    for (const auto &feature : m_features)
        feature->OnStart();
    ShowSpeedGauge(false);
    PlaceVideoWindows();
    return true;
}

void CTAVINDlg::OnMountsChanged()
{
    m_list->OnMountsChanged();
    m_archive->OnMountsChanged();
}

void CTAVINDlg::OnSkinLoaded()
{
    RegisterHandlers();
    SetUpControls();
    for (const auto &feature : m_features)
        feature->OnSkinLoaded();
    // A new layout has a new slider, shown once this returns: the trip's marks follow it then.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_tripMarks && PlaysTrip())
                m_tripMarks->FollowSlider(
                    Control<skin::CBitmapSlider>(skin::kSkinSlider, QStringLiteral("play_slider")));
        },
        Qt::QueuedConnection);
}

void CTAVINDlg::RegisterHandlers()
{
    const auto button = [this](const char *name, std::function<void()> fn) {
        RegisterEvent(QString::fromLatin1(name), kSkinImgButton, skin::kEventClick, skin::ClickDelegate(fn));
    };
    button("close", [this] { CloseWindow(); });
    button("minimize", [this] { showMinimized(); });
    button("stop", [this] { StopPlayback(); });
    button("prev_file", [this] { OpenNeighbour(-1); });
    button("next_file", [this] { OpenNeighbour(1); });
    button("rew_10", [this] { SkipBack(); });
    button("rew_step", [this] { SkipBack(); });
    button("forw_step", [this] { SkipForward(); });
    button("forw_10", [this] { SkipForward(); });
    button("play", [this] { OnPlay(); });
    button("pause", [this] { PausePlayback(); });
    button("sound_on", [this] { SetMuted(true); });
    button("sound_off", [this] { SetMuted(false); });
    button("s_view", [this] { SetViewMode(ViewLayout::kSmall); });
    button("l_view", [this] { SetViewMode(ViewLayout::kLarge); });
    button("f_view", [this] { SetViewMode(ViewLayout::kFull); });
    button("reset", [this] { ResetPicture(); });
    button("r_bright", [] {});
    button("r_volume", [this] { ResetVolume(); });
    button("r_speed", [this] { m_playback.NormalSpeed(); });
    button("change_view", [this] { SwapChannels(); });
    button("repeat_1", [this] { SetRepeat(DualPlayback::RepeatMode::All); });
    button("repeat_all", [this] { SetRepeat(DualPlayback::RepeatMode::One); });
    RegisterEvent(QStringLiteral("play_slider"), skin::kSkinSlider, skin::kEventClick,
        skin::ValueDelegate([this](qintptr v) { SeekFromSlider(v); }));
    RegisterEvent(QStringLiteral("vol_slider"), skin::kSkinSlider, skin::kEventClick,
        skin::ValueDelegate([this](qintptr v) { m_playback.SetVolume(int(v)); }));
}

void CTAVINDlg::SetUpControls()
{
    if (auto *volume = Control<skin::CBitmapSlider>(skin::kSkinSlider, QStringLiteral("vol_slider"))) {
        volume->SetRange(1, 99);
        volume->SetPos(m_playback.Volume());
    }
    if (auto *play = Control<skin::CBitmapSlider>(skin::kSkinSlider, QStringLiteral("play_slider"))) {
        play->SetRange(0, int(m_durationMs));
        play->SetPos(int(m_positionMs));
    }
    if (auto *gauge = Control<CSpeedCtrl>(skin::kSkinSpeed, QStringLiteral("speed")))
        gauge->SetUnit(m_settings.speedUnit != 0 ? SpeedUnit::Mph : SpeedUnit::Kmh);
    if (auto *graph = Control<CGSensorGraph>(skin::kSkinGraph, QStringLiteral("gsensor"))) {
        graph->SetColour(1, 0x121212);
        graph->SetColour(4, 0x00FF4B);
        graph->SetColour(5, 0x4642FF);
        graph->SetColour(6, 0xFFBA57);
    }
    RefreshButtons();
}

void CTAVINDlg::RefreshButtons()
{
    const bool playing = m_playback.IsRunning();
    ShowControl(kSkinImgButton, QStringLiteral("play"), !playing);
    ShowControl(kSkinImgButton, QStringLiteral("pause"), playing);
    ShowControl(kSkinImgButton, QStringLiteral("sound_on"), !m_playback.Muted());
    ShowControl(kSkinImgButton, QStringLiteral("sound_off"), m_playback.Muted());
    const bool repeatOne = m_playback.Repeat() == DualPlayback::RepeatMode::One;
    ShowControl(kSkinImgButton, QStringLiteral("repeat_1"), repeatOne);
    ShowControl(kSkinImgButton, QStringLiteral("repeat_all"), !repeatOne);
    for (int mode = 0; mode < 3; ++mode) {
        if (QWidget *b = GetControl(kSkinImgButton, QString::fromLatin1(kViewButtons[mode])))
            b->setEnabled(mode != m_viewMode);
    }
    m_list->RefreshButtons();
}

void CTAVINDlg::ShowKeyed(const QString &messageKey, int flags)
{
    MessageBox(messageKey, QStringLiteral("err_title"), flags);
}

void CTAVINDlg::ShowPlain(const QString &text, const QString &caption, int flags)
{
    Runtime().ShowMessageBox(this, text, caption, flags);
}

void CTAVINDlg::ShowNotAvailable()
{
    RequestRepaint();
    ShowPlain(Translated(kNotAvailableText),
        Skin().Text(QStringLiteral("app_title"), QApplication::applicationDisplayName()),
        skin::kMbIconInformation);
}

void CTAVINDlg::RequestRepaint()
{
    m_repaintTimer.start(kTimerPeriodMs, this);
}

bool CTAVINDlg::WindowProc(skin::WindowMessageEvent &message)
{
    const qintptr l = message.LParam();
    message.result = 0;
    switch (message.Message()) {
    case kMsgStopped:
        OnStopped();
        return true;
    case kMsgPlaybackStarted:
        OnPlaybackStarted(l);
        return true;
    case kMsgPause:
        PausePlayback();
        return true;
    case kMsgPosition:
        UpdatePosition(message.WParam() == 1, l);
        return true;
    case kMsgSeekTo:
        SeekTo(l);
        return true;
    case kMsgSkipBackStep:
    case kMsgSkipBack:
        SkipBack();
        return true;
    case kMsgSkipForwardStep:
    case kMsgSkipForward:
        SkipForward();
        return true;
    case kMsgSlower:
        m_playback.Slower();
        return true;
    case kMsgNormalSpeed:
        m_playback.NormalSpeed();
        return true;
    case kMsgFaster:
        m_playback.Faster();
        return true;
    case kMsgBrightness:
        m_playback.SetBrightness(int(l));
        return true;
    case kMsgBrightnessZero:
        m_playback.SetBrightness(0);
        return true;
    case kMsgProgramInfo:
        RequestRepaint();
        ShowPlain(
            QStringLiteral("Model\t") + m_settings.model + QStringLiteral("\nVersion\t") + m_settings.version,
            Translated(QT_TRANSLATE_NOOP("CTAVINDlg", "프로그램 정보")), skin::kMbIconInformation);
        return true;
    case kMsgQuit:
    case skin::kMsgClose:
        CloseWindow();
        return true;
    default:
        for (const auto &feature : m_features) {
            if (feature->OnMessage(message.Message(), message.WParam(), l))
                return true;
        }
        return CSkinDialog::WindowProc(message);
    }
}

void CTAVINDlg::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_positionTimer.timerId()) {
        // A trip moves on to its next recording here when the current one has played.
        if (m_tripPlayer && m_tripPlayer->IsActive() && !m_tripPlayer->Tick()) {
            StopTrip();
            return;
        }
        PostMessage(kMsgPosition, 0, qintptr(CurrentPositionMs()));
        return;
    }
    if (event->timerId() == m_repaintTimer.timerId()) {
        m_repaintTimer.stop();
        if (m_playback.IsLoaded())
            m_playback.Refresh();
        return;
    }
    CSkinDialog::timerEvent(event);
}

QRect CTAVINDlg::TimeDisplayRect() const
{
    const skin::CSkinArea *area = Skin().GetArea(QStringLiteral("time_display"));
    return area ? area->rect.ToQRect() : QRect();
}

void CTAVINDlg::paintEvent(QPaintEvent *event)
{
    CSkinDialog::paintEvent(event);
    const QRect whole = TimeDisplayRect();
    if (isMinimized() || whole.isEmpty())
        return;
    QPainter painter(this);
    painter.fillRect(whole, QColor(0x12, 0x12, 0x12));
    const auto hms = [](int64_t ms) {
        const int64_t s = ms / 1000;
        return QString::asprintf("%02d:%02d:%02d", int(s / 3600), int(s / 60 % 60), int(s % 60));
    };
    QFont font(QString(skin::fonts::kKorean));
    font.setPixelSize(13);
    painter.setFont(font);
    // A click on the display shows the recorder's clock time of the picture instead.
    if (const QString clock = ClockTimeText(); !clock.isEmpty()) {
        painter.setPen(QColor(0xFF, 0xC1, 0x07));
        painter.drawText(whole, Qt::AlignCenter | Qt::TextSingleLine, clock);
        RequestRepaint();
        return;
    }
    // The position ends at the middle of the display, the duration starts just after it.
    const int half = whole.width() / 2;
    painter.setPen(QColor(0x3F, 0xA6, 0xFE));
    painter.drawText(QRect(whole.left(), whole.top(), half, whole.height()),
        Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, hms(m_positionMs) + QStringLiteral(" /"));
    painter.setPen(QColor(0x79, 0x79, 0x79));
    painter.drawText(QRect(whole.left() + half + 4, whole.top(), whole.width() - half - 4, whole.height()),
        Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, hms(m_durationMs));
    RequestRepaint();
}

void CTAVINDlg::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && TimeDisplayRect().contains(event->position().toPoint())) {
        m_showClockTime = !m_showClockTime;
        update(TimeDisplayRect());
    }
    RequestRepaint();
    CSkinDialog::mousePressEvent(event);
}

bool CTAVINDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType()
        || static_cast<QWidget *>(watched)->window() != this)
        return CSkinDialog::eventFilter(watched, event);
    const auto &key = *static_cast<QKeyEvent *>(event);
    if (key.key() == Qt::Key_Escape)
        return true;
    if (TakesTyping(watched))
        return CSkinDialog::eventFilter(watched, event);
    switch (key.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return true;
    case Qt::Key_Space:
        if (m_playback.IsRunning())
            PostMessage(kMsgPause);
        else if (m_playback.IsPaused())
            OnPlay();
        return true;
    default:
        for (const auto &feature : m_features) {
            if (feature->OnKey(key))
                return true;
        }
        return CSkinDialog::eventFilter(watched, event);
    }
}

void CTAVINDlg::CloseWindow()
{
    if (m_closing)
        return;
    m_closing = true;
    m_positionTimer.stop();
    for (const auto &feature : m_features)
        feature->OnClosing();
    m_playback.Close();
    m_settings.volume = m_playback.Volume();
    m_settings.brightness = m_playback.Brightness();
    if (!m_library.Location().isEmpty())
        m_settings.lastOpen = m_library.Location();
    done(QDialog::Accepted);
    hide();
}

void CTAVINDlg::closeEvent(QCloseEvent *event)
{
    CloseWindow();
    CSkinDialog::closeEvent(event);
}

void CTAVINDlg::reject()
{
    CloseWindow();
}

skin::CSkinListCtrl *CTAVINDlg::FileList() const
{
    return m_list->FileList();
}

int CTAVINDlg::CurrentRow() const
{
    return m_list->PlayingRow();
}

QRect CTAVINDlg::MainVideoRect() const
{
    return VideoView(m_mainChannel)->geometry();
}

QString CTAVINDlg::EntryOf(ViewLayout::Mode mode) const
{
    switch (mode) {
    case ViewLayout::kLarge:
        return m_settings.xmlLarge;
    case ViewLayout::kFull:
        return m_settings.xmlFull;
    case ViewLayout::kSmall:
        break;
    }
    return m_settings.xmlSmall;
}
