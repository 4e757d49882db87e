// Arbitrary text as the recommended-minimum sentence of a GPS record, and as the record text
// the gauge's speed is re-read from.

#include "media/CGps.h"
#include "media/telemetry/TelemetryLoader.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Records reach the parsers NUL-terminated.
    const std::string text(reinterpret_cast<const char *>(data), size);
    media::CGps fix;
    if (fix.Parse(1000, text.c_str()))
        media::NmeaToDecimalDegrees(fix.latitude);
    float speed = 0;
    media::TelemetryLoader::ReadSpeedFromRecordText(text.c_str(), speed);
    return 0;
}
