#pragma once

#include "app/features/MainWindowFeature.h"

#include <QObject>

class CMapDlg;

// The main window's side of the map window: it makes the window, shows and hides it, hands it
// each recording's (or trip's) track, sends it the playback position and seeks where the user
// clicks on the track.
class MapController : public QObject, public MainWindowFeature
{
    Q_OBJECT
public:
    using MainWindowFeature::MainWindowFeature;
    ~MapController() override;

    CMapDlg *MapWindow() const { return m_mapDlg; }

    void OnStart() override;
    void OnSkinLoaded() override;
    void OnLayoutChanging() override;
    void OnPlaybackStarted(int64_t positionMs) override;
    void OnPosition(int64_t ms) override;
    void OnRecordingClosed() override;
    void OnClosing() override;

private:
    void Toggle();

    CMapDlg *m_mapDlg = nullptr; // a child window; null when it could not be made
};
