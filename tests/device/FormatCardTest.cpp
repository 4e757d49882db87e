#include "DeviceTestSupport.h"

#include "device/CTAVINSDConfig.h"
#include "device/FormatCard.h"

#include "platform/card_formatter_linux.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace device;
using namespace devicetest;

namespace {

struct RecordingPrompt : FormatPrompt {
    bool answer = true;
    int asked = 0;
    int notDone = 0;
    int inUse = 0;
    QStringList failures;
    std::vector<bool> busy;
    bool ConfirmFormat(const QString &) override
    {
        ++asked;
        return answer;
    }
    void DeviceInUse() override { ++inUse; }
    void FormatFailed(const QString &reason) override { failures << reason; }
    void FormatNotDone() override { ++notDone; }
    void SetBusy(bool on) override { busy.push_back(on); }
};

struct FakeFormatter : platform::CardFormatter {
    std::optional<platform::VolumeGeometry> geometry;
    platform::FormatResult result { platform::FormatStatus::Formatted, QString(), QString() };
    int formats = 0;
    platform::MountedVolume card;
    QString fileSystem, label;
    quint32 clusterBytes = 0;

    std::optional<platform::VolumeGeometry> QueryGeometry(const QString &) override { return geometry; }
    platform::FormatResult Format(
        const platform::MountedVolume &c, const QString &fs, const QString &l, quint32 cluster) override
    {
        ++formats;
        card = c;
        fileSystem = fs;
        label = l;
        clusterBytes = cluster;
        return result;
    }
};

TEST(FormatParameters, PresentFileSystemIsKeptAndUnknownFallsBackToFat32)
{
    const FormatParameters none = ChooseFormatParameters(std::nullopt);
    EXPECT_EQ(none.fileSystem, QStringLiteral("FAT32"));
    EXPECT_EQ(none.clusterBytes, 32768u);
    EXPECT_EQ(none.label, QStringLiteral("TAVIN"));

    const FormatParameters exfat
        = ChooseFormatParameters(platform::VolumeGeometry { QStringLiteral("exFAT"), 131072, 512 });
    EXPECT_EQ(exfat.fileSystem, QStringLiteral("exFAT"));
    EXPECT_EQ(exfat.clusterBytes, 131072u);
    EXPECT_EQ(exfat.label, QStringLiteral("TAVIN"));

    const FormatParameters unnamed
        = ChooseFormatParameters(platform::VolumeGeometry { QString(), 16384, 512 });
    EXPECT_EQ(unnamed.fileSystem, QStringLiteral("FAT32"));
    EXPECT_EQ(unnamed.clusterBytes, 16384u);
}

TEST(FormatParameters, KernelNamesAndUDisksRequests)
{
    EXPECT_EQ(platform::CardFileSystemName(QStringLiteral("vfat"), 65525), QStringLiteral("FAT32"));
    EXPECT_EQ(platform::CardFileSystemName(QStringLiteral("vfat"), 65524), QStringLiteral("FAT"));
    EXPECT_EQ(platform::CardFileSystemName(QStringLiteral("exfat"), 10), QStringLiteral("exFAT"));
    EXPECT_EQ(platform::CardFileSystemName(QStringLiteral("ntfs3"), 10), QStringLiteral("NTFS"));
    EXPECT_EQ(platform::CardFileSystemName(QStringLiteral("ext4"), 10), QString());

    const auto fat32
        = platform::MakeUDisksFormatRequest(QStringLiteral("FAT32"), 32768, 512, QStringLiteral("TAVIN"));
    EXPECT_EQ(fat32.type, QStringLiteral("vfat"));
    EXPECT_EQ(fat32.options.value(QStringLiteral("label")).toString(), QStringLiteral("TAVIN"));
    EXPECT_EQ(fat32.options.value(QStringLiteral("mkfs-args")).toStringList(),
        (QStringList {
            QStringLiteral("-F"), QStringLiteral("32"), QStringLiteral("-s"), QStringLiteral("64") }));

    const auto fat4k
        = platform::MakeUDisksFormatRequest(QStringLiteral("FAT32"), 32768, 4096, QStringLiteral("TAVIN"));
    EXPECT_EQ(fat4k.options.value(QStringLiteral("mkfs-args")).toStringList(),
        (QStringList {
            QStringLiteral("-F"), QStringLiteral("32"), QStringLiteral("-s"), QStringLiteral("8") }));

    const auto exfat
        = platform::MakeUDisksFormatRequest(QStringLiteral("exFAT"), 131072, 512, QStringLiteral("TAVIN"));
    EXPECT_EQ(exfat.type, QStringLiteral("exfat"));
    EXPECT_EQ(exfat.options.value(QStringLiteral("mkfs-args")).toStringList(),
        (QStringList { QStringLiteral("-c"), QStringLiteral("131072") }));

    const auto odd
        = platform::MakeUDisksFormatRequest(QStringLiteral("FAT"), 3000, 512, QStringLiteral("TAVIN"));
    EXPECT_EQ(odd.type, QStringLiteral("vfat"));
    EXPECT_FALSE(odd.options.contains(QStringLiteral("mkfs-args"))) << "no cluster size mkfs would refuse";
}

TEST(UDisksFormatter, WithoutASystemBusFormattingIsUnavailable)
{
    QTemporaryDir dir;
    platform::UDisksCardFormatter formatter(QDBusConnection(QStringLiteral("no-such-connection")));
    const platform::FormatResult result = formatter.Format(
        { dir.path(), QStringLiteral("/dev/sdb1"), QStringLiteral("vfat"), QStringLiteral("8:17") },
        QStringLiteral("FAT32"), QStringLiteral("TAVIN"), 32768);
    EXPECT_EQ(result.status, platform::FormatStatus::Unavailable);

    // Through the configuration object: asked first, then reported unavailable (result 1).
    CTAVINSDConfig config;
    auto volumes = std::make_unique<TestVolumeSource>();
    volumes->Insert(dir.path());
    config.SetVolumeSource(std::move(volumes));
    config.SetCardFormatter(std::make_unique<platform::UDisksCardFormatter>(
        QDBusConnection(QStringLiteral("no-such-connection"))));
    ASSERT_EQ(config.ScanDrives(false), 1);
    RecordingPrompt prompt;
    FormatOutcome outcome {};
    EXPECT_EQ(config.FormatCard(dir.path(), prompt, &outcome), 1);
    EXPECT_EQ(outcome, FormatOutcome::Unavailable);
    EXPECT_EQ(prompt.asked, 1);
    EXPECT_EQ(prompt.inUse, 0);
}

TEST(UDisksFormatter, GeometryOfAFolderComesFromItsFileSystem)
{
    QTemporaryDir dir;
    platform::UDisksCardFormatter formatter(QDBusConnection(QStringLiteral("no-such-connection")));
    const std::optional<platform::VolumeGeometry> geometry = formatter.QueryGeometry(dir.path());
    ASSERT_TRUE(geometry);
    EXPECT_GT(geometry->clusterBytes, 0u);
    EXPECT_FALSE(formatter.QueryGeometry(dir.path() + QStringLiteral("/missing")));
}

class FormatCardTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        auto volumes = std::make_unique<TestVolumeSource>();
        volumes->Insert(QStringLiteral("/media/user/CARD"));
        volumes->Insert(QStringLiteral("/media/user/OTHER"));
        m_config.SetVolumeSource(std::move(volumes));
        auto formatter = std::make_unique<FakeFormatter>();
        m_formatter = formatter.get();
        m_config.SetCardFormatter(std::move(formatter));
        ASSERT_EQ(m_config.ScanDrives(false), 2);
        ASSERT_TRUE(m_config.SelectDrive(0));
    }

    CTAVINSDConfig m_config;
    FakeFormatter *m_formatter = nullptr;
    RecordingPrompt m_prompt;
    FormatOutcome m_outcome {};
};

TEST_F(FormatCardTest, DeclinedQuestionFormatsNothing)
{
    m_prompt.answer = false;
    EXPECT_EQ(m_config.FormatCard(QStringLiteral("/media/user/CARD"), m_prompt, &m_outcome), 1);
    EXPECT_EQ(m_outcome, FormatOutcome::Declined);
    EXPECT_EQ(m_prompt.notDone, 1);
    EXPECT_TRUE(m_prompt.failures.isEmpty());
    EXPECT_EQ(m_formatter->formats, 0);
}

TEST_F(FormatCardTest, ConfirmedFormatKeepsTheCardsFileSystem)
{
    m_formatter->geometry = platform::VolumeGeometry { QStringLiteral("exFAT"), 131072, 512 };
    EXPECT_EQ(m_config.FormatCard(QStringLiteral("/media/user/CARD"), m_prompt, &m_outcome), 0);
    EXPECT_EQ(m_outcome, FormatOutcome::Formatted);
    EXPECT_EQ(m_prompt.asked, 1);
    EXPECT_EQ(m_formatter->formats, 1);
    EXPECT_EQ(m_formatter->card.root, QStringLiteral("/media/user/CARD"));
    EXPECT_EQ(m_formatter->card.deviceNumber, QStringLiteral("8:17")) << "the device the scan found";
    EXPECT_EQ(m_prompt.notDone, 0);
    EXPECT_TRUE(m_prompt.failures.isEmpty());
    EXPECT_EQ(m_formatter->fileSystem, QStringLiteral("exFAT"));
    EXPECT_EQ(m_formatter->clusterBytes, 131072u);
    EXPECT_EQ(m_formatter->label, QStringLiteral("TAVIN"));
    EXPECT_EQ(m_prompt.busy, (std::vector<bool> { true, false }));
}

TEST_F(FormatCardTest, UnreadableGeometryGivesFat32With32KClusters)
{
    EXPECT_EQ(m_config.FormatCard(QStringLiteral("/media/user/CARD"), m_prompt, &m_outcome), 0);
    EXPECT_EQ(m_formatter->fileSystem, QStringLiteral("FAT32"));
    EXPECT_EQ(m_formatter->clusterBytes, 32768u);
}

// Only a completed format counts: a busy card or a refused format leaves the card unformatted,
// and the settings panel must then not write a new partition onto it.
TEST_F(FormatCardTest, BusyOrFailedFormatDoesNotCount)
{
    m_formatter->result.status = platform::FormatStatus::InUse;
    EXPECT_EQ(m_config.FormatCard(QStringLiteral("/media/user/CARD"), m_prompt, &m_outcome), 1);
    EXPECT_EQ(m_outcome, FormatOutcome::InUse);
    EXPECT_EQ(m_prompt.inUse, 1);

    EXPECT_TRUE(m_prompt.failures.isEmpty()) << "the in-use message says it all";

    m_formatter->result = { platform::FormatStatus::Failed, QString(), QStringLiteral("Not authorized") };
    EXPECT_EQ(m_config.FormatCard(QStringLiteral("/media/user/CARD"), m_prompt, &m_outcome), 1);
    EXPECT_EQ(m_outcome, FormatOutcome::Failed);
    EXPECT_EQ(m_prompt.failures, QStringList { QStringLiteral("Not authorized") }) << "the user learns why";
    EXPECT_EQ(m_formatter->formats, 2);
    EXPECT_EQ(m_prompt.notDone, 2) << "the partition choice goes back both times";
}

TEST_F(FormatCardTest, GivenFolderIsNeverFormatted)
{
    auto volumes = std::make_unique<TestVolumeSource>();
    volumes->InsertFolder(QStringLiteral("/media/user/DISK"));
    m_config.SetVolumeSource(std::move(volumes));
    ASSERT_EQ(m_config.ScanDrives(false), 1);
    EXPECT_EQ(m_config.FormatCard(QStringLiteral("/media/user/DISK"), m_prompt, &m_outcome), 1);
    EXPECT_EQ(m_outcome, FormatOutcome::Unavailable);
    EXPECT_EQ(m_prompt.asked, 0);
    EXPECT_EQ(m_formatter->formats, 0);
    EXPECT_EQ(m_prompt.failures.size(), 1);
}

TEST_F(FormatCardTest, OnlyAPresentCardIsEverFormatted)
{
    for (const QString &root : { QStringLiteral("/"), QStringLiteral("/media/user"), QString(),
             QStringLiteral("/media/user/CARD/sub") }) {
        EXPECT_EQ(m_config.FormatCard(root, m_prompt, &m_outcome), 1) << root.toStdString();
        EXPECT_EQ(m_outcome, FormatOutcome::Unavailable);
    }
    EXPECT_EQ(m_prompt.asked, 0);
    EXPECT_EQ(m_formatter->formats, 0);
}

TEST_F(FormatCardTest, CardMountedAgainElsewhereIsFollowed)
{
    m_formatter->result.root = QStringLiteral("/media/user/TAVIN");
    EXPECT_EQ(m_config.FormatCard(QStringLiteral("/media/user/CARD"), m_prompt, &m_outcome), 0);
    EXPECT_EQ(m_config.GetSelectedDrive(), QStringLiteral("/media/user/TAVIN"));
    EXPECT_EQ(m_config.GetDrive(0), QStringLiteral("/media/user/TAVIN"));
    EXPECT_EQ(m_config.GetDrive(1), QStringLiteral("/media/user/OTHER"));
}

TEST_F(FormatCardTest, WithoutAFormatterTheUserIsAskedAndToldItIsNotAvailable)
{
    m_config.SetCardFormatter(nullptr);
    EXPECT_EQ(m_config.FormatCard(QStringLiteral("/media/user/CARD"), m_prompt, &m_outcome), 1);
    EXPECT_EQ(m_outcome, FormatOutcome::Unavailable);
    EXPECT_EQ(m_prompt.asked, 1);
    EXPECT_EQ(m_prompt.failures.size(), 1);
    EXPECT_EQ(m_prompt.notDone, 1);
}

} // namespace
