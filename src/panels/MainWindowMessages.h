#pragma once

#include <QtGlobal>

// The main window's private messages: the one table that the panels, menus and the window itself
// post from and the window handles. The order of posting is the order of handling.
namespace mainwindow {

// Playback.
constexpr quint32 kMsgStopped = 0x8001; // stop, or the recording reached its end
constexpr quint32 kMsgPlaybackStarted = 0x8002; // lParam: position in ms
constexpr quint32 kMsgPause = 0x8003;
constexpr quint32 kMsgPosition = 0x8004; // lParam: ms; wParam 1 when the play slider moved
constexpr quint32 kMsgOpenCommandLine = 0x8005;
constexpr quint32 kMsgSeekTo = 0x83E8; // lParam: ms

// The tool menu.
constexpr quint32 kMsgPrint = 0x8032;
constexpr quint32 kMsgCapture = 0x8033;
constexpr quint32 kMsgShowImageControl = 0x8034;
constexpr quint32 kMsgToggleStorage = 0x8035; // also the storage panel's close
constexpr quint32 kMsgShowSave = 0x8036;
constexpr quint32 kMsgShowSettings = 0x8037;
constexpr quint32 kMsgHideToolMenu = 0x8038;
constexpr quint32 kMsgExportClip = 0x8039;
constexpr quint32 kMsgExportAroundImpact = 0x803A; // lParam: the impact's time, as PositionMs counts

// The title menu.
constexpr quint32 kMsgOpenFolder = 0x8064;
constexpr quint32 kMsgTitleSave = 0x8065;
constexpr quint32 kMsgTitleStorage = 0x8066;
constexpr quint32 kMsgTitleSettings = 0x8067;
constexpr quint32 kMsgProgramInfo = 0x8068;
constexpr quint32 kMsgQuit = 0x8069;

// The image control panel.
constexpr quint32 kMsgHideImageControl = 0x8096;
constexpr quint32 kMsgSkipBackStep = 0x8099;
constexpr quint32 kMsgSkipBack = 0x809A;
constexpr quint32 kMsgSkipForwardStep = 0x809B;
constexpr quint32 kMsgSkipForward = 0x809C;
constexpr quint32 kMsgSlower = 0x809D;
constexpr quint32 kMsgNormalSpeed = 0x809E;
constexpr quint32 kMsgFaster = 0x809F;
constexpr quint32 kMsgBrightness = 0x80A0; // lParam: -50 to 50
constexpr quint32 kMsgBrightnessZero = 0x80A4;

// The settings and storage panels.
constexpr quint32 kMsgWriteSettings = 0x80C8; // settings OK
constexpr quint32 kMsgReloadSettings = 0x80C9; // settings Cancel
constexpr quint32 kMsgFormatCard = 0x80FA; // wParam: the storage panel's card index
constexpr quint32 kMsgEmptyList = 0x80FB; // the listed card was erased (or is gone)

// The print and save panels.
constexpr quint32 kMsgPrintClose = 0x812C;
constexpr quint32 kMsgPrintSave = 0x812D;
constexpr quint32 kMsgPrintCancel = 0x812E;
constexpr quint32 kMsgSaveRecordings = 0x815E;

// The period of the position timer while playing, and of the one-shot repaint.
constexpr int kTimerPeriodMs = 100;

} // namespace mainwindow
