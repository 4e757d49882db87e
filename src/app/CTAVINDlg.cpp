#include "app/CTAVINDlg.h"

#include "app/AppLog.h"
#include "app/MainWindowMessages.h"
#include "app/MainWindowSettings.h"
#include "device/CTAVINSDConfig.h"
#include "device/CardChooser.h"
#include "device/ui/CSelDriveDlg.h"
#include "media/widgets/CPLVVideoView.h"
#include "platform/mount_watcher.h"
#include "platform/volume_source.h"
#include "skin/CBitmapSlider.h"
#include "skin/CSkinHeaderCtrl.h"
#include "skin/CSkinListCtrl.h"
#include "skin/SkinRuntime.h"
#include "skin/WindowMessageEvent.h"
#include "views/CGSensorGraph.h"
#include "views/CSpeedCtrl.h"

#include <QApplication>
#include <QFileDialog>
#include <QKeyEvent>
#include <QPainter>

using namespace mainwindow;
using skin::kSkinImgButton;

// The Korean texts of the sources; shown through tr() in the chosen language.
const QString CTAVINDlg::kBusyOpeningText = QStringLiteral("다른 파일이 열리는 중입니다.");
const QString CTAVINDlg::kCardRemovedText = QStringLiteral("현재 사용중인 SD 카드가 제거 되었습니다.");
const QString CTAVINDlg::kNotAvailableText = QStringLiteral("이 기능은 이 버전에서 아직 제공되지 않습니다.");
const QString CTAVINDlg::kNoRearPictureText = QStringLiteral("이 영상에는 후방 카메라 화면이 없습니다.");
const QString CTAVINDlg::kRenamedCopiesText
    = QStringLiteral("같은 이름의 파일이 있어 다음 파일은 번호를 붙인 이름으로 저장했습니다.");

namespace {
const char *const kCategoryButtons[] = { "filelist_category_all", "filelist_category_normal",
    "filelist_category_event", "filelist_category_user", "filelist_category_arch" };
const char *const kViewButtons[] = { "s_view", "l_view", "f_view" };
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
    qApp->installEventFilter(this);
}

CTAVINDlg::~CTAVINDlg()
{
    qApp->removeEventFilter(this);
    EndListings();
    EndExport();
    m_playback.Close();
    Runtime().Delegates().RemoveOwner(this);
}

bool CTAVINDlg::Init()
{
    if (!InitSkin(EntryOf(ViewLayout::kSmall)))
        return false;
    m_library.SetVideoExtensions(library::VideoExtensions(
        Skin().Text(QStringLiteral("video_ext")), Skin().Text(QStringLiteral("video_ext2"))));
    m_library.SetLocation(m_settings.lastOpen);

    m_config = std::make_unique<device::CTAVINSDConfig>();
    m_config->SetVolumeSource(m_services.volumes
            ? std::move(m_services.volumes)
            : platform::CreateSystemVolumeSource(m_services.cardFolders));
    if (!m_services.commandLine.isEmpty())
        PostMessage(kMsgOpenCommandLine);
    else
        ChooseCardAtStart();

    if (m_services.watchMounts) {
        m_mountWatcher = new platform::MountWatcher(this);
        connect(m_mountWatcher, &platform::MountWatcher::mountsChanged, this, &CTAVINDlg::OnMountsChanged);
    }
    CreateMapWindow();
    CreatePlaybackPanels();
    CreateCardPanels();
    ShowSpeedGauge(false);
    PlaceVideoWindows();
    return true;
}

void CTAVINDlg::ChooseCardAtStart()
{
    device::CardChooserUi ui;
    ui.reportNoCard = [this] { ShowKeyed(QStringLiteral("no_card"), skin::kMbIconError); };
    ui.chooseCard = m_services.chooseCard ? m_services.chooseCard : [this](const QStringList &roots) {
        device::CSelDriveDlg dialog(roots, this);
        return dialog.exec() == QDialog::Accepted ? std::optional<int>(dialog.chosenIndex()) : std::nullopt;
    };
    const device::CardChoice choice = device::ChooseCard(*m_config, ui);
    if (choice == device::CardChoice::Cancelled)
        m_config->Reset(false);
    if (choice != device::CardChoice::Selected)
        return;
    ListCard(m_config->GetSelectedDrive());
}

void CTAVINDlg::OnSkinLoaded()
{
    RegisterHandlers();
    SetUpControls();
    SetUpImpactControls();
    SetUpExportControls();
    if (const skin::CSkinArea *area = Skin().GetArea(QStringLiteral("time_display")))
        m_timeTop = area->rect.top;
}

void CTAVINDlg::RegisterHandlers()
{
    const auto button = [this](const char *name, std::function<void()> fn) {
        RegisterEvent(QString::fromLatin1(name), kSkinImgButton, skin::kEventClick, skin::ClickDelegate(fn));
    };
    button("title_map", [this] { ToggleMapWindow(); });
    button("title_logo", [this] { ToggleTitleMenu(); });
    button("title_tool", [this] { ToggleToolMenu(); });
    button("main_image_setting", [this] { ShowImageControl(); });
    button("close", [this] { CloseWindow(); });
    button("minimize", [this] { showMinimized(); });
    button("stop", [this] { OnStopButton(); });
    button("prev_file", [this] { OpenNeighbour(-1); });
    button("next_file", [this] { OpenNeighbour(1); });
    button("rew_10", [this] { SkipBack(); });
    button("rew_step", [this] { SkipBack(); });
    button("forw_step", [this] { SkipForward(); });
    button("forw_10", [this] { SkipForward(); });
    button("play", [this] { OnPlay(); });
    button("pause", [this] { OnPause(); });
    button("open", [this] { OpenFolder(); });
    button("sound_on", [this] { SetMuted(true); });
    button("sound_off", [this] { SetMuted(false); });
    button("s_view", [this] { SetViewMode(ViewLayout::kSmall); });
    button("l_view", [this] { SetViewMode(ViewLayout::kLarge); });
    button("f_view", [this] { SetViewMode(ViewLayout::kFull); });
    button("reset", [this] { ResetPicture(); });
    button("r_bright", [] {});
    button("r_volume", [this] { ResetVolume(); });
    button("r_speed", [this] { NormalSpeed(); });
    button("sort_new", [this] { Sort(false); });
    button("sort_old", [this] { Sort(true); });
    button("change_view", [this] { SwapChannels(); });
    button("repeat_1", [this] { SetRepeat(DualPlayback::RepeatMode::All); });
    button("repeat_all", [this] { SetRepeat(DualPlayback::RepeatMode::One); });
    for (int k = 0; k < 5; ++k)
        button(kCategoryButtons[k], [this, k] { ChooseCategory(library::kCategoryAll + k); });
    RegisterEvent(QStringLiteral("play_slider"), skin::kSkinSlider, skin::kEventClick,
        skin::ValueDelegate([this](qintptr v) { SeekFromSlider(v); }));
    RegisterEvent(QStringLiteral("vol_slider"), skin::kSkinSlider, skin::kEventClick,
        skin::ValueDelegate([this](qintptr v) { OnVolumeSlider(v); }));
    RegisterEvent(QStringLiteral("file_list"), skin::kSkinListCtrl, skin::kEventClick,
        skin::ItemDelegate([this](int item, int) {
            if (item >= 0)
                OpenRow(item);
        }));
}

void CTAVINDlg::SetUpControls()
{
    if (skin::CSkinListCtrl *list = FileList()) {
        list->SetTextColor(0x656565);
        list->SetSelectionColor(0x0F53EF);
        list->SetRowBackColor(0x202020);
        if (list->Header())
            list->Header()->SetColors(0x202020, 0xFFFFFF);
    }
    if (skin::CBitmapSlider *volume = Slider(QStringLiteral("vol_slider"))) {
        volume->SetRange(1, 99);
        volume->SetPos(m_playback.Volume());
    }
    if (skin::CBitmapSlider *play = Slider(QStringLiteral("play_slider"))) {
        play->SetRange(0, int(m_durationMs));
        play->SetPos(int(m_positionMs));
    }
    if (CSpeedCtrl *gauge = Gauge())
        gauge->SetUnit(m_settings.speedUnit != 0 ? SpeedUnit::Mph : SpeedUnit::Kmh);
    if (CGSensorGraph *graph = Graph()) {
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
    ShowControl(kSkinImgButton, QStringLiteral("sort_new"), m_library.SortAscending());
    ShowControl(kSkinImgButton, QStringLiteral("sort_old"), !m_library.SortAscending());
    for (int k = 0; k < 5; ++k) {
        if (QWidget *b = GetControl(kSkinImgButton, QString::fromLatin1(kCategoryButtons[k])))
            b->setEnabled(library::kCategoryAll + k != m_category);
    }
    for (int mode = 0; mode < 3; ++mode) {
        if (QWidget *b = GetControl(kSkinImgButton, QString::fromLatin1(kViewButtons[mode])))
            b->setEnabled(mode != m_viewMode);
    }
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
    m_repaintTimer.start(kTimerPeriodMs, this);
    ShowPlain(tr(qUtf8Printable(kNotAvailableText)),
        Skin().Text(QStringLiteral("app_title"), QApplication::applicationDisplayName()),
        skin::kMbIconInformation);
}

bool CTAVINDlg::WindowProc(skin::WindowMessageEvent &message)
{
    const qintptr l = message.lParam();
    message.result = 0;
    switch (message.message()) {
    case kMsgStopped:
        OnStopped();
        return true;
    case kMsgPlaybackStarted:
        OnPlaybackStarted(l);
        return true;
    case kMsgPause:
        OnPause();
        return true;
    case kMsgPosition:
        UpdatePosition(message.wParam() == 1, l);
        return true;
    case kMsgOpenCommandLine:
        m_library.OpenCommandLine(m_services.commandLine);
        FillListControl();
        if (FileList() && FileList()->GetItemCount() > 0)
            OpenRow(0);
        else
            OpenFolder();
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
        Slower();
        return true;
    case kMsgNormalSpeed:
        NormalSpeed();
        return true;
    case kMsgFaster:
        Faster();
        return true;
    case kMsgBrightness:
        SetBrightness(int(l));
        return true;
    case kMsgBrightnessZero:
        SetBrightness(0);
        return true;
    case kMsgOpenFolder:
        OpenFolder();
        return true;
    case kMsgProgramInfo:
        m_repaintTimer.start(kTimerPeriodMs, this);
        ShowPlain(
            QStringLiteral("Model\t") + m_settings.model + QStringLiteral("\nVersion\t") + m_settings.version,
            tr("프로그램 정보"), skin::kMbIconInformation);
        return true;
    case kMsgQuit:
    case skin::kMsgClose:
        CloseWindow();
        return true;
    case kMsgEmptyList:
        EmptyList();
        return true;
    case kMsgHideToolMenu:
    case kMsgHideImageControl:
    case kMsgPrintClose:
    case kMsgPrintCancel:
        return OnPlaybackPanelMessage(message.message());
    // The recorder's settings and the card's storage panels.
    case kMsgToggleStorage:
    case kMsgTitleStorage:
        ToggleStoragePanel();
        return true;
    case kMsgShowSettings:
    case kMsgTitleSettings:
        ShowSettingsPanel();
        return true;
    case kMsgWriteSettings:
        WriteCardSettings(-1);
        return true;
    case kMsgReloadSettings:
        OnCardListed();
        return true;
    case kMsgFormatCard:
        FormatStorageCard();
        return true;
    // Save, capture and print, image control and the menus.
    case kMsgExportClip:
        ExportClip();
        return true;
    case kMsgPrint:
    case kMsgCapture:
    case kMsgShowImageControl:
    case kMsgShowSave:
    case kMsgTitleSave:
    case kMsgPrintSave:
    case kMsgSaveRecordings:
        return OnPlaybackPanelMessage(message.message());
    default:
        if (message.message() >= kMsgImageNoAction1 && message.message() <= kMsgImageNoAction3)
            return true;
        return CSkinDialog::WindowProc(message);
    }
}

void CTAVINDlg::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_positionTimer.timerId()) {
        PostMessage(kMsgPosition, 0, qintptr(m_playback.PositionMs()));
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

void CTAVINDlg::paintEvent(QPaintEvent *event)
{
    CSkinDialog::paintEvent(event);
    if (isMinimized())
        return;
    QPainter painter(this);
    const QRect whole(508, m_timeTop, 656 - 508, 44);
    painter.fillRect(whole, QColor(0x12, 0x12, 0x12));
    const auto hms = [](int64_t ms) {
        const int64_t s = ms / 1000;
        return QString::asprintf("%02d:%02d:%02d", int(s / 3600), int(s / 60 % 60), int(s % 60));
    };
    QFont font(QStringLiteral("Noto Sans CJK KR"));
    font.setPixelSize(13);
    painter.setFont(font);
    painter.setPen(QColor(0x3F, 0xA6, 0xFE));
    painter.drawText(QRect(508, m_timeTop, 582 - 508, 44),
        Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, hms(m_positionMs) + QStringLiteral(" /"));
    painter.setPen(QColor(0x79, 0x79, 0x79));
    painter.drawText(QRect(586, m_timeTop, 656 - 586, 44),
        Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, hms(m_durationMs));
    m_repaintTimer.start(kTimerPeriodMs, this);
}

void CTAVINDlg::mousePressEvent(QMouseEvent *event)
{
    m_repaintTimer.start(kTimerPeriodMs, this);
    CSkinDialog::mousePressEvent(event);
}

bool CTAVINDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType()
        || static_cast<QWidget *>(watched)->window() != this)
        return CSkinDialog::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent *>(event)->key();
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        return true;
    case Qt::Key_Space:
        if (m_playback.IsRunning())
            PostMessage(kMsgPause);
        else if (m_playback.IsPaused())
            OnPlay();
        return true;
    default:
        if (HandleImpactKey(*static_cast<QKeyEvent *>(event)))
            return true;
        if (HandleExportKey(*static_cast<QKeyEvent *>(event)))
            return true;
        return CSkinDialog::eventFilter(watched, event);
    }
}

void CTAVINDlg::CloseWindow()
{
    if (m_closing)
        return;
    m_closing = true;
    m_positionTimer.stop();
    DestroyMapWindow();
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
    return Control<skin::CSkinListCtrl>(skin::kSkinListCtrl, QStringLiteral("file_list"));
}

CGSensorGraph *CTAVINDlg::Graph() const
{
    return Control<CGSensorGraph>(skin::kSkinGraph, QStringLiteral("gsensor"));
}

CSpeedCtrl *CTAVINDlg::Gauge() const
{
    return Control<CSpeedCtrl>(skin::kSkinSpeed, QStringLiteral("speed"));
}

skin::CBitmapSlider *CTAVINDlg::Slider(const QString &name) const
{
    return Control<skin::CBitmapSlider>(skin::kSkinSlider, name);
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
