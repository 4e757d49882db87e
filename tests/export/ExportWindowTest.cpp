#include "mainwindow/MainWindowFixture.h"
#include "panels/CToolMenuDlg.h"
#include "support/Process.h"

#include <QJsonDocument>
#include <QJsonObject>

using namespace std::chrono_literals;

namespace mainwindow::test {

class ExportWindowTest : public MainWindowTest
{
protected:
    void Key(Qt::Key key)
    {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(m_window->FileList(), &press);
    }
    // The tool menu's export button, as a click on it reaches the main window.
    void ClickExport()
    {
        CToolMenuDlg *menu = m_window->ToolMenu();
        ASSERT_NE(menu, nullptr);
        const int id = menu->GetControlId(skin::kSkinImgButton, QStringLiteral("tool_menu_export"));
        ASSERT_NE(id, 0);
        skin::SendWindowMessage(menu, skin::kMsgCommand, skin::CommandWParam(id, 0));
        QCoreApplication::sendPostedEvents(); // the menu posts its report to the main window
    }
    // The longest whole recording with a rear camera and a GPS track.
    int RowWithRear()
    {
        const media::recorder::SampleRecordingPlan *longest = nullptr;
        for (const auto &plan : m_card.plans)
            if (plan.hasRear && plan.gpsFix && !plan.cutByPowerLoss
                && (!longest || plan.durationMs > longest->durationMs))
                longest = &plan;
        return longest ? RowOf(*longest) : -1;
    }
};

// Marks set with a key and a button bound the exported span; the clip, its track and sums arrive
// and the user is told where; a cancelled export leaves nothing behind.
TEST_F(ExportWindowTest, MarksBoundTheSpanAndCancelLeavesNothing)
{
    m_settings.xmlTool = QStringLiteral("tool_menu");
    Open({ m_card.root });
    QTemporaryDir out;
    QString chosen = out.filePath(QStringLiteral("evidence"));
    m_window->Dialogs().chooseCaptureFile = [&](QWidget *, const QString &filter) {
        EXPECT_TRUE(filter.contains(QStringLiteral("*.mp4")));
        return chosen;
    };

    // Nothing open: nothing to export, and no dialog asked.
    ClickExport();
    ASSERT_EQ(m_shown.size(), 1u);
    EXPECT_TRUE(m_shown[0].text.contains(QStringLiteral("내보낼 영상이 없습니다")));

    ClickRow(RowWithRear());
    ASSERT_TRUE(testsupport::WaitUntil([&] { return Playing() && PlayedPictures(0) > 0; }));
    Click("pause");
    skin::SendWindowMessage(m_window.get(), kMsgSeekTo, 0, 500);
    Key(Qt::Key_I);
    skin::SendWindowMessage(m_window.get(), kMsgSeekTo, 0, 1500);
    Click("mark_out");
    EXPECT_EQ(m_window->MarkInMs(), 500);
    EXPECT_EQ(m_window->MarkOutMs(), 1500);
    auto *marks = m_window->findChild<QWidget *>(QStringLiteral("export_span_marks"));
    ASSERT_NE(marks, nullptr);
    EXPECT_TRUE(marks->isVisible());
    EXPECT_EQ(marks->geometry(),
        m_window->Control<skin::CBitmapSlider>(skin::kSkinSlider, QStringLiteral("play_slider"))->geometry());
    // An in mark after the out mark starts a new span from it.
    skin::SendWindowMessage(m_window.get(), kMsgSeekTo, 0, 2500);
    Key(Qt::Key_I);
    EXPECT_EQ(m_window->MarkInMs(), 2500);
    EXPECT_EQ(m_window->MarkOutMs(), -1);
    skin::SendWindowMessage(m_window.get(), kMsgSeekTo, 0, 500);
    Key(Qt::Key_I);
    skin::SendWindowMessage(m_window.get(), kMsgSeekTo, 0, 1500);
    Key(Qt::Key_O);

    ClickExport();
    EXPECT_TRUE(m_window->IsExporting());
    ASSERT_NE(m_window->ExportProgress(), nullptr);
    EXPECT_TRUE(m_window->ExportProgress()->isVisible());
    ASSERT_TRUE(testsupport::WaitUntil([&] { return !m_window->IsExporting(); }, 60s));
    ASSERT_EQ(m_shown.size(), 2u);
    EXPECT_TRUE(m_shown[1].text.contains(QDir::toNativeSeparators(chosen + QStringLiteral(".mp4"))))
        << m_shown[1].text.toStdString();
    const auto probe = testsupport::RunProgram(QStringLiteral("ffprobe"),
        { "-v", "error", "-print_format", "json", "-show_format", chosen + QStringLiteral(".mp4") });
    ASSERT_TRUE(probe.ok()) << probe.err.toStdString();
    const double seconds
        = QJsonDocument::fromJson(probe.out)["format"].toObject()["duration"].toString().toDouble();
    EXPECT_NEAR(seconds, 1.0, 0.1);
    EXPECT_TRUE(QFileInfo::exists(out.filePath(QStringLiteral("evidence.gpx"))));
    EXPECT_TRUE(QFileInfo::exists(out.filePath(QStringLiteral("SHA256SUMS"))));

    // A new recording clears the marks; its whole length is exported, and cancelled at once.
    ClickRow(RowWithRear());
    ASSERT_TRUE(testsupport::WaitUntil([&] { return Playing(); }));
    EXPECT_EQ(m_window->MarkInMs(), -1);
    EXPECT_FALSE(marks->isVisible());
    const QStringList before = QDir(out.path()).entryList(QDir::Files);
    chosen = out.filePath(QStringLiteral("cancelled.mp4"));
    ClickExport();
    QProgressDialog *progress = m_window->ExportProgress();
    ASSERT_NE(progress, nullptr);
    QPushButton *cancel = progress->findChild<QPushButton *>();
    ASSERT_NE(cancel, nullptr);
    cancel->click();
    ASSERT_TRUE(testsupport::WaitUntil([&] { return !m_window->IsExporting(); }, 30s));
    EXPECT_EQ(m_shown.size(), 2u);
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files), before);

    // Stopping closes the recording and takes its marks away.
    Key(Qt::Key_I);
    EXPECT_TRUE(marks->isVisible());
    Click("stop");
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(m_window->MarkInMs(), -1);
    EXPECT_FALSE(marks->isVisible());
}

} // namespace mainwindow::test
