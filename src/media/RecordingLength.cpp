#include "media/RecordingLength.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace media {

int RecordingLengthSeconds(std::uint32_t microSecPerFrame, std::uint32_t totalFrames)
{
    if (microSecPerFrame == 0)
        return 0;
    const double framesPerSecond = 1000000.125 / static_cast<double>(microSecPerFrame);
    double seconds = static_cast<double>(totalFrames) / framesPerSecond;
    if (std::fmod(std::trunc(seconds * 10.0), 10.0) > 8.0)
        seconds += 0.1;
    if (seconds >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    return static_cast<int>(seconds);
}

int RecordingLengthSeconds(const AviMainHeader &header)
{
    return RecordingLengthSeconds(header.microSecPerFrame, header.totalFrames);
}

int RecordingLengthSeconds(const AviFileInfo &info)
{
    const AviMainHeader &header = info.mainHeader;
    if (header.totalFrames != 0)
        return RecordingLengthSeconds(header);
    std::uint32_t microSecPerFrame = header.microSecPerFrame;
    const AviStreamHeader &video = info.videoStreamHeader;
    if (microSecPerFrame == 0 && video.rate != 0) {
        const std::uint64_t frameTime
            = (std::uint64_t { 1000000 } * video.scale + video.rate / 2) / video.rate;
        microSecPerFrame = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(frameTime, std::numeric_limits<std::uint32_t>::max()));
    }
    return RecordingLengthSeconds(microSecPerFrame, info.videoChunks);
}

} // namespace media
