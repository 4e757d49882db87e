// The main window's side of the map window: it makes the window, shows and hides it, hands it
// each recording's track and sends it the playback position.
#include "app/AppLog.h"
#include "app/CTAVINDlg.h"
#include "app/MainWindowMessages.h"
#include "app/MainWindowSettings.h"
#include "views/map/CMapDlg.h"

using namespace mainwindow;

namespace {
// Where the map window opens, from the main window's top-left corner.
const QPoint kMapOffset(400, 400);
} // namespace

void CTAVINDlg::CreateMapWindow()
{
    if (m_settings.xmlMap.isEmpty()) {
        qCWarning(lcApp) << "the settings name no skin entry for the map window";
        return;
    }
    // Only the window and its pictures are made here; the web engine starts when it is first shown.
    m_mapDlg = new CMapDlg(Runtime(), this);
    if (!m_mapDlg->Init(m_settings.xmlMap)) {
        m_mapDlg->deleteLater();
        m_mapDlg = nullptr;
    }
}

void CTAVINDlg::DestroyMapWindow()
{
    delete m_mapDlg;
    m_mapDlg = nullptr;
}

void CTAVINDlg::ToggleMapWindow()
{
    if (!m_mapDlg) {
        ShowNotAvailable();
        return;
    }
    if (m_mapDlg->isVisible()) {
        m_mapDlg->hide();
    } else {
        m_mapDlg->move(pos() + kMapOffset);
        m_mapDlg->show();
    }
    m_repaintTimer.start(kTimerPeriodMs, this);
}

void CTAVINDlg::HideMapWindow()
{
    if (m_mapDlg && m_mapDlg->isVisible()) {
        m_mapDlg->hide();
        m_repaintTimer.start(kTimerPeriodMs, this);
    }
}

void CTAVINDlg::HandTrackToMap(qintptr positionMs)
{
    if (!m_mapDlg)
        return;
    if (!m_gps.IsEmpty())
        m_mapDlg->SetTrack(m_gps);
    // Also without fixes: the window then tells that the recording has none.
    m_mapDlg->PostMessage(CMapDlg::kMsgTrackHandedOver, 0, positionMs);
}

void CTAVINDlg::PostMapPosition(int64_t ms)
{
    if (m_mapDlg)
        m_mapDlg->PostMessage(CMapDlg::kMsgPosition, 0, qintptr(ms));
}

void CTAVINDlg::ClearMapTrack()
{
    // A hidden map is cleared too, or it would open on the previous recording's track.
    if (m_mapDlg)
        m_mapDlg->PostMessage(CMapDlg::kMsgTrackCleared);
}
