#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// When a file was created and last modified, as far as its file system records it.

namespace platform {

struct FileTimeStamps {
    std::optional<std::int64_t> birthSeconds; // seconds since the epoch; absent where not recorded
    std::int64_t modifiedSeconds = 0; // seconds since the epoch
};

class FileTimes
{
public:
    virtual ~FileTimes() = default;

    // The file's time stamps, or nothing when the file cannot be examined.
    virtual std::optional<FileTimeStamps> Read(const QString &path) const = 0;
};

// The operating system's time stamps (statx on Linux, which reports a birth time only where the
// file system keeps one).
const FileTimes &SystemFileTimes();

} // namespace platform
