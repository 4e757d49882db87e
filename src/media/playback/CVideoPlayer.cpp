#include "media/playback/CVideoPlayer.h"

#include "media/playback/QtAudioOutput.h"
#include "media/playback/VideoSurface.h"

namespace media {

AudioOutputFactory CVideoPlayer::DefaultAudioOutputs()
{
    return [] { return QtAudioOutput::Create(); };
}

CVideoPlayer::CVideoPlayer(AudioOutputFactory audioOutputs)
    : m_audioOutputs(std::move(audioOutputs))
{
}

CVideoPlayer::~CVideoPlayer()
{
    Close();
}

std::unique_ptr<CVideoGraph> CVideoPlayer::MakeGraph() const
{
    auto graph = std::make_unique<CVideoGraph>(m_windows, m_windowCount, m_audioOutputs);
    graph->SetDefaults(m_brightnessFilter, m_sourceOption);
    graph->SetReadsTelemetry(m_readsTelemetry);
    return graph;
}

void CVideoPlayer::CreateGraph()
{
    m_graph = MakeGraph();
}

std::unique_ptr<CVideoGraph> CVideoPlayer::NewGraph() const
{
    if (!m_windows[0])
        return nullptr;
    std::unique_ptr<CVideoGraph> graph = MakeGraph();
    graph->ReserveSound();
    return graph;
}

void CVideoPlayer::Adopt(std::unique_ptr<CVideoGraph> graph)
{
    if (!graph)
        return;
    if (m_graph) {
        m_graph->Stop();
        Close();
    }
    m_graph = std::move(graph);
    m_graph->Attach();
}

void CVideoPlayer::SetWindows(VideoSurface *window)
{
    m_windowCount = 1;
    m_windows.fill({});
    m_clientSizes.fill(QSize());
    m_windows[0] = window;
    m_clientSizes[0] = window ? window->ClientSize() : QSize();
    if (!m_graph)
        CreateGraph();
}

bool CVideoPlayer::Open(const QString &path)
{
    if (!m_windows[0] || path.isEmpty())
        return false;
    if (m_graph) {
        m_graph->Stop();
        if (m_graph->IsBuilt())
            m_graph->SeekMs(0);
        Close();
    }
    CreateGraph();
    const PlaybackResult built = m_graph->Build(path);
    // A file that cannot be read, or whose pictures no decoder can make, is refused; a file
    // whose sound cannot be played opens silently.
    if (built == kPlaybackNotLoaded || !PlaybackSucceeded(built)) {
        Close();
        return false;
    }
    return true;
}

void CVideoPlayer::Close()
{
    m_graph.reset();
    m_clientSizes.fill(QSize());
}

PlaybackResult CVideoPlayer::Play()
{
    return m_graph ? m_graph->Play() : kPlaybackOk;
}

void CVideoPlayer::Pause()
{
    if (m_graph)
        m_graph->Pause();
}

PlaybackResult CVideoPlayer::Stop()
{
    return m_graph ? m_graph->Stop() : kPlaybackOk;
}

bool CVideoPlayer::SetRate(float rate)
{
    return m_graph ? m_graph->SetRate(rate) : true;
}

bool CVideoPlayer::SetVolume(int volume)
{
    return m_graph ? m_graph->SetVolume(volume) : true;
}

bool CVideoPlayer::SeekMs(int64_t ms)
{
    return m_graph ? m_graph->SeekMs(ms) : true;
}

bool CVideoPlayer::SkipBack(double seconds)
{
    return m_graph ? m_graph->SkipBack(seconds) : true;
}

bool CVideoPlayer::SkipForward(double seconds)
{
    return m_graph ? m_graph->SkipForward(seconds) : true;
}

MediaTime CVideoPlayer::GetPosition() const
{
    return m_graph ? m_graph->GetPosition() : 0;
}

MediaTime CVideoPlayer::GetDuration() const
{
    return m_graph ? m_graph->GetDuration() : 0;
}

MediaTime CVideoPlayer::GetPicturesEnd() const
{
    return m_graph ? m_graph->GetPicturesEnd() : 0;
}

PlaybackResult CVideoPlayer::Refresh()
{
    if (!m_graph)
        return kPlaybackOk;
    for (int k = 0; k < m_windowCount; ++k)
        if (VideoSurface *window = m_windows[static_cast<size_t>(k)].get())
            m_clientSizes[static_cast<size_t>(k)] = window->ClientSize();
    return m_graph->Refresh();
}

bool CVideoPlayer::CaptureFrame(int stream, QImage *image)
{
    // Without a graph there is no picture: reporting success would hand the caller no image.
    return m_graph && m_graph->CaptureFrame(stream, image);
}

PlaybackResult CVideoPlayer::SetBrightness(int value)
{
    return m_graph ? m_graph->SetBrightness(value) : kPlaybackOk;
}

PlaybackResult CVideoPlayer::SetDecoderOption(bool enabled)
{
    return m_graph ? m_graph->SetDecoderOption(enabled) : kPlaybackOk;
}

GraphState CVideoPlayer::State() const
{
    return m_graph ? m_graph->State() : GraphState::NotBuilt;
}

media::IStreamParseData *CVideoPlayer::GetStreamParseData() const
{
    return m_graph ? m_graph->GetStreamParseData() : nullptr;
}

int CVideoPlayer::RenderedStreamCount() const
{
    return m_graph ? m_graph->RenderedStreamCount() : 0;
}

VideoSurface *CVideoPlayer::Window(int index) const
{
    return index >= 0 && index < CVideoGraph::kMaxStreams ? m_windows[static_cast<size_t>(index)].get()
                                                          : nullptr;
}

QSize CVideoPlayer::ClientSize(int index) const
{
    return index >= 0 && index < CVideoGraph::kMaxStreams ? m_clientSizes[static_cast<size_t>(index)]
                                                          : QSize();
}

} // namespace media
