#include "app/features/CardPanelsController.h"
#include "app/features/ExportController.h"
#include "app/features/ImpactsController.h"
#include "app/features/MapController.h"
#include "app/features/RecordingListController.h"
#include "app/features/ToolPanelsController.h"
#include "mainwindow/MainWindowFixture.h"
#include "panels/CToolMenuDlg.h"
#include "support/Files.h"
#include "support/Process.h"

#include <QJsonArray>
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
        CToolMenuDlg *menu = m_window->ToolPanelsFeature().ToolMenu();
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
    m_window->Dialogs().askExportChoices = [](QWidget *, const ExportChoices &initial) { return initial; };
    m_window->Dialogs().confirmOverwrite = [](QWidget *, const QStringList &) {
        ADD_FAILURE() << "asked about replacing files that do not exist";
        return false;
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
    EXPECT_EQ(m_window->ExportFeature().MarkInMs(), 500);
    EXPECT_EQ(m_window->ExportFeature().MarkOutMs(), 1500);
    auto *marks = m_window->findChild<QWidget *>(QStringLiteral("export_span_marks"));
    ASSERT_NE(marks, nullptr);
    EXPECT_TRUE(marks->isVisible());
    EXPECT_EQ(marks->geometry(),
        m_window->Control<skin::CBitmapSlider>(skin::kSkinSlider, QStringLiteral("play_slider"))->geometry());
    // An in mark after the out mark starts a new span from it.
    skin::SendWindowMessage(m_window.get(), kMsgSeekTo, 0, 2500);
    Key(Qt::Key_I);
    EXPECT_EQ(m_window->ExportFeature().MarkInMs(), 2500);
    EXPECT_EQ(m_window->ExportFeature().MarkOutMs(), -1);
    skin::SendWindowMessage(m_window.get(), kMsgSeekTo, 0, 500);
    Key(Qt::Key_I);
    skin::SendWindowMessage(m_window.get(), kMsgSeekTo, 0, 1500);
    Key(Qt::Key_O);

    ClickExport();
    EXPECT_TRUE(m_window->ExportFeature().IsExporting());
    // The progress window comes up as soon as the window's events run.
    ASSERT_TRUE(testsupport::WaitUntil([&] { return m_window->ExportFeature().Progress() != nullptr; }));
    EXPECT_TRUE(m_window->ExportFeature().Progress()->isVisible());
    ASSERT_TRUE(testsupport::WaitUntil([&] { return !m_window->ExportFeature().IsExporting(); }, 60s));
    ASSERT_EQ(m_shown.size(), 2u);
    EXPECT_TRUE(m_shown[1].text.contains(QDir::toNativeSeparators(chosen + QStringLiteral(".mp4"))))
        << m_shown[1].text.toStdString();
    const auto probe = testsupport::RunProgram(QStringLiteral("ffprobe"),
        { "-v", "error", "-print_format", "json", "-show_format", chosen + QStringLiteral(".mp4") });
    ASSERT_TRUE(probe.Ok()) << probe.err.toStdString();
    const double seconds
        = QJsonDocument::fromJson(probe.out)["format"].toObject()["duration"].toString().toDouble();
    EXPECT_NEAR(seconds, 1.0, 0.1);
    EXPECT_TRUE(QFileInfo::exists(out.filePath(QStringLiteral("evidence.gpx"))));
    EXPECT_TRUE(QFileInfo::exists(out.filePath(QStringLiteral("SHA256SUMS"))));

    // A new recording clears the marks; its whole length is exported, and cancelled at once.
    ClickRow(RowWithRear());
    ASSERT_TRUE(testsupport::WaitUntil([&] { return Playing(); }));
    EXPECT_EQ(m_window->ExportFeature().MarkInMs(), -1);
    EXPECT_FALSE(marks->isVisible());
    const QStringList before = QDir(out.path()).entryList(QDir::Files);
    chosen = out.filePath(QStringLiteral("cancelled.mp4"));
    ClickExport();
    ASSERT_TRUE(testsupport::WaitUntil([&] { return m_window->ExportFeature().Progress() != nullptr; }));
    QProgressDialog *progress = m_window->ExportFeature().Progress();
    ASSERT_NE(progress, nullptr);
    QPushButton *cancel = progress->findChild<QPushButton *>();
    ASSERT_NE(cancel, nullptr);
    cancel->click();
    ASSERT_TRUE(testsupport::WaitUntil([&] { return !m_window->ExportFeature().IsExporting(); }, 30s));
    EXPECT_EQ(m_shown.size(), 2u);
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files), before);

    // Stopping closes the recording and takes its marks away.
    Key(Qt::Key_I);
    EXPECT_TRUE(marks->isVisible());
    Click("stop");
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(m_window->ExportFeature().MarkInMs(), -1);
    EXPECT_FALSE(marks->isVisible());
}

// The window asks about the files it will really write, offers sound, layout and the sources,
// and refuses to write into the card before anything is written.
TEST_F(ExportWindowTest, AsksAboutTheRealFilesAndOffersTheChoices)
{
    m_settings.xmlTool = QStringLiteral("tool_menu");
    Open({ m_card.root });
    QTemporaryDir out;
    // "evidence" as typed, while evidence.mp4 and evidence.gpx exist from an earlier export.
    QString chosen = out.filePath(QStringLiteral("evidence"));
    ASSERT_TRUE(testsupport::WriteFile(out.filePath(QStringLiteral("evidence.mp4")), "earlier clip"));
    ASSERT_TRUE(testsupport::WriteFile(out.filePath(QStringLiteral("evidence.gpx")), "earlier track"));
    m_window->Dialogs().chooseCaptureFile = [&](QWidget *, const QString &) { return chosen; };
    ExportChoices offered;
    ExportChoices answer { false, true, true };
    int asked = 0;
    m_window->Dialogs().askExportChoices = [&](QWidget *, const ExportChoices &initial) {
        ++asked;
        offered = initial;
        return std::optional<ExportChoices>(answer);
    };
    QStringList askedAbout;
    bool replace = false;
    m_window->Dialogs().confirmOverwrite = [&](QWidget *, const QStringList &existing) {
        askedAbout = existing;
        return replace;
    };
    ClickRow(RowWithRear());
    ASSERT_TRUE(testsupport::WaitUntil([&] { return Playing() && PlayedPictures(0) > 0; }));
    Click("pause");
    skin::SendWindowMessage(m_window.get(), kMsgSeekTo, 0, 0);
    Key(Qt::Key_I);
    skin::SendWindowMessage(m_window.get(), kMsgSeekTo, 0, 1000);
    Key(Qt::Key_O);

    const size_t shownBefore = m_shown.size();
    ClickExport();
    EXPECT_EQ(askedAbout,
        QStringList({ QDir::toNativeSeparators(out.filePath(QStringLiteral("evidence.mp4"))),
            QDir::toNativeSeparators(out.filePath(QStringLiteral("evidence.gpx"))) }));
    EXPECT_FALSE(m_window->ExportFeature().IsExporting());
    EXPECT_EQ(
        testsupport::ReadFile(out.filePath(QStringLiteral("evidence.mp4"))), QByteArray("earlier clip"));

    // Agreed: the choices are honoured, and offered again next time.
    replace = true;
    ClickExport();
    ASSERT_TRUE(testsupport::WaitUntil([&] { return !m_window->ExportFeature().IsExporting(); }, 60s));
    ASSERT_EQ(m_shown.size(), shownBefore + 1);
    EXPECT_TRUE(m_shown.back().text.contains(QDir::toNativeSeparators(chosen + QStringLiteral(".mp4"))))
        << m_shown.back().text.toStdString();
    const auto probe = testsupport::RunProgram(QStringLiteral("ffprobe"),
        { "-v", "error", "-print_format", "json", "-show_streams", chosen + QStringLiteral(".mp4") });
    ASSERT_TRUE(probe.Ok()) << probe.err.toStdString();
    const QJsonArray streams = QJsonDocument::fromJson(probe.out)["streams"].toArray();
    ASSERT_EQ(streams.size(), 1) << "the sound was left in";
    EXPECT_GT(streams[0].toObject()["height"].toInt(), 2 * streams[0].toObject()["width"].toInt() * 9 / 16)
        << "the rear picture is not below the front";
    EXPECT_EQ(QDir(out.filePath(QStringLiteral("sources"))).entryList(QDir::Files).size(), 2);
    const auto check = testsupport::RunProgram(
        QStringLiteral("sh"), { "-c", QStringLiteral("cd '%1' && sha256sum -c SHA256SUMS").arg(out.path()) });
    EXPECT_TRUE(check.Ok()) << check.out.toStdString() << check.err.toStdString();
    EXPECT_TRUE(check.out.contains("sources/")) << check.out.toStdString();
    answer = {};
    askedAbout.clear();
    chosen = QDir(m_card.root).filePath(QStringLiteral("NORMAL/evidence.mp4"));
    ClickExport();
    EXPECT_EQ(asked, 3);
    EXPECT_FALSE(offered.audio);
    EXPECT_TRUE(offered.withSources && offered.stacked);

    // Into the card: refused with the reason, nothing asked, nothing written.
    ASSERT_EQ(m_shown.size(), shownBefore + 2);
    EXPECT_TRUE(m_shown.back().text.contains(QStringLiteral("card"))) << m_shown.back().text.toStdString();
    EXPECT_FALSE(m_window->ExportFeature().IsExporting());
    EXPECT_TRUE(askedAbout.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(chosen));
}

} // namespace mainwindow::test
