#include "media/recorder/PowerLossCut.h"

#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <vector>

namespace media::recorder {

namespace {

    // The header list of a recording is a few kilobytes; anything far larger is not one.
    constexpr qint64 kMaxHeaderListBytes = 1024 * 1024;
    // Field offsets inside the chunk bodies that the recorder fills in only when it finishes.
    constexpr qint64 kMainHeaderTotalFrames = 16;
    constexpr qint64 kStreamHeaderLength = 32;

    struct ChunkHeader {
        char id[4] = {};
        quint32 size = 0;
        char listType[4] = {}; // only for "LIST"
    };

    bool IsId(const char *id, const char *text)
    {
        return std::memcmp(id, text, 4) == 0;
    }

    class CutFile
    {
    public:
        explicit CutFile(const QString &path)
            : m_file(path)
        {
        }

        bool Open()
        {
            if (!m_file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
                return Fail(
                    QStringLiteral("cannot open %1: %2").arg(m_file.fileName(), m_file.errorString()));
            m_size = m_file.size();
            return true;
        }

        qint64 Size() const { return m_size; }

        bool ReadAt(qint64 position, void *destination, qint64 count)
        {
            return position >= 0 && count <= m_size - position && m_file.seek(position)
                && m_file.read(static_cast<char *>(destination), count) == count;
        }

        bool ReadChunkHeader(qint64 position, ChunkHeader &header)
        {
            char bytes[12];
            if (!ReadAt(position, bytes, 8))
                return false;
            std::memcpy(header.id, bytes, 4);
            header.size = qFromLittleEndian<quint32>(bytes + 4);
            return !IsId(header.id, "LIST") || ReadAt(position + 8, header.listType, 4);
        }

        bool WriteAt(qint64 position, const void *data, qint64 count)
        {
            if (m_file.seek(position) && m_file.write(static_cast<const char *>(data), count) == count)
                return true;
            return Fail(QStringLiteral("cannot write %1: %2").arg(m_file.fileName(), m_file.errorString()));
        }

        bool Zero32At(qint64 position)
        {
            const char zero[4] = {};
            return WriteAt(position, zero, 4);
        }

        bool Truncate(qint64 length)
        {
            if (m_file.resize(length))
                return true;
            return Fail(QStringLiteral("cannot shorten %1: %2").arg(m_file.fileName(), m_file.errorString()));
        }

        bool Fail(const QString &message)
        {
            m_error = message;
            return false;
        }

        const QString &Error() const { return m_error; }

    private:
        QFile m_file;
        qint64 m_size = 0;
        QString m_error;
    };

    qint64 PaddedEnd(qint64 position, quint32 size)
    {
        return position + 8 + qint64(size) + (size & 1);
    }

    // Zeroes TotalFrames in "avih" and Length in every "strh" of the header list.
    bool ClearHeaderCounts(CutFile &file, qint64 bodyStart, qint64 bodyEnd)
    {
        qint64 position = bodyStart;
        ChunkHeader chunk;
        while (position + 8 <= bodyEnd && file.ReadChunkHeader(position, chunk)) {
            if (IsId(chunk.id, "LIST")) {
                position += 12; // the stream lists' chunks are visited like the others
                continue;
            }
            if (IsId(chunk.id, "avih") && chunk.size >= kMainHeaderTotalFrames + 4) {
                if (!file.Zero32At(position + 8 + kMainHeaderTotalFrames))
                    return false;
            } else if (IsId(chunk.id, "strh") && chunk.size >= kStreamHeaderLength + 4) {
                if (!file.Zero32At(position + 8 + kStreamHeaderLength))
                    return false;
            }
            position = PaddedEnd(position, chunk.size);
        }
        return true;
    }

    // Where the last chunk of the "movi" data starts, and how many of its body bytes are in the
    // file; -1 when the list holds no chunk.
    qint64 FindLastChunk(CutFile &file, qint64 dataStart, qint64 dataEnd, qint64 &bodyBytes)
    {
        qint64 last = -1;
        qint64 position = dataStart;
        ChunkHeader chunk;
        while (position + 8 <= dataEnd && file.ReadChunkHeader(position, chunk)) {
            if (IsId(chunk.id, "LIST")) {
                position += 12;
                continue;
            }
            last = position;
            bodyBytes = std::min<qint64>(chunk.size, dataEnd - (position + 8));
            position = PaddedEnd(position, chunk.size);
        }
        return last;
    }

} // namespace

bool CutLikePowerLoss(const QString &path, const PowerLossCutOptions &options, QString *error)
{
    CutFile file(path);
    const auto finish = [&](bool ok) {
        if (!ok && error)
            *error = file.Error();
        return ok;
    };
    if (!file.Open())
        return finish(false);

    char riff[12];
    if (!file.ReadAt(0, riff, 12) || !IsId(riff, "RIFF") || !IsId(riff + 8, "AVI "))
        return finish(file.Fail(QStringLiteral("%1 is not a RIFF AVI file").arg(path)));

    qint64 headerList = -1;
    quint32 headerListSize = 0;
    qint64 movi = -1;
    quint32 moviSize = 0;
    ChunkHeader chunk;
    for (qint64 position = 12; position + 8 <= file.Size() && file.ReadChunkHeader(position, chunk);
         position = PaddedEnd(position, chunk.size)) {
        if (IsId(chunk.id, "LIST") && IsId(chunk.listType, "hdrl") && headerList < 0) {
            headerList = position;
            headerListSize = chunk.size;
        } else if (IsId(chunk.id, "LIST") && IsId(chunk.listType, "movi")) {
            movi = position;
            moviSize = chunk.size;
            break;
        }
    }
    if (movi < 0)
        return finish(file.Fail(QStringLiteral("%1 has no movi list").arg(path)));

    // A file cut before keeps its data up to its end.
    const qint64 dataStart = movi + 12;
    const qint64 declaredEnd = movi + 8 + qint64(moviSize);
    qint64 dataEnd = moviSize >= 4 && declaredEnd <= file.Size() ? declaredEnd : file.Size();

    if (options.halveLastChunk) {
        qint64 bodyBytes = 0;
        const qint64 last = FindLastChunk(file, dataStart, dataEnd, bodyBytes);
        if (last < 0)
            return finish(file.Fail(QStringLiteral("%1 has no chunk to cut").arg(path)));
        dataEnd = last + 8 + bodyBytes / 2;
    }

    if (headerList >= 0) {
        const qint64 bodyEnd = std::min<qint64>(
            { headerList + 8 + qint64(headerListSize), file.Size(), headerList + 12 + kMaxHeaderListBytes });
        if (!ClearHeaderCounts(file, headerList + 12, bodyEnd))
            return finish(false);
    }
    return finish(file.Zero32At(4) && file.Zero32At(movi + 4) && file.Truncate(dataEnd));
}

} // namespace media::recorder
