#include "DeviceTestSupport.h"

#include <QFile>
#include <QFileDevice>

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>

namespace devicetest {
namespace {

    quint64 InodeOf(const QString &path)
    {
        struct stat info {
        };
        if (::stat(QFile::encodeName(path).constData(), &info) != 0)
            return 0;
        return info.st_ino;
    }

} // namespace

std::optional<quint32> FakeFileAttributes::Read(const QString &path) const
{
    const quint64 inode = InodeOf(path);
    if (inode == 0)
        return std::nullopt;
    const auto found = m_store.find(path);
    if (found == m_store.end() || found->second.first != inode)
        return platform::kFatArchive;
    return found->second.second;
}

bool FakeFileAttributes::Write(const QString &path, quint32 attributes) const
{
    const quint64 inode = InodeOf(path);
    if (inode == 0)
        return false;
    ++writes;
    m_store[path] = { inode, attributes };
    return true;
}

qint64 InterruptedWriter::WriteBlock(QFileDevice &file, const char *data, qint64 size)
{
    file.write(data, size / 2);
    return -1;
}

QCoreApplication &TestApp()
{
    if (QCoreApplication *existing = QCoreApplication::instance())
        return *existing;
    static int argc = 1;
    static char name[] = "test_device";
    static char *argv[] = { name, nullptr };
    static QCoreApplication app(argc, argv);
    return app;
}

bool EnterPrivateMountNamespace()
{
    if (::unshare(CLONE_NEWNS) != 0)
        return false;
    return ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

} // namespace devicetest
