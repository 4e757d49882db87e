#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <array>
#include <memory>

#include "media/playback/AudioOutput.h"
#include "media/playback/CVideoGraph.h"
#include "media/playback/PlaybackTypes.h"
#include "media/playback/VideoSurface.h"
#include "media/telemetry/IStreamParseData.h"

namespace media {

// One channel's player (front or rear): holds at most one graph and the window it plays into.
// Every operation acts on the graph and does nothing (reporting success) when there is none.
// Called from the UI thread only.
class CVideoPlayer
{
public:
    // Players play through Qt's default sound device unless given another output.
    static AudioOutputFactory DefaultAudioOutputs();

    explicit CVideoPlayer(AudioOutputFactory audioOutputs = DefaultAudioOutputs());
    ~CVideoPlayer();
    CVideoPlayer(const CVideoPlayer &) = delete;
    CVideoPlayer &operator=(const CVideoPlayer &) = delete;

    // Gives the player its window (one per player here) and creates an empty graph when there
    // is none. The window may be destroyed before the player: the player then lets go of it.
    void SetWindows(VideoSurface *window);
    bool Open(const QString &path);
    void Close();

    // Opening on a worker: a new graph for this player's window (null without one), prepared
    // elsewhere with CVideoGraph::Prepare at its WindowSizes(), then handed back with Adopt,
    // which puts it in place of the current graph and attaches the window. UI thread.
    std::unique_ptr<CVideoGraph> NewGraph() const;
    void Adopt(std::unique_ptr<CVideoGraph> graph);

    PlaybackResult Play();
    void Pause();
    PlaybackResult Stop();
    bool SetRate(float rate);
    bool SetVolume(int volume);
    bool SeekMs(int64_t ms);
    bool SkipBack(double seconds);
    bool SkipForward(double seconds);
    // In 100 ns units.
    MediaTime GetPosition() const;
    MediaTime GetDuration() const;
    MediaTime GetPicturesEnd() const;
    PlaybackResult Refresh();
    // The picture of video stream 0 to 3 on screen, at the video's own size.
    bool CaptureFrame(int stream, QImage *image);
    PlaybackResult SetBrightness(int value);
    PlaybackResult SetDecoderOption(bool enabled);

    // NotBuilt when there is no graph.
    GraphState State() const;
    CVideoGraph *Graph() const { return m_graph.get(); }
    // The recording's telemetry records, from the graph's source; null when nothing is open.
    media::IStreamParseData *GetStreamParseData() const;
    // How many video streams the player renders (for capture and print).
    int RenderedStreamCount() const;

    int WindowCount() const { return m_windowCount; }
    VideoSurface *Window(int index) const;
    QSize ClientSize(int index) const;

    // Whether new graphs get a brightness stage after their decoders. Our decoders have no
    // picture controls of their own, so it is on by default.
    void SetBrightnessFilter(bool enabled) { m_brightnessFilter = enabled; }
    // Whether new graphs read the recording's telemetry. A channel whose telemetry nobody reads
    // (the rear camera's) is spared the pass over its file, which for a file without telemetry
    // in its index walks every chunk.
    void SetReadsTelemetry(bool reads) { m_readsTelemetry = reads; }

private:
    void CreateGraph();
    std::unique_ptr<CVideoGraph> MakeGraph() const;

    AudioOutputFactory m_audioOutputs;
    int m_windowCount = 0;
    CVideoGraph::Windows m_windows {};
    std::array<QSize, CVideoGraph::kMaxStreams> m_clientSizes {};
    std::unique_ptr<CVideoGraph> m_graph;
    bool m_brightnessFilter = true;
    bool m_readsTelemetry = true;
    uint8_t m_sourceOption = 1;
};

} // namespace media
