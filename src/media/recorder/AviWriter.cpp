#include "media/recorder/AviWriter.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace media::recorder {

namespace {

    // AVI 1.0 keeps every offset in 32 bits; stay well clear of the limit that older readers have.
    constexpr int64_t kMaxFileSize = int64_t { 2 } * 1024 * 1024 * 1024 - 1024 * 1024;

    constexpr uint32_t kAvifHasIndex = 0x10;
    constexpr uint32_t kAvifIsInterleaved = 0x100;
    constexpr uint32_t kAvifTrustChunkType = 0x800;

    class Bytes
    {
    public:
        void Id(const char *fourcc) { m_data.append(fourcc, 4); }
        void U16(uint16_t v)
        {
            char b[2];
            qToLittleEndian(v, b);
            m_data.append(b, 2);
        }
        void U32(uint32_t v)
        {
            char b[4];
            qToLittleEndian(v, b);
            m_data.append(b, 4);
        }
        void Raw(const void *p, size_t n)
        {
            m_data.append(static_cast<const char *>(p), static_cast<qsizetype>(n));
        }
        qsizetype Size() const { return m_data.size(); }
        // Fills in a size field written earlier as a placeholder.
        void Patch32(qsizetype at, uint32_t v) { qToLittleEndian(v, m_data.data() + at); }
        const QByteArray &Data() const { return m_data; }

    private:
        QByteArray m_data;
    };

    // Starts a chunk or list and returns the position of its size field.
    qsizetype Begin(Bytes &b, const char *id, const char *listType = nullptr)
    {
        b.Id(id);
        const qsizetype at = b.Size();
        b.U32(0);
        if (listType)
            b.Id(listType);
        return at;
    }

    void End(Bytes &b, qsizetype sizeAt)
    {
        b.Patch32(sizeAt, static_cast<uint32_t>(b.Size() - sizeAt - 4));
        if ((b.Size() - sizeAt - 4) & 1)
            b.Raw("", 1);
    }

} // namespace

AviWriter::~AviWriter()
{
    if (m_file.isOpen())
        m_file.close();
}

bool AviWriter::Fail(const QString &message)
{
    if (!m_failed)
        m_error = message;
    m_failed = true;
    return false;
}

QByteArray AviWriter::BuildHeader(uint32_t moviListSize, uint32_t riffSize) const
{
    const uint32_t streams = m_audio ? 2 : 1;
    const uint32_t microSecPerFrame
        = static_cast<uint32_t>((1000000ull * m_video.scale + m_video.rate / 2) / m_video.rate);
    const double seconds = m_video.rate ? double(m_videoFrames) * m_video.scale / m_video.rate : 0.0;
    const int64_t moviBytes = m_file.isOpen() ? m_file.size() - m_moviFourcc : 0;
    const uint32_t maxBytesPerSecond = seconds > 0 ? static_cast<uint32_t>(moviBytes / seconds) : 0;

    Bytes b;
    const qsizetype riff = Begin(b, "RIFF", "AVI ");
    const qsizetype hdrl = Begin(b, "LIST", "hdrl");

    const qsizetype avih = Begin(b, "avih");
    b.U32(microSecPerFrame);
    b.U32(maxBytesPerSecond);
    b.U32(0); // padding granularity
    b.U32(kAvifHasIndex | kAvifIsInterleaved | kAvifTrustChunkType);
    b.U32(m_videoFrames);
    b.U32(0); // initial frames
    b.U32(streams);
    b.U32(std::max<uint32_t>(m_maxChunk + 8, 1024 * 1024));
    b.U32(m_video.width);
    b.U32(m_video.height);
    for (int i = 0; i < 4; ++i)
        b.U32(0);
    End(b, avih);

    const qsizetype videoList = Begin(b, "LIST", "strl");
    const qsizetype videoHeader = Begin(b, "strh");
    b.Id("vids");
    b.Raw(m_video.fourcc, 4);
    b.U32(0); // flags
    b.U16(0); // priority
    b.U16(0); // language
    b.U32(0); // initial frames
    b.U32(m_video.scale);
    b.U32(m_video.rate);
    b.U32(0); // start
    b.U32(m_videoFrames);
    b.U32(m_maxVideoChunk);
    b.U32(0xFFFFFFFF); // quality: default
    b.U32(0); // sample size: frames vary
    b.U16(0);
    b.U16(0);
    b.U16(static_cast<uint16_t>(m_video.width));
    b.U16(static_cast<uint16_t>(m_video.height));
    End(b, videoHeader);
    const qsizetype videoFormat = Begin(b, "strf");
    b.U32(40);
    b.U32(m_video.width);
    b.U32(m_video.height);
    b.U16(1); // planes
    b.U16(24); // bit count of the decoded picture
    b.Raw(m_video.fourcc, 4);
    b.U32(m_video.width * m_video.height * 3);
    for (int i = 0; i < 4; ++i)
        b.U32(0);
    End(b, videoFormat);
    End(b, videoList);

    if (m_audio) {
        const AudioFormat &a = *m_audio;
        const qsizetype audioList = Begin(b, "LIST", "strl");
        const qsizetype audioHeader = Begin(b, "strh");
        b.Id("auds");
        b.U32(0); // handler
        b.U32(0); // flags
        b.U16(0);
        b.U16(0);
        b.U32(0);
        b.U32(a.samplesPerFrame); // scale and rate: one chunk is one encoded frame
        b.U32(a.sampleRate);
        b.U32(0);
        b.U32(m_audioFrames);
        b.U32(m_maxAudioChunk);
        b.U32(0xFFFFFFFF);
        b.U32(0); // sample size 0: variable-size frames
        for (int i = 0; i < 4; ++i)
            b.U16(0);
        End(b, audioHeader);
        const qsizetype audioFormat = Begin(b, "strf");
        b.U16(a.formatTag);
        b.U16(a.channels);
        b.U32(a.sampleRate);
        b.U32(a.averageBytesPerSecond);
        b.U16(a.blockAlign);
        b.U16(a.bitsPerSample);
        b.U16(static_cast<uint16_t>(a.extraData.size()));
        b.Raw(a.extraData.data(), a.extraData.size());
        End(b, audioFormat);
        End(b, audioList);
    }
    End(b, hdrl);

    const qsizetype movi = Begin(b, "LIST", "movi");
    b.Patch32(movi, moviListSize);
    b.Patch32(riff, riffSize);
    return b.Data();
}

bool AviWriter::Open(const QString &path, const VideoFormat &video, const std::optional<AudioFormat> &audio)
{
    m_video = video;
    m_audio = audio;
    m_moviFourcc = 0;
    m_index.clear();
    m_failed = false;
    m_error.clear();
    m_videoFrames = m_audioFrames = m_maxVideoChunk = m_maxAudioChunk = m_maxChunk = 0;
    if (video.width == 0 || video.height == 0 || video.rate == 0 || video.scale == 0)
        return Fail(QStringLiteral("invalid video format"));
    if (audio && audio->extraData.size() > 0xFFFF)
        return Fail(QStringLiteral("invalid audio format"));
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return Fail(QStringLiteral("cannot create %1: %2").arg(path, m_file.errorString()));
    // The header has a fixed size for a given format; it is written again with the final counts.
    QByteArray header = BuildHeader(4, 0);
    m_moviFourcc = header.size() - 4;
    qToLittleEndian(static_cast<uint32_t>(header.size() - 8), header.data() + 4);
    if (m_file.write(header) != header.size())
        return Fail(QStringLiteral("cannot write %1: %2").arg(path, m_file.errorString()));
    return true;
}

bool AviWriter::WriteChunk(const char id[4], const uint8_t *data, size_t size, uint32_t indexFlags)
{
    if (m_failed || !m_file.isOpen())
        return false;
    const int64_t position = m_file.pos();
    if (position + int64_t(size) + 8 + int64_t(m_index.size() + 1) * 16 > kMaxFileSize)
        return Fail(QStringLiteral("recording too large for an AVI file"));
    char header[8];
    std::memcpy(header, id, 4);
    qToLittleEndian(static_cast<uint32_t>(size), header + 4);
    if (m_file.write(header, 8) != 8
        || (size && m_file.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
        || ((size & 1) && m_file.write("", 1) != 1))
        return Fail(QStringLiteral("cannot write: %1").arg(m_file.errorString()));
    IndexEntry entry;
    std::memcpy(entry.id, id, 4);
    entry.flags = indexFlags;
    entry.offset = static_cast<uint32_t>(position - m_moviFourcc);
    entry.size = static_cast<uint32_t>(size);
    m_index.push_back(entry);
    m_maxChunk = std::max(m_maxChunk, entry.size);
    return true;
}

bool AviWriter::WriteVideo(const uint8_t *data, size_t size, bool keyFrame)
{
    if (!WriteChunk("00dc", data, size, keyFrame ? kIndexKeyFrame : 0))
        return false;
    ++m_videoFrames;
    m_maxVideoChunk = std::max(m_maxVideoChunk, static_cast<uint32_t>(size));
    return true;
}

bool AviWriter::WriteAudio(const uint8_t *data, size_t size)
{
    if (!m_audio)
        return Fail(QStringLiteral("audio written to a file without an audio stream"));
    if (!WriteChunk("01wb", data, size, kIndexKeyFrame))
        return false;
    ++m_audioFrames;
    m_maxAudioChunk = std::max(m_maxAudioChunk, static_cast<uint32_t>(size));
    return true;
}

bool AviWriter::Finish()
{
    if (m_failed || !m_file.isOpen()) {
        m_file.close();
        return false;
    }
    const int64_t moviEnd = m_file.pos();
    QByteArray index;
    index.reserve(static_cast<qsizetype>(8 + m_index.size() * 16));
    index.append("idx1", 4);
    char word[4];
    qToLittleEndian(static_cast<uint32_t>(m_index.size() * 16), word);
    index.append(word, 4);
    for (const IndexEntry &e : m_index) {
        index.append(e.id, 4);
        for (uint32_t v : { e.flags, e.offset, e.size }) {
            qToLittleEndian(v, word);
            index.append(word, 4);
        }
    }
    if (m_file.write(index) != index.size())
        return Fail(QStringLiteral("cannot write the index: %1").arg(m_file.errorString()));

    // The header's "movi" size ends where the index begins; RIFF covers everything.
    const QByteArray header = BuildHeader(
        static_cast<uint32_t>(moviEnd - m_moviFourcc), static_cast<uint32_t>(m_file.size() - 8));
    if (!m_file.seek(0) || m_file.write(header) != header.size())
        return Fail(QStringLiteral("cannot finish the header: %1").arg(m_file.errorString()));
    m_file.close();
    return true;
}

} // namespace media::recorder
