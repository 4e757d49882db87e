#include "media/RecordingLength.h"

#include <gtest/gtest.h>

#include <climits>

using media::RecordingLengthSeconds;

namespace {

TEST(RecordingLength, FirstDecimalNineRoundsUp)
{
    const struct {
        std::uint32_t microSecPerFrame;
        std::uint32_t totalFrames;
        int seconds;
    } cases[] = {
        { 10000, 5995, 60 }, // 59.95 s
        { 10000, 5985, 59 }, // 59.85 s
        { 40000, 1499, 60 }, // 59.96 s at 25 fps
        { 40000, 1497, 59 }, // 59.88 s: first decimal 8 is cut
        { 33333, 1799, 60 }, // 59.966 s at 30 fps
        { 33367, 1798, 60 }, // 59.993 s at 29.97 fps
        { 33367, 1800, 60 }, // 60.06 s
        { 33367, 900, 30 },
        { 66667, 29, 2 }, // 1.933 s at 15 fps
        { 66667, 27, 1 }, // 1.800 s
        { 100000, 600, 60 },
        // The frame rate's extra 0.125 makes exactly 599 frames at 10 fps 59.8999925 s.
        { 100000, 599, 59 },
        { 0, 1000, 0 }, // no frame time: nothing to list
        { 40000, 0, 0 },
    };
    for (const auto &c : cases) {
        EXPECT_EQ(RecordingLengthSeconds(c.microSecPerFrame, c.totalFrames), c.seconds)
            << c.totalFrames << " frames of " << c.microSecPerFrame << " us";
    }
}

TEST(RecordingLength, ExtremeHeaderValuesStayInRange)
{
    EXPECT_EQ(RecordingLengthSeconds(UINT32_MAX, UINT32_MAX), INT_MAX);
    EXPECT_EQ(RecordingLengthSeconds(1, UINT32_MAX), 4295); // 4294.967 s: first decimal 9
    EXPECT_EQ(RecordingLengthSeconds(UINT32_MAX, 1), 4295);
}

TEST(RecordingLength, UsesTheMainHeaderFields)
{
    media::AviMainHeader header;
    header.microSecPerFrame = 33367;
    header.totalFrames = 1795; // 59.893 s
    EXPECT_EQ(RecordingLengthSeconds(header), 59);
}

} // namespace
