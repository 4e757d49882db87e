#include "ArchiveCard.h"

#include "archive/ArchiveIndex.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QVariant>

#include <gtest/gtest.h>

using namespace archive;
using namespace archivetest;

// Rows a damaged disk left with times no recorder wrote are left out of the answers; the rest of the
// archive answers as before. (Found by fuzz_archive_db: the sums of such times overflowed.)
TEST(ArchiveIndex, LeavesOutRowsWithTimesNoRecorderWrote)
{
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("archive.sqlite"));
    const ArchiveCard &card = SuiteCard();
    const QDate day
        = QDateTime::fromMSecsSinceEpoch(RecorderMsAtDrive(kFirstDriveS), QTimeZone::utc()).date();
    {
        ArchiveIndex index;
        ASSERT_TRUE(index.Open(path));
        ASSERT_TRUE(index.AddFolder(card.root, true));
        ASSERT_EQ(index.PassesNear(card.loopLatitude, card.loopLongitude, 50).size(), 2u);
    }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("damage"));
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        QSqlQuery query(db);
        // The first pass's points at the end of time; the event recording's trip as a text.
        query.prepare(QStringLiteral("UPDATE points SET t_ms = 9223372036854775807"
                                     " WHERE recording_id = (SELECT id FROM recordings WHERE path = ?)"));
        query.addBindValue(card.fronts[3]);
        ASSERT_TRUE(query.exec());
        query.prepare(
            QStringLiteral("UPDATE recordings SET trip_start_ms = '99999999999999999999' WHERE path = ?"));
        query.addBindValue(card.fronts[2]);
        ASSERT_TRUE(query.exec());
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("damage"));

    ArchiveIndex index;
    ASSERT_TRUE(index.Open(path));
    const std::vector<Pass> loop = index.PassesNear(card.loopLatitude, card.loopLongitude, 50);
    ASSERT_EQ(loop.size(), 1u);
    EXPECT_EQ(loop[0].file, card.fronts[4]);
    EXPECT_EQ(index.DaysWithDrives(), std::vector<QDate> { day });
    EXPECT_TRUE(index.LastError().isEmpty()) << qPrintable(index.LastError());
}

// A layout number no version writes (a damaged header) is damage like any other: the file goes aside
// and a new archive starts. (Found by fuzz_archive_db: the migration indexed its steps with it.)
TEST(ArchiveIndex, MovesAsideAFileWithANegativeLayoutNumber)
{
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("archive.sqlite"));
    ASSERT_TRUE(RunSql(path, QStringLiteral("PRAGMA user_version = -1")));
    ArchiveIndex index;
    QString note;
    ASSERT_TRUE(index.Open(path, &note));
    EXPECT_TRUE(note.contains(QStringLiteral("damaged"))) << qPrintable(note);
    EXPECT_EQ(QDir(dir.path()).entryList({ QStringLiteral("archive.sqlite.damaged-*") }).size(), 1);
    ASSERT_TRUE(index.AddFolder(SuiteCard().root, true));
    EXPECT_EQ(index.Sources().size(), 1u);
}
