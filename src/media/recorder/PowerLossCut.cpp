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

    bool isId(const char *id, const char *text)
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

        bool open()
        {
            if (!m_file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
                return fail(
                    QStringLiteral("cannot open %1: %2").arg(m_file.fileName(), m_file.errorString()));
            m_size = m_file.size();
            return true;
        }

        qint64 size() const { return m_size; }

        bool readAt(qint64 position, void *destination, qint64 count)
        {
            return position >= 0 && count <= m_size - position && m_file.seek(position)
                && m_file.read(static_cast<char *>(destination), count) == count;
        }

        bool readChunkHeader(qint64 position, ChunkHeader &header)
        {
            char bytes[12];
            if (!readAt(position, bytes, 8))
                return false;
            std::memcpy(header.id, bytes, 4);
            header.size = qFromLittleEndian<quint32>(bytes + 4);
            return !isId(header.id, "LIST") || readAt(position + 8, header.listType, 4);
        }

        bool writeAt(qint64 position, const void *data, qint64 count)
        {
            if (m_file.seek(position) && m_file.write(static_cast<const char *>(data), count) == count)
                return true;
            return fail(QStringLiteral("cannot write %1: %2").arg(m_file.fileName(), m_file.errorString()));
        }

        bool zero32At(qint64 position)
        {
            const char zero[4] = {};
            return writeAt(position, zero, 4);
        }

        bool truncate(qint64 length)
        {
            if (m_file.resize(length))
                return true;
            return fail(QStringLiteral("cannot shorten %1: %2").arg(m_file.fileName(), m_file.errorString()));
        }

        bool fail(const QString &message)
        {
            m_error = message;
            return false;
        }

        const QString &error() const { return m_error; }

    private:
        QFile m_file;
        qint64 m_size = 0;
        QString m_error;
    };

    qint64 paddedEnd(qint64 position, quint32 size)
    {
        return position + 8 + qint64(size) + (size & 1);
    }

    // Zeroes TotalFrames in "avih" and Length in every "strh" of the header list.
    bool clearHeaderCounts(CutFile &file, qint64 bodyStart, qint64 bodyEnd)
    {
        qint64 position = bodyStart;
        ChunkHeader chunk;
        while (position + 8 <= bodyEnd && file.readChunkHeader(position, chunk)) {
            if (isId(chunk.id, "LIST")) {
                position += 12; // the stream lists' chunks are visited like the others
                continue;
            }
            if (isId(chunk.id, "avih") && chunk.size >= kMainHeaderTotalFrames + 4) {
                if (!file.zero32At(position + 8 + kMainHeaderTotalFrames))
                    return false;
            } else if (isId(chunk.id, "strh") && chunk.size >= kStreamHeaderLength + 4) {
                if (!file.zero32At(position + 8 + kStreamHeaderLength))
                    return false;
            }
            position = paddedEnd(position, chunk.size);
        }
        return true;
    }

    // Where the last chunk of the "movi" data starts, and how many of its body bytes are in the
    // file; -1 when the list holds no chunk.
    qint64 findLastChunk(CutFile &file, qint64 dataStart, qint64 dataEnd, qint64 &bodyBytes)
    {
        qint64 last = -1;
        qint64 position = dataStart;
        ChunkHeader chunk;
        while (position + 8 <= dataEnd && file.readChunkHeader(position, chunk)) {
            if (isId(chunk.id, "LIST")) {
                position += 12;
                continue;
            }
            last = position;
            bodyBytes = std::min<qint64>(chunk.size, dataEnd - (position + 8));
            position = paddedEnd(position, chunk.size);
        }
        return last;
    }

} // namespace

bool CutLikePowerLoss(const QString &path, const PowerLossCutOptions &options, QString *error)
{
    CutFile file(path);
    const auto finish = [&](bool ok) {
        if (!ok && error)
            *error = file.error();
        return ok;
    };
    if (!file.open())
        return finish(false);

    char riff[12];
    if (!file.readAt(0, riff, 12) || !isId(riff, "RIFF") || !isId(riff + 8, "AVI "))
        return finish(file.fail(QStringLiteral("%1 is not a RIFF AVI file").arg(path)));

    qint64 headerList = -1;
    quint32 headerListSize = 0;
    qint64 movi = -1;
    quint32 moviSize = 0;
    ChunkHeader chunk;
    for (qint64 position = 12; position + 8 <= file.size() && file.readChunkHeader(position, chunk);
         position = paddedEnd(position, chunk.size)) {
        if (isId(chunk.id, "LIST") && isId(chunk.listType, "hdrl") && headerList < 0) {
            headerList = position;
            headerListSize = chunk.size;
        } else if (isId(chunk.id, "LIST") && isId(chunk.listType, "movi")) {
            movi = position;
            moviSize = chunk.size;
            break;
        }
    }
    if (movi < 0)
        return finish(file.fail(QStringLiteral("%1 has no movi list").arg(path)));

    // A file cut before keeps its data up to its end.
    const qint64 dataStart = movi + 12;
    const qint64 declaredEnd = movi + 8 + qint64(moviSize);
    qint64 dataEnd = moviSize >= 4 && declaredEnd <= file.size() ? declaredEnd : file.size();

    if (options.halveLastChunk) {
        qint64 bodyBytes = 0;
        const qint64 last = findLastChunk(file, dataStart, dataEnd, bodyBytes);
        if (last < 0)
            return finish(file.fail(QStringLiteral("%1 has no chunk to cut").arg(path)));
        dataEnd = last + 8 + bodyBytes / 2;
    }

    if (headerList >= 0) {
        const qint64 bodyEnd = std::min<qint64>(
            { headerList + 8 + qint64(headerListSize), file.size(), headerList + 12 + kMaxHeaderListBytes });
        if (!clearHeaderCounts(file, headerList + 12, bodyEnd))
            return finish(false);
    }
    return finish(file.zero32At(4) && file.zero32At(movi + 4) && file.truncate(dataEnd));
}

} // namespace media::recorder
