#pragma once

// Most of our readers take a path, as the program hands them files on the card. The fuzz
// input is written to one file per process (in memory where /dev/shm exists) and read back
// through the same path the program uses.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <unistd.h>

namespace fuzz {

inline QString ScratchFolder()
{
    static const QString folder = [] {
        const QString base
            = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
        const QString path = base + QStringLiteral("/tavin-fuzz-") + QString::number(getpid());
        QDir().mkpath(path);
        return path;
    }();
    return folder;
}

// Writes the input to `name` in the scratch folder; empty on failure.
inline QString WriteInput(const uint8_t *data, size_t size, const QString &name)
{
    const QString path = ScratchFolder() + QLatin1Char('/') + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {};
    file.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size));
    return path;
}

} // namespace fuzz
