#include "platform/mount_watcher.h"

#include <QFile>
#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>

namespace platform {
namespace {

    // The kernel flags a changed mount table with POLLPRI on an open mountinfo; reading the table
    // again from the start is what the kernel documents as taking note of the change.
    void DrainMountTable(int fd)
    {
        char buffer[4096];
        if (::lseek(fd, 0, SEEK_SET) < 0)
            return;
        while (::read(fd, buffer, sizeof buffer) > 0) { }
    }

} // namespace

MountWatcher::MountWatcher(QObject *parent)
    : QObject(parent)
{
    Start(QStringLiteral("/proc/self/mountinfo"));
}

MountWatcher::MountWatcher(const QString &mountTablePath, QObject *parent)
    : QObject(parent)
{
    Start(mountTablePath);
}

MountWatcher::~MountWatcher()
{
    delete m_notifier;
    if (m_fd >= 0)
        ::close(m_fd);
}

bool MountWatcher::IsWatching() const
{
    return m_notifier != nullptr;
}

void MountWatcher::Start(const QString &mountTablePath)
{
    m_fd = ::open(QFile::encodeName(mountTablePath).constData(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0)
        return;
    DrainMountTable(m_fd);
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Exception);
    connect(m_notifier, &QSocketNotifier::activated, this, &MountWatcher::OnActivated);
}

void MountWatcher::OnActivated()
{
    DrainMountTable(m_fd);
    emit mountsChanged();
}

} // namespace platform
