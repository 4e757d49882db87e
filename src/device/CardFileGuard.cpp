#include "device/CardFileGuard.h"

#include "platform/file_attributes.h"

#include <QFile>
#include <QFileInfo>

namespace device {

CardFileGuard::CardFileGuard(const QString &path, const platform::FileAttributes &attributes)
    : m_path(path)
    , m_attributes(attributes)
{
    const QFileInfo info(path);
    m_exists = info.exists();
    if (!m_exists)
        return;
    if (!info.isFile()) {
        m_mayReplace = false;
        m_refusal = QStringLiteral("%1 is a folder, not a file").arg(path);
        return;
    }
    m_dosAttributes = attributes.Read(path);
    m_modified = info.lastModified();
    m_accessed = info.lastRead();
    // The rename that replaces the file would pass over a read-only one, and a privileged user
    // passes every access test, so the bits are looked at directly.
    const QFileDevice::Permissions permissions = info.permissions();
    const bool readOnly = (m_dosAttributes && (*m_dosAttributes & platform::kFatReadOnly))
        || !(permissions & QFileDevice::WriteOwner);
    if (readOnly) {
        m_mayReplace = false;
        m_refusal = QStringLiteral("%1 is read-only").arg(path);
    } else if (!(permissions & QFileDevice::WriteUser)) {
        // Writable by its bits, yet not for us: the system says why (a write-protected card is
        // mounted read-only, another user's file refuses us). Opening to append changes nothing.
        QFile probe(path);
        m_mayReplace = probe.open(QIODevice::WriteOnly | QIODevice::Append);
        if (!m_mayReplace)
            m_refusal = QStringLiteral("cannot write %1: %2").arg(path, probe.errorString());
    }
}

bool CardFileGuard::WasHidden() const
{
    return m_dosAttributes && (*m_dosAttributes & platform::kFatHidden);
}

void CardFileGuard::Restore(bool keepTimesOfHiddenFile) const
{
    if (!m_dosAttributes)
        return;
    m_attributes.Write(m_path, *m_dosAttributes);
    if (keepTimesOfHiddenFile && WasHidden()) {
        QFile file(m_path);
        if (file.open(QIODevice::ReadWrite)) {
            file.setFileTime(m_modified, QFileDevice::FileModificationTime);
            file.setFileTime(m_accessed, QFileDevice::FileAccessTime);
        }
    }
}

} // namespace device
