#pragma once

#include "media/export/ClipCaption.h"
#include "media/export/ClipExportOptions.h"
#include "media/ffmpeg/FfmpegPtr.h"

#include <QString>

#include <cstdint>

namespace media {

// The clip's picture, put together by an FFmpeg filter graph: the front camera at its own size,
// the rear camera over its top right corner or below it, and the caption in a band below both.
// The graph is built for the first pictures given, as their sizes and formats are only known
// once decoded.
class PictureCompositor
{
public:
    // The canvas: the front's size (made even), the rear below it at the front's width when the
    // layout stacks them (rearWidth and rearHeight 0 when there is no rear picture to stack), the
    // caption's band below that when there is a caption. Times are counted in timeBase.
    PictureCompositor(int frontWidth, int frontHeight, int rearWidth, int rearHeight, ClipLayout layout,
        const ClipCaption *caption, AVRational timeBase);

    int Width() const { return m_width; }
    int Height() const { return m_height + m_stackHeight + m_bandHeight; }
    bool IsBuilt() const { return m_graph != nullptr; }
    // Built with a place for the rear picture.
    bool HasRear() const { return m_rearSource != nullptr; }

    // Adds the pictures of one moment of the clip: the front's, the rear's (null for the front
    // alone) and the caption's of timeMs of the recording, all at pts. The rear is only looked at
    // with the first picture: a graph built without it keeps without it, and one built with it
    // shows a dark picture in its place where a later recording has none (never a stale one).
    bool Add(AVFrame *front, const AVFrame *rear, int64_t pts, int64_t timeMs);
    // The caption of the recording the next pictures come from (a clip made of several).
    void SetCaption(const ClipCaption *caption) { m_caption = caption; }
    // Whether a rear picture of this size and format can take the place of the one the graph was
    // built with; true before the graph is built.
    bool TakesRear(const AVFrame *rear) const;
    // No more pictures after endPts; the graph then gives up what it holds.
    void Close(int64_t endPts);
    // The next finished picture into frame: 1 when one was given, 0 when none is ready, negative
    // when the graph failed (see ErrorString).
    int Take(AVFrame *frame);

    QString ErrorString() const { return m_error; }

private:
    bool Build(const AVFrame *front, const AVFrame *rear);
    bool AddCaption(int64_t pts, int64_t timeMs);
    bool Fail(const QString &text)
    {
        if (m_error.isEmpty())
            m_error = text;
        return false;
    }

    const ClipCaption *m_caption;
    const AVRational m_timeBase;
    int m_width = 0;
    int m_height = 0;
    int m_stackHeight = 0;
    int m_bandHeight = 0;
    QString m_error;

    ffmpeg::FilterGraphPtr m_graph;
    AVFilterContext *m_frontSource = nullptr;
    AVFilterContext *m_rearSource = nullptr;
    AVFilterContext *m_captionSource = nullptr;
    AVFilterContext *m_sink = nullptr;

    // The caption's band as last drawn, given again while its texts stay the same.
    ClipCaption::Texts m_captionTexts;
    ffmpeg::FramePtr m_captionFrame;
    // Given for the rear where a recording has no rear picture.
    ffmpeg::FramePtr m_blankRear;
};

} // namespace media
