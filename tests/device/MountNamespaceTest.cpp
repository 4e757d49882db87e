// Cases that mount small file systems of their own, inside a mount namespace private to the test
// process. Skipped where the system does not allow that.

#include "DeviceTestSupport.h"

#include "device/CTAVINSDConfig.h"

#include "platform/mount_watcher.h"
#include "platform/volume_source_linux.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/mount.h>

using namespace device;
using namespace devicetest;

namespace {

bool MountTmpfs(const QString &folder, const char *options)
{
    return ::mount("tavin-test", QFile::encodeName(folder).constData(), "tmpfs", 0, options) == 0;
}

// A 64 KiB card of its own, selected, with a default settings file saved on it.
class MountedCardTest : public testing::Test
{
protected:
    void SetUp() override
    {
        if (!EnterPrivateMountNamespace())
            GTEST_SKIP() << "no private mount namespace here";
        root = m_dir.path() + QStringLiteral("/card");
        ASSERT_TRUE(QDir().mkpath(root));
        ASSERT_TRUE(MountTmpfs(root, "size=64k"));
        config.SetValueStrings(&values);
        auto volumes = std::make_unique<TestVolumeSource>();
        volumes->Insert(root);
        config.SetVolumeSource(std::move(volumes));
        ASSERT_EQ(config.ScanDrives(false), 1);
        ASSERT_TRUE(config.SelectDrive(0));
        ASSERT_TRUE(config.Reset(false));
        ASSERT_TRUE(config.Save(QStringLiteral("setup.xml")));
    }

    QTemporaryDir m_dir;
    QString root;
    ValueStrings values {};
    CTAVINSDConfig config;
};

TEST_F(MountedCardTest, FullCardKeepsTheOldSettingsFile)
{
    const QByteArray before = ReadFile(root + QStringLiteral("/setup.xml"));
    ASSERT_FALSE(before.isEmpty());

    // Fill the card to the last byte.
    {
        QFile filler(root + QStringLiteral("/filler.avi"));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size()) { }
    }

    values[kItemSpeakerVol] = QStringLiteral("0");
    ASSERT_TRUE(config.Load(QString()));
    EXPECT_FALSE(config.Save(QStringLiteral("setup.xml"))) << "the card is full";
    EXPECT_TRUE(config.ErrorString().contains(QStringLiteral("No space left")))
        << config.ErrorString().toStdString();
    EXPECT_EQ(ReadFile(root + QStringLiteral("/setup.xml")), before);
    EXPECT_EQ(QDir(root).entryList(QDir::Files).size(), 2)
        << QDir(root).entryList(QDir::Files).join(u' ').toStdString();

    // An unreadable file that cannot be kept aside is not replaced either.
    const QByteArray unreadable = "<setup><item id=\"Name\"";
    ASSERT_TRUE(WriteFile(root + QStringLiteral("/setup.xml"), unreadable));
    EXPECT_FALSE(config.Save(QStringLiteral("setup.xml")));
    EXPECT_TRUE(config.ErrorString().contains(QStringLiteral("unreadable")))
        << config.ErrorString().toStdString();
    EXPECT_EQ(ReadFile(root + QStringLiteral("/setup.xml")), unreadable);
    EXPECT_EQ(QDir(root).entryList(QDir::Files).size(), 2);
    ASSERT_TRUE(WriteFile(root + QStringLiteral("/setup.xml"), before));

    ASSERT_TRUE(QFile::remove(root + QStringLiteral("/filler.avi")));
    EXPECT_TRUE(config.Save(QStringLiteral("setup.xml")));
    EXPECT_TRUE(
        ReadFile(root + QStringLiteral("/setup.xml")).contains("<item id=\"SpeakerVol\" value=\"0\" />"));
    ::umount(QFile::encodeName(root).constData());
}

TEST_F(MountedCardTest, WriteFailuresGiveTheSystemsReason)
{

    // The card's write-protect switch: the system mounts it read-only.
    ASSERT_EQ(
        ::mount(nullptr, QFile::encodeName(root).constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
    EXPECT_FALSE(config.Save(QStringLiteral("setup.xml")));
    EXPECT_TRUE(config.ErrorString().contains(QStringLiteral("Read-only file system")))
        << config.ErrorString().toStdString();
    EXPECT_FALSE(config.WriteTimeFile(2024, 3, 5, 7, 8, 9)) << config.ErrorString().toStdString();
    EXPECT_TRUE(config.ErrorString().contains(QStringLiteral("Read-only file system")))
        << config.ErrorString().toStdString();

    // The card pulled out: its mount point goes with it.
    ASSERT_EQ(::umount2(QFile::encodeName(root).constData(), MNT_DETACH), 0);
    ASSERT_TRUE(QDir().rmdir(root));
    EXPECT_FALSE(config.Save(QStringLiteral("setup.xml")));
    EXPECT_TRUE(config.ErrorString().contains(QStringLiteral("No such file or directory")))
        << config.ErrorString().toStdString();
    EXPECT_FALSE(QFileInfo::exists(root)) << "no folder is made in the card's place";
    EXPECT_FALSE(config.WriteTimeFile(2024, 3, 5, 7, 8, 9));
    EXPECT_TRUE(config.ErrorString().contains(QStringLiteral("No such file or directory")))
        << config.ErrorString().toStdString();
}

TEST(MountNamespace, WatcherReportsMountsAndUnmounts)
{
    TestApp();
    if (!EnterPrivateMountNamespace())
        GTEST_SKIP() << "no private mount namespace here";
    QTemporaryDir dir;
    platform::MountWatcher watcher;
    ASSERT_TRUE(watcher.IsWatching());
    QSignalSpy spy(&watcher, &platform::MountWatcher::mountsChanged);

    ASSERT_TRUE(MountTmpfs(dir.path(), "size=16k"));
    ASSERT_TRUE(spy.wait(5000));

    // The new mount is visible in the mount table the volume source reads.
    const QByteArray table = ReadFile(QStringLiteral("/proc/self/mountinfo"));
    bool listed = false;
    for (const platform::MountInfoEntry &entry : platform::ParseMountInfo(table))
        listed = listed || entry.mountPoint == QDir(dir.path()).canonicalPath()
            || entry.mountPoint == dir.path();
    EXPECT_TRUE(listed);

    spy.clear();
    ASSERT_EQ(::umount(QFile::encodeName(dir.path()).constData()), 0);
    EXPECT_TRUE(spy.wait(5000));
}

TEST(MountWatcher, MissingTableIsNotWatched)
{
    platform::MountWatcher watcher(QStringLiteral("/nonexistent/mountinfo"), nullptr);
    EXPECT_FALSE(watcher.IsWatching());
}

} // namespace
