// The udisks2 formatter against a stand-in for the udisks2 service on a private message bus, so
// that what goes over the bus is checked without touching any real disk.

#include "DeviceTestSupport.h"

#include "platform/card_formatter_linux.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QDir>
#include <QMutex>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

using namespace devicetest;

namespace {

using InterfaceMap = QMap<QString, QVariantMap>;
using ObjectMap = QMap<QDBusObjectPath, InterfaceMap>;

const QString kService = QStringLiteral("org.freedesktop.UDisks2");
const QString kRootPath = QStringLiteral("/org/freedesktop/UDisks2");

struct FakeBlock {
    QString path;
    QByteArray mountPoint; // empty: no file system interface
    bool hintSystem = false;
    quint64 deviceNumber = 0;
};

// Answers the few calls the formatter makes, and records them.
class FakeUDisks : public QDBusVirtualObject
{
public:
    std::vector<FakeBlock> blocks;
    QString unmountError; // error name answered to Unmount, empty for success
    QString mountedAt = QStringLiteral("/media/user/TAVIN");

    QStringList calls() const
    {
        QMutexLocker lock(&m_mutex);
        return m_calls;
    }
    QVariantList formatArguments() const
    {
        QMutexLocker lock(&m_mutex);
        return m_formatArguments;
    }

    QString introspect(const QString &) const override { return QString(); }

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        {
            QMutexLocker lock(&m_mutex);
            m_calls << message.path() + QLatin1Char(' ') + message.member();
            if (message.member() == QLatin1String("Format"))
                m_formatArguments = message.arguments();
        }
        if (message.member() == QLatin1String("GetManagedObjects")) {
            ObjectMap objects;
            for (const FakeBlock &block : blocks) {
                InterfaceMap interfaces;
                interfaces[QStringLiteral("org.freedesktop.UDisks2.Block")] = {
                    { QStringLiteral("HintSystem"), block.hintSystem },
                    { QStringLiteral("ReadOnly"), false },
                    { QStringLiteral("DeviceNumber"), QVariant::fromValue(block.deviceNumber) },
                };
                if (!block.mountPoint.isEmpty()) {
                    interfaces[QStringLiteral("org.freedesktop.UDisks2.Filesystem")] = {
                        { QStringLiteral("MountPoints"),
                            QVariant::fromValue(QByteArrayList { block.mountPoint + QByteArray(1, '\0') }) },
                    };
                }
                objects[QDBusObjectPath(block.path)] = interfaces;
            }
            connection.send(message.createReply(QVariant::fromValue(objects)));
        } else if (message.member() == QLatin1String("Unmount") && !unmountError.isEmpty()) {
            connection.send(message.createErrorReply(unmountError, QStringLiteral("target is busy")));
        } else if (message.member() == QLatin1String("Mount")) {
            connection.send(message.createReply(mountedAt));
        } else {
            connection.send(message.createReply());
        }
        return true;
    }

private:
    mutable QMutex m_mutex;
    QStringList m_calls;
    QVariantList m_formatArguments;
};

const QByteArray kCardMountInfo = "22 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
                                  "30 22 8:17 / /media/user/NO\\040NAME rw - vfat /dev/sdb1 rw\n";

// A message bus of the test's own, with the stand-in service living on a thread of its own
// (the formatter's calls block the calling thread).
class PrivateBus
{
public:
    PrivateBus()
    {
        TestApp();
        qDBusRegisterMetaType<InterfaceMap>();
        qDBusRegisterMetaType<ObjectMap>();
        qDBusRegisterMetaType<QByteArrayList>();
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
            return;
        m_daemon.start(QStringLiteral("dbus-daemon"),
            { QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address"),
                QStringLiteral("--address=unix:path=") + m_dir.path() + QStringLiteral("/bus") });
        if (!m_daemon.waitForStarted(5000) || !m_daemon.waitForReadyRead(5000))
            return;
        m_address = QString::fromUtf8(m_daemon.readLine().trimmed());
    }

    ~PrivateBus()
    {
        if (service) {
            QMetaObject::invokeMethod(
                service, [] { QDBusConnection::disconnectFromBus(QStringLiteral("fake-udisks")); },
                Qt::BlockingQueuedConnection);
            m_thread.quit();
            m_thread.wait();
            delete service;
        }
        QDBusConnection::disconnectFromBus(QStringLiteral("formatter"));
        m_daemon.kill();
        m_daemon.waitForFinished(5000);
    }

    bool running() const { return !m_address.isEmpty(); }

    void startService(FakeUDisks *fake)
    {
        service = fake;
        fake->moveToThread(&m_thread);
        m_thread.start();
        const QString address = m_address;
        QMetaObject::invokeMethod(
            fake,
            [fake, address] {
                QDBusConnection bus = QDBusConnection::connectToBus(address, QStringLiteral("fake-udisks"));
                bus.registerService(kService);
                bus.registerVirtualObject(kRootPath, fake, QDBusConnection::SubPath);
            },
            Qt::BlockingQueuedConnection);
    }

    // The formatter sees a mount table where mountInfo says what is mounted.
    platform::UDisksCardFormatter formatter(const QByteArray &mountInfo = kCardMountInfo)
    {
        QDir().mkpath(m_dir.path() + QStringLiteral("/proc/self"));
        WriteFile(m_dir.path() + QStringLiteral("/proc/self/mountinfo"), mountInfo);
        return platform::UDisksCardFormatter(
            QDBusConnection::connectToBus(m_address, QStringLiteral("formatter")),
            m_dir.path() + QStringLiteral("/proc"));
    }

    FakeUDisks *service = nullptr;

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
    QThread m_thread;
};

const QString kCardRoot = QStringLiteral("/media/user/NO NAME");
const platform::MountedVolume kCard { kCardRoot, QStringLiteral("/dev/sdb1"), QStringLiteral("vfat"),
    QStringLiteral("8:17") };
const QString kCardObject = kRootPath + QStringLiteral("/block_devices/sdb1");

FakeUDisks *CardService()
{
    auto *fake = new FakeUDisks;
    fake->blocks = {
        { kRootPath + QStringLiteral("/block_devices/sda"), QByteArray(), false, (8 << 8) | 0 },
        { kRootPath + QStringLiteral("/block_devices/sda1"), "/", true, (8 << 8) | 1 },
        { kCardObject, kCardRoot.toUtf8(), false, (8 << 8) | 17 },
    };
    return fake;
}

#define REQUIRE_BUS(bus)                                                                                     \
    if (!(bus).running())                                                                                    \
    GTEST_SKIP() << "dbus-daemon is not available"

TEST(UDisksFormatter, FormatsTheBlockMountedAtTheCardRoot)
{
    PrivateBus bus;
    REQUIRE_BUS(bus);
    bus.startService(CardService());
    platform::UDisksCardFormatter formatter = bus.formatter();

    const platform::FormatResult result
        = formatter.Format(kCard, QStringLiteral("FAT32"), QStringLiteral("TAVIN"), 32768);
    EXPECT_EQ(result.status, platform::FormatStatus::Formatted) << result.message.toStdString();
    EXPECT_EQ(result.root, QStringLiteral("/media/user/TAVIN"));
    EXPECT_EQ(bus.service->calls(),
        (QStringList { kRootPath + QStringLiteral(" GetManagedObjects"),
            kCardObject + QStringLiteral(" Unmount"), kCardObject + QStringLiteral(" Format"),
            kCardObject + QStringLiteral(" Mount") }));

    const QVariantList arguments = bus.service->formatArguments();
    ASSERT_EQ(arguments.size(), 2);
    EXPECT_EQ(arguments[0].toString(), QStringLiteral("vfat"));
    QVariantMap options;
    arguments[1].value<QDBusArgument>() >> options;
    EXPECT_EQ(options.value(QStringLiteral("label")).toString(), QStringLiteral("TAVIN"));
    EXPECT_EQ(options.value(QStringLiteral("mkfs-args")).toStringList(),
        (QStringList {
            QStringLiteral("-F"), QStringLiteral("32"), QStringLiteral("-s"), QStringLiteral("64") }));
}

TEST(UDisksFormatter, BusyCardIsInUseAndNotFormatted)
{
    PrivateBus bus;
    REQUIRE_BUS(bus);
    FakeUDisks *fake = CardService();
    fake->unmountError = QStringLiteral("org.freedesktop.UDisks2.Error.DeviceBusy");
    bus.startService(fake);
    platform::UDisksCardFormatter formatter = bus.formatter();

    const platform::FormatResult result
        = formatter.Format(kCard, QStringLiteral("exFAT"), QStringLiteral("TAVIN"), 131072);
    EXPECT_EQ(result.status, platform::FormatStatus::InUse);
    EXPECT_FALSE(bus.service->calls().contains(kCardObject + QStringLiteral(" Format")));
}

TEST(UDisksFormatter, OnlyTheCardsOwnBlockDeviceIsEverTouched)
{
    PrivateBus bus;
    REQUIRE_BUS(bus);
    bus.startService(CardService());
    platform::UDisksCardFormatter formatter = bus.formatter();

    // A folder on the card, a folder elsewhere, and the system disk's root.
    for (const QString &root :
        { kCardRoot + QStringLiteral("/DCIM"), QStringLiteral("/home/user/card"), QStringLiteral("/") }) {
        platform::MountedVolume card = kCard;
        card.root = root;
        const platform::FormatResult result
            = formatter.Format(card, QStringLiteral("FAT32"), QStringLiteral("TAVIN"), 32768);
        EXPECT_EQ(result.status, platform::FormatStatus::Unavailable) << root.toStdString();
    }
    for (const QString &call : bus.service->calls())
        EXPECT_TRUE(call.endsWith(QStringLiteral("GetManagedObjects"))) << call.toStdString();

    // A folder given as a card never reaches the bus, even where a disk is mounted.
    const int calls = bus.service->calls().size();
    const platform::FormatResult folder = formatter.Format({ kCardRoot, QString(), QString(), QString() },
        QStringLiteral("FAT32"), QStringLiteral("TAVIN"), 32768);
    EXPECT_EQ(folder.status, platform::FormatStatus::Unavailable);
    EXPECT_EQ(bus.service->calls().size(), calls);
}

TEST(UDisksFormatter, CardSwappedSinceTheScanIsNotTouched)
{
    PrivateBus bus;
    REQUIRE_BUS(bus);
    FakeUDisks *fake = CardService();
    bus.startService(fake);

    // Another device is mounted at the card's root by now.
    QByteArray swapped = kCardMountInfo;
    swapped.replace("8:17", "8:33");
    platform::UDisksCardFormatter formatter = bus.formatter(swapped);
    platform::FormatResult result
        = formatter.Format(kCard, QStringLiteral("FAT32"), QStringLiteral("TAVIN"), 32768);
    EXPECT_EQ(result.status, platform::FormatStatus::Failed);
    EXPECT_TRUE(result.message.contains(QStringLiteral("8:33"))) << result.message.toStdString();

    // The mount table agrees with the scan, but udisks2 has another device at that root.
    platform::MountedVolume other = kCard;
    other.deviceNumber = QStringLiteral("8:33");
    result = formatter.Format(other, QStringLiteral("FAT32"), QStringLiteral("TAVIN"), 32768);
    EXPECT_EQ(result.status, platform::FormatStatus::Failed);

    // Nothing mounted there any more.
    platform::UDisksCardFormatter unmounted = bus.formatter("22 1 8:1 / / rw - ext4 /dev/sda1 rw\n");
    result = unmounted.Format(kCard, QStringLiteral("FAT32"), QStringLiteral("TAVIN"), 32768);
    EXPECT_EQ(result.status, platform::FormatStatus::Failed);

    for (const QString &call : bus.service->calls())
        EXPECT_TRUE(call.endsWith(QStringLiteral("GetManagedObjects"))) << call.toStdString();
}

TEST(UDisksFormatter, BusWithoutTheServiceIsUnavailable)
{
    PrivateBus bus;
    REQUIRE_BUS(bus);
    platform::UDisksCardFormatter formatter = bus.formatter();
    const platform::FormatResult result
        = formatter.Format(kCard, QStringLiteral("FAT32"), QStringLiteral("TAVIN"), 32768);
    EXPECT_EQ(result.status, platform::FormatStatus::Unavailable);
    EXPECT_FALSE(result.message.isEmpty());
}

} // namespace
