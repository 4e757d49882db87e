#include "skin/core/SkinPackReader.h"

#include "skin/core/CRC4.h"
#include "skin/core/CSkinPackStore.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <limits>

namespace skin {

namespace {

    quint64 ReadU64(const QByteArray &bytes, int offset)
    {
        return qFromLittleEndian<quint64>(bytes.constData() + offset);
    }

    qint32 ReadI32(const QByteArray &bytes, int offset)
    {
        return qFromLittleEndian<qint32>(bytes.constData() + offset);
    }

    // A NUL-terminated name of up to 260 UTF-16 units.
    QString ReadName(const QByteArray &bytes, int offset)
    {
        QString name;
        for (int unit = 0; unit < pack::kNameUnits; ++unit) {
            const char16_t c = qFromLittleEndian<quint16>(bytes.constData() + offset + 2 * unit);
            if (c == 0)
                break;
            name.append(QChar(c));
        }
        return name;
    }

    class PackFile
    {
    public:
        PackFile(const QString &path, const std::function<void(SkinPackEntry &&)> &onEntry,
            QStringList *brokenEntries)
            : m_file(path)
            , m_onEntry(onEntry)
            , m_brokenEntries(brokenEntries)
        {
        }

        int Read()
        {
            if (!m_file.open(QIODevice::ReadOnly))
                return kSkinPackCannotOpen;
            const QByteArray header = m_file.read(pack::kHeaderSize);
            if (header.size() < pack::kHeaderSize)
                return kSkinPackShortRead;
            m_fileSize = m_file.size();

            // A pack is valid only under the file name it was built for, and only complete.
            if (ReadU64(header, pack::kTotalLengthOffset) != static_cast<quint64>(m_fileSize))
                return kSkinPackBadHeader;
            if (ReadName(header, pack::kPackNameOffset) != QFileInfo(m_file.fileName()).fileName())
                return kSkinPackBadHeader;

            for (int i = 0; i < pack::kKeySize; ++i)
                m_key[i] = static_cast<uint8_t>(header[pack::kKeyOffset + i]);

            const qint32 descriptions = ReadI32(header, pack::kDescriptionCountOffset);
            const qint32 pageTexts = ReadI32(header, pack::kPageTextCountOffset);
            const int result = ReadTable(pack::kHeaderSize, descriptions, SkinPackTable::Descriptions);
            if (result != kSkinPackOk)
                return result;
            // With a negative first count this base lies before the file and the first
            // record of the second table is a short read.
            const int pages = ReadTable(
                pack::kHeaderSize + pack::kRecordSize * descriptions, pageTexts, SkinPackTable::PageTexts);
            return pages == kSkinPackOk && m_skipped > 0 ? kSkinPackShortRead : pages;
        }

    private:
        int ReadTable(qint64 base, qint32 count, SkinPackTable table)
        {
            for (qint32 i = 0; i < count; ++i) {
                const int result = ReadEntry(base + pack::kRecordSize * i, table);
                if (result != kSkinPackOk)
                    return result;
            }
            return kSkinPackOk;
        }

        // Every range is checked against the file size before anything is allocated, so a
        // damaged record can neither read outside the file nor ask for absurd memory.
        int ReadEntry(qint64 recordOffset, SkinPackTable table)
        {
            if (recordOffset < 0 || recordOffset > m_fileSize - pack::kRecordSize)
                return kSkinPackShortRead;
            if (!m_file.seek(recordOffset))
                return kSkinPackShortRead;
            const QByteArray record = m_file.read(pack::kRecordSize);
            if (record.size() < pack::kRecordSize)
                return kSkinPackShortRead;

            const QString name = ReadName(record, pack::kRecordNameOffset);
            const quint64 dataOffset = ReadU64(record, pack::kRecordDataOffset);
            const quint64 length = ReadU64(record, pack::kRecordLengthOffset);
            const auto fileSize = static_cast<quint64>(m_fileSize);
            const bool inFile = (length >> 32) == 0
                && length <= static_cast<quint64>(std::numeric_limits<qint32>::max()) - 2
                && dataOffset <= fileSize && length <= fileSize - dataOffset;
            QByteArray bytes;
            if (inFile && m_file.seek(static_cast<qint64>(dataOffset)))
                bytes = m_file.read(static_cast<qint64>(length));
            if (!inFile || bytes.size() != static_cast<qsizetype>(length)) {
                ++m_skipped;
                if (m_brokenEntries)
                    m_brokenEntries->append(name);
                return kSkinPackOk;
            }

            // Each entry's keystream starts afresh from the header key.
            CRC4().Decode(reinterpret_cast<uint8_t *>(bytes.data()), static_cast<size_t>(bytes.size()), m_key,
                pack::kKeySize);
            m_onEntry(SkinPackEntry { table, name, std::move(bytes) });
            return kSkinPackOk;
        }

        QFile m_file;
        const std::function<void(SkinPackEntry &&)> &m_onEntry;
        QStringList *m_brokenEntries = nullptr;
        int m_skipped = 0;
        qint64 m_fileSize = 0;
        uint8_t m_key[pack::kKeySize] = {};
    };

} // namespace

int ReadSkinPack(
    const QString &path, const std::function<void(SkinPackEntry &&)> &onEntry, QStringList *brokenEntries)
{
    return PackFile(path, onEntry, brokenEntries).Read();
}

int LoadSkinPack(const QString &path, CSkinPackStore &store, QStringList *brokenEntries)
{
    return ReadSkinPack(
        path, [&store](SkinPackEntry &&entry) { store.Insert(entry.table, entry.name, entry.bytes); },
        brokenEntries);
}

} // namespace skin
