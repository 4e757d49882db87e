#pragma once

#include "device/ConfigItems.h"
#include "device/SafeFileWriter.h"

#include "platform/file_attributes.h"
#include "platform/volume_source.h"

#include "support/Files.h"
#include "support/QtPrinters.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

#include <map>
#include <optional>
#include <vector>

namespace devicetest {

using testsupport::ReadFile;
using testsupport::WriteFile;

// Cards that are "inserted" by the test.
class TestVolumeSource : public platform::VolumeSource
{
public:
    std::vector<platform::MountedVolume> volumes;
    std::vector<platform::MountedVolume> RemovableVolumes() const override { return volumes; }
    void Insert(const QString &root)
    {
        volumes.push_back(
            { root, QStringLiteral("/dev/sdb1"), QStringLiteral("vfat"), QStringLiteral("8:17") });
    }
    // A folder the user named as a card (--card DIR).
    void InsertFolder(const QString &root) { volumes.push_back({ root, QString(), QString(), QString() }); }
};

// DOS attributes kept per file the way FAT keeps them: with the file itself, so a file that was
// replaced by another one starts with the archive bit only.
class FakeFileAttributes : public platform::FileAttributes
{
public:
    std::optional<quint32> Read(const QString &path) const override;
    bool Write(const QString &path, quint32 attributes) const override;
    void Set(const QString &path, quint32 attributes) const { Write(path, attributes); }
    mutable int writes = 0;

private:
    mutable std::map<QString, std::pair<quint64, quint32>> m_store; // path -> (inode, attributes)
};

// A writer that breaks off after writing half of the first block, as a pulled card would.
class InterruptedWriter : public device::SafeFileWriter
{
protected:
    qint64 WriteBlock(QFileDevice &file, const char *data, qint64 size) override;
};

// The values array with every string empty, as the settings panel hands it over before a load.
inline device::ValueStrings EmptyValues()
{
    return device::ValueStrings {};
}

// The application object that event loops and D-Bus need, made once per test process.
QCoreApplication &TestApp();

// Makes the test process's mounts its own, so that it may mount file systems for itself without
// the host seeing them. False where the system does not allow it (the test is then skipped).
bool EnterPrivateMountNamespace();

} // namespace devicetest
