#include "platform/file_attributes.h"

#include <QFile>
#include <QFileDevice>

#include <fcntl.h>
#include <linux/msdos_fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace platform {
namespace {

    // Only the bits a user may change; the ioctl refuses to touch directory and volume bits.
    constexpr quint32 kChangeableBits = kFatReadOnly | kFatHidden | kFatSystem | kFatArchive;

    class LinuxFileAttributes final : public FileAttributes
    {
    public:
        std::optional<quint32> Read(const QString &path) const override
        {
            const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
            if (fd < 0)
                return std::nullopt;
            __u32 attributes = 0;
            const int result = ::ioctl(fd, FAT_IOCTL_GET_ATTRIBUTES, &attributes);
            ::close(fd);
            if (result != 0)
                return std::nullopt;
            return static_cast<quint32>(attributes);
        }

        bool Write(const QString &path, quint32 attributes) const override
        {
            const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
            if (fd < 0)
                return false;
            __u32 current = 0;
            bool ok = ::ioctl(fd, FAT_IOCTL_GET_ATTRIBUTES, &current) == 0;
            if (ok) {
                __u32 wanted = (current & ~kChangeableBits) | (attributes & kChangeableBits);
                ok = ::ioctl(fd, FAT_IOCTL_SET_ATTRIBUTES, &wanted) == 0;
            }
            ::close(fd);
            return ok;
        }
    };

} // namespace

const FileAttributes &SystemFileAttributes()
{
    static const LinuxFileAttributes attributes;
    return attributes;
}

bool SyncFile(QFileDevice &file)
{
    if (!file.flush())
        return false;
    const int fd = file.handle();
    return fd >= 0 && ::fsync(fd) == 0;
}

bool SyncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

} // namespace platform
