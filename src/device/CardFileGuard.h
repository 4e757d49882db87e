#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

namespace platform {
class FileAttributes;
}

namespace device {

// What a file on the card was like before it is replaced: whether it may be replaced at all
// (read-only files are left alone, as the recorder's world expects) and which DOS attributes the
// new file must carry again.
class CardFileGuard
{
public:
    CardFileGuard(const QString &path, const platform::FileAttributes &attributes);

    bool Exists() const { return m_exists; }
    // False for a read-only file (permission bits or DOS attribute) and for a folder in the way.
    bool MayReplace() const { return m_mayReplace; }
    // Why the file may not be replaced, for the user; empty when it may.
    const QString &Refusal() const { return m_refusal; }
    bool WasHidden() const;

    // After the replacement: the old DOS attributes onto the new file; a hidden file also gets its
    // old time stamps back when keepTimesOfHiddenFile is set.
    void Restore(bool keepTimesOfHiddenFile) const;

private:
    QString m_path;
    const platform::FileAttributes &m_attributes;
    bool m_exists = false;
    bool m_mayReplace = true;
    QString m_refusal;
    std::optional<quint32> m_dosAttributes;
    QDateTime m_modified;
    QDateTime m_accessed;
};

} // namespace device
