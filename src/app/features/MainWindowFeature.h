#pragma once

#include "app/ViewLayout.h"

#include <QRect>
#include <QString>

#include <cstdint>

class DualPlayback;
struct OpenedRecording;
class QKeyEvent;
struct MainWindowSettings;
struct ToolDialogs;
namespace device {
class CTAVINSDConfig;
}
namespace library {
class RecordingLibrary;
struct Trip;
}
namespace media {
class CGPSArray;
}
namespace skin {
class CSkinDialog;
}

// What a feature of the main window may ask of the window: its skin and controls, the players,
// the library, telling the user, a repaint, and the playback as the transport row drives it.
// Features never reach into each other; the window passes on what one must know of another.
class MainWindowContext
{
public:
    virtual ~MainWindowContext() = default;

    // The window itself: skin handlers, controls, texts, posting messages.
    virtual skin::CSkinDialog &Window() = 0;
    virtual DualPlayback &Playback() = 0;
    virtual library::RecordingLibrary &Library() = 0;
    virtual device::CTAVINSDConfig &Config() = 0;
    virtual const MainWindowSettings &Settings() const = 0;
    virtual ToolDialogs &Dialogs() = 0;

    // A message box with a keyed skin text (under "err_title"), or with a plain text.
    virtual void ShowKeyed(const QString &messageKey, int flags) = 0;
    virtual void ShowPlain(const QString &text, const QString &caption, int flags) = 0;
    virtual void ShowNotAvailable() = 0;
    // Repaints the video once the window settles (after a panel or menu closed over it).
    virtual void RequestRepaint() = 0;

    // The open recording, as the transport row plays it.
    virtual int64_t PositionMs() const = 0;
    virtual int64_t DurationMs() const = 0;
    virtual const media::CGPSArray &Track() const = 0;
    virtual void SeekTo(int64_t ms) = 0;
    virtual void PausePlayback() = 0;
    virtual void StopPlayback() = 0;
    // Empties the graph, gauge, slider and the features' views of the recording.
    virtual void ClearPositionViews() = 0;
    // Plays a row of the recording list ("another file is opening" while one opens).
    virtual void OpenRow(int row) = 0;
    // Plays a trip as one recording from a moment of its timeline (its start by default): the
    // position, the views and the features then follow the trip's timeline. The trip's files may
    // lie anywhere (another card, a backup).
    virtual void PlayTrip(const library::Trip &trip, int64_t fromMs = 0) = 0;
    // The trip that plays; else the trip of the open recording, with where the recording's 0 lies
    // on the trip's timeline. Null when neither is known.
    virtual const library::Trip *CurrentTrip(int64_t *recordingStartMs) const = 0;
    // Whether a trip plays: the position and duration are then the trip's.
    virtual bool PlaysTrip() const = 0;

    virtual ViewLayout::Mode ViewMode() const = 0;
    virtual int MainChannel() const = 0;
    virtual QRect MainVideoRect() const = 0;
    // A point of the screen at an offset from the window's top-left corner.
    virtual QPoint FromTopLeft(int dx, int dy) const = 0;
};

// One feature of the main window: it owns its state, registers its skin handlers when a layout is
// loaded, and handles its own messages and keys. The window calls these in the order the features
// were added; a message or key one feature takes goes no further.
class MainWindowFeature
{
public:
    explicit MainWindowFeature(MainWindowContext &window)
        : m_window(window)
    {
    }
    virtual ~MainWindowFeature() = default;
    MainWindowFeature(const MainWindowFeature &) = delete;
    MainWindowFeature &operator=(const MainWindowFeature &) = delete;

    // Once, after the first layout: child windows and workers.
    virtual void OnStart() { }
    // After each layout is loaded: handlers and controls of the new layout.
    virtual void OnSkinLoaded() { }
    // Before another layout replaces this one: panels of the old layout go away.
    virtual void OnLayoutChanging() { }
    virtual bool OnMessage(quint32 message, quintptr wParam, qintptr lParam)
    {
        (void)message, (void)wParam, (void)lParam;
        return false;
    }
    virtual bool OnKey(const QKeyEvent &event)
    {
        (void)event;
        return false;
    }
    // A recording was opened (its files, length, track and impacts) and is about to play.
    virtual void OnRecordingOpened(const OpenedRecording &recording) { (void)recording; }
    // The recording was closed, or its position views were reset.
    virtual void OnRecordingClosed() { }
    virtual void OnPlaybackStarted(int64_t positionMs) { (void)positionMs; }
    virtual void OnPosition(int64_t ms) { (void)ms; }
    // The window closes: workers end, child windows go.
    virtual void OnClosing() { }

protected:
    MainWindowContext &m_window;
};
