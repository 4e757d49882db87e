#pragma once

#include "app/DualPlayback.h"
#include "app/MainWindowServices.h"
#include "app/ViewLayout.h"
#include "app/features/MainWindowFeature.h"
#include "library/RecordingLibrary.h"
#include "media/CGPSArray.h"
#include "panels/ToolDialogs.h"
#include "skin/CSkinDialog.h"

#include <QBasicTimer>

#include <array>
#include <memory>
#include <optional>
#include <vector>

class ArchiveController;
class BackgroundJob;
class CardPanelsController;
class CPLVVideoView;
class ExportController;
class ImpactsController;
class MapController;
class RecordingListController;
class ToolPanelsController;
class TripController;
class TripPlayer;
class TripTimelineMarks;
struct MainWindowSettings;
namespace skin {
class CSkinListCtrl;
}

// The program's main window. It owns what is the window's own: the skin and its three layouts,
// the two video windows with their players, the transport row, the time display and the position
// views (slider, speed gauge, G-sensor graph); and it routes messages, keys and timers. Each other
// feature (the recording list, the map, the card panels, the tool panels, impacts, export, trips,
// the archive) is a controller of its own behind MainWindowContext.
class CTAVINDlg : public skin::CSkinDialog, public MainWindowContext
{
    Q_OBJECT
public:
    using Services = MainWindowServices;

    CTAVINDlg(skin::SkinRuntime &runtime, MainWindowSettings &settings, Services services,
        QWidget *parent = nullptr);
    ~CTAVINDlg() override;

    // Loads the small layout, lists the command line's files or the chosen card and sets up the
    // controls. False when the skin cannot be loaded (the user was told, a close is posted).
    bool Init();
    // A card was inserted or removed somewhere.
    void OnMountsChanged();

    const library::RecordingLibrary &Library() const { return m_library; }
    CPLVVideoView *VideoView(int channel) const { return m_views[channel == DualPlayback::kRear ? 1 : 0]; }
    skin::CSkinListCtrl *FileList() const;
    int CurrentRow() const;
    RecordingListController &ListFeature() const { return *m_list; }
    MapController &MapFeature() const { return *m_map; }
    ToolPanelsController &ToolPanelsFeature() const { return *m_toolPanels; }
    CardPanelsController &CardPanelsFeature() const { return *m_cardPanels; }
    ImpactsController &ImpactsFeature() const { return *m_impacts; }
    ExportController &ExportFeature() const { return *m_export; }
    TripController &TripsFeature() const { return *m_trips; }
    ArchiveController &ArchiveFeature() const { return *m_archive; }
    // The trip that plays, null while a single recording plays or nothing does.
    const TripPlayer *PlayingTrip() const;
    // The recorder's clock time of the picture, as the time display shows it after a click on it;
    // empty while it shows the position and length.
    QString ClockTimeText() const;

    // MainWindowContext
    skin::CSkinDialog &Window() override { return *this; }
    DualPlayback &Playback() override { return m_playback; }
    library::RecordingLibrary &Library() override { return m_library; }
    device::CTAVINSDConfig &Config() override { return *m_config; }
    const MainWindowSettings &Settings() const override { return m_settings; }
    ToolDialogs &Dialogs() override { return m_toolDialogs; }
    void ShowKeyed(const QString &messageKey, int flags) override;
    void ShowPlain(const QString &text, const QString &caption, int flags) override;
    void ShowNotAvailable() override;
    void RequestRepaint() override;
    int64_t PositionMs() const override { return m_positionMs; }
    int64_t DurationMs() const override { return m_durationMs; }
    const media::CGPSArray &Track() const override { return m_gps; }
    void SeekTo(int64_t ms) override;
    void PausePlayback() override;
    void StopPlayback() override;
    void ClearPositionViews() override;
    void OpenRow(int row) override;
    void PlayTrip(const library::Trip &trip, int64_t fromMs = 0) override;
    const library::Trip *CurrentTrip(int64_t *recordingStartMs) const override;
    bool PlaysTrip() const override;
    ViewLayout::Mode ViewMode() const override { return m_viewMode; }
    int MainChannel() const override { return m_mainChannel; }
    QRect MainVideoRect() const override;
    QPoint FromTopLeft(int dx, int dy) const override { return pos() + QPoint(dx, dy); }

protected:
    bool WindowProc(skin::WindowMessageEvent &message) override;
    void OnSkinLoaded() override;
    void timerEvent(QTimerEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    void RegisterHandlers();
    void SetUpControls();
    void OnRecordingOpened(qint64 fileIndex, const OpenedRecording &recording);
    // Hands an opened recording's (or trip's) length, telemetry and files to the views and features.
    void ShowOpened(const OpenedRecording &recording);
    void OnTripTelemetry(const library::Trip &trip, int64_t fromMs, const OpenedRecording &telemetry);
    // Stops following the trip (the players stay); StopTrip also closes them and clears the views.
    void EndTrip();
    void StopTrip();
    // A recording or trip is being opened; another opening waits for it.
    bool IsOpening() const;
    // Closes the recording or trip that plays and clears its views.
    void CloseWhatPlays();
    // The position of what plays: in the recording, or in the trip.
    int64_t CurrentPositionMs() const;
    void OnPlay();
    void OnStopped();
    void OnPlaybackStarted(qintptr positionMs);
    void UpdatePosition(bool fromSlider, int64_t ms);
    void SkipBack();
    void SkipForward();
    void SeekFromSlider(qintptr ms);
    void ResetVolume();
    void SetMuted(bool muted);
    void ResetPicture();
    void SetRepeat(DualPlayback::RepeatMode mode);
    void OpenNeighbour(int step);
    void SetViewMode(ViewLayout::Mode mode);
    void PlaceVideoWindows();
    void ShowSpeedGauge(bool show);
    void SwapChannels();
    void RefreshButtons();
    void CloseWindow();
    QRect TimeDisplayRect() const;
    QString EntryOf(ViewLayout::Mode mode) const;
    template <class Feature, class... Args> Feature *AddFeature(Args &&...args);

    MainWindowSettings &m_settings;
    Services m_services;
    DualPlayback m_playback;
    library::RecordingLibrary m_library;
    std::unique_ptr<device::CTAVINSDConfig> m_config;
    ToolDialogs m_toolDialogs = ToolDialogs::System();
    std::array<CPLVVideoView *, 2> m_views {};
    ViewLayout m_layout;
    ViewLayout::Mode m_viewMode = ViewLayout::kSmall;
    std::optional<QPoint> m_smallPosition; // where the small window stood before a large or full view
    int m_mainChannel = DualPlayback::kFront;
    int64_t m_positionMs = 0;
    int64_t m_durationMs = 0;
    media::CGPSArray m_gps;
    QBasicTimer m_positionTimer;
    QBasicTimer m_repaintTimer;
    bool m_closing = false;
    bool m_showClockTime = false; // the time display shows the recorder's clock time
    std::unique_ptr<TripPlayer> m_tripPlayer;
    std::unique_ptr<BackgroundJob> m_tripOpening; // the trip's telemetry, read before it plays
    TripTimelineMarks *m_tripMarks = nullptr;

    // The features in the order they see messages, keys and events.
    std::vector<std::unique_ptr<MainWindowFeature>> m_features;
    RecordingListController *m_list = nullptr;
    MapController *m_map = nullptr;
    ToolPanelsController *m_toolPanels = nullptr;
    CardPanelsController *m_cardPanels = nullptr;
    ImpactsController *m_impacts = nullptr;
    ExportController *m_export = nullptr;
    TripController *m_trips = nullptr;
    ArchiveController *m_archive = nullptr;
};
