#include "views/GSensorGraphModel.h"

#include <gtest/gtest.h>

using media::GSensorSample;

namespace {

GSensorGraphModel modelWithTimes(std::initializer_list<uint32_t> times)
{
    GSensorGraphModel model;
    uint32_t v = 10;
    for (uint32_t t : times) {
        model.AddSample(GSensorSample { v, v + 1, v + 2, t });
        v += 10;
    }
    return model;
}

} // namespace

TEST(GSensorCursorSearch, LastSampleNotAfterTime)
{
    const auto model = modelWithTimes({ 1000, 2000, 3000 });
    const auto &s = model.Samples();
    EXPECT_EQ(GSensorGraphModel::FindCursorIndex(s, 0), 0u) << "before the first sample: the first";
    EXPECT_EQ(GSensorGraphModel::FindCursorIndex(s, 1000), 0u);
    EXPECT_EQ(GSensorGraphModel::FindCursorIndex(s, 1999), 0u);
    EXPECT_EQ(GSensorGraphModel::FindCursorIndex(s, 2000), 1u);
    EXPECT_EQ(GSensorGraphModel::FindCursorIndex(s, 2999), 1u);
    EXPECT_EQ(GSensorGraphModel::FindCursorIndex(s, 3000), 2u);
    EXPECT_EQ(GSensorGraphModel::FindCursorIndex(s, 99999), 2u);
}

TEST(GSensorCursorSearch, SetPositionTracksOffset)
{
    auto model = modelWithTimes({ 1000, 2000, 3000 });
    EXPECT_TRUE(model.SetPosition(2500));
    EXPECT_EQ(model.CurrentIndex(), 1u);
    EXPECT_EQ(model.CurrentOffsetMs(), 500);
    EXPECT_EQ(model.CursorTimeMs(), 2500);
    EXPECT_EQ(model.CurrentReadings(), (std::array<int, 3> { 20, 21, 22 }));

    model.SetPosition(400);
    EXPECT_EQ(model.CurrentIndex(), 0u);
    EXPECT_EQ(model.CurrentOffsetMs(), -600) << "a time before the first sample keeps its real time";
    EXPECT_EQ(model.CursorTimeMs(), 400);

    model.SetPosition(10000);
    EXPECT_EQ(model.CurrentIndex(), 2u);
    EXPECT_EQ(model.CursorTimeMs(), 10000);
}

TEST(GSensorCursorSearch, NoSamplesChangeNothing)
{
    GSensorGraphModel model;
    EXPECT_FALSE(model.SetPosition(1234));
    EXPECT_EQ(model.CurrentIndex(), 0u);
    EXPECT_EQ(model.CurrentOffsetMs(), 0);
    EXPECT_FALSE(model.CursorTimeMs().has_value());
    EXPECT_EQ(model.CurrentReadings(), (std::array<int, 3> { 0, 0, 0 }));
}

TEST(GSensorModel, ClearKeepsAxes)
{
    auto model = modelWithTimes({ 1000, 2000 });
    model.SetDuration(60000);
    model.SetValueRange(230);
    model.SetPosition(2500);
    model.Clear();
    EXPECT_EQ(model.SampleCount(), 0u);
    EXPECT_EQ(model.CurrentIndex(), 0u);
    EXPECT_EQ(model.CurrentOffsetMs(), 0);
    EXPECT_EQ(model.DurationMs(), 60000);
    EXPECT_EQ(model.ValueRange(), 230);
}
