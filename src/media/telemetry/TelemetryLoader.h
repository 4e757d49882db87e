#pragma once

#include "media/CGPSArray.h"
#include "media/telemetry/CSpeedItem.h"
#include "media/telemetry/GSensorSample.h"
#include "media/telemetry/IStreamParseData.h"

#include <cstdint>
#include <vector>

namespace media {

// Drains a recording's telemetry source into the GPS track, the G-sensor samples and the speed
// gauge, with the rules the viewer's widgets rely on: at most one G-sensor sample per whole
// second (the first of it), every valid fix in the track and the gauge, and once per GPS second
// the gauge's speed re-read from the sentence text.
class TelemetryLoader
{
public:
    // A source that keeps answering neither a record nor the end is given up after this many
    // such answers in a row.
    static constexpr uint32_t kDefaultMaxFruitlessCalls = 1000;
    // No recording holds this many records; a source that delivers more is not trusted.
    static constexpr uint32_t kMaxRecords = 16 * 1024 * 1024;

    struct Result {
        uint32_t records = 0; // records delivered
        uint32_t gsensorRecords = 0;
        uint32_t gpsRecords = 0;
        uint32_t ignoredRecords = 0; // neither kind
        uint32_t validFixes = 0;
        uint32_t samplesAdded = 0;
        uint32_t fruitlessCalls = 0; // answers other than a record or the end
        bool reachedEnd = false; // the source reported the end of its records
    };

    // Reads the source to its end. Nothing is loaded when the duration is not greater than 0 or
    // there is no source. The speed gauge is optional.
    static Result Load(IStreamParseData *source, int64_t durationMs, CGPSArray &track,
        std::vector<GSensorSample> &samples, ISpeedItemSink *speed,
        uint32_t maxFruitlessCalls = kDefaultMaxFruitlessCalls);

    // The speed re-read: the speed field of an RMC record text (tag byte at index 0, the '$' at
    // index 1) in whole km/h. False when the text does not carry a usable speed by that rule.
    static bool ReadSpeedFromRecordText(const char *text, float &speedKmh);
};

} // namespace media
