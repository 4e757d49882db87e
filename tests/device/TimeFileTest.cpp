#include "DeviceTestSupport.h"

#include "device/CTAVINSDConfig.h"
#include "device/TimeFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace device;
using namespace devicetest;

namespace {

TEST(TimeFile, TextIsNineteenCharactersWithoutLineEnd)
{
    EXPECT_EQ(TimeFileText(2024, 3, 5, 7, 8, 9), std::optional<QByteArray>("2024.03.05-07:08:09"));
    EXPECT_EQ(TimeFileText(2024, 12, 31, 23, 59, 59), std::optional<QByteArray>("2024.12.31-23:59:59"));
    EXPECT_EQ(TimeFileText(999, 1, 1, 0, 0, 0), std::optional<QByteArray>("0999.01.01-00:00:00"));
    EXPECT_EQ(TimeFileText(2024, 2, 29, 0, 0, 0)->size(), kTimeFileLength);
}

TEST(TimeFile, ImpossibleTimesAreRefused)
{
    EXPECT_FALSE(TimeFileText(2023, 2, 29, 0, 0, 0)) << "no leap day";
    EXPECT_FALSE(TimeFileText(2024, 13, 1, 0, 0, 0));
    EXPECT_FALSE(TimeFileText(2024, 4, 31, 0, 0, 0));
    EXPECT_FALSE(TimeFileText(2024, 1, 1, 24, 0, 0));
    EXPECT_FALSE(TimeFileText(2024, 1, 1, 0, 60, 0));
    EXPECT_FALSE(TimeFileText(2024, 1, 1, 0, 0, 60));
    EXPECT_FALSE(TimeFileText(10000, 1, 1, 0, 0, 0)) << "would not fit 19 characters";
    EXPECT_FALSE(TimeFileText(-1, 1, 1, 0, 0, 0));
    EXPECT_FALSE(TimeFileText(QDateTime()));
}

TEST(TimeFile, ParsesOnlyTheExactForm)
{
    const std::optional<QDateTime> parsed = ParseTimeFileText(QStringLiteral("2024.03.05-07:08:09"));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(TimeFileText(*parsed), std::optional<QByteArray>("2024.03.05-07:08:09"));
    for (const char *bad : { "2024.3.05-07:08:09", "2024.03.05 07:08:09", "2024.03.05-07:08:09\n",
             "2024-03-05-07:08:09", "2023.02.29-00:00:00", "2024.03.05-25:00:00", "" })
        EXPECT_FALSE(ParseTimeFileText(QString::fromLatin1(bad))) << bad;
}

TEST(TimeFile, WrittenOnTheSelectedCardReplacingTheOldOneAndStayingHidden)
{
    QTemporaryDir dir;
    FakeFileAttributes attributes;
    CTAVINSDConfig config;
    config.SetFileAttributes(&attributes);
    auto volumes = std::make_unique<TestVolumeSource>();
    volumes->Insert(dir.path());
    config.SetVolumeSource(std::move(volumes));

    EXPECT_FALSE(config.WriteTimeFile(2024, 3, 5, 7, 8, 9)) << "no card selected yet";
    ASSERT_EQ(config.ScanDrives(false), 1);
    ASSERT_TRUE(config.SelectDrive(0));

    const QString path = dir.path() + QStringLiteral("/time.cfg");
    ASSERT_TRUE(WriteFile(path, "an older and much longer time file\r\n"));
    attributes.Set(path, platform::kFatHidden);
    ASSERT_TRUE(config.WriteTimeFile(2024, 3, 5, 7, 8, 9));
    EXPECT_EQ(ReadFile(path), QByteArray("2024.03.05-07:08:09"));
    EXPECT_EQ(attributes.Read(path), std::optional<quint32>(platform::kFatHidden));

    EXPECT_FALSE(config.WriteTimeFile(2024, 2, 30, 7, 8, 9));
    EXPECT_EQ(ReadFile(path), QByteArray("2024.03.05-07:08:09")) << "a refused time leaves the file alone";
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList { QStringLiteral("time.cfg") });

    // A read-only time file is not replaced, and the failure is reported.
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner));
    EXPECT_FALSE(config.WriteTimeFile(2025, 1, 2, 3, 4, 5));
    EXPECT_EQ(ReadFile(path), QByteArray("2024.03.05-07:08:09"));
}

} // namespace
