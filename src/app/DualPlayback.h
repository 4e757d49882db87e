#pragma once

#include "app/RecordingOpener.h"
#include "media/playback/CVideoPlayer.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

// The two players of the main window, front then rear, and the playback settings that hold for
// both and survive from one recording to the next: rate, volume and mute, brightness, repeat
// mode. It knows nothing of windows beyond the surfaces it is given.
class DualPlayback
{
public:
    enum Channel { kFront = 0, kRear = 1 };
    enum class RepeatMode { One = 0, All = 1 };
    // What a stop message leads to.
    enum class StopOutcome {
        Restarted, // repeat one at the end: the same recording goes on from 0
        Closed, // both players stopped and closed
    };

    static constexpr double kSkipSeconds = 5.0;
    static constexpr int kRearVolume = 100;

    explicit DualPlayback(
        media::AudioOutputFactory audioOutputs = media::CVideoPlayer::DefaultAudioOutputs());

    void SetSurfaces(media::VideoSurface *front, media::VideoSurface *rear);
    media::CVideoPlayer &Player(int channel) { return channel == kRear ? m_rear : m_front; }
    // The front file that is open; empty when none is.
    QString FrontPath() const { return m_front.Graph() ? m_front.Graph()->FilePath() : QString(); }

    using OpenDone = std::function<void(const OpenedRecording &recording)>;

    // Opens a recording without making the UI thread wait: the current one is closed, then the
    // front file is read and its first picture decoded on a worker, together with its telemetry,
    // while another worker searches for the rear file with findRear (which runs there, see
    // RecordingOpener::RearSearch) and decodes its first picture. done is called on the UI thread
    // when both players hold their first pictures, or when the front cannot be played (nothing
    // is open then). The players are started with Start as after OpenFront. False, and nothing
    // changes, while another opening runs. Needs the UI thread's event loop.
    bool OpenAsync(const QString &frontPath, RecordingOpener::RearFinder findRear, OpenDone done);
    // While OpenAsync works; a second opening is refused meanwhile.
    bool IsOpening() const { return m_opener.IsBusy(); }
    // Gives up the opening in progress: its done is never called and nothing opens.
    void CancelOpen() { m_opener.Cancel(); }

    // Trips: the recording after the current one is opened and decoded up to its first picture on
    // workers while the current one plays, so that it can take over at the boundary without a
    // reload. done (UI thread) tells whether it opened; the recording's telemetry comes with it.
    // False, and nothing changes, while another preload runs.
    bool Preload(const QString &frontPath, RecordingOpener::RearFinder findRear, OpenDone done);
    bool IsPreloading() const { return m_preloader.IsBusy(); }
    // The front file of the preloaded recording that is ready; empty when none is.
    QString PreloadedPath() const;
    // Puts the preloaded recording in place of the current one in both players at once and starts
    // it with the settings in force. False, and nothing changes, when none is ready.
    bool TakeOverPreloaded();
    // Gives up a preload in progress or ready.
    void DropPreloaded();

    // Opens the front file; false when it cannot be played (nothing stays open then).
    bool OpenFront(const QString &path);
    // Opens a rear file candidate; true when it opened. The last success makes the rear present.
    bool OpenRear(const QString &path);
    // Starts both players with the settings in force (rate, brightness, volume).
    void Start();
    // Play on a paused recording resumes it where it stands.
    void Resume();
    void Pause();
    // Stops and closes both players, giving up an opening in progress.
    void Close();
    // The end-of-recording and stop rules: at the end with repeat one the recording restarts,
    // otherwise both players close.
    StopOutcome OnStop();

    void SeekMs(int64_t ms);
    void SkipBack();
    void SkipForward();

    // Rate steps of 0.25 between 0.5 and 2.0; false when the step changed nothing.
    bool Slower();
    bool Faster();
    void NormalSpeed();
    float Rate() const { return 1.0f + m_speedAdjustment; }

    void SetVolume(int volume);
    int Volume() const { return m_volume; }
    void SetMuted(bool muted);
    bool Muted() const { return m_muted; }
    void SetBrightness(int brightness);
    int Brightness() const { return m_brightness; }
    // Toggles one channel's decoder option; the rear only with a rear file.
    void ToggleDecoderOption(int channel);
    void Refresh();

    media::GraphState State() const { return m_front.State(); }
    bool IsRunning() const { return State() == media::GraphState::Running; }
    bool IsPaused() const { return State() == media::GraphState::Paused; }
    bool IsLoaded() const { return IsRunning() || IsPaused(); }
    bool RearPresent() const { return m_rearPresent; }
    int64_t PositionMs() const;
    int64_t DurationMs() const;
    // Where the front recording's last picture ends; 0 when unknown.
    int64_t PicturesEndMs() const;

    bool Ended() const { return m_ended; }
    void SetEnded(bool ended) { m_ended = ended; }
    RepeatMode Repeat() const { return m_repeat; }
    void SetRepeat(RepeatMode mode) { m_repeat = mode; }

private:
    void ApplyVolumes();

    media::CVideoPlayer m_front;
    media::CVideoPlayer m_rear;
    std::array<bool, 2> m_decoderToggles {};
    bool m_rearPresent = false;
    bool m_ended = false;
    bool m_muted = false;
    RepeatMode m_repeat = RepeatMode::All;
    float m_speedAdjustment = 0.0f;
    int m_volume = 50;
    int m_brightness = 0;
    std::optional<RecordingOpener::Prepared> m_preloaded;
    // Last, so that they go first: their workers are stopped while the players still stand.
    RecordingOpener m_preloader;
    RecordingOpener m_opener;
};
