#pragma once

#include <QString>

#include <memory>

class QLockFile;

namespace platform {

// Keeps other copies of the program from starting: a lock file named after the program in
// the user's runtime folder, held while this object lives. The lock of a copy that ended
// without releasing it (a crash) is taken over; the lock of a running copy never ages.
class SingleInstanceLock
{
public:
    // `folder` overrides the runtime folder (tests).
    explicit SingleInstanceLock(const QString &name, const QString &folder = QString());
    ~SingleInstanceLock();

    bool TryAcquire(); // false when another holder has it
    bool IsHeld() const { return m_held; }
    QString FilePath() const { return m_path; }

    // QStandardPaths::RuntimeLocation, or the temporary folder when there is none.
    static QString DefaultFolder();

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
    bool m_held = false;
};

} // namespace platform
