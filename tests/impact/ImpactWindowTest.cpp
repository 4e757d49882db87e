#include "app/features/CardPanelsController.h"
#include "app/features/ExportController.h"
#include "app/features/ImpactsController.h"
#include "app/features/MapController.h"
#include "app/features/RecordingListController.h"
#include "app/features/ToolPanelsController.h"
#include "mainwindow/MainWindowFixture.h"
#include "support/Process.h"

#include <QComboBox>

namespace mainwindow::test {

namespace {

    void Record(const QString &path, const QStringList &extra)
    {
        QDir().mkpath(QFileInfo(path).path());
        const auto run = testsupport::RunCli(
            QStringList { QStringLiteral("sample-recording"), path, QStringLiteral("--seconds"),
                QStringLiteral("20"), QStringLiteral("--size"), QStringLiteral("160x90") }
            + extra);
        ASSERT_TRUE(run.Ok()) << run.err.toStdString();
    }

} // namespace

// A folder with an event recording (a jolt at 12.43 s) and a calm one: the event's impact is
// marked on the graph and listed, and the buttons, the keys and the list jump to just before it;
// the calm recording has none and its impact controls are off.
TEST_F(MainWindowTest, MarksListsAndJumpsToImpacts)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Record(dir.filePath(QStringLiteral("EVENT/20240307_090530_FS.AVI")),
        { QStringLiteral("--impact-ms"), QStringLiteral("12430"), QStringLiteral("--seed"),
            QStringLiteral("4") });
    Record(dir.filePath(QStringLiteral("NORMAL/20240307_090130_FN.AVI")),
        { QStringLiteral("--seed"), QStringLiteral("4") });
    // A card is known by its recorder settings file.
    ASSERT_TRUE(
        QFile::copy(m_card.root + QStringLiteral("/setup.xml"), dir.filePath(QStringLiteral("setup.xml"))));
    Open({ dir.path() });
    ASSERT_EQ(m_window->FileList()->GetItemCount(), 2);
    int eventRow = 0;
    if (!m_window->FileList()->GetItemText(0, library::kColumnFileName).contains(QLatin1String("FS")))
        eventRow = 1;

    ClickRow(eventRow);
    ASSERT_TRUE(m_window->Playback().IsLoaded());
    Click("pause");
    ASSERT_EQ(m_window->ImpactsFeature().Impacts().size(), 1u);
    const media::Impact impact = m_window->ImpactsFeature().Impacts()[0];
    EXPECT_EQ(impact.timeMs / 1000, 12u);
    EXPECT_GE(impact.timeMs, 12430u);

    CGSensorGraph *graph = m_window->findChild<CGSensorGraph *>();
    ASSERT_NE(graph, nullptr);
    ASSERT_EQ(graph->Impacts().size(), 1u);
    const int markX = graph->ImpactX(impact);
    EXPECT_NEAR(markX, graph->Plot().left + (graph->Plot().right - graph->Plot().left) * 12.43 / 20, 3);
    // The mark is drawn in its red below the curves' baseline, where nothing else is drawn.
    const QImage drawn = graph->grab().toImage();
    const int markY = graph->Plot().bottom - 15;
    EXPECT_EQ(drawn.pixelColor(markX, markY), QColor(0xFF, 0x4D, 0x4D));
    EXPECT_NE(drawn.pixelColor(markX + 12, markY), QColor(0xFF, 0x4D, 0x4D));

    QComboBox *list = m_window->ImpactsFeature().ImpactList();
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->isVisible());
    EXPECT_TRUE(list->isEnabled());
    ASSERT_EQ(list->count(), 1);
    EXPECT_TRUE(list->itemText(0).startsWith(QLatin1String("00:12"))) << list->itemText(0).toStdString();
    const QWidget *next = m_window->GetControl(skin::kSkinImgButton, QStringLiteral("impact_next"));
    ASSERT_NE(next, nullptr);
    EXPECT_TRUE(next->isEnabled());
    EXPECT_GT(list->geometry().left(), next->geometry().right());
    EXPECT_EQ(list->geometry().top(), next->geometry().top());

    const int64_t target = media::ImpactDetector::JumpTarget(impact);
    const auto key = [&](Qt::Key k) {
        QKeyEvent press(QEvent::KeyPress, k, Qt::ControlModifier);
        QApplication::sendEvent(m_window->FileList(), &press);
    };
    EXPECT_LT(m_window->PositionMs(), target);
    key(Qt::Key_Right);
    EXPECT_EQ(m_window->PositionMs(), target);
    EXPECT_EQ(list->currentIndex(), 0);
    Click("impact_next"); // no impact after it: playback stays
    EXPECT_EQ(m_window->PositionMs(), target);
    Click("impact_prev"); // none before it either
    EXPECT_EQ(m_window->PositionMs(), target);

    Post(kMsgPosition, 17000);
    QApplication::processEvents();
    ASSERT_EQ(m_window->PositionMs(), 17000);
    Click("impact_prev");
    EXPECT_EQ(m_window->PositionMs(), target);
    Post(kMsgPosition, 18000);
    QApplication::processEvents();
    key(Qt::Key_Left);
    EXPECT_EQ(m_window->PositionMs(), target);
    Post(kMsgPosition, 1000);
    QApplication::processEvents();
    list->activated(0);
    EXPECT_EQ(m_window->PositionMs(), target);

    // Another layout brings its own buttons: the list follows them, with the impacts kept.
    for (const char *layout : { "l_view", "s_view" }) {
        Click(layout);
        QApplication::processEvents();
        const QWidget *shownNext = m_window->GetControl(skin::kSkinImgButton, QStringLiteral("impact_next"));
        ASSERT_NE(shownNext, nullptr);
        EXPECT_TRUE(list->isVisible()) << layout;
        EXPECT_EQ(list->geometry().top(), shownNext->geometry().top()) << layout;
        EXPECT_EQ(list->count(), 1) << layout;
    }

    ClickRow(1 - eventRow);
    ASSERT_TRUE(m_window->Playback().IsLoaded());
    EXPECT_TRUE(m_window->ImpactsFeature().Impacts().empty());
    EXPECT_TRUE(graph->Impacts().empty());
    EXPECT_EQ(list->count(), 0);
    EXPECT_FALSE(list->isEnabled());
    EXPECT_FALSE(m_window->GetControl(skin::kSkinImgButton, QStringLiteral("impact_next"))->isEnabled());
}

} // namespace mainwindow::test
