#include "device/SafeFileWriter.h"

#include "platform/file_attributes.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace device {

namespace {
    constexpr qint64 kBlockSize = 4096;
}

qint64 SafeFileWriter::WriteBlock(QFileDevice &file, const char *data, qint64 size)
{
    return file.write(data, size);
}

bool SafeFileWriter::Write(const QString &path, const QByteArray &bytes)
{
    m_error.clear();
    // One temporary name per file, so that what a write cut off by a kill or a power cut left is
    // recognisable and taken away by the next write, not piled up on the card.
    const QString temp = path + QStringLiteral(".part");
    QFile::remove(temp);
    QFile file(temp);
    // Unbuffered, so that a write the card cannot take fails at once with the system's reason.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
        m_error = file.errorString();
        return false;
    }
    const auto fail = [&](const QString &reason) {
        m_error = reason.isEmpty() ? QStringLiteral("write failed") : reason;
        file.close();
        QFile::remove(temp);
        return false;
    };
    for (qint64 offset = 0; offset < bytes.size(); offset += kBlockSize) {
        const qint64 size = std::min(kBlockSize, bytes.size() - offset);
        if (WriteBlock(file, bytes.constData() + offset, size) != size)
            return fail(file.errorString());
    }
    if (!platform::SyncFile(file)) {
        const int error = errno;
        return fail(file.error() != QFileDevice::NoError ? file.errorString() : qt_error_string(error));
    }
    file.close();
    // The rename replaces the old file in one step; until then it stays as it was.
    std::error_code renamed;
    std::filesystem::rename(
        std::filesystem::path(temp.toStdU16String()), std::filesystem::path(path.toStdU16String()), renamed);
    if (renamed)
        return fail(QString::fromLocal8Bit(renamed.message()));
    platform::SyncFolder(QFileInfo(path).absolutePath());
    return true;
}

} // namespace device
