#include "app/features/MainWindowTexts.h"
#include "mainwindow/MainWindowFixture.h"
#include "panels/BackgroundJob.h"

#include <gtest/gtest.h>

using namespace mainwindow;
using namespace mainwindow::test;
using namespace std::chrono_literals;

namespace {

TEST_F(MainWindowTest, ListsTheCardAndPlaysBothChannelsWithTheirViews)
{
    Open({ m_card.root });
    skin::CSkinListCtrl *list = m_window->FileList();
    ASSERT_NE(list, nullptr);
    int fronts = 0;
    for (const auto &plan : m_card.plans)
        fronts += RowOf(plan) >= 0;
    EXPECT_EQ(fronts, int(m_card.plans.size()));
    EXPECT_EQ(list->GetItemCount(), int(m_card.plans.size()));

    // The event category leaves the continuous recordings out.
    Click("filelist_category_event");
    EXPECT_GT(list->GetItemCount(), 0);
    EXPECT_LT(list->GetItemCount(), int(m_card.plans.size()));
    for (int row = 0; row < list->GetItemCount(); ++row)
        EXPECT_FALSE(list->GetItemText(row, library::kColumnFileName).endsWith(QLatin1String("N.AVI")));
    Click("filelist_category_all");
    EXPECT_EQ(list->GetItemCount(), int(m_card.plans.size()));

    size_t withRear = 0;
    while (withRear < m_card.plans.size()
        && !(m_card.plans[withRear].hasRear && m_card.plans[withRear].gpsFix
            && !m_card.plans[withRear].cutByPowerLoss))
        ++withRear;
    ASSERT_LT(withRear, m_card.plans.size());
    ClickRow(RowOf(m_card.plans[withRear]));
    ASSERT_TRUE(Playing());
    EXPECT_TRUE(m_window->Playback().RearPresent());
    EXPECT_TRUE(testsupport::WaitUntil([&] {
        return m_window->GetControl(skin::kSkinImgButton, QStringLiteral("pause"))->isVisible()
            && PlayedPictures(0) > 0 && PlayedPictures(1) > 0;
    }));
    EXPECT_TRUE(m_window->GetControl(skin::kSkinSpeed, QStringLiteral("speed"))->isVisible());
    auto *graph = m_window->Control<CGSensorGraph>(skin::kSkinGraph, QStringLiteral("gsensor"));
    EXPECT_GT(graph->Model().SampleCount(), 1u);
    EXPECT_TRUE(testsupport::WaitUntil([&] { return m_window->PositionMs() >= 500; }));

    Click("pause");
    ASSERT_TRUE(m_window->Playback().IsPaused());
    const int64_t paused = m_window->PositionMs();
    testsupport::WaitUntil([] { return false; }, 300ms);
    EXPECT_EQ(m_window->PositionMs(), paused);
    // Play resumes where it was paused.
    Click("play");
    EXPECT_TRUE(Playing());
    EXPECT_GE(m_window->Playback().PositionMs(), paused - 100);

    Click("stop");
    EXPECT_EQ(m_window->Playback().State(), media::GraphState::NotBuilt);
    EXPECT_EQ(m_window->CurrentRow(), RowOf(m_card.plans[withRear])); // stop never advances
    EXPECT_FALSE(m_window->VideoView(0)->isVisible());
    EXPECT_TRUE(m_shown.empty());
}

TEST_F(MainWindowTest, EndOfRecordingFollowsTheRepeatMode)
{
    Open({ m_card.root });
    const int rows = m_window->FileList()->GetItemCount();
    ASSERT_GE(rows, 2);

    // Repeat all (the start): the last row ends into row 0.
    ClickRow(rows - 1);
    ASSERT_TRUE(Playing());
    ASSERT_TRUE(testsupport::WaitUntil([&] { return m_window->CurrentRow() == 0 && Playing(); }, 15s));

    // Repeat one: the same recording restarts without closing.
    Click("repeat_all");
    EXPECT_TRUE(m_window->GetControl(skin::kSkinImgButton, QStringLiteral("repeat_1"))->isVisible());
    int64_t latest = 0;
    bool wentBack = false;
    testsupport::WaitUntil(
        [&] {
            const int64_t now = m_window->PositionMs();
            wentBack = wentBack || (latest > 2000 && now < latest);
            latest = std::max(latest, now);
            return wentBack;
        },
        15s);
    EXPECT_TRUE(wentBack);
    EXPECT_EQ(m_window->CurrentRow(), 0);
    EXPECT_TRUE(Playing());
}

TEST_F(MainWindowTest, SpeedStepsAndMuteHoldAcrossRecordings)
{
    Open({ m_card.root });
    ClickRow(0);
    ASSERT_TRUE(Playing());
    std::vector<float> rates;
    for (int i = 0; i < 5; ++i) {
        skin::SendWindowMessage(m_window.get(), kMsgFaster);
        rates.push_back(m_window->Playback().Rate());
    }
    EXPECT_EQ(rates, (std::vector<float> { 1.25f, 1.5f, 1.75f, 2.0f, 2.0f }));
    Click("r_speed");
    rates.clear();
    for (int i = 0; i < 3; ++i) {
        skin::SendWindowMessage(m_window.get(), kMsgSlower);
        rates.push_back(m_window->Playback().Rate());
    }
    EXPECT_EQ(rates, (std::vector<float> { 0.75f, 0.5f, 0.5f }));

    // Seeking and skipping move both the players and the position views.
    skin::SendWindowMessage(m_window.get(), kMsgSeekTo, 0, 2000);
    EXPECT_EQ(m_window->PositionMs(), 2000);
    EXPECT_EQ(
        m_window->Control<skin::CBitmapSlider>(skin::kSkinSlider, QStringLiteral("play_slider"))->GetPos(),
        2000);
    EXPECT_GE(m_window->Playback().PositionMs(), 1900);
    Click("rew_10");
    EXPECT_LT(m_window->Playback().PositionMs(), 1000);
    EXPECT_TRUE(testsupport::WaitUntil([&] { return m_window->PositionMs() < 1000; }));

    Click("sound_on");
    EXPECT_TRUE(m_window->GetControl(skin::kSkinImgButton, QStringLiteral("sound_off"))->isVisible());
    Click("next_file");
    EXPECT_EQ(m_window->CurrentRow(), 1);
    EXPECT_TRUE(m_window->Playback().Muted());
    EXPECT_FLOAT_EQ(m_window->Playback().Rate(), 0.5f);
    EXPECT_TRUE(m_window->GetControl(skin::kSkinImgButton, QStringLiteral("sound_off"))->isVisible());
}

TEST_F(MainWindowTest, ViewModesKeepPlaybackAndSwapFollowsItsRules)
{
    Open({ m_card.root });
    Click("change_view"); // nothing loaded: nothing to swap
    EXPECT_EQ(m_window->MainChannel(), 0);
    m_window->Playback().SetRepeat(DualPlayback::RepeatMode::One);
    ClickRow(0);
    ASSERT_TRUE(Playing());

    EXPECT_TRUE(Draggable());
    EXPECT_TRUE(ShowsPicture(0, QStringLiteral("mainwindow-small")));
    EXPECT_TRUE(ShowsPicture(1, QStringLiteral("mainwindow-small")));
    const QPoint smallAt(40, 30);
    m_window->move(smallAt);
    Click("l_view");
    EXPECT_EQ(m_window->ViewMode(), ViewLayout::kLarge);
    // The large view covers the monitor even where no window manager carries out the maximise.
    EXPECT_EQ(m_window->geometry(), QRect(0, 0, 1920, 1080));
    EXPECT_TRUE(Playing());
    EXPECT_FALSE(Draggable());
    EXPECT_TRUE(ShowsPicture(0, QStringLiteral("mainwindow-large")));
    EXPECT_TRUE(ShowsPicture(1, QStringLiteral("mainwindow-large")));
    EXPECT_FALSE(m_window->GetControl(skin::kSkinImgButton, QStringLiteral("l_view"))->isEnabled());
    Click("change_view");
    EXPECT_EQ(m_window->MainChannel(), 1);
    EXPECT_EQ(m_window->VideoView(1)->geometry(), QRect(5, 48, 1920 - 386 - 5, 1080 - 174 - 48));

    Click("f_view");
    EXPECT_TRUE(Playing());
    EXPECT_TRUE(ShowsPicture(1, QStringLiteral("mainwindow-full")));
    Click("change_view"); // no swap in the full view
    EXPECT_EQ(m_window->MainChannel(), 1);
    EXPECT_FALSE(m_window->VideoView(0)->isVisible());

    Click("s_view");
    EXPECT_TRUE(Playing());
    EXPECT_EQ(m_window->pos(), smallAt);
    EXPECT_EQ(m_window->VideoView(1)->geometry(), QRect(6, 49, 976, 548));
    EXPECT_EQ(m_window->FileList()->GetItemCount(), int(m_card.plans.size()));
    EXPECT_TRUE(testsupport::WaitUntil([&] { return m_window->PositionMs() > 0; }));
}

TEST_F(MainWindowTest, SpaceTogglesPauseAndClosingWritesTheSettingsBack)
{
    m_settings.volume = 30;
    Open({ m_card.root });
    const auto space = [&] {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
        QApplication::sendEvent(m_window->FileList(), &press);
    };
    space(); // nothing loaded: nothing happens
    EXPECT_EQ(m_window->Playback().State(), media::GraphState::NotBuilt);
    ClickRow(0);
    space();
    EXPECT_TRUE(testsupport::WaitUntil([&] { return m_window->Playback().IsPaused(); }));
    space();
    EXPECT_TRUE(Playing());
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(m_window->FileList(), &escape);
    EXPECT_TRUE(m_window->isVisible());

    skin::SendWindowMessage(m_window.get(), skin::kMsgSliderMoved,
        m_window->GetControlId(skin::kSkinSlider, QStringLiteral("vol_slider")), 72);
    skin::SendWindowMessage(m_window.get(), kMsgBrightness, 0, -20);
    Click("close");
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_EQ(m_window->Playback().State(), media::GraphState::NotBuilt);
    EXPECT_EQ(m_settings.volume, 72);
    EXPECT_EQ(m_settings.brightness, -20);
    EXPECT_EQ(QDir(m_settings.lastOpen), QDir(m_card.root));
}

TEST_F(MainWindowTest, RecordingsGivenToTheProgramAreListedAndPlayed)
{
    const auto &plan = m_card.plans.back();
    Open({ m_card.root }, QLatin1Char('"') + testsupport::CardFile(plan, 'F') + QLatin1Char('"'));
    EXPECT_EQ(m_window->FileList()->GetItemCount(), 1);
    EXPECT_TRUE(testsupport::WaitUntil([&] { return Playing(); }));
    EXPECT_EQ(m_window->FileList()->GetItemText(0, library::kColumnFileName), plan.FileName('F').toUpper());
}

TEST_F(MainWindowTest, MissingPanelsSaySoAndPlaybackGoesOn)
{
    Open({ m_card.root });
    ClickRow(0);
    for (const char *button : { "title_map", "title_logo", "title_tool", "main_image_setting" })
        Click(button);
    for (quint32 message : { kMsgPrint, kMsgCapture, kMsgToggleStorage, kMsgShowSave, kMsgTitleSettings,
             kMsgWriteSettings, kMsgFormatCard, kMsgSaveRecordings })
        skin::SendWindowMessage(m_window.get(), message);
    ASSERT_EQ(m_shown.size(), 12u);
    for (const testsupport::ShownBox &box : m_shown)
        EXPECT_EQ(box.text, mainwindow::kNotAvailableText);
    EXPECT_TRUE(Playing());
}

TEST_F(MainWindowTest, CutRecordingPlaysAndBrokenFileIsRefusedWithTheListUsable)
{
    QTemporaryDir card;
    CopyCardTo(card.path());
    const auto cut
        = std::find_if(m_card.plans.begin(), m_card.plans.end(), [](auto &p) { return p.cutByPowerLoss; });
    ASSERT_NE(cut, m_card.plans.end());
    const auto good
        = std::find_if(m_card.plans.begin(), m_card.plans.end(), [](auto &p) { return !p.cutByPowerLoss; });
    QFile broken(card.filePath(good->RelativePath('F')));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
    broken.write("RIFF\0\0\0\0AVI junk", 17);
    broken.close();
    Open({ card.path() });

    ClickRow(RowOf(*good));
    EXPECT_FALSE(Playing());
    ASSERT_EQ(m_shown.size(), 1u);
    EXPECT_EQ(m_shown[0].text, m_window->Skin().Text(QStringLiteral("invalid_video")));

    ClickRow(RowOf(*cut));
    ASSERT_TRUE(Playing());
    EXPECT_GT(m_window->Playback().DurationMs(), cut->durationMs / 2);
    EXPECT_TRUE(testsupport::WaitUntil([&] { return PlayedPictures(0) > 0; }));
}

TEST_F(MainWindowTest, RemovingTheListedCardEmptiesTheListAndAnotherCardChangesNothing)
{
    QTemporaryDir base;
    const QString listed = base.filePath(QStringLiteral("A")), other = base.filePath(QStringLiteral("B"));
    const QString folder = base.filePath(QStringLiteral("C"));
    for (const QString &root : { listed, other, folder })
        CopyCardTo(root);
    Open({ listed, other });
    ClickRow(0);
    ASSERT_TRUE(Playing());

    ASSERT_TRUE(QDir(other).removeRecursively());
    m_window->OnMountsChanged();
    EXPECT_TRUE(Playing());
    EXPECT_EQ(m_window->FileList()->GetItemCount(), int(m_card.plans.size()));
    EXPECT_TRUE(m_shown.empty());

    m_window->Playback().Pause(); // lets the listed card's files go
    ASSERT_TRUE(QDir(listed).removeRecursively());
    m_window->OnMountsChanged();
    EXPECT_EQ(m_window->Playback().State(), media::GraphState::NotBuilt);
    EXPECT_EQ(m_window->FileList()->GetItemCount(), 0);
    ASSERT_EQ(m_shown.size(), 1u);
    EXPECT_EQ(m_shown[0].text, mainwindow::kCardRemovedText);

    // A folder chosen with open is listed on a worker: the window's events go on meanwhile. A
    // second request gives up the first, whose result never shows.
    bool listedBeforeEvents = true;
    QMetaObject::invokeMethod(
        m_window.get(), [&] { listedBeforeEvents = m_window->FileList()->GetItemCount() > 0; },
        Qt::QueuedConnection);
    m_folder = m_card.root;
    Click("open");
    m_folder = folder;
    Click("open");
    ASSERT_TRUE(testsupport::WaitUntil([&] { return !m_window->ListFeature().IsListing(); }));
    EXPECT_FALSE(listedBeforeEvents);
    EXPECT_EQ(m_window->Library().Location(), folder);
    EXPECT_FALSE(m_window->Library().IsCard());
    // Cancel in the listing's progress window (its Cancel button cancels the job) leaves the list
    // as it was.
    m_folder = m_card.root;
    Click("open");
    ASSERT_NE(m_window->ListFeature().ListingJob(), nullptr);
    m_window->ListFeature().ListingJob()->Cancel();
    ASSERT_TRUE(testsupport::WaitUntil([&] { return !m_window->ListFeature().IsListing(); }));
    EXPECT_EQ(m_window->Library().Location(), folder);
    // A folder that is no card is never taken for a removed one.
    EXPECT_EQ(m_window->FileList()->GetItemCount(), int(m_card.plans.size()));
    m_window->OnMountsChanged();
    EXPECT_EQ(m_window->FileList()->GetItemCount(), int(m_card.plans.size()));
    EXPECT_EQ(m_shown.size(), 1u);
}

} // namespace
