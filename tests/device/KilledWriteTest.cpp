// The card's writes and the backup killed mid-way, as a crash or a power cut stops them: the
// settings file is the old one or the new one, never a mix, and a backup cut off keeps no short
// copy under a card file's name and no manifest; the next run says what the folder holds.

#include "support/Files.h"
#include "support/Process.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <random>

using testsupport::ReadFile;
using testsupport::RunCli;

namespace {

QStringList FilesBelow(const QString &folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

} // namespace

TEST(KilledWrites, BackupCutOffKeepsNoShortCopyAndIsReportedNextTime)
{
    QTemporaryDir dir;
    const QString card = dir.filePath(QStringLiteral("card"));
    const QString backup = dir.filePath(QStringLiteral("backup"));
    // Bytes that differ along the file, so that a short or shifted copy cannot pass.
    std::mt19937 random(3);
    for (const char *name : { "NORMAL/a.avi", "NORMAL/b.avi", "EVENT/c.avi" }) {
        QByteArray bytes(16 << 20, Qt::Uninitialized);
        for (qsizetype i = 0; i + 4 <= bytes.size(); i += 4) {
            const uint32_t word = random();
            memcpy(bytes.data() + i, &word, 4);
        }
        ASSERT_TRUE(testsupport::WriteFile(card + '/' + name, bytes));
    }
    ASSERT_TRUE(testsupport::WriteFile(card + QStringLiteral("/setup.xml"), "<setup/>"));

    // Killed while a recording is copied, another one copied before it.
    ASSERT_TRUE(
        testsupport::KillWhen(testsupport::CliPath(), { "backup", card, backup }, [&](const QByteArray &) {
            const QString copy = backup + QStringLiteral("/NORMAL/a.avi");
            return QFileInfo(copy + QStringLiteral(".part")).size() > (1 << 20)
                || QFileInfo(copy).size() > (1 << 20);
        }));
    const QStringList left = FilesBelow(backup);
    EXPECT_FALSE(left.contains("SHA256SUMS")) << qPrintable(left.join(' '));
    EXPECT_TRUE(left.contains("NORMAL/a.avi.part")) << qPrintable(left.join(' '));
    for (const QString &file : left) {
        if (!file.endsWith(".part")) {
            EXPECT_EQ(ReadFile(backup + '/' + file), ReadFile(card + '/' + file)) << qPrintable(file);
        }
    }

    // Neither a new backup into that folder nor a check of it passes it off as a backup.
    for (const QStringList &args :
        { QStringList { "backup", card, backup }, QStringList { "backup", "--verify", backup } }) {
        const auto run = RunCli(args);
        EXPECT_EQ(run.exitCode, 1) << qPrintable(args.join(' '));
        EXPECT_TRUE(run.err.contains("did not finish") && run.err.contains(".part")) << run.err.toStdString();
    }
    EXPECT_EQ(FilesBelow(backup), left) << "nothing there is touched";

    // Into a fresh folder it runs to its end: every copy under its name, the manifest beside them.
    ASSERT_TRUE(QDir(backup).removeRecursively());
    const auto whole = RunCli({ "backup", card, backup });
    ASSERT_TRUE(whole.Ok()) << whole.err.toStdString();
    EXPECT_EQ(FilesBelow(backup),
        (QStringList { "EVENT/c.avi", "NORMAL/a.avi", "NORMAL/b.avi", "SHA256SUMS", "setup.xml" }));
    EXPECT_TRUE(RunCli({ "backup", "--verify", backup }).Ok());
}

// `config set` killed at moments spread over its run, again and again: each time the card's
// settings file is whole, the one before or the new one, and what a cut-off write leaves beside
// it is recognisable and gone after the next write.
TEST(KilledWrites, SettingsFileIsTheOldOrTheNewWheneverTheWriteIsKilled)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("setup.xml"));
    ASSERT_TRUE(RunCli({ "config", "reset", dir.path() }).Ok());
    QByteArray current = ReadFile(file);

    // What each value's file looks like, written without a kill.
    std::vector<QByteArray> written;
    QElapsedTimer clock;
    int longestMs = 0;
    for (int value = 0; value < 3; ++value) {
        clock.start();
        ASSERT_TRUE(
            RunCli({ "config", "set", dir.path(), QStringLiteral("GSensorSensi=%1").arg(value) }).Ok());
        longestMs = std::max(longestMs, int(clock.elapsed()));
        written.push_back(ReadFile(file));
    }
    ASSERT_NE(written[0], written[1]);
    current = written[2];

    std::mt19937 random(11);
    int killed = 0;
    // A write that ended before its kill shows the machine is quicker now than for the timed
    // writes, so the moments move earlier.
    int spanMs = longestMs;
    for (int round = 0; round < 80 && killed < 20; ++round) {
        const int value = round % 3;
        const int delayMs
            = std::uniform_int_distribution<int>(spanMs / 3, std::max(spanMs / 3, spanMs))(random);
        clock.start();
        const bool hit = testsupport::KillWhen(testsupport::CliPath(),
            { "config", "set", dir.path(), QStringLiteral("GSensorSensi=%1").arg(value) },
            [&](const QByteArray &) { return clock.elapsed() >= delayMs; });
        killed += hit ? 1 : 0;
        if (!hit)
            spanMs = std::max(3, spanMs * 3 / 4);
        const QByteArray now = ReadFile(file);
        EXPECT_TRUE(now == current || now == written[size_t(value)]) << round << ": " << now.toStdString();
        // At most the one temporary file of a write cut off, which the next write takes away.
        const QStringList files = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        EXPECT_TRUE(
            files == QStringList { "setup.xml" } || files == (QStringList { "setup.xml", "setup.xml.part" }))
            << round << ": " << qPrintable(files.join(' '));
        current = now;
    }
    EXPECT_GE(killed, 20);
    ASSERT_TRUE(RunCli({ "config", "set", dir.path(), "GSensorSensi=1" }).Ok());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList { "setup.xml" });
}
