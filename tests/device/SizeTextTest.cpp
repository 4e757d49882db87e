#include "device/CardUsage.h"

#include <gtest/gtest.h>

namespace {

constexpr qint64 kMb = qint64(1) << 20;
constexpr qint64 kGb = qint64(1) << 30;

} // namespace

// Sizes read as a person says them: whole megabytes, then one decimal of a gigabyte, whole
// gigabytes from a hundred, terabytes from a thousand; never the six decimals of a raw figure.
TEST(SizeText, PicksTheUnitAndPrecisionAPersonWouldRead)
{
    EXPECT_EQ(device::SizeText(0), QStringLiteral("0 MB"));
    EXPECT_EQ(device::SizeText(980 * kMb), QStringLiteral("980 MB"));
    // Less than half a megabyte more stays below the switch to gigabytes; half a megabyte more
    // would round to a four-digit figure, so it is a gigabyte.
    EXPECT_EQ(device::SizeText(999 * kMb + kMb / 3), QStringLiteral("999 MB"));
    EXPECT_EQ(device::SizeText(999 * kMb + 2 * kMb / 3), QStringLiteral("1.0 GB"));
    // The storage panel's old "12.587891 GB".
    EXPECT_EQ(device::SizeText(12890 * kMb), QStringLiteral("12.6 GB"));
    EXPECT_EQ(device::SizeText(99 * kGb + 97 * kGb / 100), QStringLiteral("100 GB"));
    EXPECT_EQ(device::SizeText(119 * kGb + kGb / 5), QStringLiteral("119 GB"));
    EXPECT_EQ(device::SizeText(1800 * kGb), QStringLiteral("1.8 TB"));
    // A negative size (a failed query) is no size.
    EXPECT_EQ(device::SizeText(-1), QStringLiteral("0 MB"));
}

// The storage panel's figures take those sizes: the capacity line names the free space, each
// area its used and whole size.
TEST(SizeText, TheStorageFiguresUseIt)
{
    device::RecordingSums sums;
    sums.normalMb = 8021;
    sums.eventMb = 512;
    const device::StorageTexts texts
        = device::ComposeStorageTexts(QStringLiteral("/media/card"), 29696 * kMb, 12890 * kMb, 5, sums);
    EXPECT_EQ(texts.capacity, QStringLiteral("Storage Capacity: /media/card (12.6 GB free)"));
    EXPECT_EQ(texts.useN, QStringLiteral("In Use (7.8 GB, 54%)"));
    EXPECT_EQ(texts.useS, QStringLiteral("In Use (512 MB, 3%)"));
    EXPECT_EQ(texts.totalN, QStringLiteral("Total (14.5 GB, 50%)"));
    EXPECT_EQ(texts.totalA, QStringLiteral("Total (297 MB, 1%)"));
}
