#include "media/telemetry/TelemetryReader.h"

#include "media/MediaLog.h"
#include "media/telemetry/TelemetryFormat.h"

#include <QFile>

#include <algorithm>
#include <cstring>
#include <functional>

namespace media {

namespace {

    using ChunkVisitor = std::function<void(const uint8_t *body, uint32_t size)>;

    // Bounds that keep a damaged or hostile file from making the reader allocate without limit.
    constexpr int64_t kMaxIndexBytes = 64 * 1024 * 1024;
    constexpr uint32_t kMaxChunkBytes = 16 * 1024 * 1024;
    constexpr size_t kMaxTotalPayload = 64 * 1024 * 1024;

    bool IsId(const uint8_t *p, const char (&id)[5])
    {
        return std::memcmp(p, id, 4) == 0;
    }

    bool IsTelemetryId(const uint8_t *p)
    {
        return std::memcmp(p, telemetry::kChunkId, 4) == 0;
    }

    // A chunk id of four printable ASCII characters; anything else means the walk has lost its way.
    bool IsPlausibleId(const uint8_t *p)
    {
        for (int i = 0; i < 4; ++i) {
            if (p[i] < 0x20 || p[i] > 0x7E)
                return false;
        }
        return true;
    }

    // Positioned reads that never go past the end of the file.
    class BoundedFile
    {
    public:
        explicit BoundedFile(QFile &file)
            : m_file(file)
            , m_size(file.size())
        {
        }

        int64_t Size() const { return m_size; }

        bool ReadAt(int64_t position, void *destination, int64_t count)
        {
            if (position < 0 || count < 0 || position > m_size || count > m_size - position)
                return false;
            if (!m_file.seek(position))
                return false;
            return m_file.read(static_cast<char *>(destination), count) == count;
        }

    private:
        QFile &m_file;
        int64_t m_size;
    };

    class AviTelemetryScan
    {
    public:
        explicit AviTelemetryScan(BoundedFile &file)
            : m_file(file)
        {
        }

        // Walks the top level of the RIFF body for the "movi" list and the "idx1" chunk.
        void FindTopLevel()
        {
            const int64_t end = m_file.Size();
            int64_t position = 12;
            uint8_t header[12];
            while (position + 8 <= end && m_file.ReadAt(position, header, 8)) {
                const uint32_t size = telemetry::ReadLe32(header + 4);
                if (IsId(header, "LIST") && m_file.ReadAt(position + 8, header + 8, 4)
                    && IsId(header + 8, "movi")) {
                    m_moviFourcc = position + 8;
                    // A recording cut short by a power loss may still carry a placeholder size.
                    if (size < 4)
                        return;
                } else if (IsId(header, "idx1")) {
                    m_indexPosition = position + 8;
                    m_indexSize = size;
                    m_indexComplete = m_indexPosition + size <= end;
                }
                const int64_t next = position + 8 + size + (size & 1);
                if (next <= position)
                    return;
                position = next;
            }
        }

        bool HasMovi() const { return m_moviFourcc >= 0; }

        // Reads the telemetry chunks listed in the index. Returns false when the index is missing,
        // lists no telemetry or does not match the file, so that the caller walks the chunks instead.
        bool ScanIndex(const ChunkVisitor &visit, uint32_t &chunks, uint32_t &unreadable)
        {
            if (m_indexPosition < 0 || !m_indexComplete || m_indexSize < 16 || m_indexSize > kMaxIndexBytes)
                return false;
            std::vector<uint8_t> index(static_cast<size_t>(m_indexSize / 16) * 16);
            if (!m_file.ReadAt(m_indexPosition, index.data(), static_cast<int64_t>(index.size())))
                return false;
            const size_t entries = index.size() / 16;
            const int64_t base = FindOffsetBase(index, entries);
            if (base < 0)
                return false;

            uint32_t listed = 0;
            std::vector<uint8_t> body;
            for (size_t i = 0; i < entries; ++i) {
                const uint8_t *entry = index.data() + i * 16;
                if (!IsTelemetryId(entry))
                    continue;
                ++listed;
                const int64_t position = base + telemetry::ReadLe32(entry + 8);
                if (ReadChunk(position, body, telemetry::ReadLe32(entry + 12)))
                    visit(body.data(), static_cast<uint32_t>(body.size()));
                else
                    ++unreadable;
            }
            chunks = listed - unreadable;
            // An index that lists no telemetry may come from a writer that left those chunks out,
            // and one that points mostly at nothing does not describe this file: walk instead.
            return listed > 0 && unreadable * 2 <= listed;
        }

        // Visits every telemetry chunk of the "movi" list by its chunk headers. The walk does not
        // trust the list's size: a recorder that lost power leaves it 0 or at the value of an
        // earlier update, while its chunks go on to the end of the file. The index, when there is
        // one, is what follows the data.
        uint32_t WalkMovi(const ChunkVisitor &visit)
        {
            uint32_t chunks = 0;
            if (!HasMovi())
                return 0;
            int64_t position = m_moviFourcc + 4;
            uint8_t header[8];
            std::vector<uint8_t> body;
            while (position + 8 <= m_file.Size() && m_file.ReadAt(position, header, 8)) {
                if (!IsPlausibleId(header) || IsId(header, "idx1"))
                    break;
                const uint32_t size = telemetry::ReadLe32(header + 4);
                if (IsId(header, "LIST")) {
                    position += 12; // "rec " groups: their chunks are walked like the others
                    continue;
                }
                if (IsTelemetryId(header) && ReadChunk(position, body)) {
                    visit(body.data(), static_cast<uint32_t>(body.size()));
                    ++chunks;
                }
                position += 8 + static_cast<int64_t>(size) + (size & 1);
            }
            return chunks;
        }

    private:
        // Index offsets are either relative to the "movi" fourcc (the usual form) or absolute; the
        // first entries decide which, by whether their chunk ids are found where the entries say.
        int64_t FindOffsetBase(const std::vector<uint8_t> &index, size_t entries)
        {
            const size_t probe = std::min<size_t>(entries, 8);
            int64_t best = -1;
            size_t bestMatches = 0;
            for (const int64_t base : { m_moviFourcc, int64_t { 0 } }) {
                if (base < 0)
                    continue;
                size_t matches = 0;
                uint8_t id[4];
                for (size_t i = 0; i < probe; ++i) {
                    const uint8_t *entry = index.data() + i * 16;
                    if (m_file.ReadAt(base + telemetry::ReadLe32(entry + 8), id, 4)
                        && std::memcmp(id, entry, 4) == 0)
                        ++matches;
                }
                if (matches > bestMatches) {
                    best = base;
                    bestMatches = matches;
                }
            }
            return best;
        }

        // Reads a telemetry chunk whose header is at position; a chunk that runs past the end of the
        // file yields the bytes that are there. sizeHint, when known from the index, lets header and
        // body come in one read.
        bool ReadChunk(int64_t position, std::vector<uint8_t> &body, int64_t sizeHint = -1)
        {
            const int64_t available = m_file.Size() - (position + 8);
            if (available < 0)
                return false;
            if (sizeHint >= 0) {
                const int64_t size = std::min<int64_t>({ sizeHint, available, kMaxChunkBytes });
                m_buffer.resize(static_cast<size_t>(size) + 8);
                if (!m_file.ReadAt(position, m_buffer.data(), size + 8) || !IsTelemetryId(m_buffer.data()))
                    return false;
                if (telemetry::ReadLe32(m_buffer.data() + 4) == sizeHint) {
                    body.assign(m_buffer.begin() + 8, m_buffer.end());
                    return true;
                }
                // The index disagrees with the chunk about its size: the chunk's own header wins.
            }
            uint8_t header[8];
            if (!m_file.ReadAt(position, header, 8) || !IsTelemetryId(header))
                return false;
            const int64_t size
                = std::min<int64_t>({ telemetry::ReadLe32(header + 4), available, kMaxChunkBytes });
            body.resize(static_cast<size_t>(size));
            return size == 0 || m_file.ReadAt(position + 8, body.data(), size);
        }

        BoundedFile &m_file;
        std::vector<uint8_t> m_buffer;
        int64_t m_moviFourcc = -1;
        int64_t m_indexPosition = -1;
        int64_t m_indexSize = 0;
        bool m_indexComplete = false;
    };

} // namespace

bool TelemetryReader::Open(const QString &path)
{
    Close();
    QFile file(path);
    // Reads are small and far apart: a read buffer would only copy bytes that are never used.
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return false;
    BoundedFile bounded(file);
    uint8_t riff[12];
    if (!bounded.ReadAt(0, riff, 12) || !IsId(riff, "RIFF") || !IsId(riff + 8, "AVI "))
        return false;

    AviTelemetryScan scan(bounded);
    scan.FindTopLevel();
    const ChunkVisitor visit = [this](const uint8_t *body, uint32_t size) { AddChunkBody(body, size); };
    uint32_t chunks = 0;
    uint32_t unreadable = 0;
    if (scan.HasMovi()) {
        if (scan.ScanIndex(visit, chunks, unreadable)) {
            m_stats.source = ChunkSource::Index;
            m_stats.chunks = chunks;
            m_stats.unreadableChunks = unreadable;
        } else {
            // Whatever the index gave is dropped, so that no chunk is counted twice.
            m_payloads.clear();
            m_records.clear();
            m_stats = ReadStats {};
            m_stats.source = ChunkSource::ChunkWalk;
            m_stats.chunks = scan.WalkMovi(visit);
            qCDebug(lcMedia) << path << "has no usable index; the chunk walk found" << m_stats.chunks
                             << "telemetry chunks";
        }
    }
    FinishLoading();
    m_open = true;
    return true;
}

void TelemetryReader::Close()
{
    m_open = false;
    m_cursor = 0;
    m_rangeStart = 0;
    m_rangeEnd = -1;
    m_payloads.clear();
    m_records.clear();
    m_stats = ReadStats {};
}

void TelemetryReader::AddChunkBody(const uint8_t *body, uint32_t size)
{
    uint32_t position = 0;
    while (size - position >= telemetry::kRecordHeaderSize) {
        const uint32_t timeMs = telemetry::ReadLe32(body + position);
        const uint32_t length = telemetry::ReadLe16(body + position + 4);
        position += telemetry::kRecordHeaderSize;
        if (length == 0) {
            ++m_stats.zeroLengthRecords;
            continue;
        }
        // A record longer than its chunk or than any record may be means the rest of the chunk
        // cannot be trusted either.
        if (length > telemetry::kMaxPayload || length > size - position) {
            ++m_stats.cutRecords;
            return;
        }
        if (m_payloads.size() + length > kMaxTotalPayload)
            return;
        m_records.push_back(
            { timeMs, static_cast<uint32_t>(m_payloads.size()), static_cast<uint16_t>(length) });
        m_payloads.insert(m_payloads.end(), body + position, body + position + length);
        position += length;
    }
}

void TelemetryReader::FinishLoading()
{
    const auto byTime = [](const RecordRef &a, const RecordRef &b) { return a.timeMs < b.timeMs; };
    if (!std::is_sorted(m_records.begin(), m_records.end(), byTime)) {
        m_stats.outOfOrder = true;
        std::stable_sort(m_records.begin(), m_records.end(), byTime);
    }
    m_stats.records = static_cast<uint32_t>(m_records.size());
    m_cursor = 0;
}

StreamParseResult TelemetryReader::Configure(uint8_t enable)
{
    if (enable > 1)
        return kStreamParseInvalidArg;
    m_enabled = enable == 1;
    return kStreamParseOk;
}

StreamParseResult TelemetryReader::SetRecordRange(int64_t startMs, int64_t endMs)
{
    if (startMs < 0 || endMs < -1 || (endMs >= 0 && endMs < startMs))
        return kStreamParseInvalidArg;
    m_rangeStart = startMs;
    m_rangeEnd = endMs;
    m_cursor = static_cast<size_t>(
        std::lower_bound(m_records.begin(), m_records.end(), startMs,
            [](const RecordRef &r, int64_t t) { return static_cast<int64_t>(r.timeMs) < t; })
        - m_records.begin());
    return kStreamParseOk;
}

StreamParseResult TelemetryReader::GetNextRecord(uint8_t *buffer, uint32_t *length, uint32_t *timeMs)
{
    if (!buffer || !length || !timeMs || *length == 0)
        return kStreamParseInvalidArg;
    if (!m_open)
        return kStreamParseNotReady;
    if (!m_enabled || m_cursor >= m_records.size())
        return kStreamParseEndOfFile;
    const RecordRef &record = m_records[m_cursor];
    if (m_rangeEnd >= 0 && static_cast<int64_t>(record.timeMs) > m_rangeEnd)
        return kStreamParseEndOfFile;
    if (record.length > *length) {
        *length = record.length;
        return kStreamParseMoreData;
    }
    std::memcpy(buffer, m_payloads.data() + record.offset, record.length);
    *length = record.length;
    *timeMs = record.timeMs;
    ++m_cursor;
    return kStreamParseOk;
}

} // namespace media
