#include "media/playback/CVideoPlayer.h"

#include "media/playback/QtAudioOutput.h"
#include "media/playback/VideoSurface.h"

namespace media {

AudioOutputFactory CVideoPlayer::DefaultAudioOutputs()
{
    return [] { return QtAudioOutput::Create(); };
}

CVideoPlayer::CVideoPlayer(AudioOutputFactory audioOutputs)
    : audioOutputs_(std::move(audioOutputs))
{
}

CVideoPlayer::~CVideoPlayer()
{
    Close();
}

void CVideoPlayer::CreateGraph()
{
    graph_ = std::make_unique<CVideoGraph>(windows_, windowCount_, audioOutputs_);
    graph_->SetDefaults(brightnessFilter_, sourceOption_);
}

void CVideoPlayer::SetWindows(VideoSurface *window)
{
    windowCount_ = 1;
    windows_.fill(nullptr);
    clientSizes_.fill(QSize());
    windows_[0] = window;
    clientSizes_[0] = window ? window->ClientSize() : QSize();
    if (!graph_)
        CreateGraph();
}

bool CVideoPlayer::Open(const QString &path)
{
    if (!windows_[0] || path.isEmpty())
        return false;
    if (graph_) {
        graph_->Stop();
        if (graph_->IsBuilt())
            graph_->SeekMs(0);
        Close();
    }
    CreateGraph();
    const PlaybackResult built = graph_->Build(path);
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
    graph_.reset();
    clientSizes_.fill(QSize());
}

PlaybackResult CVideoPlayer::Play()
{
    return graph_ ? graph_->Play() : kPlaybackOk;
}

void CVideoPlayer::Pause()
{
    if (graph_)
        graph_->Pause();
}

PlaybackResult CVideoPlayer::Stop()
{
    return graph_ ? graph_->Stop() : kPlaybackOk;
}

bool CVideoPlayer::SetRate(float rate)
{
    return graph_ ? graph_->SetRate(rate) : true;
}

bool CVideoPlayer::SetVolume(int volume)
{
    return graph_ ? graph_->SetVolume(volume) : true;
}

bool CVideoPlayer::SeekMs(int64_t ms)
{
    return graph_ ? graph_->SeekMs(ms) : true;
}

bool CVideoPlayer::SkipBack(double seconds)
{
    return graph_ ? graph_->SkipBack(seconds) : true;
}

bool CVideoPlayer::SkipForward(double seconds)
{
    return graph_ ? graph_->SkipForward(seconds) : true;
}

MediaTime CVideoPlayer::GetPosition() const
{
    return graph_ ? graph_->GetPosition() : 0;
}

MediaTime CVideoPlayer::GetDuration() const
{
    return graph_ ? graph_->GetDuration() : 0;
}

PlaybackResult CVideoPlayer::Refresh()
{
    if (!graph_)
        return kPlaybackOk;
    for (int k = 0; k < windowCount_; ++k)
        if (windows_[static_cast<size_t>(k)])
            clientSizes_[static_cast<size_t>(k)] = windows_[static_cast<size_t>(k)]->ClientSize();
    return graph_->Refresh();
}

bool CVideoPlayer::CaptureFrame(int stream, QImage *image)
{
    // Without a graph there is no picture: reporting success would hand the caller no image.
    return graph_ && graph_->CaptureFrame(stream, image);
}

PlaybackResult CVideoPlayer::SetBrightness(int value)
{
    return graph_ ? graph_->SetBrightness(value) : kPlaybackOk;
}

PlaybackResult CVideoPlayer::SetDecoderOption(bool enabled)
{
    return graph_ ? graph_->SetDecoderOption(enabled) : kPlaybackOk;
}

GraphState CVideoPlayer::State() const
{
    return graph_ ? graph_->State() : GraphState::NotBuilt;
}

media::IStreamParseData *CVideoPlayer::GetStreamParseData() const
{
    return graph_ ? graph_->GetStreamParseData() : nullptr;
}

int CVideoPlayer::RenderedStreamCount() const
{
    return graph_ ? graph_->RenderedStreamCount() : 0;
}

VideoSurface *CVideoPlayer::Window(int index) const
{
    return index >= 0 && index < CVideoGraph::kMaxStreams ? windows_[static_cast<size_t>(index)] : nullptr;
}

QSize CVideoPlayer::ClientSize(int index) const
{
    return index >= 0 && index < CVideoGraph::kMaxStreams ? clientSizes_[static_cast<size_t>(index)]
                                                          : QSize();
}

} // namespace media
