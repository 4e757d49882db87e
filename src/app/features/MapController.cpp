#include "app/features/MapController.h"

#include "app/AppLog.h"
#include "app/MainWindowSettings.h"
#include "media/CGPSArray.h"
#include "skin/CSkinDialog.h"
#include "views/map/CMapDlg.h"

namespace {
// Where the map window opens, from the main window's top-left corner.
constexpr int kMapOffset = 400;
} // namespace

MapController::~MapController()
{
    delete m_mapDlg;
}

void MapController::OnStart()
{
    const QString entry = m_window.Settings().xmlMap;
    if (entry.isEmpty()) {
        qCWarning(lcApp) << "the settings name no skin entry for the map window";
        return;
    }
    // Only the window and its pictures are made here; the web engine starts when it is first shown.
    m_mapDlg = new CMapDlg(m_window.Window().Runtime(), &m_window.Window());
    if (!m_mapDlg->Init(entry)) {
        m_mapDlg->deleteLater();
        m_mapDlg = nullptr;
        return;
    }
    // A click on the track seeks the video to the moment the car was there; a trip's track
    // carries the trip's times, so the click lands on the right recording.
    connect(m_mapDlg, &CMapDlg::trackClicked, this, [this](qint64 timeMs) {
        if (timeMs >= 0 && timeMs <= m_window.DurationMs())
            m_window.SeekTo(timeMs);
    });
}

void MapController::OnSkinLoaded()
{
    m_window.Window().RegisterEvent(QStringLiteral("title_map"), skin::kSkinImgButton, skin::kEventClick,
        skin::ClickDelegate([this] { Toggle(); }));
}

void MapController::Toggle()
{
    if (!m_mapDlg) {
        m_window.ShowNotAvailable();
        return;
    }
    if (m_mapDlg->isVisible()) {
        m_mapDlg->hide();
    } else {
        m_mapDlg->move(m_window.FromTopLeft(kMapOffset, kMapOffset));
        m_mapDlg->show();
    }
    m_window.RequestRepaint();
}

void MapController::OnLayoutChanging()
{
    if (m_mapDlg && m_mapDlg->isVisible()) {
        m_mapDlg->hide();
        m_window.RequestRepaint();
    }
}

void MapController::OnPlaybackStarted(int64_t positionMs)
{
    if (!m_mapDlg)
        return;
    if (!m_window.Track().IsEmpty())
        m_mapDlg->SetTrack(m_window.Track());
    // Also without fixes: the window then tells that the recording has none.
    m_mapDlg->PostMessage(CMapDlg::kMsgTrackHandedOver, 0, qintptr(positionMs));
}

void MapController::OnPosition(int64_t ms)
{
    if (m_mapDlg)
        m_mapDlg->PostMessage(CMapDlg::kMsgPosition, 0, qintptr(ms));
}

void MapController::OnRecordingClosed()
{
    // A hidden map is cleared too, or it would open on the previous recording's track.
    if (m_mapDlg)
        m_mapDlg->PostMessage(CMapDlg::kMsgTrackCleared);
}

void MapController::OnClosing()
{
    delete m_mapDlg;
    m_mapDlg = nullptr;
}
