#pragma once

#include "media/export/CaptionTextTrack.h"
#include "media/export/ClipExporter.h"
#include "media/export/InputRecording.h"
#include "media/export/SoundTrack.h"
#include "media/ffmpeg/FfmpegPtr.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

namespace media {

// The clip of a stream-copy export (ClipExportOptions::streamCopy): the recorder's own coded
// pictures, copied packet by packet and never decoded, with the front and the rear camera as two
// video tracks of one MP4. The sound is copied where an MP4 holds it as recorded (AAC, MP3) and
// converted to AAC otherwise (the PCM of some recorders), and the caption becomes a timed text
// track with one cue per second of the recorder's clock.
//
// A copied picture can only start at a key frame, so each piece starts at the front's key frame at
// or before its asked start (and at the rear's key frame at or before that one, when the rear's
// comes earlier; the two keep their recorded timing); it ends with the last picture before the
// asked end. Pieces follow each other with continuous time stamps. All pieces must share each
// camera's codec and picture size; the rear track is there only when every piece has a rear file.
//
// ClipExporter checks the outputs, names the temporary file and writes the companion files; this
// writes the MP4 alone.
class StreamCopyWriter
{
public:
    using Outcome = ClipExporter::Outcome;

    // Writes the clip of options.Pieces() to path. A clip not Done is left for the caller to take
    // away.
    Outcome Write(const ClipExportOptions &options, const QString &path, const std::atomic_bool *cancel,
        const ClipExporter::Progress &progress);

    QString ErrorString() const { return m_error; }
    // The pieces as written: fromMs where the copy starts (the key frame), toMs where the front's
    // pictures end; rearPath empty when the clip has no rear track.
    const std::vector<ClipPiece> &WrittenPieces() const { return m_written; }
    // Front pictures written, and the clip's length.
    int Frames() const { return m_frames; }
    int64_t WrittenMs() const { return m_writtenMs; }
    QStringList Notes() const { return m_notes; }
    // For the provenance text: each piece whose start moved back to a key frame, and the tracks as
    // copied ("front h264 1280x720 and rear mjpeg 640x360 as recorded, sound aac as recorded").
    QStringList Widened() const { return m_widened; }
    QString TracksText() const { return m_tracksText; }

private:
    enum class Sound { None, Copy, Convert };
    // A track of the clip and where its time stamps have got to, in its own time base.
    struct Track {
        AVStream *stream = nullptr;
        int64_t lastDts = std::numeric_limits<int64_t>::min();
        int64_t endTs = std::numeric_limits<int64_t>::min(); // the last packet's end
    };

    // Reads every piece's streams and chooses the clip's tracks; false when the pictures cannot be
    // copied into one MP4.
    bool ChooseTracks(const ClipExportOptions &options);
    bool OpenOutput(const QString &path, const ClipExportOptions &options);
    // Copies a piece onto the clip from m_offsetUs on and moves that on past it.
    Outcome CopyPiece(const ClipPiece &piece, const ClipExportOptions &options, bool several,
        const std::atomic_bool *cancel, const ClipExporter::Progress &progress);
    // A packet read from a recording onto a track, its time moved by shiftUs (a time stamp of the
    // recording in microseconds plus shiftUs is the clip's).
    bool Copy(AVPacket *packet, AVRational timeBase, int64_t shiftUs, Track &track);
    bool Put(AVPacket *packet, Track &track);
    // The converted sound: frames from the queue into the encoder, and its packets onto the track.
    bool EncodeSound(const AVFrame *frame);
    bool TakeSound(bool draining);
    bool Fail(const QString &text)
    {
        m_error = text;
        return false;
    }

    // Chosen by ChooseTracks, read by OpenOutput: the first piece's recordings give the tracks' formats.
    Sound m_soundMode = Sound::None;
    bool m_rearTrack = false;
    int64_t m_totalUs = 0;
    QString m_soundName;
    std::optional<InputRecording> m_first;
    std::optional<InputRecording> m_firstRear;

    ffmpeg::OutputContextPtr m_output;
    Track m_front;
    Track m_rear;
    Track m_soundTrack;
    Track m_captionTrack;
    std::optional<CaptionTextTrack> m_caption;
    ffmpeg::CodecContextPtr m_soundEncoder;
    std::optional<SoundTrack> m_converted;
    ffmpeg::PacketPtr m_encoded = ffmpeg::MakePacket();
    int64_t m_offsetUs = 0; // where the next piece starts on the clip

    QString m_error;
    std::vector<ClipPiece> m_written;
    int m_frames = 0;
    int64_t m_writtenMs = 0;
    QStringList m_notes;
    QStringList m_widened;
    QString m_tracksText;
};

} // namespace media
