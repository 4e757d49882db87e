// What a user meets after something went wrong: recordings damaged by the recorder or the card,
// and the card pulled out while a recording plays. The window must keep working and say why.

#include "mainwindow/MainWindowFixture.h"

#include <QFile>
#include <QtEndian>

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
        QFile file(card.filePath(cut->relativePath(channel)));
        ASSERT_TRUE(file.resize(file.size() / 2));
    }
    // One picture in the middle of the other recording holds garbage.
    const QString damagedPath = card.filePath(damaged->relativePath('F'));
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
    EXPECT_EQ(m_shown[0].text, CTAVINDlg::kCardRemovedText);
    // The window goes on: the play button does nothing harmful with nothing listed.
    Click("play");
    EXPECT_FALSE(Playing());
}

} // namespace
