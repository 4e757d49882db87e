#pragma once

#include "app/DualPlayback.h"
#include "app/ViewLayout.h"
#include "library/RecordingLibrary.h"
#include "media/CGPSArray.h"
#include "media/telemetry/ImpactDetector.h"
#include "panels/ToolDialogs.h"
#include "platform/card_formatter.h"
#include "platform/volume_source.h"
#include "skin/CSkinDialog.h"

#include <QBasicTimer>
#include <QStringList>

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class CBBSettingDlg;
class CGSensorGraph;
class CStorageDlg;
class CImageControlDlg;
class CPrintDlg;
class CSaveDlg;
class CTitleMenuDlg;
class CToolMenuDlg;
class CMapDlg;
class QComboBox;
class QKeyEvent;
class QProgressDialog;
class QThread;
class CPLVVideoView;
class CSpeedCtrl;
struct MainWindowSettings;
namespace device {
class CTAVINSDConfig;
}
namespace platform {
class MountWatcher;

}
namespace skin {
class CBitmapSlider;
class CSkinListCtrl;
}

// The program's main window: the recording list of the card or folder, the two video windows
// with their players, the speed gauge and the G-sensor graph, and the transport controls. It
// turns the clicks of its skin controls, its private messages, its timers and the card changes
// into playback actions.
class CTAVINDlg : public skin::CSkinDialog
{
    Q_OBJECT
public:
    // What the window takes from outside; tests replace the parts that reach the user or the
    // system.
    struct Services {
        media::AudioOutputFactory audioOutputs = media::CVideoPlayer::DefaultAudioOutputs();
        QString commandLine; // recordings given to the program, double-quoted
        QStringList cardFolders; // folders that count as inserted cards
        std::unique_ptr<platform::VolumeSource> volumes; // null: the system's cards and cardFolders
        // The card chooser at start-up: the chosen index, or nothing on Cancel. Empty: the dialog.
        std::function<std::optional<int>(const QStringList &roots)> chooseCard;
        // The folder chooser of `open`; empty result when cancelled. Empty: the system's dialog.
        std::function<QString()> chooseFolder;
        bool watchMounts = true;
        // Formats the cards. Null: the system's (udisks2).
        std::unique_ptr<platform::CardFormatter> cardFormatter;
    };

    CTAVINDlg(skin::SkinRuntime &runtime, MainWindowSettings &settings, Services services,
        QWidget *parent = nullptr);
    ~CTAVINDlg() override;

    // Loads the small layout, lists the command line's files or the chosen card and sets up the
    // controls. False when the skin cannot be loaded (the user was told, a close is posted).
    bool Init();

    // A card was inserted or removed somewhere.
    void OnMountsChanged();

    DualPlayback &Playback() { return m_playback; }
    const library::RecordingLibrary &Library() const { return m_library; }
    ViewLayout::Mode ViewMode() const { return m_viewMode; }
    int MainChannel() const { return m_mainChannel; }
    CPLVVideoView *VideoView(int channel) const { return m_views[channel == DualPlayback::kRear ? 1 : 0]; }
    skin::CSkinListCtrl *FileList() const;
    CMapDlg *MapWindow() const { return m_mapDlg; }
    int64_t PositionMs() const { return m_positionMs; }
    int CurrentRow() const { return m_currentRow; }
    // Whether a listing runs on a worker (also one given up that has not ended yet).
    bool IsListing() const { return !m_listings.empty(); }

    static const QString kBusyOpeningText;
    static const QString kCardRemovedText;
    static const QString kNotAvailableText;
    static const QString kNoRearPictureText;
    static const QString kRenamedCopiesText;

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
    // Set-up
    void RegisterHandlers();
    void SetUpControls();
    void ChooseCardAtStart();
    // Lists a card or a folder on a worker while a progress dialog offers Cancel; the list fills
    // when it is done. A listing still running is given up; a cancelled one changes nothing.
    void ListCard(const QString &root);
    // selectCard: the card to select once the listing arrives, or -1.
    void StartListing(const QString &location, bool isCard, int selectCard);
    void OnListingFinished(QThread *worker);
    void CancelListing();
    void CloseListingProgress();
    void EndListings();
    void ShowKeyed(const QString &messageKey, int flags);
    void ShowPlain(const QString &text, const QString &caption, int flags);

    // The list
    void FillListControl();
    void ChooseCategory(int category);
    void Sort(bool ascending);
    void OpenFolder();
    void EmptyList();

    // Playback
    void OpenRow(int row);
    bool OpenRecording(const QString &path);
    void OnPlay();
    void OnPause();
    void OnStopButton();
    void OnStopped();
    void OnPlaybackStarted(qintptr positionMs);
    void UpdatePosition(bool fromSlider, int64_t ms);
    void ResetPositionViews();
    void SkipBack();
    void SkipForward();
    void SeekFromSlider(qintptr ms);
    void SeekTo(int64_t ms);
    void Slower();
    void Faster();
    void NormalSpeed();
    void SetBrightness(int brightness);
    void OnVolumeSlider(qintptr volume);
    void ResetVolume();
    void SetMuted(bool muted);
    void ResetPicture();
    void SetRepeat(DualPlayback::RepeatMode mode);
    void OpenNeighbour(int step);

    // Layouts
    void SetViewMode(ViewLayout::Mode mode);
    void PlaceVideoWindows();
    void ShowSpeedGauge(bool show);
    void SwapChannels();
    void RefreshButtons();

    // The map window (CTAVINDlgMap.cpp).
    void CreateMapWindow();
    void DestroyMapWindow();
    void ToggleMapWindow();
    void HideMapWindow();
    void HandTrackToMap(qintptr positionMs);
    void PostMapPosition(int64_t ms);
    void ClearMapTrack();

    // The recorder's settings and the card's storage panels (CTAVINDlgCardPanels.cpp).
public:
    CBBSettingDlg *SettingsPanel() const { return m_settingsPanel; }
    CStorageDlg *StoragePanel() const { return m_storagePanel; }

private:
    void CreateCardPanels();
    void HideCardPanels();
    void ToggleStoragePanel();
    void ShowSettingsPanel();
    // Runs the settings panel's write (and the format it may ask for) for a card index, -1 for the
    // selected card; then the storage panel reads that card again.
    void WriteCardSettings(int driveIndex);
    void StopPlaybackBeforeFormat();
    // The storage panel's format request, for the card that panel shows.
    void FormatStorageCard();
    // A card was listed, or the user cancelled the settings: the panel shows the card's settings.
    void OnCardListed();
    // The index among the offered cards of the listed card, or the first one.
    int ListedCardIndex() const;

    // Save, capture and print, image control and the menus (CTAVINDlgPanels.cpp).
public:
    CSaveDlg *SavePanel() const { return m_savePanel; }
    CPrintDlg *PrintPanel() const { return m_printPanel; }
    CImageControlDlg *ImageControlPanel() const { return m_imageControl; }
    CTitleMenuDlg *TitleMenu() const { return m_titleMenu; }
    CToolMenuDlg *ToolMenu() const { return m_toolMenu; }
    // The system dialogs the tools ask through; tests answer in their place.
    ToolDialogs &Dialogs() { return m_toolDialogs; }
    // Whether recordings are being copied into a save folder.
    bool IsSaving() const { return m_saveCopy != nullptr; }

private:
    void CreatePlaybackPanels();
    // A new layout closes the save panel and the menus, which stood for the old one.
    void HidePlaybackPanels();
    bool OnPlaybackPanelMessage(quint32 message);
    void ToggleTitleMenu();
    void ToggleToolMenu();
    void ShowImageControl();
    void ShowSavePanel();
    void SaveRecordings();
    void OnSaveFinished();
    void Capture();
    void SaveCapture();
    void Print();
    // False, after telling the user, when the main area shows the rear channel of a recording
    // that has none.
    bool HasPictureToTake();
    QPoint FromTopLeft(int dx, int dy) const;

    // Impact events of the open recording (CTAVINDlgImpacts.cpp).
public:
    const std::vector<media::Impact> &Impacts() const { return m_impacts; }
    QComboBox *ImpactList() const { return m_impactList; }

private:
    void SetUpImpactControls();
    void PlaceImpactList();
    void LoadImpacts();
    void ClearImpacts();
    void ShowImpacts();
    // step 1: the next impact after the playback position, -1: the previous one.
    void JumpToImpact(int step);
    bool HandleImpactKey(const QKeyEvent &event);

    // Evidence clip export and the span marks on the play slider (CTAVINDlgExport.cpp).
public:
    int64_t MarkInMs() const { return m_markInMs; }
    int64_t MarkOutMs() const { return m_markOutMs; }
    bool IsExporting() const { return m_export != nullptr; }
    QProgressDialog *ExportProgress() const { return m_exportProgress; }

private:
    struct ExportJob;
    void SetUpExportControls();
    // A recording was opened: its files are what an export takes; the marks start afresh.
    void ResetExportSpan(const QString &frontPath, const QString &rearPath);
    void SetSpanMark(bool in);
    void ShowSpanMarks();
    bool HandleExportKey(const QKeyEvent &event);
    void ExportClip();
    void OnExportFinished(const std::shared_ptr<ExportJob> &job);
    void EndExport();

    void ShowNotAvailable();
    void CloseWindow();

    CGSensorGraph *Graph() const;
    CSpeedCtrl *Gauge() const;
    skin::CBitmapSlider *Slider(const QString &name) const;
    QString EntryOf(ViewLayout::Mode mode) const;

    MainWindowSettings &m_settings;
    Services m_services;
    DualPlayback m_playback;
    library::RecordingLibrary m_library;
    std::unique_ptr<device::CTAVINSDConfig> m_config;
    platform::MountWatcher *m_mountWatcher = nullptr;
    std::array<CPLVVideoView *, 2> m_views {};
    ViewLayout m_layout;
    ViewLayout::Mode m_viewMode = ViewLayout::kSmall;
    // Where the small window stood before a large or full view took the whole monitor.
    std::optional<QPoint> m_smallPosition;
    int m_mainChannel = DualPlayback::kFront;
    int m_category = library::kCategoryAll;
    int m_currentRow = -1;
    int64_t m_positionMs = 0;
    int64_t m_durationMs = 0;
    int m_timeTop = 613;
    media::CGPSArray m_gps;
    // The listings on workers: the last one is current, the ones before it were given up and
    // are still ending.
    struct Listing {
        QThread *worker = nullptr;
        std::shared_ptr<std::atomic_bool> cancel;
        QString location;
        bool isCard = false;
        int selectCard = -1;
        std::shared_ptr<std::vector<library::Recording>> found;
    };
    std::vector<Listing> m_listings;
    QProgressDialog *m_listingProgress = nullptr;
    QBasicTimer m_positionTimer;
    QBasicTimer m_repaintTimer;
    bool m_closing = false;

    // The map window's state.
    CMapDlg *m_mapDlg = nullptr; // a child window; null when it could not be made

    // The settings and storage panels' state.
    CBBSettingDlg *m_settingsPanel = nullptr;
    CStorageDlg *m_storagePanel = nullptr;

    // The save, print, image control and menu panels' state. The panels are child windows; a
    // panel whose skin is missing stays null.
    CSaveDlg *m_savePanel = nullptr;
    CPrintDlg *m_printPanel = nullptr;
    CImageControlDlg *m_imageControl = nullptr;
    CTitleMenuDlg *m_titleMenu = nullptr;
    CToolMenuDlg *m_toolMenu = nullptr;
    ToolDialogs m_toolDialogs = ToolDialogs::System();
    struct SaveCopy;
    std::shared_ptr<SaveCopy> m_saveCopy;

    // The impacts of the open recording and their list (a plain drop-down beside the buttons).
    std::vector<media::Impact> m_impacts;
    QComboBox *m_impactList = nullptr;

    // The export's state: the open recording's files, the marks (-1 when not set), the running
    // export and its progress window.
    QString m_exportFront;
    QString m_exportRear;
    int64_t m_markInMs = -1;
    int64_t m_markOutMs = -1;
    QWidget *m_spanMarks = nullptr;
    std::shared_ptr<ExportJob> m_export;
    QProgressDialog *m_exportProgress = nullptr;
    ExportChoices m_exportChoices; // the last ones made, offered again
};
