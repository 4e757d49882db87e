// Matching a playback time to the fix that is shown.

#include "media/CGPSArray.h"

#include <gtest/gtest.h>

#include <initializer_list>

using namespace media;

namespace {

CGPSArray trackAt(std::initializer_list<std::uint32_t> times)
{
    CGPSArray track;
    for (std::uint32_t time : times) {
        const int next = track.GetSize();
        EXPECT_EQ(track.Add(CGps(time, "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394")), next);
    }
    return track;
}

TEST(GPSArray, LastFixNotAfterThePlaybackTime)
{
    const CGPSArray track = trackAt({ 0, 1000, 2000 });
    const struct {
        std::uint32_t time;
        int index;
    } cases[]
        = { { 0, 0 }, { 999, 0 }, { 1000, 1 }, { 1999, 1 }, { 2000, 2 }, { 5000, 2 }, { UINT32_MAX, 2 } };
    for (const auto &c : cases)
        EXPECT_EQ(track.FindIndexAt(c.time), c.index) << "t = " << c.time;

    // Before the first fix the first is shown.
    const CGPSArray late = trackAt({ 500, 1500, 2500 });
    EXPECT_EQ(late.FindIndexAt(499), 0);
    EXPECT_EQ(late.FindIndexAt(1500), 1);
}

TEST(GPSArray, SingleAndEmptyTracks)
{
    const CGPSArray one = trackAt({ 700 });
    for (std::uint32_t time : { 0u, 700u, 100000u })
        EXPECT_EQ(one.FindIndexAt(time), 0);
    const CGPSArray none;
    EXPECT_EQ(none.FindIndexAt(1234), 0);
    EXPECT_TRUE(none.IsEmpty());
}

} // namespace
