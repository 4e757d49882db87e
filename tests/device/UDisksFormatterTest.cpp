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
                    { QStringLiteral("DeviceNumber"), QVariant::fromValue(quint64(0)) },
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

    platform::UDisksCardFormatter formatter()
    {
        return platform::UDisksCardFormatter(
            QDBusConnection::connectToBus(m_address, QStringLiteral("formatter")));
    }

    FakeUDisks *service = nullptr;

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
    QThread m_thread;
};

const QString kCard = QStringLiteral("/media/user/NO NAME");
const QString kCardObject = kRootPath + QStringLiteral("/block_devices/sdb1");

FakeUDisks *CardService()
{
    auto *fake = new FakeUDisks;
    fake->blocks = {
        { kRootPath + QStringLiteral("/block_devices/sda"), QByteArray(), false },
        { kRootPath + QStringLiteral("/block_devices/sda1"), "/", true },
        { kCardObject, kCard.toUtf8(), false },
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
        = formatter.format(kCard, QStringLiteral("FAT32"), QStringLiteral("TAVIN"), 32768);
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
        = formatter.format(kCard, QStringLiteral("exFAT"), QStringLiteral("TAVIN"), 131072);
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
        { kCard + QStringLiteral("/DCIM"), QStringLiteral("/home/user/card"), QStringLiteral("/") }) {
        const platform::FormatResult result
            = formatter.format(root, QStringLiteral("FAT32"), QStringLiteral("TAVIN"), 32768);
        EXPECT_EQ(result.status, platform::FormatStatus::Unavailable) << root.toStdString();
    }
    for (const QString &call : bus.service->calls())
        EXPECT_TRUE(call.endsWith(QStringLiteral("GetManagedObjects"))) << call.toStdString();
}

TEST(UDisksFormatter, BusWithoutTheServiceIsUnavailable)
{
    PrivateBus bus;
    REQUIRE_BUS(bus);
    platform::UDisksCardFormatter formatter = bus.formatter();
    const platform::FormatResult result
        = formatter.format(kCard, QStringLiteral("FAT32"), QStringLiteral("TAVIN"), 32768);
    EXPECT_EQ(result.status, platform::FormatStatus::Unavailable);
    EXPECT_FALSE(result.message.isEmpty());
}

} // namespace
