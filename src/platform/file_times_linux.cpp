#include "platform/file_times.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>

namespace platform {

namespace {

    class LinuxFileTimes final : public FileTimes
    {
    public:
        std::optional<FileTimeStamps> Read(const QString &path) const override
        {
            const QByteArray nativePath = QFile::encodeName(path);
            struct statx status {
            };
            if (::statx(AT_FDCWD, nativePath.constData(), 0, STATX_BTIME | STATX_MTIME, &status) != 0)
                return std::nullopt;
            FileTimeStamps stamps;
            stamps.modifiedSeconds = status.stx_mtime.tv_sec;
            if (status.stx_mask & STATX_BTIME)
                stamps.birthSeconds = status.stx_btime.tv_sec;
            return stamps;
        }
    };

} // namespace

const FileTimes &SystemFileTimes()
{
    static const LinuxFileTimes times;
    return times;
}

} // namespace platform
