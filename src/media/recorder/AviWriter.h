#pragma once

#include <QFile>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace media::recorder {

// Writes an AVI 1.0 file the way the recorder does: "hdrl" with the main header and one "strl"
// per stream (video 00, optional audio 01), a "movi" list whose chunks the caller writes in time
// order, and an "idx1" index of every chunk. Chunks that belong to no stream (telemetry) are
// written and indexed too; readers that do not know them skip them.
class AviWriter
{
public:
    struct VideoFormat {
        uint32_t width = 0;
        uint32_t height = 0;
        uint32_t rate = 30; // frames per second = rate / scale
        uint32_t scale = 1;
        char fourcc[4] = { 'H', '2', '6', '4' };
    };

    // Compressed audio with one encoded frame per chunk (AAC: 1024 samples per frame).
    struct AudioFormat {
        uint16_t formatTag = 0x00FF;
        uint16_t channels = 1;
        uint32_t sampleRate = 16000;
        uint32_t samplesPerFrame = 1024;
        uint32_t averageBytesPerSecond = 4000;
        uint16_t blockAlign = 768;
        uint16_t bitsPerSample = 16;
        std::vector<uint8_t> extraData; // codec setup that follows the WAVEFORMATEX
    };

    static constexpr uint32_t kIndexKeyFrame = 0x10;

    AviWriter() = default;
    ~AviWriter();
    AviWriter(const AviWriter &) = delete;
    AviWriter &operator=(const AviWriter &) = delete;

    bool Open(const QString &path, const VideoFormat &video, const std::optional<AudioFormat> &audio);
    bool WriteVideo(const uint8_t *data, size_t size, bool keyFrame);
    bool WriteAudio(const uint8_t *data, size_t size);
    // Any other chunk of the "movi" list, indexed with the given flags.
    bool WriteChunk(const char id[4], const uint8_t *data, size_t size, uint32_t indexFlags);
    // Writes the index and the final header sizes and closes the file.
    bool Finish();

    QString ErrorString() const { return m_error; }
    uint32_t VideoFrames() const { return m_videoFrames; }
    uint32_t AudioFrames() const { return m_audioFrames; }

private:
    struct IndexEntry {
        char id[4];
        uint32_t flags;
        uint32_t offset;
        uint32_t size;
    };

    // The header up to and including the "movi" list type; its size depends only on the formats.
    QByteArray BuildHeader(uint32_t moviListSize, uint32_t riffSize) const;
    bool Fail(const QString &message);

    QFile m_file;
    VideoFormat m_video;
    std::optional<AudioFormat> m_audio;
    std::vector<IndexEntry> m_index;
    int64_t m_moviFourcc = 0; // file offset of "movi"; index offsets count from here
    uint32_t m_videoFrames = 0;
    uint32_t m_audioFrames = 0;
    uint32_t m_maxVideoChunk = 0;
    uint32_t m_maxAudioChunk = 0;
    uint32_t m_maxChunk = 0;
    bool m_failed = false;
    QString m_error;
};

} // namespace media::recorder
