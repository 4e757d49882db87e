// The main window's list, playback and layout handlers.
#include "app/AppLog.h"
#include "app/CTAVINDlg.h"
#include "app/MainWindowMessages.h"
#include "app/MainWindowSettings.h"
#include "device/CTAVINSDConfig.h"
#include "media/telemetry/TelemetryLoader.h"
#include "media/widgets/CPLVVideoView.h"
#include "platform/volume_source.h"
#include "skin/CBitmapSlider.h"
#include "skin/CSkinListCtrl.h"
#include "skin/SkinRuntime.h"
#include "views/CGSensorGraph.h"
#include "views/CSpeedCtrl.h"

#include <QFileDialog>
#include <QScreen>

using namespace mainwindow;
using skin::kSkinImgButton;

namespace {
constexpr int kGraphValueRange = 230;
// The end is reached a little before the last millisecond: the position timer never lands on it.
constexpr int64_t kEndToleranceMs = 20;
} // namespace

void CTAVINDlg::FillListControl()
{
    skin::CSkinListCtrl *list = FileList();
    if (!list)
        return;
    list->DeleteAllItems();
    const std::vector<library::ListRow> &rows = m_library.Rows();
    for (int row = 0; row < int(rows.size()); ++row) {
        const QStringList texts = rows[size_t(row)].texts();
        list->InsertItem(row, texts.value(0));
        for (int column = 1; column < texts.size(); ++column)
            list->SetItemText(row, column, texts[column]);
        list->SetItemData(row, rows[size_t(row)].fileIndex);
    }
    m_currentRow = -1;
    if (!rows.empty())
        list->SetSelectedItem(0);
}

void CTAVINDlg::ChooseCategory(int category)
{
    if (!m_library.CanChangeCategory())
        return;
    m_category = category;
    m_library.FillList(category);
    FillListControl();
    RefreshButtons();
}

void CTAVINDlg::Sort(bool ascending)
{
    m_library.SortList(ascending);
    FillListControl();
    RefreshButtons();
}

void CTAVINDlg::EmptyList()
{
    ResetPositionViews();
    m_library.SetListing(m_library.Location(), m_library.IsCard(), {});
    FillListControl();
}

void CTAVINDlg::OpenRow(int row)
{
    if (!m_library.IsReady()) {
        ShowPlain(tr(qUtf8Printable(kBusyOpeningText)), Skin().Text(QStringLiteral("err_title")),
            skin::kMbIconWarning);
        return;
    }
    skin::CSkinListCtrl *list = FileList();
    if (!list || row < 0 || row >= list->GetItemCount())
        return;
    if (m_playback.State() != media::GraphState::NotBuilt) {
        m_positionTimer.stop();
        m_playback.Close();
        ResetPositionViews();
    }
    const qint64 fileIndex = list->GetItemData(row);
    if (fileIndex < 0 || fileIndex >= qint64(m_library.Recordings().size())) {
        qCWarning(lcApp) << "list row" << row << "names no recording:" << fileIndex;
        return;
    }
    m_library.SetReady(false);
    if (OpenRecording(m_library.Recordings()[size_t(fileIndex)].path)) {
        PostMessage(kMsgPlaybackStarted, 0, qintptr(m_positionMs));
        list->SetSelectedItem(row);
        m_currentRow = row;
    } else {
        m_durationMs = 0;
        for (CPLVVideoView *view : m_views)
            view->hide();
        ShowKeyed(QStringLiteral("invalid_video"), skin::kMbIconError);
    }
    m_library.SetReady(true);
    update();
}

bool CTAVINDlg::OpenRecording(const QString &path)
{
    if (!m_playback.OpenFront(path))
        return false;
    const QString rear
        = m_library.FindRearFile(path, [this](const QString &rear) { return m_playback.OpenRear(rear); });
    ResetExportSpan(path, rear);
    PlaceVideoWindows();
    m_playback.Refresh();
    m_durationMs = m_playback.DurationMs();
    if (skin::CBitmapSlider *slider = Slider(QStringLiteral("play_slider")))
        slider->SetRange(0, int(m_durationMs));

    CGSensorGraph *graph = Graph();
    std::vector<media::GSensorSample> samples;
    media::TelemetryLoader::Load(
        m_playback.Player(DualPlayback::kFront).GetStreamParseData(), m_durationMs, m_gps, samples, Gauge());
    if (graph) {
        graph->SetValueRange(kGraphValueRange);
        graph->SetDuration(int(m_durationMs));
        graph->AddSamples(samples);
    }
    LoadImpacts();
    m_positionMs = 0;
    if (m_viewMode != ViewLayout::kFull && Gauge() && Gauge()->HasItems())
        ShowSpeedGauge(true);
    m_playback.Start();
    PlaceVideoWindows();
    return true;
}

void CTAVINDlg::OnPlay()
{
    // A paused recording goes on where it was paused.
    if (m_playback.IsPaused()) {
        m_playback.Resume();
        update();
        PostMessage(kMsgPlaybackStarted, 0, qintptr(m_positionMs));
        return;
    }
    skin::CSkinListCtrl *list = FileList();
    if (!list)
        return;
    const int selected = list->GetSelectedItem();
    if (selected >= 0)
        OpenRow(selected);
    else if (list->GetItemCount() > 0)
        OpenRow(0);
    else
        OpenFolder();
}

void CTAVINDlg::OnPause()
{
    m_playback.Pause();
    m_positionMs = m_playback.PositionMs();
    m_positionTimer.stop();
    RefreshButtons();
}

void CTAVINDlg::OnStopButton()
{
    m_playback.Pause();
    m_playback.SetEnded(false);
    SendMessage(kMsgStopped);
}

void CTAVINDlg::OnStopped()
{
    const bool ended = m_playback.Ended();
    if (m_playback.OnStop() == DualPlayback::StopOutcome::Restarted) {
        m_positionTimer.start(kTimerPeriodMs, this);
        PostMessage(kMsgPosition, 0, 0);
        return;
    }
    m_positionTimer.stop();
    ResetPositionViews();
    ResetExportSpan({}, {});
    RefreshButtons();
    skin::CSkinListCtrl *list = FileList();
    const int rows = list ? list->GetItemCount() : 0;
    if (ended && rows > 0) {
        OpenRow(m_currentRow + 1 < rows ? m_currentRow + 1 : 0);
        return;
    }
    for (CPLVVideoView *view : m_views)
        view->hide();
}

void CTAVINDlg::OnPlaybackStarted(qintptr positionMs)
{
    if (!m_playback.IsLoaded())
        return;
    RefreshButtons();
    HandTrackToMap(positionMs);
    ShowSpeedGauge(!m_gps.IsEmpty() && m_viewMode != ViewLayout::kFull);
    m_positionTimer.start(kTimerPeriodMs, this);
}

void CTAVINDlg::UpdatePosition(bool fromSlider, int64_t ms)
{
    CGSensorGraph *graph = Graph();
    if (graph && graph->Model().SampleCount() > 1)
        graph->SetPosition(ms);
    if (!fromSlider) {
        if (skin::CBitmapSlider *slider = Slider(QStringLiteral("play_slider")))
            slider->SetPos(int(ms));
    }
    if (CSpeedCtrl *gauge = Gauge(); gauge && gauge->HasItems())
        gauge->SetPosition(ms);
    PostMapPosition(ms);
    // Once per recording: the timer keeps ticking until the stop is handled.
    if (m_playback.IsLoaded() && !m_playback.Ended() && m_durationMs > 0
        && m_durationMs <= ms + kEndToleranceMs) {
        m_playback.SetEnded(true);
        m_positionTimer.stop();
        PostMessage(kMsgStopped);
    }
    m_positionMs = ms;
    update(QRect(508, m_timeTop, 656 - 508, 44));
}

void CTAVINDlg::ResetPositionViews()
{
    if (CGSensorGraph *graph = Graph())
        graph->Clear();
    if (CSpeedCtrl *gauge = Gauge())
        gauge->Clear();
    if (skin::CBitmapSlider *slider = Slider(QStringLiteral("play_slider")))
        slider->SetPos(0);
    ClearMapTrack();
    ClearImpacts();
    m_gps.RemoveAll();
    m_positionMs = 0;
    update();
}

void CTAVINDlg::SkipBack()
{
    if (!m_playback.IsLoaded())
        return;
    m_playback.SkipBack();
    m_positionMs = m_playback.PositionMs();
    PostMessage(kMsgPosition, 0, qintptr(m_positionMs));
}

void CTAVINDlg::SkipForward()
{
    if (!m_playback.IsLoaded())
        return;
    m_playback.SkipForward();
    m_positionMs = m_playback.PositionMs();
    PostMessage(kMsgPosition, 0, qintptr(m_positionMs));
}

void CTAVINDlg::SeekFromSlider(qintptr ms)
{
    if (!m_playback.IsLoaded())
        return;
    m_playback.SeekMs(ms);
    PostMessage(kMsgPosition, 1, ms);
}

void CTAVINDlg::SeekTo(int64_t ms)
{
    if (!m_playback.IsLoaded())
        return;
    m_playback.SeekMs(ms);
    UpdatePosition(false, ms);
}

void CTAVINDlg::Slower()
{
    m_playback.Slower();
}

void CTAVINDlg::Faster()
{
    m_playback.Faster();
}

void CTAVINDlg::NormalSpeed()
{
    m_playback.NormalSpeed();
}

void CTAVINDlg::SetBrightness(int brightness)
{
    m_playback.SetBrightness(brightness);
}

void CTAVINDlg::OnVolumeSlider(qintptr volume)
{
    m_playback.SetVolume(int(volume));
}

void CTAVINDlg::ResetVolume()
{
    m_playback.SetVolume(50);
    if (skin::CBitmapSlider *slider = Slider(QStringLiteral("vol_slider"))) {
        slider->SetRange(1, 99);
        slider->SetPos(50);
    }
}

void CTAVINDlg::SetMuted(bool muted)
{
    m_playback.SetMuted(muted);
    RefreshButtons();
}

void CTAVINDlg::ResetPicture()
{
    NormalSpeed();
    SetBrightness(0);
    ResetVolume();
}

void CTAVINDlg::SetRepeat(DualPlayback::RepeatMode mode)
{
    m_playback.SetRepeat(mode);
    RefreshButtons();
}

void CTAVINDlg::OpenNeighbour(int step)
{
    skin::CSkinListCtrl *list = FileList();
    if (!list)
        return;
    const int row = list->GetSelectedItem() + step;
    if (row < 0 || row >= list->GetItemCount())
        return;
    m_playback.SetEnded(false);
    OpenRow(row);
}

void CTAVINDlg::SetViewMode(ViewLayout::Mode mode)
{
    const bool wasRunning = m_playback.IsRunning();
    if (wasRunning) {
        m_playback.Pause();
        m_positionTimer.stop();
    }
    HideMapWindow();
    HideCardPanels();
    HidePlaybackPanels();
    const int selected = FileList() ? FileList()->GetSelectedItem() : -1;
    const int currentRow = m_currentRow;
    if (!LoadSkin(EntryOf(mode), true)) {
        ShowPlain(SkinFailureText(), Skin().Text(QStringLiteral("err_title")), skin::kMbIconError);
        mode = m_viewMode;
        LoadSkin(EntryOf(mode), true);
    }
    if (m_viewMode == ViewLayout::kSmall && mode != ViewLayout::kSmall)
        m_smallPosition = pos();
    m_viewMode = mode;
    m_layout.SetMonitor(Runtime().MonitorSize());
    // Large and full views fill the monitor: they have nothing to be dragged by.
    if (mode != ViewLayout::kSmall)
        SetDragRect(skin::SkinRect());
    if (mode == ViewLayout::kSmall) {
        showNormal();
        if (m_smallPosition)
            move(*m_smallPosition);
        resize(WindowInfo().rect.toQRect().size());
    } else {
        // The layouts are computed for the whole monitor; without a window manager to carry out
        // the maximise, the window is placed there itself.
        const QPoint origin = screen() ? screen()->geometry().topLeft() : QPoint();
        setGeometry(QRect(origin, Runtime().MonitorSize()));
        showMaximized();
    }
    FillListControl();
    if (selected >= 0 && FileList())
        FileList()->SetSelectedItem(selected);
    m_currentRow = currentRow;
    PlaceVideoWindows();
    m_playback.Refresh();
    ShowSpeedGauge(mode != ViewLayout::kFull && Gauge() && (Gauge()->HasItems() || !m_gps.IsEmpty()));
    if (wasRunning) {
        m_playback.Resume();
        m_positionTimer.start(kTimerPeriodMs, this);
    }
    RefreshButtons();
    show();
}

void CTAVINDlg::PlaceVideoWindows()
{
    const ViewLayout::VideoPlaces places = m_layout.Places(m_viewMode);
    const bool loaded = m_playback.IsLoaded();
    CPLVVideoView *main = VideoView(m_mainChannel);
    CPLVVideoView *second = VideoView(1 - m_mainChannel);
    main->setGeometry(places.main);
    main->setVisible(loaded);
    main->raise();
    if (places.second.isEmpty()) {
        second->hide();
    } else {
        second->setGeometry(places.second);
        second->setVisible(loaded);
        second->raise();
    }
}

void CTAVINDlg::ShowSpeedGauge(bool show)
{
    ShowControl(kSkinImgButton, QStringLiteral("speed_on"), show);
    ShowControl(kSkinImgButton, QStringLiteral("speed_off"), !show);
    ShowControl(skin::kSkinSpeed, QStringLiteral("speed"), show);
}

void CTAVINDlg::SwapChannels()
{
    if (m_viewMode == ViewLayout::kFull || !m_playback.IsLoaded())
        return;
    m_mainChannel = 1 - m_mainChannel;
    PlaceVideoWindows();
    m_playback.Refresh();
}

void CTAVINDlg::OnMountsChanged()
{
    const QString location = platform::NormalizedRoot(m_library.Location());
    m_config->ScanDrives(true);
    // Only a listed card can go away; a listed folder stays where it is.
    if (!m_library.IsCard() || m_library.Location().isEmpty())
        return;
    for (int i = 0; i < m_config->GetMatchingDriveCount(); ++i) {
        if (platform::NormalizedRoot(m_config->GetDrive(i)) == location) {
            m_config->SelectDrive(i);
            return;
        }
    }
    m_positionTimer.stop();
    m_playback.SetEnded(false);
    OnStopButton();
    SendMessage(kMsgEmptyList);
    m_library.SetLocation(QString());
    ShowPlain(
        tr(qUtf8Printable(kCardRemovedText)), Skin().Text(QStringLiteral("err_title")), skin::kMbIconWarning);
}
