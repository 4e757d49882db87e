#include "platform/single_instance.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>

namespace platform {

SingleInstanceLock::SingleInstanceLock(const QString &name, const QString &folder)
{
    const QString dir = folder.isEmpty() ? DefaultFolder() : folder;
    m_path = QDir(dir).filePath(name + QStringLiteral(".lock"));
    m_lock = std::make_unique<QLockFile>(m_path);
    // QLockFile would otherwise call a running copy's lock stale after 30 seconds.
    m_lock->setStaleLockTime(0);
}

SingleInstanceLock::~SingleInstanceLock() = default;

bool SingleInstanceLock::TryAcquire()
{
    if (!m_held) {
        QDir().mkpath(QFileInfo(m_path).absolutePath());
        m_held = m_lock->tryLock(0);
    }
    return m_held;
}

QString SingleInstanceLock::DefaultFolder()
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

} // namespace platform
