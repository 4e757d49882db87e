// What a user meets after something went wrong: recordings damaged by the recorder or the card,
// and the card pulled out while a recording plays. The window must keep working and say why.

#include "app/features/MainWindowTexts.h"
#include "device/CardBackup.h"
#include "mainwindow/MainWindowFixture.h"
#include "panels/RecordingCopier.h"
#include "support/Files.h"

#include <QFile>
#include <QtEndian>

#include <thread>

#include <gtest/gtest.h>

using namespace mainwindow;
using namespace mainwindow::test;
using namespace std::chrono_literals;

namespace {

// Offsets and sizes of the video chunks ("..dc") of the file's "movi" list, in file order.
std::vector<std::pair<qint64, quint32>> VideoChunks(const QByteArray &file)
{
    std::vector<std::pair<qint64, quint32>> chunks;
    const qsizetype movi = file.indexOf("movi");
    if (movi < 0)
        return chunks;
    for (qint64 at = movi + 4; at + 8 <= file.size();) {
        const QByteArray id = file.mid(at, 4);
        const quint32 size = qFromLittleEndian<quint32>(file.constData() + at + 4);
        if (id == "idx1")
            break;
        if (id.endsWith("dc"))
            chunks.emplace_back(at, size);
        at += 8 + size + (size & 1);
    }
    return chunks;
}

const media::recorder::SampleRecordingPlan *FindPlan(const testsupport::SampleCard &card,
    const std::function<bool(const media::recorder::SampleRecordingPlan &)> &want)
{
    for (const auto &plan : card.plans)
        if (want(plan))
            return &plan;
    return nullptr;
}

TEST_F(MainWindowTest, DamagedRecordingsPlayOnAndEndNormally)
{
    QTemporaryDir card;
    CopyCardTo(card.path());
    const auto *cut
        = FindPlan(m_card, [](auto &p) { return p.hasRear && !p.cutByPowerLoss && p.durationMs >= 2000; });
    const auto *damaged
        = FindPlan(m_card, [&](auto &p) { return &p != cut && !p.cutByPowerLoss && p.durationMs >= 2000; });
    ASSERT_TRUE(cut && damaged);

    // The card lost the second half of both channels' data: the headers still promise the whole
    // length, and the index is gone with the end of the file.
    for (char channel : { 'F', 'R' }) {
        QFile file(card.filePath(cut->RelativePath(channel)));
        ASSERT_TRUE(file.resize(file.size() / 2));
    }
    // One picture in the middle of the other recording holds garbage.
    const QString damagedPath = card.filePath(damaged->RelativePath('F'));
    QFile file(damagedPath);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    const auto chunks = VideoChunks(file.readAll());
    ASSERT_GT(chunks.size(), 50u);
    const size_t middle = chunks.size() / 2;
    const int64_t damagedMs = int64_t(middle) * damaged->durationMs / int64_t(chunks.size());
    file.seek(chunks[middle].first + 8);
    file.write(QByteArray(int(chunks[middle].second), '\x5A'));
    file.close();

    Open({ card.path() });
    const int cutRow = RowOf(*cut);
    ClickRow(cutRow);
    ASSERT_TRUE(Playing());
    for (int step = 0; step < 5; ++step)
        skin::SendWindowMessage(m_window.get(), kMsgFaster);
    // Shortly before the data runs out: the recording ends there and the next one follows (the
    // repeat mode at start), without a message.
    Post(kMsgSeekTo, cut->durationMs * 2 / 5);
    EXPECT_TRUE(testsupport::WaitUntil([&] { return m_window->CurrentRow() != cutRow; }, 30s));
    EXPECT_TRUE(Playing());
    EXPECT_TRUE(m_shown.empty());

    const int damagedRow = RowOf(*damaged);
    ClickRow(damagedRow);
    ASSERT_TRUE(Playing());
    // At the slowest speed: the pictures counted below then come in about three seconds of play
    // (the speed chosen above holds across recordings), however slowly this machine decodes.
    skin::SendWindowMessage(m_window.get(), kMsgNormalSpeed);
    skin::SendWindowMessage(m_window.get(), kMsgSlower);
    skin::SendWindowMessage(m_window.get(), kMsgSlower);
    Post(kMsgSeekTo, std::max<int64_t>(0, damagedMs - 1000));
    ASSERT_TRUE(testsupport::WaitUntil([&] { return m_window->PositionMs() < damagedMs; }));
    const int64_t pictures = PlayedPictures(0);
    // Pictures go on past the damaged one, in the same recording.
    ASSERT_TRUE(testsupport::WaitUntil([&] { return m_window->PositionMs() > damagedMs + 700; }, 20s));
    EXPECT_EQ(m_window->CurrentRow(), damagedRow);
    EXPECT_GT(PlayedPictures(0), pictures + 10);
    EXPECT_TRUE(m_shown.empty());
}

TEST_F(MainWindowTest, CardPulledOutDuringPlaybackStopsItWithTheMessage)
{
    QTemporaryDir base;
    const QString root = base.filePath(QStringLiteral("card"));
    CopyCardTo(root);
    Open({ root });
    ClickRow(0);
    ASSERT_TRUE(Playing());
    ASSERT_TRUE(testsupport::WaitUntil([&] { return PlayedPictures(0) > 0; }));

    // The files' data goes with the card while the players still read them.
    for (const QString &file : m_card.written)
        QFile(root + QLatin1Char('/') + file).resize(0);
    ASSERT_TRUE(QDir(root).removeRecursively());
    m_window->OnMountsChanged();
    EXPECT_EQ(m_window->Playback().State(), media::GraphState::NotBuilt);
    EXPECT_FALSE(Playing());
    EXPECT_EQ(m_window->FileList()->GetItemCount(), 0);
    ASSERT_EQ(m_shown.size(), 1u);
    EXPECT_EQ(m_shown[0].text, mainwindow::kCardRemovedText);
    // The window goes on: the play button does nothing harmful with nothing listed.
    Click("play");
    EXPECT_FALSE(Playing());
}

// A card pulled out mid-copy may end the reading early without an error. Neither the save nor
// the backup may then keep a short copy as if it were the recording.
TEST(CopyFaults, CardPulledOutDuringASaveOrABackupLeavesNothingHalfWritten)
{
    QTemporaryDir dir;
    const QString card = dir.filePath(QStringLiteral("card"));
    QDir().mkpath(card + QStringLiteral("/EVENT"));
    const QString big = card + QStringLiteral("/EVENT/big.avi");
    ASSERT_TRUE(testsupport::WriteFile(big, QByteArray(5 << 20, 'x')));
    ASSERT_TRUE(testsupport::WriteFile(card + QStringLiteral("/setup.xml"), "<setup/>"));
    bool pulled = false;
    const device::BackupReport report = device::RunCardBackup(
        card, dir.filePath(QStringLiteral("backup")), nullptr, [&](const device::BackupProgress &state) {
            if (state.bytesDone > 0 && state.current.endsWith(QLatin1String("big.avi")) && !pulled)
                pulled = QFile(big).resize(100);
        });
    ASSERT_TRUE(pulled);
    ASSERT_EQ(report.failed.size(), 1);
    EXPECT_TRUE(report.failed[0].startsWith(QLatin1String("EVENT/big.avi")))
        << report.failed[0].toStdString();
    EXPECT_FALSE(QFile::exists(report.destination + QStringLiteral("/EVENT/big.avi")));
    EXPECT_EQ(report.files, 1);
    EXPECT_FALSE(
        testsupport::ReadFile(report.destination + QStringLiteral("/SHA256SUMS")).contains("big.avi"));

    // The save copies on a worker; the recording shrinks under it.
    const QString source = dir.filePath(QStringLiteral("long.avi"));
    QFile sparse(source);
    ASSERT_TRUE(sparse.open(QIODevice::WriteOnly) && sparse.resize(qint64(4) << 30));
    sparse.close();
    const QString saved = dir.filePath(QStringLiteral("saved"));
    QDir().mkpath(saved);
    panels::RecordingCopier copier({ { source, saved + QStringLiteral("/long.avi"), false } });
    std::thread worker([&] { copier.Run(); });
    testsupport::WaitUntil([&] { return copier.CopiedBytes() > (16 << 20); });
    QFile(source).resize(1 << 20);
    worker.join();
    ASSERT_EQ(copier.Failures().size(), 1u);
    EXPECT_TRUE(QDir(saved).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

} // namespace
