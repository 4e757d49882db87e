// The main window's playback, transport and layout handlers.
#include "app/AppLog.h"
#include "app/CTAVINDlg.h"
#include "app/MainWindowSettings.h"
#include "app/RecordingOpener.h"
#include "app/TripPlayer.h"
#include "app/features/MainWindowTexts.h"
#include "app/features/RecordingListController.h"
#include "app/features/TripController.h"
#include "device/CTAVINSDConfig.h"
#include "media/telemetry/TelemetryLoader.h"
#include "media/widgets/CPLVVideoView.h"
#include "panels/MainWindowMessages.h"
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

CGSensorGraph *GraphOf(const skin::CSkinDialog &window)
{
    return window.Control<CGSensorGraph>(skin::kSkinGraph, QStringLiteral("gsensor"));
}
CSpeedCtrl *GaugeOf(const skin::CSkinDialog &window)
{
    return window.Control<CSpeedCtrl>(skin::kSkinSpeed, QStringLiteral("speed"));
}
skin::CBitmapSlider *SliderOf(const skin::CSkinDialog &window, const QString &name)
{
    return window.Control<skin::CBitmapSlider>(skin::kSkinSlider, name);
}
// The end is reached a little before the last millisecond: the position timer never lands on it.
constexpr int64_t kEndToleranceMs = 20;
} // namespace

void CTAVINDlg::OpenRow(int row)
{
    if (m_trips->ShowsTrips()) {
        m_trips->PlayRow(row);
        return;
    }
    // One opening at a time: the files are read on workers while the window goes on.
    if (!m_library.IsReady() || IsOpening()) {
        ShowPlain(
            Translated(kBusyOpeningText), Skin().Text(QStringLiteral("err_title")), skin::kMbIconWarning);
        return;
    }
    skin::CSkinListCtrl *list = FileList();
    if (!list || row < 0 || row >= list->GetItemCount())
        return;
    CloseWhatPlays();
    const qint64 fileIndex = list->GetItemData(row);
    if (fileIndex < 0 || fileIndex >= qint64(m_library.Recordings().size())) {
        qCWarning(lcApp) << "list row" << row << "names no recording:" << fileIndex;
        return;
    }
    list->SetSelectedItem(row);
    m_playback.OpenAsync(m_library.Recordings()[size_t(fileIndex)].path,
        RecordingOpener::RearSearch(m_library),
        [this, fileIndex](const OpenedRecording &recording) { OnRecordingOpened(fileIndex, recording); });
}

void CTAVINDlg::OnRecordingOpened(qint64 fileIndex, const OpenedRecording &recording)
{
    if (!recording.opened) {
        m_durationMs = 0;
        for (CPLVVideoView *view : m_views)
            view->hide();
        ShowKeyed(QStringLiteral("invalid_video"), skin::kMbIconError);
        update();
        return;
    }
    ShowOpened(recording);
    m_playback.Start();
    PlaceVideoWindows();
    PostMessage(kMsgPlaybackStarted, 0, 0);
    // Its row, wherever a sort put it meanwhile.
    m_list->SetPlayingFile(fileIndex);
    update();
}

void CTAVINDlg::ShowOpened(const OpenedRecording &recording)
{
    // The pictures were made at the windows' sizes already: no refresh before the start.
    PlaceVideoWindows();
    m_durationMs = recording.durationMs;
    if (skin::CBitmapSlider *slider = SliderOf(*this, QStringLiteral("play_slider")))
        slider->SetRange(0, int(m_durationMs));
    m_gps = recording.gps;
    if (CSpeedCtrl *gauge = GaugeOf(*this))
        recording.speeds.ReplayInto(*gauge);
    if (CGSensorGraph *graph = GraphOf(*this)) {
        graph->SetValueRange(kGraphValueRange);
        graph->SetDuration(int(m_durationMs));
        graph->AddSamples(recording.samples);
    }
    for (const auto &feature : m_features)
        feature->OnRecordingOpened(recording);
    m_positionMs = 0;
    if (m_viewMode != ViewLayout::kFull && GaugeOf(*this) && GaugeOf(*this)->HasItems())
        ShowSpeedGauge(true);
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
        m_list->OpenFolder();
}

void CTAVINDlg::PausePlayback()
{
    m_playback.Pause();
    m_positionMs = CurrentPositionMs();
    m_positionTimer.stop();
    RefreshButtons();
}

void CTAVINDlg::StopPlayback()
{
    m_positionTimer.stop();
    m_playback.Pause();
    m_playback.SetEnded(false);
    SendMessage(kMsgStopped);
}

void CTAVINDlg::OnStopped()
{
    if (PlaysTrip()) {
        StopTrip();
        return;
    }
    const bool ended = m_playback.Ended();
    if (m_playback.OnStop() == DualPlayback::StopOutcome::Restarted) {
        m_positionTimer.start(kTimerPeriodMs, this);
        PostMessage(kMsgPosition, 0, 0);
        return;
    }
    m_positionTimer.stop();
    ClearPositionViews();
    RefreshButtons();
    skin::CSkinListCtrl *list = FileList();
    const int rows = list ? list->GetItemCount() : 0;
    if (ended && rows > 0) {
        const int playing = m_list->PlayingRow();
        OpenRow(playing + 1 < rows ? playing + 1 : 0);
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
    for (const auto &feature : m_features)
        feature->OnPlaybackStarted(positionMs);
    ShowSpeedGauge(!m_gps.IsEmpty() && m_viewMode != ViewLayout::kFull);
    m_positionTimer.start(kTimerPeriodMs, this);
}

void CTAVINDlg::UpdatePosition(bool fromSlider, int64_t ms)
{
    CGSensorGraph *graph = GraphOf(*this);
    if (graph && graph->Model().SampleCount() > 1)
        graph->SetPosition(ms);
    if (!fromSlider) {
        if (skin::CBitmapSlider *slider = SliderOf(*this, QStringLiteral("play_slider")))
            slider->SetPos(int(ms));
    }
    if (CSpeedCtrl *gauge = GaugeOf(*this); gauge && gauge->HasItems())
        gauge->SetPosition(ms);
    for (const auto &feature : m_features)
        feature->OnPosition(ms);
    // Once per recording: the timer keeps ticking until the stop is handled. A trip tells its end.
    if (!PlaysTrip() && m_playback.IsLoaded() && !m_playback.Ended() && m_durationMs > 0
        && m_durationMs <= ms + kEndToleranceMs) {
        m_playback.SetEnded(true);
        m_positionTimer.stop();
        PostMessage(kMsgStopped);
    }
    m_positionMs = ms;
    update(TimeDisplayRect());
}

void CTAVINDlg::ClearPositionViews()
{
    if (CGSensorGraph *graph = GraphOf(*this))
        graph->Clear();
    if (CSpeedCtrl *gauge = GaugeOf(*this))
        gauge->Clear();
    if (skin::CBitmapSlider *slider = SliderOf(*this, QStringLiteral("play_slider")))
        slider->SetPos(0);
    for (const auto &feature : m_features)
        feature->OnRecordingClosed();
    m_gps.RemoveAll();
    m_positionMs = 0;
    update();
}

void CTAVINDlg::SkipBack()
{
    if (!m_playback.IsLoaded())
        return;
    if (PlaysTrip())
        m_tripPlayer->Seek(m_tripPlayer->PositionMs() - int64_t(DualPlayback::kSkipSeconds * 1000));
    else
        m_playback.SkipBack();
    m_positionMs = CurrentPositionMs();
    PostMessage(kMsgPosition, 0, qintptr(m_positionMs));
}

void CTAVINDlg::SkipForward()
{
    if (!m_playback.IsLoaded())
        return;
    if (PlaysTrip())
        m_tripPlayer->Seek(m_tripPlayer->PositionMs() + int64_t(DualPlayback::kSkipSeconds * 1000));
    else
        m_playback.SkipForward();
    m_positionMs = CurrentPositionMs();
    PostMessage(kMsgPosition, 0, qintptr(m_positionMs));
}

void CTAVINDlg::SeekFromSlider(qintptr ms)
{
    if (!m_playback.IsLoaded())
        return;
    if (PlaysTrip())
        m_tripPlayer->Seek(ms);
    else
        m_playback.SeekMs(ms);
    PostMessage(kMsgPosition, 1, ms);
}

void CTAVINDlg::SeekTo(int64_t ms)
{
    if (!m_playback.IsLoaded())
        return;
    if (PlaysTrip()) {
        // A moment in a gap plays from the gap's end.
        m_tripPlayer->Seek(ms);
        ms = m_tripPlayer->PositionMs();
    } else {
        m_playback.SeekMs(ms);
    }
    UpdatePosition(false, ms);
}

void CTAVINDlg::ResetVolume()
{
    m_playback.SetVolume(50);
    if (skin::CBitmapSlider *slider = SliderOf(*this, QStringLiteral("vol_slider"))) {
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
    m_playback.NormalSpeed();
    m_playback.SetBrightness(0);
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
    for (const auto &feature : m_features)
        feature->OnLayoutChanging();
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
        resize(WindowInfo().rect.ToQRect().size());
    } else {
        // The layouts are computed for the whole monitor; without a window manager to carry out
        // the maximise, the window is placed there itself.
        const QPoint origin = screen() ? screen()->geometry().topLeft() : QPoint();
        setGeometry(QRect(origin, Runtime().MonitorSize()));
        showMaximized();
    }
    PlaceVideoWindows();
    m_playback.Refresh();
    ShowSpeedGauge(
        mode != ViewLayout::kFull && GaugeOf(*this) && (GaugeOf(*this)->HasItems() || !m_gps.IsEmpty()));
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
