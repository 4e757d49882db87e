#include "platform/file_identity.h"

#include <QDir>

#include <windows.h>

namespace platform {

namespace {

    bool Identify(const QString &path, BY_HANDLE_FILE_INFORMATION *info)
    {
        // Backup semantics lets folders be opened as well as files.
        const HANDLE handle = CreateFileW(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(path).utf16()),
            0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
            FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return false;
        const bool ok = GetFileInformationByHandle(handle, info) != 0;
        CloseHandle(handle);
        return ok;
    }

} // namespace

bool SameFile(const QString &a, const QString &b)
{
    BY_HANDLE_FILE_INFORMATION first {};
    BY_HANDLE_FILE_INFORMATION second {};
    return Identify(a, &first) && Identify(b, &second)
        && first.dwVolumeSerialNumber == second.dwVolumeSerialNumber
        && first.nFileIndexHigh == second.nFileIndexHigh && first.nFileIndexLow == second.nFileIndexLow;
}

} // namespace platform
