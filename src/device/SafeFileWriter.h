#pragma once

#include <QByteArray>
#include <QString>

class QFileDevice;

namespace device {

// Replaces a file on the card only once its new content is completely on the medium: the bytes go
// to a temporary file in the same folder ("setup.xml.part"), which is flushed, synced and then
// renamed over the old one. A write that breaks off (card pulled, card full, the program killed)
// leaves the old file as it was; the next write takes away a temporary file left behind.
class SafeFileWriter
{
public:
    virtual ~SafeFileWriter() = default;

    bool Write(const QString &path, const QByteArray &bytes);
    // The reason of the last failure, for logs and tests.
    QString ErrorString() const { return m_error; }

protected:
    // Writes one block to the temporary file; returns the number of bytes written or -1.
    virtual qint64 WriteBlock(QFileDevice &file, const char *data, qint64 size);

private:
    QString m_error;
};

} // namespace device
