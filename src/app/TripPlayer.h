#pragma once

#include "app/DualPlayback.h"
#include "library/Trip.h"

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>

// Plays a trip on the window's players as one continuous recording: positions and seeks are in
// milliseconds of the trip's timeline, and at the end of each stretch the next recording, opened
// and decoded ahead on workers while this one played, takes over both players at once. Gaps where
// the recorder did not record are stepped over. The playback settings (rate, volume, mute,
// brightness) are the players' own and so carry over. UI thread only.
class TripPlayer : public QObject
{
    Q_OBJECT
public:
    // The first picture of the trip is there and plays (opened), or the first recording cannot be
    // played (not opened; nothing plays then).
    using Started = std::function<void(bool opened)>;

    TripPlayer(DualPlayback &playback, RecordingOpener::RearFinder findRear);
    ~TripPlayer() override;

    // Starts the trip at a moment of its timeline. False when the trip has nothing to play or an
    // opening is still running.
    bool Begin(const library::Trip &trip, int64_t tripMs, Started started);
    // Stops following the trip; the players are left as they are.
    void End();

    const library::Trip &Trip() const { return m_trip; }
    bool IsActive() const { return m_active; }
    bool IsOpening() const { return m_opening; }
    // The moment of the trip on screen.
    int64_t PositionMs() const;
    int64_t DurationMs() const { return m_trip.DurationMs(); }
    // The recording of the trip that plays, -1 before the first opened.
    int CurrentRecording() const
    {
        return m_segment >= 0 ? m_trip.timeline[size_t(m_segment)].recording : -1;
    }
    // How many times a preloaded recording took over at a boundary, and how many boundaries had
    // to open theirs while the picture stood.
    int TakeOvers() const { return m_takeOvers; }
    int LateOpenings() const { return m_lateOpenings; }

    // Seeks anywhere in the trip; a moment inside a gap plays from the gap's end.
    void Seek(int64_t tripMs);
    // Call on every position tick: moves on at the end of a stretch. False once the trip has played
    // to its end.
    bool Tick();

signals:
    // The trip played to its end.
    void ended();
    // Another recording of the trip took over (after a boundary or a seek).
    void recordingChanged(int recording);

private:
    // The first stretch at or after index that plays a recording; -1 when none is left.
    int NextPlayingSegment(int index) const;
    // Where the stretch playing now ends, in its recording's milliseconds.
    int64_t SegmentEndMs() const;
    void EnterSegment(int segment, int64_t recordingMs);
    void OpenSegment(int segment, int64_t recordingMs, bool resumePaused);
    void PreloadAfter(int segment);
    void ArmBoundaryTimer();

    DualPlayback &m_playback;
    RecordingOpener::RearFinder m_librarySearch; // for recordings whose rear file the listing lacks
    RecordingOpener::RearFinder m_findRear; // the trip's own rear files first
    QString m_preloadPath;
    library::Trip m_trip;
    bool m_active = false;
    bool m_opening = false;
    int m_segment = -1;
    int64_t m_pendingTripMs = 0; // the moment shown while a recording opens
    Started m_started;
    QTimer m_boundaryTimer; // fires at the end of the current stretch, between two position ticks
    int m_takeOvers = 0;
    int m_lateOpenings = 0;
};
