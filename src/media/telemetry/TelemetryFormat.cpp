#include "media/telemetry/TelemetryFormat.h"

namespace media::telemetry {

RecordKind ClassifyRecord(const uint8_t *payload, uint32_t length)
{
    if (!payload || length == 0)
        return RecordKind::Unknown;
    if (payload[0] == kGSensorTag)
        return length >= kGSensorPayloadSize ? RecordKind::GSensor : RecordKind::Unknown;
    if (length >= 3 && payload[2] == 'G')
        return RecordKind::Gps;
    return RecordKind::Unknown;
}

std::vector<uint8_t> MakeGSensorPayload(uint8_t x, uint8_t y, uint8_t z)
{
    return { kGSensorTag, 0, 0, 0, x, y, z };
}

std::vector<uint8_t> MakeGpsPayload(std::string_view sentence)
{
    std::vector<uint8_t> payload;
    payload.reserve(sentence.size() + 1);
    payload.push_back(kGpsTag);
    payload.insert(payload.end(), sentence.begin(), sentence.end());
    return payload;
}

bool AppendRecord(std::vector<uint8_t> &chunkBody, uint32_t timeMs, const std::vector<uint8_t> &payload)
{
    if (payload.empty() || payload.size() > kMaxPayload)
        return false;
    const auto length = static_cast<uint16_t>(payload.size());
    const uint8_t header[kRecordHeaderSize] = { static_cast<uint8_t>(timeMs),
        static_cast<uint8_t>(timeMs >> 8), static_cast<uint8_t>(timeMs >> 16),
        static_cast<uint8_t>(timeMs >> 24), static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8) };
    chunkBody.insert(chunkBody.end(), header, header + kRecordHeaderSize);
    chunkBody.insert(chunkBody.end(), payload.begin(), payload.end());
    return true;
}

} // namespace media::telemetry
