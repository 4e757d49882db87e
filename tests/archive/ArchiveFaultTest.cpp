// Indexing stopped by what a user cannot prevent: the program killed, the card taken out, the
// disk full. The archive always opens afterwards, holds only whole batches of what it read, and
// the next indexing catches up with the right counts.

#include "archive/ArchiveIndex.h"
#include "support/Process.h"
#include "trips/TripRecorder.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using archive::ArchiveIndex;
using testsupport::RunCli;

namespace {

constexpr int kRecordings = 160;

// A card of many one-second recordings (one written by the recorder, copied under each name),
// enough for several of the indexer's batches.
struct ManyCard {
    QTemporaryDir dir;
    QString root = dir.filePath(QStringLiteral("CARD"));
    QString db = dir.filePath(QStringLiteral("archive.sqlite"));

    ManyCard()
    {
        const QString first
            = tripstest::WriteRecording(root, tripstest::ShortPlan("NORMAL", 'N', 0, 1000, 200), false);
        for (int i = 1; i < kRecordings; ++i) {
            const auto plan = tripstest::ShortPlan("NORMAL", 'N', i * 60, 1000, 200);
            EXPECT_TRUE(QFile::copy(first, QDir(root).filePath(plan.RelativePath('F'))));
        }
    }
    // The card's entry in `tavin-cli archive list`: its recordings and whether it is online.
    QJsonObject Listed() const
    {
        const auto run = RunCli({ "archive", "list", "--json", "--db", db });
        EXPECT_TRUE(run.Ok()) << run.err.toStdString();
        return QJsonDocument::fromJson(run.out).array().at(0).toObject();
    }
    // Files beside the archive other than its own and its journal's.
    QStringList Aside() const
    {
        return QDir(dir.path()).entryList({ QStringLiteral("archive.sqlite.*") }, QDir::Files);
    }
};

// "N added, M changed, K unchanged" of `archive add`'s line.
int Count(const QByteArray &out, const char *what)
{
    const qsizetype at = out.indexOf(QByteArray(" ") + what);
    const qsizetype from = out.lastIndexOf(' ', at - 1) + 1;
    return at > 0 ? out.mid(from, at - from).toInt() : -1;
}

} // namespace

// Killed once the first batch is in: the archive opens, holds what was committed, and the next
// `archive add` reads the rest and counts the first batch as unchanged.
TEST(ArchiveFaults, KilledIndexingCatchesUpNextTime)
{
    ManyCard card;
    ASSERT_TRUE(testsupport::KillWhen(testsupport::CliPath(),
        { "archive", "add", card.root, "--card", "--db", card.db },
        [](const QByteArray &err) { return err.contains("[1/"); }));
    const int kept = card.Listed()["recordings"].toInt();
    EXPECT_GT(kept, 0);
    EXPECT_LT(kept, kRecordings);

    const auto again = RunCli({ "archive", "add", card.root, "--card", "--db", card.db });
    ASSERT_TRUE(again.Ok()) << again.err.toStdString();
    EXPECT_EQ(Count(again.out, "unchanged"), kept) << again.out.toStdString();
    EXPECT_EQ(Count(again.out, "added"), kRecordings - kept) << again.out.toStdString();
    EXPECT_EQ(Count(again.out, "failed"), 0) << again.out.toStdString();
    EXPECT_EQ(card.Listed()["recordings"].toInt(), kRecordings);
    EXPECT_EQ(card.Aside(), QStringList());
}

// The card taken out after the first batch: indexing stops with the reason, the source is offline,
// and what was not read is read when the card is back, not kept as unreadable.
TEST(ArchiveFaults, CardTakenOutMidwayIsReadWhenItIsBack)
{
    ManyCard card;
    const QString away = card.dir.filePath(QStringLiteral("CARD-away"));
    {
        ArchiveIndex index;
        ASSERT_TRUE(index.Open(card.db));
        archive::IndexReport report;
        QString error;
        EXPECT_FALSE(index.AddFolder(
            card.root, true, nullptr,
            [&](int, int, const QString &file) {
                if (!file.isEmpty() && QFileInfo::exists(card.root))
                    QDir().rename(card.root, away);
            },
            &report, &error));
        EXPECT_TRUE(error.contains("card taken out")) << error.toStdString();
        ASSERT_EQ(index.Sources().size(), 1u);
        EXPECT_FALSE(index.Sources()[0].online);
        EXPECT_GT(index.Sources()[0].recordings, 0);
    }
    ASSERT_TRUE(QDir().rename(away, card.root));
    const auto back = RunCli({ "archive", "add", card.root, "--card", "--db", card.db });
    ASSERT_TRUE(back.Ok()) << back.err.toStdString();
    EXPECT_GT(Count(back.out, "added"), 0) << back.out.toStdString();
    EXPECT_EQ(Count(back.out, "failed"), 0) << back.out.toStdString();
    EXPECT_EQ(card.Listed()["recordings"].toInt(), kRecordings);
    EXPECT_TRUE(card.Listed()["online"].toBool());
}

// The disk full while indexing: `archive add` fails with the reason, the archive is not taken for
// damaged, and it opens and catches up once there is room.
TEST(ArchiveFaults, FullDiskFailsCleanlyAndTheArchiveStillOpens)
{
    ManyCard card;
    ASSERT_TRUE(RunCli({ "archive", "list", "--db", card.db }).Ok());
    const qint64 size = QFileInfo(card.db).size();
    const auto full = testsupport::RunWithFileSizeLimit(testsupport::CliPath(),
        { "archive", "add", card.root, "--card", "--db", card.db }, size + (32 << 10));
    EXPECT_EQ(full.exitCode, 1) << full.out.toStdString() << full.err.toStdString();
    EXPECT_TRUE(full.err.contains("cannot write the archive") && full.err.contains("full"))
        << full.err.toStdString();

    EXPECT_LT(card.Listed()["recordings"].toInt(), kRecordings);
    EXPECT_EQ(card.Aside(), QStringList());
    const auto roomy = RunCli({ "archive", "add", card.root, "--card", "--db", card.db });
    ASSERT_TRUE(roomy.Ok()) << roomy.err.toStdString();
    EXPECT_EQ(card.Listed()["recordings"].toInt(), kRecordings);
    EXPECT_EQ(card.Aside(), QStringList());
}
