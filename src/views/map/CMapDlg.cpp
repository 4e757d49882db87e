#include "views/map/CMapDlg.h"

#include "media/CGPSArray.h"
#include "skin/SkinRuntime.h"
#include "skin/WindowMessageEvent.h"
#include "views/ViewsLog.h"
#include "views/map/CMapCtrl.h"
#include "views/map/MapControlFactory.h"

CMapDlg::CMapDlg(skin::SkinRuntime &runtime, QWidget *parent)
    : CSkinDialog(runtime, parent)
{
    if (!runtime.ControlFactory(skin::kSkinMap))
        RegisterMapControlFactory(runtime);
}

CMapDlg::~CMapDlg()
{
    Runtime().Delegates().RemoveOwner(this);
}

bool CMapDlg::Init(const QString &entryName)
{
    if (!InitSkin(entryName))
        return false;
    RegisterEvent(QStringLiteral("close"), skin::kSkinImgButton, skin::kEventClick,
        skin::ClickDelegate([this] { hide(); }));
    m_map = Control<CMapCtrl>(skin::kSkinMap, QStringLiteral("trace_map"));
    if (!m_map)
        qCWarning(lcViews) << "the map window's skin" << entryName << "has no trace_map control";
    else
        connect(m_map, &CMapCtrl::trackClicked, this, &CMapDlg::trackClicked, Qt::UniqueConnection);
    return true;
}

void CMapDlg::SetTrack(const media::CGPSArray &fixes)
{
    if (!m_map)
        return;
    if (m_map->GetPointCount() > 0)
        m_map->ClearTrack();
    for (const media::CGps &fix : fixes)
        m_map->AddPoint(fix.timeMs, media::CoordinateToDegrees(fix.latitude),
            media::CoordinateToDegrees(fix.longitude), fix.speed);
    m_map->DrawTrack();
    // The marker was taken off with the old track: the next position draws it at once.
    m_drewPosition = false;
}

bool CMapDlg::WindowProc(skin::WindowMessageEvent &message)
{
    switch (message.Message()) {
    case kMsgTrackCleared:
        if (m_map && m_map->GetPointCount() > 0)
            m_map->ClearTrack();
        if (m_map)
            m_map->SetNoGpsState(false);
        m_drewPosition = false;
        return true;
    case kMsgTrackHandedOver:
        if (m_map)
            m_map->SetNoGpsState(true);
        return true;
    case kMsgNoGpsOff:
        if (m_map)
            m_map->SetNoGpsState(false);
        return true;
    case kMsgPosition: {
        const auto ms = std::uint32_t(message.LParam());
        // Unsigned, so that a step back in time always draws.
        if (m_map && m_map->GetPointCount() > 0
            && (!m_drewPosition || ms - m_lastDrawnMs >= kDrawIntervalMs)) {
            m_map->DrawCurrent(ms);
            m_lastDrawnMs = ms;
            m_drewPosition = true;
        }
        return true;
    }
    default:
        return CSkinDialog::WindowProc(message);
    }
}
