#pragma once

#include <cstdint>

namespace media {

// Result codes of IStreamParseData: 0 when a record was delivered, 38 at the end of the records;
// any other value means no record this time. The loader's loop ends on exactly these values.
using StreamParseResult = int32_t;

inline constexpr StreamParseResult kStreamParseOk = 0;
inline constexpr StreamParseResult kStreamParseEndOfFile = 38;
// No record this time; the caller may ask again (the source is not open, or a read failed).
inline constexpr StreamParseResult kStreamParseNotReady = 21; // ERROR_NOT_READY
// Bad arguments (null pointers, zero capacity, a range that makes no sense).
inline constexpr StreamParseResult kStreamParseInvalidArg = 87; // ERROR_INVALID_PARAMETER
// The record does not fit the caller's buffer; *length holds the size it needs and the record
// stays the next one.
inline constexpr StreamParseResult kStreamParseMoreData = 234; // ERROR_MORE_DATA

// The largest record payload a recording may carry, and so the buffer a caller should offer.
// A caller that terminates the record with a 0 byte needs one byte more.
inline constexpr uint32_t kStreamParseMaxRecord = 1024;

// Telemetry records (GPS sentences, G-sensor samples) of the open recording, handed out one at a
// time in time order by the graph's source. The buffer's first bytes tag the record: 'M' at
// byte 0 is a G-sensor sample, 'G' followed by an NMEA sentence is a GPS record.
//
// The interface is called from the UI thread only; implementations read the file through their
// own handle, so they never disturb the demuxer's position.
class IStreamParseData
{
public:
    virtual ~IStreamParseData() = default;

    // Switches the hand-out of telemetry records on (1) or off (0). While it is off,
    // GetNextRecord answers kStreamParseEndOfFile. The graph turns it on once while it is built.
    virtual StreamParseResult Configure(uint8_t enable) = 0;

    // Limits the records handed out to time stamps in [startMs, endMs]; endMs -1 means to the end
    // of the recording. Also rewinds to the first record of the range. The graph calls it with
    // (0, -1) once while it is built.
    virtual StreamParseResult SetRecordRange(int64_t startMs, int64_t endMs) = 0;

    // Copies the next record into buffer. *length goes in as the buffer's capacity and comes back
    // as the record's length; *timeMs receives the record's time in ms from the recording's start.
    // Returns kStreamParseOk per record and kStreamParseEndOfFile when there are no more; any other
    // result means no record this time.
    virtual StreamParseResult GetNextRecord(uint8_t *buffer, uint32_t *length, uint32_t *timeMs) = 0;
};

} // namespace media
