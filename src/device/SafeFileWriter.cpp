#include "device/SafeFileWriter.h"

#include "platform/file_attributes.h"

#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>

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
    QSaveFile file(path);
    // Never fall back to writing the old file in place: that is what loses it on a failure.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) {
        m_error = file.errorString();
        return false;
    }
    for (qint64 offset = 0; offset < bytes.size(); offset += kBlockSize) {
        const qint64 size = std::min(kBlockSize, bytes.size() - offset);
        if (WriteBlock(file, bytes.constData() + offset, size) != size) {
            m_error = file.errorString().isEmpty() ? QStringLiteral("write failed") : file.errorString();
            file.cancelWriting();
            return false;
        }
    }
    if (!platform::SyncFile(file)) {
        const int error = errno;
        m_error = file.error() != QFileDevice::NoError ? file.errorString() : qt_error_string(error);
        file.cancelWriting();
        return false;
    }
    // commit() renames the temporary file over the old one; on any error it removes the
    // temporary file and leaves the old one alone.
    if (!file.commit()) {
        m_error = file.errorString();
        return false;
    }
    platform::SyncFolder(QFileInfo(path).absolutePath());
    return true;
}

} // namespace device
