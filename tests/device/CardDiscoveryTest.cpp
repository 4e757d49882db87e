#include "DeviceTestSupport.h"

#include "device/CTAVINSDConfig.h"
#include "device/CardChooser.h"
#include "device/CardPaths.h"

#include "platform/volume_source_linux.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace device;
using namespace devicetest;

namespace {

// --- The Linux volume source on a made-up /proc and /sys ------------------------------------

const QByteArray kMountInfo = "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
                              "30 22 8:17 / /media/user/NO\\040NAME rw,nosuid,nodev,relatime shared:10 - "
                              "vfat /dev/sdb1 rw,fmask=0022\n"
                              "31 22 8:32 / /media/user/CARD2 rw,relatime shared:11 - exfat /dev/sdc rw\n"
                              "32 22 8:17 /DCIM /mnt/bind rw,relatime shared:10 - vfat /dev/sdb1 rw\n"
                              "33 22 7:0 / /snap/core rw,relatime - squashfs /dev/loop0 ro\n"
                              "34 22 0:40 / /tmp rw,relatime - tmpfs tmpfs rw\n"
                              "35 22 8:32 / /media/user/zz-again rw,relatime - exfat /dev/sdc rw\n"
                              "36 22 8:48 / /media/user/FIXED rw master:2 - vfat /dev/sdd1 rw\n"
                              "this line is not a mount\n"
                              "37 22 179:1 / /media/user/SDCARD rw - exfat /dev/mmcblk0p1 rw\n"
                              "38 22 179:257 / /home rw - ext4 /dev/mmcblk1p1 rw\n";

class FakeSystem
{
public:
    FakeSystem()
    {
        proc = dir.path() + QStringLiteral("/proc");
        sys = dir.path() + QStringLiteral("/sys");
        write(proc + QStringLiteral("/self/mountinfo"), kMountInfo);

        const QString pci = QStringLiteral("devices/pci0000:00/0000:00:14.0");
        // Internal SATA disk behind a fixed port.
        disk(QStringLiteral("devices/pci0000:00/0000:00:1f.2/ata1/host0/target0:0:0/0:0:0:0/block/sda"), "0",
            QStringLiteral("8:1"), QStringLiteral("sda1"));
        write(sys + QStringLiteral("/devices/pci0000:00/0000:00:1f.2/removable"), "fixed\n");
        // USB hard disk (fixed) in a port the user can unplug from: not a card.
        write(sys + QLatin1Char('/') + pci + QStringLiteral("/usb1/1-2/removable"), "removable\n");
        disk(pci + QStringLiteral("/usb1/1-2/1-2:1.0/host6/target6:0:0/6:0:0:0/block/sdb"), "0",
            QStringLiteral("8:17"), QStringLiteral("sdb1"));
        // Card reader with the removable flag on the disk, card formatted without partitions.
        disk(pci + QStringLiteral("/usb2/2-1/2-1:1.0/host7/target7:0:0/7:0:0:0/block/sdc"), "1",
            QStringLiteral("8:32"));
        // A USB disk wired inside the machine.
        write(sys + QLatin1Char('/') + pci + QStringLiteral("/usb3/3-1/removable"), "fixed\n");
        disk(pci + QStringLiteral("/usb3/3-1/3-1:1.0/host8/target8:0:0/8:0:0:0/block/sdd"), "0",
            QStringLiteral("8:48"), QStringLiteral("sdd1"));
        disk(QStringLiteral("devices/virtual/block/loop0"), "0", QStringLiteral("7:0"));
        // The laptop's built-in SD reader, whose disks report removable 0, holding an SD card;
        // and soldered-in eMMC storage on the same bus, which is no card.
        const QString mmc = QStringLiteral("devices/pci0000:00/0000:00:1c.0/mmc_host");
        mmcCard(mmc + QStringLiteral("/mmc0/mmc0:aaaa"), "SD", QStringLiteral("mmcblk0"),
            QStringLiteral("179:1"));
        mmcCard(mmc + QStringLiteral("/mmc1/mmc1:0001"), "MMC", QStringLiteral("mmcblk1"),
            QStringLiteral("179:257"));
    }

    QTemporaryDir dir;
    QString proc;
    QString sys;

private:
    static void write(const QString &path, const QByteArray &bytes) { ASSERT_TRUE(WriteFile(path, bytes)); }

    // A disk (and optionally one partition) with /sys/dev/block links as the kernel makes them.
    void disk(const QString &diskPath, const QByteArray &removable, const QString &number,
        const QString &partition = QString())
    {
        const QString folder = sys + QLatin1Char('/') + diskPath;
        write(folder + QStringLiteral("/removable"), removable + "\n");
        QString target = folder;
        if (!partition.isEmpty()) {
            target = folder + QLatin1Char('/') + partition;
            write(target + QStringLiteral("/partition"), "1\n");
        }
        QDir().mkpath(sys + QStringLiteral("/dev/block"));
        ASSERT_TRUE(QFile::link(QStringLiteral("../../") + QDir(sys).relativeFilePath(target),
            sys + QStringLiteral("/dev/block/") + number));
    }

    // A card on the MMC bus with one partition: its type, its bus and its disk.
    void mmcCard(
        const QString &cardPath, const QByteArray &type, const QString &diskName, const QString &number)
    {
        const QString card = sys + QLatin1Char('/') + cardPath;
        write(card + QStringLiteral("/type"), type + "\n");
        QDir().mkpath(sys + QStringLiteral("/bus/mmc"));
        ASSERT_TRUE(QFile::link(QDir(card).relativeFilePath(sys + QStringLiteral("/bus/mmc")),
            card + QStringLiteral("/subsystem")));
        const QString diskPath = cardPath + QStringLiteral("/block/") + diskName;
        disk(diskPath, "0", number, diskName + QStringLiteral("p1"));
        ASSERT_TRUE(QFile::link(
            QStringLiteral("../.."), sys + QLatin1Char('/') + diskPath + QStringLiteral("/device")));
    }
};

TEST(VolumeSourceLinux, ParsesMountInfoFields)
{
    const std::vector<platform::MountInfoEntry> entries = platform::ParseMountInfo(kMountInfo);
    ASSERT_EQ(entries.size(), 10u);
    EXPECT_EQ(entries[1].deviceNumber, QStringLiteral("8:17"));
    EXPECT_EQ(entries[1].mountPoint, QStringLiteral("/media/user/NO NAME"));
    EXPECT_EQ(entries[1].fileSystem, QStringLiteral("vfat"));
    EXPECT_EQ(entries[1].source, QStringLiteral("/dev/sdb1"));
    EXPECT_EQ(entries[3].fsRoot, QStringLiteral("/DCIM"));
    EXPECT_EQ(entries[7].fileSystem, QStringLiteral("vfat")) << "optional fields before the separator";
    EXPECT_EQ(platform::ParseMountInfo("1 2 3:4 / /a\\134b\\011c rw - vfat /dev/x rw\n")[0].mountPoint,
        QStringLiteral("/a\\b\tc"));
    EXPECT_TRUE(platform::ParseMountInfo("1 2 3:4 / /a rw vfat /dev/x rw\n").empty()) << "no separator";
}

TEST(VolumeSourceLinux, ListsMountedRemovableMediaAndGivenFolders)
{
    FakeSystem system;
    const QString folder = system.dir.path() + QStringLiteral("/copy of card");
    ASSERT_TRUE(QDir().mkpath(folder));
    const platform::LinuxVolumeSource source(
        { folder + QLatin1Char('/'), system.dir.path() + QStringLiteral("/gone") }, system.proc, system.sys);

    EXPECT_TRUE(source.IsCardBlockDevice(QStringLiteral("8:32"))) << "card reader";
    EXPECT_TRUE(source.IsCardBlockDevice(QStringLiteral("179:1"))) << "built-in SD reader";
    EXPECT_FALSE(source.IsCardBlockDevice(QStringLiteral("8:17"))) << "USB hard disk";
    EXPECT_FALSE(source.IsCardBlockDevice(QStringLiteral("179:257"))) << "eMMC";
    EXPECT_FALSE(source.IsCardBlockDevice(QStringLiteral("8:1")));
    EXPECT_FALSE(source.IsCardBlockDevice(QStringLiteral("8:48")));
    EXPECT_FALSE(source.IsCardBlockDevice(QStringLiteral("7:0")));
    EXPECT_FALSE(source.IsCardBlockDevice(QStringLiteral("0:40")));

    const std::vector<platform::MountedVolume> volumes = source.RemovableVolumes();
    QStringList roots;
    for (const platform::MountedVolume &volume : volumes)
        roots << volume.root;
    QStringList expected
        = { QStringLiteral("/media/user/CARD2"), QStringLiteral("/media/user/SDCARD"), folder };
    expected.sort();
    EXPECT_EQ(roots, expected);
    for (const platform::MountedVolume &volume : volumes) {
        if (volume.root == QStringLiteral("/media/user/CARD2")) {
            EXPECT_EQ(volume.device, QStringLiteral("/dev/sdc"));
            EXPECT_EQ(volume.fileSystem, QStringLiteral("exfat"));
        }
        if (volume.root == QStringLiteral("/media/user/SDCARD")) {
            EXPECT_EQ(volume.device, QStringLiteral("/dev/mmcblk0p1"));
            EXPECT_EQ(volume.deviceNumber, QStringLiteral("179:1"));
        }
        if (volume.root == folder) {
            EXPECT_TRUE(volume.device.isEmpty());
            EXPECT_TRUE(volume.deviceNumber.isEmpty());
        }
    }

    // A folder given as a card that is the mount point of a fixed disk stays a mere folder.
    const std::vector<platform::MountedVolume> disk
        = platform::LinuxVolumeSource({ QStringLiteral("/") }, system.proc, system.sys).RemovableVolumes();
    ASSERT_EQ(disk.size(), 3u);
    EXPECT_EQ(disk[0].root, QStringLiteral("/"));
    EXPECT_TRUE(disk[0].deviceNumber.isEmpty());
}

TEST(VolumeSourceLinux, MissingMountTableStillListsFolders)
{
    QTemporaryDir dir;
    const platform::LinuxVolumeSource source(
        { dir.path() }, dir.path() + QStringLiteral("/noproc"), dir.path() + QStringLiteral("/nosys"));
    const std::vector<platform::MountedVolume> volumes = source.RemovableVolumes();
    ASSERT_EQ(volumes.size(), 1u);
    EXPECT_EQ(volumes[0].root, QDir::cleanPath(dir.path()));
}

// --- Card selection in the configuration object ---------------------------------------------

class CardSelectionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        auto volumes = std::make_unique<TestVolumeSource>();
        m_volumes = volumes.get();
        m_config.SetVolumeSource(std::move(volumes));
    }

    QString addCard(const QString &name, bool withSetup)
    {
        const QString root = m_dir.path() + QLatin1Char('/') + name;
        QDir().mkpath(root);
        if (withSetup)
            WriteFile(root + QStringLiteral("/setup.xml"), "<setup/>");
        m_volumes->Insert(root);
        return root;
    }

    QTemporaryDir m_dir;
    TestVolumeSource *m_volumes = nullptr;
    CTAVINSDConfig m_config;
};

TEST_F(CardSelectionTest, OnlyCardsWithTheSettingsFileAreOfferedWithTheFlag)
{
    const QString plain = addCard(QStringLiteral("A"), false);
    const QString recorder = addCard(QStringLiteral("B"), true);

    QStringList roots;
    EXPECT_EQ(m_config.EnumRemovableDrives(roots), 2);
    EXPECT_EQ(roots, (QStringList { plain, recorder }));

    EXPECT_EQ(m_config.ScanDrives(false), 2);
    EXPECT_EQ(m_config.GetDrive(0), plain);
    EXPECT_EQ(m_config.GetDrive(1), recorder);

    EXPECT_EQ(m_config.ScanDrives(true), 1);
    EXPECT_EQ(m_config.GetDrive(0), recorder);
    EXPECT_TRUE(m_config.GetDrive(1).isEmpty());
    ASSERT_TRUE(m_config.SelectDrive(0));
    EXPECT_EQ(m_config.GetSelectedDrive(), recorder);
    EXPECT_EQ(m_config.GetSelectedIndex(), 1) << "the index is into all present cards";
}

TEST_F(CardSelectionTest, InvalidIndicesGiveNothingAndARescanClearsTheSelection)
{
    addCard(QStringLiteral("A"), true);
    ASSERT_EQ(m_config.ScanDrives(true), 1);
    for (int index : { -1, 1, 100 }) {
        EXPECT_TRUE(m_config.GetDrive(index).isEmpty()) << index;
        EXPECT_FALSE(m_config.SelectDrive(index)) << index;
    }
    EXPECT_TRUE(m_config.GetSelectedDrive().isEmpty());
    EXPECT_EQ(m_config.GetSelectedIndex(), -1);

    ASSERT_TRUE(m_config.SelectDrive(0));
    ASSERT_FALSE(m_config.GetSelectedDrive().isEmpty());
    m_volumes->volumes.clear();
    EXPECT_EQ(m_config.ScanDrives(true), 0);
    EXPECT_TRUE(m_config.GetSelectedDrive().isEmpty());
}

TEST_F(CardSelectionTest, NoCardIsReportedWithoutTheChooserWhichIsShownEvenForOneCard)
{
    addCard(QStringLiteral("A"), false);
    QStringList offered;
    int noCard = 0;
    int shown = 0;
    CardChooserUi ui;
    ui.reportNoCard = [&] { ++noCard; };
    ui.chooseCard = [&](const QStringList &roots) -> std::optional<int> {
        ++shown;
        offered = roots;
        return 0;
    };
    EXPECT_EQ(ChooseCard(m_config, ui), CardChoice::NoCard);
    EXPECT_EQ(noCard, 1);
    EXPECT_EQ(shown, 0);

    const QString recorder = addCard(QStringLiteral("B"), true);
    EXPECT_EQ(ChooseCard(m_config, ui), CardChoice::Selected);
    EXPECT_EQ(offered, QStringList { recorder });
    EXPECT_EQ(m_config.GetSelectedDrive(), recorder);
    EXPECT_EQ(noCard, 1);
    EXPECT_EQ(shown, 1);
}

TEST_F(CardSelectionTest, ChooserPicksTheChosenOfSeveralOrNone)
{
    addCard(QStringLiteral("A"), true);
    const QString second = addCard(QStringLiteral("B"), true);
    CardChooserUi ui;
    ui.chooseCard = [](const QStringList &roots) -> std::optional<int> { return int(roots.size()) - 1; };
    EXPECT_EQ(ChooseCard(m_config, ui), CardChoice::Selected);
    EXPECT_EQ(m_config.GetSelectedDrive(), second);

    ui.chooseCard = [](const QStringList &) -> std::optional<int> { return std::nullopt; };
    EXPECT_EQ(ChooseCard(m_config, ui), CardChoice::Cancelled);
    EXPECT_TRUE(m_config.GetSelectedDrive().isEmpty());
}

// --- Folders along a path --------------------------------------------------------------------

TEST(CardPaths, MakeFoldersCreatesEveryMissingFolder)
{
    QTemporaryDir dir;
    const QString base = dir.path();
    EXPECT_TRUE(MakeFolders(base + QStringLiteral("/setup.xml")));
    EXPECT_EQ(QDir(base).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());

    EXPECT_TRUE(MakeFolders(base + QStringLiteral("/a/b/c/file.txt")));
    EXPECT_TRUE(QFileInfo(base + QStringLiteral("/a/b/c")).isDir());
    EXPECT_FALSE(QFileInfo::exists(base + QStringLiteral("/a/b/c/file.txt")));
    EXPECT_TRUE(MakeFolders(base + QStringLiteral("/a/b/c/")));

    ASSERT_TRUE(WriteFile(base + QStringLiteral("/plain"), "x"));
    EXPECT_FALSE(MakeFolders(base + QStringLiteral("/plain/sub/file"))) << "a file stands in the way";

    EXPECT_EQ(CardFilePath(QString(), QStringLiteral("setup.xml")), QString());
    EXPECT_EQ(CardFilePath(QStringLiteral("/media/c"), QStringLiteral("setup.xml")),
        QStringLiteral("/media/c/setup.xml"));
    EXPECT_EQ(CardFilePath(QStringLiteral("/"), QStringLiteral("setup.xml")), QStringLiteral("/setup.xml"));
}

} // namespace
