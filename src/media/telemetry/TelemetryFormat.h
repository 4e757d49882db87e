#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

// The telemetry layout inside a recording's "movi" list: chunks with the id "tlm0" whose body is
// a run of records, each a uint32 LE time in ms, a uint16 LE payload length (1 to 1024) and the
// payload. docs/telemetry-format.md describes it with an example.
namespace media::telemetry {

inline constexpr char kChunkId[4] = { 't', 'l', 'm', '0' };
inline constexpr uint32_t kRecordHeaderSize = 6;
inline constexpr uint32_t kMaxPayload = 1024;
inline constexpr uint8_t kGSensorTag = 'M';
inline constexpr uint8_t kGpsTag = 'G';
inline constexpr uint32_t kGSensorPayloadSize = 7;

enum class RecordKind { GSensor, Gps, Unknown };

// Decides a record's kind by its bytes: 'M' at byte 0 is a G-sensor sample (which needs its
// seven bytes), otherwise 'G' at byte 2 is a GPS sentence (byte 1 is the '$' of "$G..RMC").
RecordKind ClassifyRecord(const uint8_t *payload, uint32_t length);

// Payload of a G-sensor record: 'M', three unused zero bytes, then X, Y and Z.
std::vector<uint8_t> MakeGSensorPayload(uint8_t x, uint8_t y, uint8_t z);

// Payload of a GPS record: the tag 'G' followed by the sentence (no line end).
std::vector<uint8_t> MakeGpsPayload(std::string_view sentence);

// Appends one record (header and payload) to a chunk body. Payloads longer than kMaxPayload or
// empty ones are refused (false): a reader would skip or cut them.
bool AppendRecord(std::vector<uint8_t> &chunkBody, uint32_t timeMs, const std::vector<uint8_t> &payload);

inline uint16_t ReadLe16(const uint8_t *p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t ReadLe32(const uint8_t *p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8)
        | (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

} // namespace media::telemetry
