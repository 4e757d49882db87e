#pragma once

#include "media/telemetry/IStreamParseData.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace media {

// Reads the telemetry records of a recording without touching its video or audio: the "tlm0"
// chunks are found through the "idx1" index, or, when the index is missing or does not match the
// file, by walking the chunk headers of the "movi" list. All records are read when the file is
// opened (a minute of driving is about 12 KB) and handed out in time order; the file is closed
// again at once, so the reader never competes with the demuxer for the file.
//
// Damage is tolerated: records out of order are sorted, a record running past its chunk ends
// that chunk, zero-length records are skipped, a chunk that cannot be read is passed over, and
// nothing past the end of the file is ever read.
class TelemetryReader final : public IStreamParseData
{
public:
    enum class ChunkSource { None, Index, ChunkWalk };

    struct ReadStats {
        ChunkSource source = ChunkSource::None;
        uint32_t chunks = 0; // telemetry chunks read
        uint32_t unreadableChunks = 0; // listed in the index but not found where it says
        uint32_t records = 0; // records kept
        uint32_t zeroLengthRecords = 0;
        uint32_t cutRecords = 0; // ran past their chunk, or declared more than 1024 bytes
        bool outOfOrder = false; // records had to be sorted
    };

    TelemetryReader() = default;

    // Reads the telemetry of the file. False when the file cannot be opened or is not a RIFF
    // "AVI " file; an AVI without telemetry opens with no records.
    bool Open(const QString &path);
    void Close();
    bool IsOpen() const { return m_open; }

    const ReadStats &Stats() const { return m_stats; }
    size_t RecordCount() const { return m_records.size(); }

    StreamParseResult Configure(uint8_t enable) override;
    StreamParseResult SetRecordRange(int64_t startMs, int64_t endMs) override;
    StreamParseResult GetNextRecord(uint8_t *buffer, uint32_t *length, uint32_t *timeMs) override;

private:
    struct RecordRef {
        uint32_t timeMs;
        uint32_t offset; // into m_payloads
        uint16_t length;
    };

    void AddChunkBody(const uint8_t *body, uint32_t size);
    void FinishLoading();

    bool m_open = false;
    bool m_enabled = true;
    int64_t m_rangeStart = 0;
    int64_t m_rangeEnd = -1;
    size_t m_cursor = 0;
    std::vector<uint8_t> m_payloads;
    std::vector<RecordRef> m_records;
    ReadStats m_stats;
};

} // namespace media
