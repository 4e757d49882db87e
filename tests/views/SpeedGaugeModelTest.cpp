#include "views/SpeedGaugeModel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using media::CSpeedItem;

namespace {

constexpr int B = SpeedGaugeModel::kBlankDigit;

CSpeedItem item(int timeMs, int64_t fixTime, float speed, int valid = 1)
{
    return CSpeedItem { timeMs, fixTime, speed, valid };
}

// A gauge with one valid item per second, fix times 1000, 1001, ...
SpeedGaugeModel gaugeWithSpeeds(std::initializer_list<float> speeds, int firstTimeMs = 0)
{
    SpeedGaugeModel gauge;
    int t = firstTimeMs;
    int64_t fix = 1000;
    for (float s : speeds) {
        gauge.Add(item(t, fix++, s));
        t += 1000;
    }
    return gauge;
}

std::array<int, 3> digits(int a, int b, int c)
{
    return { a, b, c };
}

} // namespace

TEST(SpeedGaugeSearch, ItemForPlaybackTime)
{
    SpeedGaugeModel gauge;
    EXPECT_EQ(gauge.FindForTime(0), -1);

    gauge.Add(item(500, 1, 10));
    EXPECT_EQ(gauge.FindForTime(499), -1) << "before the only item: none";
    EXPECT_EQ(gauge.FindForTime(500), 0);
    EXPECT_EQ(gauge.FindForTime(100000), 0);

    gauge.Add(item(1500, 2, 20));
    gauge.Add(item(2500, 3, 30));
    EXPECT_EQ(gauge.FindForTime(499), -1);
    EXPECT_EQ(gauge.FindForTime(500), 0);
    EXPECT_EQ(gauge.FindForTime(1499), 0);
    EXPECT_EQ(gauge.FindForTime(1500), 1);
    EXPECT_EQ(gauge.FindForTime(2499), 1);
    EXPECT_EQ(gauge.FindForTime(2500), 2);
    EXPECT_EQ(gauge.FindForTime(99999), 2) << "past the end: the last item";
}

TEST(SpeedGaugeSearch, LaterOfEqualTimesWins)
{
    SpeedGaugeModel gauge;
    gauge.Add(item(0, 1, 10));
    gauge.Add(item(1000, 2, 20));
    gauge.Add(item(1000, 3, 30));
    gauge.Add(item(2000, 4, 40));
    EXPECT_EQ(gauge.FindForTime(1000), 2);
    EXPECT_EQ(gauge.FindForTime(1999), 2);
}

TEST(SpeedGaugeSearch, FixTimeSearchStopsAtLaterFix)
{
    SpeedGaugeModel gauge;
    gauge.Add(item(0, 100, 1));
    gauge.Add(item(1000, 200, 2));
    gauge.Add(item(2000, 300, 3));
    EXPECT_EQ(gauge.FindByFixTime(100), 0);
    EXPECT_EQ(gauge.FindByFixTime(200), 1);
    EXPECT_EQ(gauge.FindByFixTime(300), 2);
    EXPECT_EQ(gauge.FindByFixTime(150), -1);
    EXPECT_EQ(gauge.FindByFixTime(400), -1);
    EXPECT_EQ(gauge.FindByFixTime(0), -1) << "a zero key stops at the first real fix time";

    // An out-of-order item behind a later fix is not found: the scan gives up early.
    gauge.Add(item(3000, 250, 4));
    EXPECT_EQ(gauge.ItemCount(), 4u);
    EXPECT_EQ(gauge.FindByFixTime(250), -1);
}

TEST(SpeedGaugeItems, AddKeepsFirstOfSameFixTime)
{
    SpeedGaugeModel gauge;
    EXPECT_TRUE(gauge.Add(item(0, 42, 10)));
    EXPECT_FALSE(gauge.Add(item(500, 42, 99)));
    ASSERT_EQ(gauge.ItemCount(), 1u);
    EXPECT_EQ(gauge.Items()[0], item(0, 42, 10));
}

TEST(SpeedGaugeItems, UpdateCorrectsOrAppends)
{
    SpeedGaugeModel gauge;
    gauge.Add(item(0, 10, 50, 0));
    gauge.Add(item(1000, 11, 60));

    gauge.Update(item(0, 10, 55, 1));
    EXPECT_FLOAT_EQ(gauge.Items()[0].speed, 55);
    EXPECT_EQ(gauge.Items()[0].valid, 1) << "a corrected item becomes usable";

    gauge.Update(item(1000, 11, 70, 0));
    EXPECT_FLOAT_EQ(gauge.Items()[1].speed, SpeedGaugeModel::kInvalidSpeed);
    EXPECT_EQ(gauge.Items()[1].valid, 1);

    // Re-read items carry fix time 0 and are never found once real fixes are in: each appends.
    gauge.Update(item(2000, 0, 80));
    gauge.Update(item(2000, 0, 80));
    EXPECT_EQ(gauge.ItemCount(), 4u);
}

TEST(SpeedGaugeDigits, ValuesAndUnits)
{
    auto gauge = gaugeWithSpeeds({ 45.4f, 123.0f, 7.0f, 999.6f, 0.4f, 0.5f });
    EXPECT_EQ(gauge.Digits(), digits(B, B, B)) << "blank before the first update";

    gauge.SetPosition(0);
    EXPECT_EQ(gauge.Digits(), digits(0, 4, 5));
    gauge.SetPosition(1000);
    EXPECT_EQ(gauge.Digits(), digits(1, 2, 3));
    gauge.SetPosition(2000);
    EXPECT_EQ(gauge.Digits(), digits(0, 0, 7));
    gauge.SetPosition(3000);
    EXPECT_EQ(gauge.Digits(), digits(0, 0, 0)) << "1000 wraps to three zeros";
    gauge.SetPosition(4000);
    EXPECT_EQ(gauge.Digits(), digits(0, 0, 0));
    gauge.SetPosition(5000);
    EXPECT_EQ(gauge.Digits(), digits(0, 0, 1)) << "half a unit rounds up";

    gauge.SetUnit(SpeedUnit::Mph);
    EXPECT_EQ(gauge.Digits(), digits(0, 0, 1)) << "the unit applies from the next update";
    gauge.SetPosition(0);
    EXPECT_EQ(gauge.Digits(), digits(0, 2, 8)) << "45.4 km/h is 28 mph";
    gauge.SetPosition(1000);
    EXPECT_EQ(gauge.Digits(), digits(0, 7, 6));

    gauge.SetUnit(SpeedUnit::Kmh);
    gauge.SetPosition(0);
    EXPECT_EQ(gauge.Digits(), digits(0, 4, 5));
}

TEST(SpeedGaugeDigits, DisplayValueGuardsAgainstGarbage)
{
    EXPECT_EQ(SpeedGaugeModel::DisplayValue(45.4f, 1.0), 45);
    EXPECT_LT(SpeedGaugeModel::DisplayValue(-100.0f, 0.621), 0);
    EXPECT_LT(SpeedGaugeModel::DisplayValue(std::numeric_limits<float>::quiet_NaN(), 1.0), 0);
    EXPECT_LT(SpeedGaugeModel::DisplayValue(std::numeric_limits<float>::infinity(), 1.0), 0);
    EXPECT_LT(SpeedGaugeModel::DisplayValue(3e38f, 1.0), 0);
}

TEST(SpeedGaugeAgeing, InvalidItemKeepsDigitsAndAges)
{
    SpeedGaugeModel gauge;
    gauge.Add(item(0, 1, 45.4f));
    gauge.Add(item(1000, 2, 80.0f, 0));
    gauge.SetPosition(0);
    ASSERT_EQ(gauge.Digits(), digits(0, 4, 5));

    gauge.SetPosition(1000);
    EXPECT_EQ(gauge.CurrentItem(), 1);
    EXPECT_EQ(gauge.Digits(), digits(0, 4, 5));
    EXPECT_EQ(gauge.StaleCount(), 1);

    // 98 more stale updates keep the old speed; the hundredth blanks it.
    for (int i = 0; i < 98; ++i)
        gauge.SetPosition(1000 + i);
    EXPECT_EQ(gauge.Digits(), digits(0, 4, 5));
    EXPECT_EQ(gauge.StaleCount(), 99);
    gauge.SetPosition(1500);
    EXPECT_EQ(gauge.Digits(), digits(B, B, B));
    EXPECT_EQ(gauge.StaleCount(), 0);
}

TEST(SpeedGaugeAgeing, TimeBeforeFirstItemAgesAndBlanks)
{
    SpeedGaugeModel empty; // no items at all age the same way
    for (int i = 0; i < 99; ++i)
        empty.SetPosition(i * 100);
    EXPECT_EQ(empty.StaleCount(), 99);
    empty.SetPosition(0);
    EXPECT_EQ(empty.StaleCount(), 0);

    auto gauge = gaugeWithSpeeds({ 60.0f }, 5000);
    gauge.SetPosition(5000);
    ASSERT_EQ(gauge.Digits(), digits(0, 6, 0));

    for (int i = 0; i < 99; ++i) {
        gauge.SetPosition(100);
        ASSERT_EQ(gauge.CurrentItem(), -1);
    }
    EXPECT_EQ(gauge.Digits(), digits(0, 6, 0)) << "99 updates without data keep the speed";
    gauge.SetPosition(100);
    EXPECT_EQ(gauge.Digits(), digits(B, B, B));

    // Fresh data shows again and restarts the count.
    for (int i = 0; i < 40; ++i)
        gauge.SetPosition(100);
    gauge.SetPosition(6000);
    EXPECT_EQ(gauge.Digits(), digits(0, 6, 0));
    EXPECT_EQ(gauge.StaleCount(), 0);
}

TEST(SpeedGaugeAgeing, RepeatedItemStopsRefreshingAfterLimit)
{
    auto gauge = gaugeWithSpeeds({ 30.0f, 40.0f });
    gauge.SetPosition(1000);
    ASSERT_EQ(gauge.Digits(), digits(0, 4, 0));
    ASSERT_EQ(gauge.RepeatCount(), 0);

    // Up to the limit, repeats still take the item's current speed.
    for (int i = 1; i <= SpeedGaugeModel::kRepeatLimit; ++i)
        gauge.SetPosition(1000);
    EXPECT_EQ(gauge.RepeatCount(), SpeedGaugeModel::kRepeatLimit);
    gauge.Update(item(1000, 1001, 41.0f));
    gauge.SetPosition(1000);
    EXPECT_EQ(gauge.Digits(), digits(0, 4, 0)) << "past the limit a repeat only ages";
    EXPECT_EQ(gauge.StaleCount(), 1);

    for (int i = 0; i < 98; ++i)
        gauge.SetPosition(1000);
    EXPECT_EQ(gauge.Digits(), digits(0, 4, 0));
    gauge.SetPosition(1000);
    EXPECT_EQ(gauge.Digits(), digits(B, B, B)) << "a standing position blanks after 100 stale updates";

    // Another item resets the repeat count and shows at once.
    gauge.SetPosition(0);
    EXPECT_EQ(gauge.RepeatCount(), 0);
    EXPECT_EQ(gauge.LastShown(), 0);
    EXPECT_EQ(gauge.Digits(), digits(0, 3, 0));
}

TEST(SpeedGaugeState, ClearAndBlank)
{
    auto gauge = gaugeWithSpeeds({ 30.0f, 40.0f });
    gauge.SetPosition(1000);
    gauge.SetPosition(1000);
    gauge.Clear();
    EXPECT_FALSE(gauge.HasItems());
    EXPECT_EQ(gauge.Digits(), digits(0, 4, 0)) << "clearing leaves the digits to Blank";
    gauge.Blank();
    EXPECT_EQ(gauge.Digits(), digits(B, B, B));
}
