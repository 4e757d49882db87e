#pragma once

#include "skin/CSkinDialog.h"

#include <cstdint>

class CMapCtrl;
namespace media {
class CGPSArray;
}

// The map window: the recording's track and the vehicle's position on the map page of its
// "trace_map" control. The main window hands it the track and posts it the messages below.
class CMapDlg : public skin::CSkinDialog
{
    Q_OBJECT
public:
    static constexpr quint32 kMsgTrackCleared = 0x8001;
    static constexpr quint32 kMsgTrackHandedOver = 0x8002; // lParam: position in ms (not used)
    static constexpr quint32 kMsgNoGpsOff = 0x8003;
    static constexpr quint32 kMsgPosition = 0x8004; // lParam: position in ms
    // Positions closer together than this move the marker once.
    static constexpr std::uint32_t kDrawIntervalMs = 1000;

    explicit CMapDlg(skin::SkinRuntime &runtime, QWidget *parent = nullptr);
    ~CMapDlg() override;

    // Loads the window's skin; on failure tells the user and closes itself.
    bool Init(const QString &entryName);
    CMapCtrl *MapCtrl() const { return m_map; }

    // Replaces the track by the fixes of the recording and draws it.
    void SetTrack(const media::CGPSArray &fixes);

signals:
    // The user clicked on the track: the time (ms from the start of the recording) of the fix
    // nearest to the click, for the player to seek to.
    void trackClicked(qint64 timeMs);

protected:
    bool WindowProc(skin::WindowMessageEvent &message) override;

private:
    CMapCtrl *m_map = nullptr;
    std::uint32_t m_lastDrawnMs = 0;
    bool m_drewPosition = false;
};
