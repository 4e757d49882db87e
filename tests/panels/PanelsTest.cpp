#include "app/CTAVINDlg.h"
#include "app/MainWindowSettings.h"
#include "app/features/CardPanelsController.h"
#include "app/features/ExportController.h"
#include "app/features/ImpactsController.h"
#include "app/features/MainWindowTexts.h"
#include "app/features/MapController.h"
#include "app/features/RecordingListController.h"
#include "app/features/ToolPanelsController.h"
#include "media/widgets/CPLVVideoView.h"
#include "panels/CBBSettingDlg.h"
#include "panels/CImageControlDlg.h"
#include "panels/CPrintDlg.h"
#include "panels/CSaveDlg.h"
#include "panels/CStorageDlg.h"
#include "panels/CTitleMenuDlg.h"
#include "panels/CToolMenuDlg.h"
#include "panels/FramePrinter.h"
#include "panels/MainWindowMessages.h"
#include "panels/RecordingCopier.h"
#include "skin/CBitmapSlider.h"
#include "skin/CSkinListCtrl.h"
#include "skin/SkinRuntime.h"
#include "skin/WindowMessageEvent.h"
#include "support/DefaultSkin.h"
#include "support/Files.h"
#include "support/Process.h"
#include "support/QtPrinters.h"
#include "support/SampleCards.h"
#include "support/Wait.h"

#include <QApplication>
#include <QHeaderView>
#include <QImageReader>
#include <QPrinter>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <cstdio>

#include <gtest/gtest.h>

#include <csignal>
#include <map>
#include <sys/resource.h>

using namespace mainwindow;
using media::recorder::SampleRecordingPlan;

namespace {

// Every message the main window is posted or sent, in order.
class MessageLog : public QObject
{
public:
    std::vector<quint32> seen;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == skin::WindowMessageEvent::EventType())
            seen.push_back(static_cast<skin::WindowMessageEvent *>(event)->Message());
        return false;
    }
    bool Saw(quint32 message) const { return std::find(seen.begin(), seen.end(), message) != seen.end(); }
};

class PanelsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(testsupport::UseDefaultSkin(m_runtime, m_boxes));
        m_settings.xmlSmall = QStringLiteral("main_small");
        m_settings.xmlLarge = QStringLiteral("main_large");
        m_settings.xmlFull = QStringLiteral("main_full");
        m_settings.xmlTool = QStringLiteral("tool_menu");
        m_settings.xmlTitle = QStringLiteral("title_menu");
        m_settings.xmlSave = QStringLiteral("save");
        m_settings.xmlImgControl = QStringLiteral("img_control");
        m_settings.xmlPrint = QStringLiteral("print");
        // A copy of the sample card that tests may change.
        ASSERT_TRUE(m_work.isValid());
        m_cardRoot = m_work.filePath(QStringLiteral("card"));
        ASSERT_TRUE(testsupport::CopySampleCard(m_card, m_cardRoot));
    }

    void Open()
    {
        CTAVINDlg::Services services;
        services.audioOutputs = {};
        services.volumes = std::make_unique<platform::FolderVolumeSource>(QStringList { m_cardRoot });
        services.chooseCard = [](const QStringList &) { return std::optional<int>(0); };
        services.chooseFolder = [this] {
            ++m_folderChoices;
            return QString();
        };
        services.watchMounts = false;
        m_window = std::make_unique<CTAVINDlg>(m_runtime, m_settings, std::move(services));
        ASSERT_TRUE(m_window->Init());
        m_window->show();
        m_window->installEventFilter(&m_log);
        // A test that lets a file be replaced says so; the real question would wait for a click.
        m_window->Dialogs().confirmOverwrite = [](QWidget *, const QStringList &existing) {
            ADD_FAILURE() << "unexpected question about " << existing.join(QLatin1Char(' ')).toStdString();
            return false;
        };
        ASSERT_TRUE(testsupport::WaitUntil([&] { return m_window->FileList()->GetItemCount() > 0; }));
    }

    void Click(skin::CSkinDialog *dialog, const char *name, skin::SkinControlType type = skin::kSkinImgButton)
    {
        const int id = dialog->GetControlId(type, QString::fromLatin1(name));
        ASSERT_NE(id, 0) << name;
        skin::SendWindowMessage(dialog, skin::kMsgCommand, skin::CommandWParam(id, 0));
        QCoreApplication::processEvents(); // the panels post to the main window
        QCoreApplication::processEvents();
    }
    void Click(const char *name) { Click(m_window.get(), name); }
    // Plays the first recording that has both channels and a picture.
    const SampleRecordingPlan &PlayTwoChannelRecording()
    {
        const SampleRecordingPlan *plan = nullptr;
        for (const auto &p : m_card.plans)
            if (!plan && p.hasRear && !p.cutByPowerLoss)
                plan = &p;
        PlayRecording(*plan);
        return *plan;
    }
    // Plays a recording from the main window's list until each of its channels shows a picture.
    void PlayRecording(const SampleRecordingPlan &plan)
    {
        skin::CSkinListCtrl *list = m_window->FileList();
        for (int row = 0; row < list->GetItemCount(); ++row) {
            if (list->GetItemText(row, library::kColumnFileName) == plan.FileName('F').toUpper()) {
                skin::SkinNotifyInfo info;
                info.idFrom = m_window->GetControlId(skin::kSkinListCtrl, QStringLiteral("file_list"));
                info.code = skin::kCodeListClick;
                info.item = row;
                skin::SendNotify(m_window.get(), info);
            }
        }
        EXPECT_TRUE(testsupport::WaitUntil([&] {
            return m_window->Playback().IsRunning() && m_window->VideoView(0)->PicturesTaken() > 0
                && (!plan.hasRear || m_window->VideoView(1)->PicturesTaken() > 0);
        }));
    }
    QString CardPath(const SampleRecordingPlan &plan, char channel) const
    {
        return m_cardRoot + QLatin1Char('/') + plan.RelativePath(channel);
    }
    // The rows of the save panel's list that show a recording of this name, by the recording's path.
    std::map<QString, int> SaveRowsByPath(const QString &fileName)
    {
        std::map<QString, int> rows;
        skin::CSkinListCtrl *list = m_window->ToolPanelsFeature().SavePanel()->List();
        const std::vector<library::Recording> &recordings = m_window->Library().Recordings();
        for (int row = 0; row < list->GetItemCount(); ++row) {
            const qint64 index = list->GetItemData(row);
            if (list->GetItemText(row, library::kColumnFileName) == fileName.toUpper() && index >= 0
                && index < qint64(recordings.size()))
                rows[recordings[size_t(index)].path] = row;
        }
        return rows;
    }
    // Row of the save panel's list that shows a recording.
    int SaveRow(const QString &fileName)
    {
        skin::CSkinListCtrl *list = m_window->ToolPanelsFeature().SavePanel()->List();
        for (int row = 0; row < list->GetItemCount(); ++row)
            if (list->GetItemText(row, library::kColumnFileName) == fileName.toUpper())
                return row;
        return -1;
    }
    // A click as the user makes it: on the row's check mark, or on its file name.
    void ClickSaveRow(int row, bool onMark)
    {
        skin::CSkinListCtrl *list = m_window->ToolPanelsFeature().SavePanel()->List();
        QRect rect = list->visualItemRect(list->topLevelItem(row));
        list->scrollToItem(list->topLevelItem(row));
        rect = list->visualItemRect(list->topLevelItem(row));
        const int column = onMark ? library::kColumnNumber : library::kColumnFileName;
        const QPoint at(
            list->header()->sectionViewportPosition(column) + (onMark ? 8 : 40), rect.center().y());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    }
    void SaveInto(const QString &folder)
    {
        m_window->Dialogs().chooseSaveFolder = [folder](QWidget *, const QString &) { return folder; };
        Click(m_window->ToolPanelsFeature().SavePanel(), "filesave_browse");
        Click(m_window->ToolPanelsFeature().SavePanel(), "filesave_OK");
        ASSERT_TRUE(testsupport::WaitUntil([&] { return !m_window->ToolPanelsFeature().IsSaving(); }));
    }
    // What the message boxes said, in order.
    QStringList Shown() const { return testsupport::Texts(m_boxes); }
    static QStringList FilesIn(const QString &folder)
    {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    skin::SkinRuntime m_runtime;
    MainWindowSettings m_settings;
    std::vector<testsupport::ShownBox> m_boxes;
    int m_folderChoices = 0;
    MessageLog m_log;
    QTemporaryDir m_work;
    QString m_cardRoot;
    std::unique_ptr<CTAVINDlg> m_window;
    const testsupport::SampleCard &m_card = testsupport::SharedSampleCard();
};

TEST_F(PanelsTest, SaveCopiesTheCheckedRecordingsFrontAndRearAsAvi)
{
    // One recording as the recorder's other container type.
    const SampleRecordingPlan *pvr = nullptr;
    const SampleRecordingPlan *frontOnly = nullptr;
    for (const auto &plan : m_card.plans) {
        if (!pvr && plan.hasRear && !plan.cutByPowerLoss)
            pvr = &plan;
        if (!frontOnly && !plan.hasRear)
            frontOnly = &plan;
    }
    ASSERT_TRUE(pvr && frontOnly);
    const auto pvrName = [&](char channel) {
        QString name = CardPath(*pvr, channel);
        return name.left(name.lastIndexOf(QLatin1Char('.'))) + QStringLiteral(".PVR");
    };
    ASSERT_TRUE(QFile::rename(CardPath(*pvr, 'F'), pvrName('F')));
    ASSERT_TRUE(QFile::rename(CardPath(*pvr, 'R'), pvrName('R')));
    Open();
    Click("title_tool");
    Click(m_window->ToolPanelsFeature().ToolMenu(), "tool_menu_save");
    CSaveDlg *panel = m_window->ToolPanelsFeature().SavePanel();
    ASSERT_TRUE(panel->isVisible());
    skin::CSkinListCtrl *list = panel->List();
    EXPECT_EQ(list->GetItemCount(), int(m_card.plans.size())); // front recordings only
    EXPECT_EQ(panel->SaveFolder(), CSaveDlg::DefaultSaveFolder());

    // Marks and selection agree whatever the user does.
    const auto agree = [list] {
        for (int row = 0; row < list->GetItemCount(); ++row)
            if (list->GetCheck(row) != list->topLevelItem(row)->isSelected())
                return false;
        return true;
    };
    const auto checked = [list] {
        int n = 0;
        for (int row = 0; row < list->GetItemCount(); ++row)
            n += list->GetCheck(row);
        return n;
    };
    Click(panel, "filesave_select_all");
    EXPECT_EQ(checked(), list->GetItemCount());
    EXPECT_TRUE(agree());
    Click(panel, "filesave_deselect_all");
    EXPECT_EQ(checked(), 0);
    ClickSaveRow(0, false);
    ClickSaveRow(1, false); // a click on a name selects that row alone
    EXPECT_EQ(checked(), 1);
    EXPECT_TRUE(list->GetCheck(1));
    ClickSaveRow(1, true); // a click on a mark toggles that row only
    ClickSaveRow(SaveRow(pvrName('F').section(QLatin1Char('/'), -1)), true);
    ClickSaveRow(SaveRow(frontOnly->FileName('F')), true);
    EXPECT_EQ(checked(), 2);
    EXPECT_TRUE(agree());

    const QString target = m_work.filePath(QStringLiteral("saved"));
    QDir().mkpath(target);
    SaveInto(target);
    EXPECT_FALSE(panel->isVisible());
    const auto avi = [](const SampleRecordingPlan &plan, char channel) {
        const QString name = plan.FileName(channel);
        return name.left(name.lastIndexOf(QLatin1Char('.'))) + QStringLiteral(".avi");
    };
    QStringList expected { avi(*pvr, 'F'), avi(*pvr, 'R'), avi(*frontOnly, 'F') };
    expected.sort();
    EXPECT_EQ(FilesIn(target), expected);
    EXPECT_EQ(testsupport::ReadFile(target + QLatin1Char('/') + avi(*pvr, 'R')),
        testsupport::ReadFile(pvrName('R')));
    EXPECT_TRUE(Shown().isEmpty()) << Shown().join(QLatin1Char('\n')).toStdString();

    // Saving again replaces the earlier copy.
    ASSERT_TRUE(testsupport::WriteFile(target + QLatin1Char('/') + avi(*pvr, 'F'), "spoilt"));
    Click("title_logo");
    Click(m_window->ToolPanelsFeature().TitleMenu(), "menu_file_save");
    ASSERT_TRUE(panel->isVisible());
    ClickSaveRow(SaveRow(pvrName('F').section(QLatin1Char('/'), -1)), true);
    SaveInto(target);
    EXPECT_EQ(FilesIn(target), expected);
    EXPECT_EQ(testsupport::ReadFile(target + QLatin1Char('/') + avi(*pvr, 'F')),
        testsupport::ReadFile(pvrName('F')));
    EXPECT_TRUE(Shown().isEmpty());
}

TEST_F(PanelsTest, FailedCopiesAreReportedAndLeaveNoPartialFile)
{
    Open();
    SendWindowMessage(m_window.get(), kMsgShowSave);
    CSaveDlg *panel = m_window->ToolPanelsFeature().SavePanel();
    skin::CSkinListCtrl *list = panel->List();
    Click(panel, "filesave_select_all");
    const QString first = list->GetItemText(0, library::kColumnFileName);

    // A folder where nothing can be created.
    SaveInto(QStringLiteral("/proc"));
    ASSERT_EQ(Shown().size(), 1);
    EXPECT_TRUE(Shown()[0].contains(first.left(first.lastIndexOf(QLatin1Char('.'))) + QStringLiteral(".avi")))
        << Shown()[0].toStdString();
    EXPECT_EQ(Shown()[0].count(QLatin1Char('\n')),
        2 * list->GetItemCount() - 1); // every file; one recording has no rear file

    // A destination that fills up: writing past the limit fails as on a full disk. The earlier
    // copy of the same name is kept and no partial file is left beside it.
    const QString target = m_work.filePath(QStringLiteral("full"));
    QDir().mkpath(target);
    const QString earlier = target + QLatin1Char('/') + first.left(first.lastIndexOf(QLatin1Char('.')))
        + QStringLiteral(".avi");
    ASSERT_TRUE(testsupport::WriteFile(earlier, "earlier copy"));
    rlimit before {};
    getrlimit(RLIMIT_FSIZE, &before);
    rlimit limited = before;
    limited.rlim_cur = 16 * 1024;
    auto *previous = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    Click(panel, "filesave_select_all");
    m_boxes.clear();
    SaveInto(target);
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, previous);
    ASSERT_EQ(Shown().size(), 1);
    EXPECT_TRUE(Shown()[0].contains(QStringLiteral("too large"), Qt::CaseInsensitive))
        << Shown()[0].toStdString();
    EXPECT_EQ(FilesIn(target), QStringList { QFileInfo(earlier).fileName() });
    EXPECT_EQ(testsupport::ReadFile(earlier), "earlier copy");
}

TEST_F(PanelsTest, CancelledCopyRemovesWhatItCreated)
{
    const QString source = m_work.filePath(QStringLiteral("big_FN.AVI"));
    QFile big(source);
    ASSERT_TRUE(big.open(QIODevice::WriteOnly) && big.resize(qint64(4) << 30)); // sparse, reads as zeros
    big.close();
    const QString small = CardPath(m_card.plans[0], 'F');
    const QString target = m_work.filePath(QStringLiteral("cancelled"));
    QDir().mkpath(target);
    panels::RecordingCopier copier(panels::RecordingCopier::JobsForSave({ small, source }, target));
    std::unique_ptr<QThread> worker(QThread::create([&] { copier.Run(); }));
    worker->start();
    ASSERT_TRUE(testsupport::WaitUntil(
        [&] { return copier.CurrentJob() == 1 && copier.CopiedBytes() > QFileInfo(small).size(); }));
    // The first copy is there; the second grows under its ".part" name until it is complete.
    EXPECT_EQ(FilesIn(target),
        QStringList({ QFileInfo(small).completeBaseName() + QStringLiteral(".avi"),
            QStringLiteral("big_FN.avi.part") }));
    copier.Cancel();
    ASSERT_TRUE(worker->wait(10000));
    EXPECT_TRUE(copier.Cancelled());
    EXPECT_TRUE(copier.Failures().empty());
    EXPECT_EQ(FilesIn(target), QStringList());
}

// Two recordings of one name in different folders are two rows; each row saves its own files,
// and when both are saved the later pair gets a numbered name instead of replacing the first.
TEST_F(PanelsTest, SaveCopiesExactlyTheCheckedRecordingsAndKeepsSameNamedOnesApart)
{
    std::vector<const SampleRecordingPlan *> twoChannel;
    for (const auto &plan : m_card.plans)
        if (plan.hasRear && !plan.cutByPowerLoss)
            twoChannel.push_back(&plan);
    ASSERT_GE(twoChannel.size(), 2u);
    const SampleRecordingPlan *named = twoChannel[0];
    const SampleRecordingPlan *other = twoChannel[1];
    // Another recording's pictures under the first one's names, in a folder of its own.
    const QString copyFolder = m_cardRoot + QStringLiteral("/COPY/");
    QDir().mkpath(copyFolder);
    ASSERT_TRUE(QFile::copy(CardPath(*other, 'F'), copyFolder + named->FileName('F')));
    ASSERT_TRUE(QFile::copy(CardPath(*other, 'R'), copyFolder + named->FileName('R')));
    ASSERT_NE(testsupport::ReadFile(CardPath(*other, 'F')), testsupport::ReadFile(CardPath(*named, 'F')));
    Open();
    SendWindowMessage(m_window.get(), kMsgShowSave);
    CSaveDlg *panel = m_window->ToolPanelsFeature().SavePanel();
    ASSERT_TRUE(panel->isVisible());
    const std::map<QString, int> rows = SaveRowsByPath(named->FileName('F'));
    ASSERT_EQ(rows.size(), 2u);
    ASSERT_EQ(rows.count(CardPath(*named, 'F')), 1u);
    ASSERT_EQ(rows.count(copyFolder + named->FileName('F')), 1u);

    const auto avi = [](const QString &fileName, const QString &suffix = QString()) {
        return fileName.left(fileName.lastIndexOf(QLatin1Char('.'))) + suffix + QStringLiteral(".avi");
    };
    const auto rearOf = [](QString front) {
        front[front.lastIndexOf(QLatin1Char('.')) - 2] = QLatin1Char('R');
        return front;
    };
    // Each row alone: its own front and rear, nothing of the other.
    int n = 0;
    for (const auto &[path, row] : rows) {
        SCOPED_TRACE(path.toStdString());
        Click(panel, "filesave_deselect_all");
        ClickSaveRow(row, true);
        const QString target = m_work.filePath(QStringLiteral("alone%1").arg(++n));
        QDir().mkpath(target);
        SaveInto(target);
        QStringList expected { avi(named->FileName('F')), avi(named->FileName('R')) };
        expected.sort();
        EXPECT_EQ(FilesIn(target), expected);
        EXPECT_EQ(testsupport::ReadFile(target + QLatin1Char('/') + avi(named->FileName('F'))),
            testsupport::ReadFile(path));
        EXPECT_EQ(testsupport::ReadFile(target + QLatin1Char('/') + avi(named->FileName('R'))),
            testsupport::ReadFile(rearOf(path)));
        EXPECT_TRUE(Shown().isEmpty()) << Shown().join(QLatin1Char('\n')).toStdString();
        SendWindowMessage(m_window.get(), kMsgShowSave);
    }

    // Both: the row higher in the list keeps the name, the other pair is numbered, and the user
    // is told which files got which name.
    Click(panel, "filesave_deselect_all");
    for (const auto &[path, row] : rows)
        ClickSaveRow(row, true);
    const QString first
        = rows.begin()->second < rows.rbegin()->second ? rows.begin()->first : rows.rbegin()->first;
    const QString second = first == rows.begin()->first ? rows.rbegin()->first : rows.begin()->first;
    const QString both = m_work.filePath(QStringLiteral("both"));
    QDir().mkpath(both);
    SaveInto(both);
    const QString numbered = QStringLiteral(" (2)");
    QStringList expected { avi(named->FileName('F')), avi(named->FileName('R')),
        avi(named->FileName('F'), numbered), avi(named->FileName('R'), numbered) };
    expected.sort();
    EXPECT_EQ(FilesIn(both), expected);
    const auto saved = [&](char channel, const QString &suffix) {
        return testsupport::ReadFile(both + QLatin1Char('/') + avi(named->FileName(channel), suffix));
    };
    EXPECT_EQ(saved('F', QString()), testsupport::ReadFile(first));
    EXPECT_EQ(saved('R', QString()), testsupport::ReadFile(rearOf(first)));
    EXPECT_EQ(saved('F', numbered), testsupport::ReadFile(second));
    EXPECT_EQ(saved('R', numbered), testsupport::ReadFile(rearOf(second)));
    ASSERT_EQ(Shown().size(), 1);
    EXPECT_TRUE(Shown()[0].startsWith(mainwindow::kRenamedCopiesText)) << Shown()[0].toStdString();
    EXPECT_TRUE(Shown()[0].contains(avi(named->FileName('F'), numbered))) << Shown()[0].toStdString();
    EXPECT_TRUE(Shown()[0].contains(avi(named->FileName('R'), numbered))) << Shown()[0].toStdString();
    EXPECT_EQ(Shown()[0].count(QLatin1Char('\n')), 2) << Shown()[0].toStdString();

    // Names that differ in case or extension only still meet in a folder that ignores case.
    const std::vector<panels::CopyJob> jobs = panels::RecordingCopier::JobsForSave(
        { QStringLiteral("/a/X_FN.AVI"), QStringLiteral("/b/x_fn.avi"), QStringLiteral("/c/X_FN.PVR"),
            QStringLiteral("/c/X_RN.PVR") },
        QStringLiteral("/out"));
    ASSERT_EQ(jobs.size(), 4u);
    EXPECT_EQ(jobs[0].destination, QStringLiteral("/out/X_FN.avi"));
    EXPECT_FALSE(jobs[0].renamed);
    EXPECT_EQ(jobs[1].destination, QStringLiteral("/out/x_fn (2).avi"));
    EXPECT_TRUE(jobs[1].renamed);
    EXPECT_EQ(jobs[2].destination, QStringLiteral("/out/X_FN (3).avi"));
    EXPECT_TRUE(jobs[2].renamed);
    EXPECT_EQ(jobs[3].destination, QStringLiteral("/out/X_RN.avi"));
    EXPECT_FALSE(jobs[3].renamed);
}

TEST_F(PanelsTest, CaptureSavesTheDecodedFrameWithItsHeaderLines)
{
    Open();
    SendWindowMessage(m_window.get(), kMsgCapture); // nothing loaded yet
    ASSERT_EQ(Shown().size(), 1);
    m_boxes.clear();
    PlayTwoChannelRecording();
    Click("pause");
    ASSERT_TRUE(m_window->Playback().IsPaused());

    const QStringList lines { QStringLiteral("1. 차량번호 : 12가3456"),
        QStringLiteral("2. 차량종류 : 승용차"), QStringLiteral("3. 사고 발생날짜 : 2024-03-07") };
    m_window->Dialogs().askHeaderLines = [&](QWidget *) { return std::optional<QStringList>(lines); };
    QString chosen = m_work.filePath(QStringLiteral("crash.jpg"));
    m_window->Dialogs().chooseCaptureFile = [&](QWidget *, const QString &) { return chosen; };
    Click("title_tool");
    Click(m_window->ToolPanelsFeature().ToolMenu(), "tool_menu_capture");
    CPrintDlg *panel = m_window->ToolPanelsFeature().PrintPanel();
    ASSERT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->pos(), m_window->pos() + QPoint(400, 400));
    EXPECT_EQ(panel->HeaderText(QStringLiteral("model")), lines[1]);
    EXPECT_EQ(panel->Image().size(), QSize(1920, 1080)); // the decoded picture, not the window
    EXPECT_TRUE(testsupport::WaitUntil([&] { return m_window->Playback().IsRunning(); }));

    Click(panel, "print_ok");
    EXPECT_FALSE(panel->isVisible());
    const QString saved = m_work.filePath(QStringLiteral("crash_front.jpg"));
    QImageReader reader(saved);
    EXPECT_EQ(reader.format(), "jpeg");
    const QImage picture = reader.read();
    ASSERT_EQ(picture.size(), QSize(1920, 1080));
    // The lines stand on white bands at the top left; the scene below them is not white.
    const auto whiteShare = [&](const QRect &area) {
        int white = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                white += qGray(picture.pixel(x, y)) > 235;
        return double(white) / (area.width() * area.height());
    };
    EXPECT_GT(whiteShare(QRect(0, 22, 60, 56)), 0.5);
    EXPECT_LT(whiteShare(QRect(0, 22, 60, 56)), 0.97); // the letters are in it
    EXPECT_LT(whiteShare(QRect(0, 300, 60, 56)), 0.5);

    // The rear channel in the main area, and a name without extension.
    Click("change_view");
    chosen = m_work.filePath(QStringLiteral("report"));
    SendWindowMessage(m_window.get(), kMsgCapture);
    ASSERT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->Image().size(), QSize(1280, 720));
    Click(panel, "print_ok");
    EXPECT_EQ(QImageReader(m_work.filePath(QStringLiteral("report_rear.jpg"))).size(), QSize(1280, 720));
    EXPECT_TRUE(Shown().isEmpty());
}

// The saved picture is named after the channel it was taken from, and the question about
// replacing a file is about the file really written, not the name typed into the chooser.
TEST_F(PanelsTest, CaptureIsNamedAfterItsChannelAndAsksAboutTheFileItWrites)
{
    Open();
    PlayTwoChannelRecording();
    m_window->Dialogs().askHeaderLines
        = [](QWidget *) { return std::optional<QStringList>(QStringList { QStringLiteral("1.") }); };
    const QString chosen = m_work.filePath(QStringLiteral("crash.jpg"));
    m_window->Dialogs().chooseCaptureFile = [&](QWidget *, const QString &) { return chosen; };
    std::vector<QStringList> asked;
    bool replace = false;
    m_window->Dialogs().confirmOverwrite = [&](QWidget *, const QStringList &existing) {
        asked.push_back(existing);
        return replace;
    };
    ASSERT_TRUE(testsupport::WriteFile(chosen, "typed name"));
    CPrintDlg *panel = m_window->ToolPanelsFeature().PrintPanel();

    // Taken from the front, saved after the rear came to the main area.
    ASSERT_EQ(m_window->MainChannel(), DualPlayback::kFront);
    SendWindowMessage(m_window.get(), kMsgCapture);
    ASSERT_TRUE(panel->isVisible());
    Click("change_view");
    ASSERT_EQ(m_window->MainChannel(), DualPlayback::kRear);
    Click(panel, "print_ok");
    const QString front = m_work.filePath(QStringLiteral("crash_front.jpg"));
    const QString rear = m_work.filePath(QStringLiteral("crash_rear.jpg"));
    EXPECT_EQ(QImageReader(front).size(), QSize(1920, 1080));
    EXPECT_FALSE(QFileInfo::exists(rear));
    EXPECT_EQ(testsupport::ReadFile(chosen), "typed name");
    EXPECT_TRUE(asked.empty()); // the typed name's file is not written, so not asked about

    // A rear picture whose file exists: declined, the file stays; accepted, it is replaced.
    ASSERT_TRUE(testsupport::WriteFile(rear, "earlier"));
    SendWindowMessage(m_window.get(), kMsgCapture);
    ASSERT_TRUE(panel->isVisible());
    Click(panel, "print_ok");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], QStringList { QDir::toNativeSeparators(rear) });
    EXPECT_EQ(testsupport::ReadFile(rear), "earlier");
    EXPECT_TRUE(panel->Image().isNull());
    replace = true;
    SendWindowMessage(m_window.get(), kMsgCapture);
    ASSERT_TRUE(panel->isVisible());
    Click(panel, "print_ok");
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(QImageReader(rear).size(), QSize(1280, 720));
    EXPECT_TRUE(Shown().isEmpty()) << Shown().join(QLatin1Char('\n')).toStdString();
}

// With the rear channel in the main area of a recording that has no rear file, capture and print
// say there is no picture instead of doing nothing or printing an empty page.
TEST_F(PanelsTest, CaptureAndPrintOfAMissingRearPictureAreRefused)
{
    const SampleRecordingPlan *frontOnly = nullptr;
    for (const auto &plan : m_card.plans)
        if (!frontOnly && !plan.hasRear && !plan.cutByPowerLoss)
            frontOnly = &plan;
    ASSERT_TRUE(frontOnly);
    // In a folder of its own: beside other recordings, one made just before it would be taken
    // for its rear file.
    const QString alone = m_cardRoot + QStringLiteral("/ALONE/");
    QDir().mkpath(alone);
    ASSERT_TRUE(QFile::rename(CardPath(*frontOnly, 'F'), alone + frontOnly->FileName('F')));
    Open();
    PlayRecording(*frontOnly);
    ASSERT_FALSE(m_window->Playback().RearPresent());
    Click("change_view");
    ASSERT_EQ(m_window->MainChannel(), DualPlayback::kRear);
    int headerQuestions = 0;
    m_window->Dialogs().askHeaderLines = [&](QWidget *) {
        ++headerQuestions;
        return std::optional<QStringList>(QStringList { QStringLiteral("1.") });
    };
    const QString pdf = m_work.filePath(QStringLiteral("rear.pdf"));
    int printers = 0;
    m_window->Dialogs().choosePrinter = [&](QWidget *, QPrinter &printer) {
        ++printers;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    };

    SendWindowMessage(m_window.get(), kMsgCapture);
    EXPECT_EQ(Shown(), QStringList { mainwindow::kNoRearPictureText });
    EXPECT_FALSE(m_window->ToolPanelsFeature().PrintPanel()->isVisible());
    EXPECT_EQ(headerQuestions, 0);
    EXPECT_TRUE(m_window->Playback().IsRunning());
    m_boxes.clear();
    SendWindowMessage(m_window.get(), kMsgPrint);
    EXPECT_EQ(Shown(), QStringList { mainwindow::kNoRearPictureText });
    EXPECT_EQ(printers, 0);
    EXPECT_FALSE(QFileInfo::exists(pdf));
    EXPECT_TRUE(m_window->Playback().IsRunning());

    // The front channel of the same recording is captured and printed as before.
    m_boxes.clear();
    Click("change_view");
    ASSERT_EQ(m_window->MainChannel(), DualPlayback::kFront);
    SendWindowMessage(m_window.get(), kMsgCapture);
    EXPECT_TRUE(m_window->ToolPanelsFeature().PrintPanel()->isVisible());
    EXPECT_EQ(headerQuestions, 1);
    Click(m_window->ToolPanelsFeature().PrintPanel(), "print_cancel");
    ASSERT_TRUE(testsupport::WaitUntil([&] { return m_window->Playback().IsRunning(); }));
    SendWindowMessage(m_window.get(), kMsgPrint);
    EXPECT_EQ(printers, 1);
    EXPECT_TRUE(QFileInfo::exists(pdf));
    EXPECT_TRUE(Shown().isEmpty()) << Shown().join(QLatin1Char('\n')).toStdString();
}

TEST_F(PanelsTest, PrintingToPdfGivesOnePagePerVideoStreamWithTheHeading)
{
    Open();
    const SampleRecordingPlan &plan = PlayTwoChannelRecording();
    const QString pdf = m_work.filePath(QStringLiteral("print.pdf"));
    bool landscape = false;
    m_window->Dialogs().choosePrinter = [&](QWidget *, QPrinter &printer) {
        landscape = printer.pageLayout().orientation() == QPageLayout::Landscape;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    };
    Click("title_tool");
    Click(m_window->ToolPanelsFeature().ToolMenu(), "tool_menu_print");
    EXPECT_TRUE(landscape);
    EXPECT_TRUE(testsupport::WaitUntil([&] { return m_window->Playback().IsRunning(); }));

    const testsupport::ProcessResult info = testsupport::RunProgram(QStringLiteral("pdfinfo"), { pdf });
    ASSERT_TRUE(info.Ok()) << info.err.toStdString();
    EXPECT_TRUE(info.out.contains("Pages:           1\n")) << info.out.toStdString();
    const QByteArray size = info.out.mid(info.out.indexOf("Page size:"));
    const QList<QByteArray> words = size.simplified().split(' ');
    ASSERT_GE(words.size(), 5);
    EXPECT_GT(words[2].toDouble(), words[4].toDouble()); // landscape
    const testsupport::ProcessResult text
        = testsupport::RunProgram(QStringLiteral("pdftotext"), { pdf, QStringLiteral("-") });
    EXPECT_TRUE(QString::fromUtf8(text.out).contains(
        QStringLiteral("Viewer Image-%1 [front]").arg(plan.FileName('F').toUpper())))
        << text.out.toStdString();
    // The first page as a picture (kept beside the test program for a look): the whole frame
    // stands on the page with a white margin at its right and bottom.
    const QString page = QCoreApplication::applicationDirPath() + QStringLiteral("/panels-print-page");
    ASSERT_TRUE(testsupport::RunProgram(QStringLiteral("pdftoppm"),
        { QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("40"), QStringLiteral("-singlefile"),
            pdf, page })
                    .Ok());
    const QImage shot(page + QStringLiteral(".png"));
    ASSERT_FALSE(shot.isNull());
    const auto blank = [&](const QRect &area) {
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (qGray(shot.pixel(x, y)) < 250)
                    return false;
        return true;
    };
    EXPECT_TRUE(blank(QRect(shot.width() - 8, 0, 8, shot.height())));
    EXPECT_TRUE(blank(QRect(0, shot.height() - 8, shot.width(), 8)));
    EXPECT_FALSE(blank(QRect(shot.width() / 4, shot.height() / 2, 4, 4)));
    EXPECT_TRUE(Shown().isEmpty());

    // A printer that is not there is reported, and playback goes on.
    m_window->Dialogs().choosePrinter = [&](QWidget *, QPrinter &printer) {
        printer.setOutputFormat(QPrinter::NativeFormat);
        printer.setPrinterName(QStringLiteral("tavin-no-such-printer"));
        return true;
    };
    SendWindowMessage(m_window.get(), kMsgPrint);
    ASSERT_EQ(Shown().size(), 1);
    EXPECT_EQ(Shown()[0], FramePrinter::FailureText(FramePrinter::Result::NotStarted));
    EXPECT_TRUE(testsupport::WaitUntil([&] { return m_window->Playback().IsRunning(); }));
}

TEST_F(PanelsTest, ImageControlSpeedFollowsTheMainWindowAndBrightnessStartsInRange)
{
    m_settings.brightness = 80;
    Open();
    PlayTwoChannelRecording();
    Click("main_image_setting");
    CImageControlDlg *panel = m_window->ToolPanelsFeature().ImageControlPanel();
    ASSERT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->pos(), m_window->pos() + QPoint(497, 182));
    EXPECT_EQ(panel->Slider()->GetPos(), 100);
    EXPECT_EQ(panel->SpeedText(), QStringLiteral("1.00배"));

    const auto press = [&](const char *button, int times) {
        for (int i = 0; i < times; ++i)
            Click(panel, button);
    };
    press("image_control_fast", 5);
    EXPECT_EQ(panel->SpeedText(), QStringLiteral("2.00배"));
    EXPECT_FLOAT_EQ(m_window->Playback().Rate(), 2.0f);
    press("image_control_slow", 3);
    EXPECT_EQ(panel->SpeedText(), QStringLiteral("1.25배"));
    EXPECT_FLOAT_EQ(m_window->Playback().Rate(), 1.25f);
    press("image_control_slow", 4);
    EXPECT_EQ(panel->SpeedText(), QStringLiteral("0.50배"));
    EXPECT_FLOAT_EQ(m_window->Playback().Rate(), 0.5f);
    press("image_control_normal", 1);
    EXPECT_FLOAT_EQ(m_window->Playback().Rate(), 1.0f);

    // Page 2: brightness, set and reset.
    Click(panel, "image_control_category_02");
    EXPECT_TRUE(panel->Slider()->isVisible());
    EXPECT_FALSE(panel->GetControl(skin::kSkinImgButton, QStringLiteral("image_control_fast"))->isVisible());
    skin::PostWindowMessage(panel, skin::kMsgSliderMoved,
        quintptr(panel->GetControlId(skin::kSkinSlider, QStringLiteral("image_control_cat2_1_slider"))), 20);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(m_window->Playback().Brightness(), -30);
    Click(panel, "image_control_reset");
    EXPECT_EQ(panel->Slider()->GetPos(), 50);
    EXPECT_EQ(m_window->Playback().Brightness(), 0);

    Click(panel, "image_control_category_01");
    const int64_t before = m_window->Playback().PositionMs();
    Click(panel, "image_control_ff");
    EXPECT_TRUE(m_log.Saw(kMsgSkipForward));
    EXPECT_GE(m_window->Playback().PositionMs(),
        std::min<int64_t>(before + 1000, m_window->Playback().DurationMs() - 500));
    Click(panel, "image_control_close");
    EXPECT_FALSE(panel->isVisible());
}

// Each button of the tool and title menus does what it names in the main window: a printer is asked
// for, a picture is taken, a panel opens, the program's information is shown.
TEST_F(PanelsTest, EveryMenuButtonReachesItsMainWindowAction)
{
    m_settings.xmlStorage = QStringLiteral("storage");
    m_settings.xmlBBSetting = QStringLiteral("bbsetting");
    Open();
    m_window->move(40, 30);
    Click("title_logo");
    CTitleMenuDlg *title = m_window->ToolPanelsFeature().TitleMenu();
    ASSERT_TRUE(title->isVisible());
    EXPECT_EQ(title->pos(), m_window->pos() + QPoint(6, 49));
    Click("title_tool"); // the tool menu replaces the title menu
    CToolMenuDlg *tool = m_window->ToolPanelsFeature().ToolMenu();
    EXPECT_FALSE(title->isVisible());
    ASSERT_TRUE(tool->isVisible());
    EXPECT_EQ(tool->pos(), m_window->pos() + QPoint(132, 71));
    m_window->move(60, 45); // the shown tool menu goes along
    EXPECT_TRUE(testsupport::WaitUntil([&] { return tool->pos() == QPoint(60 + 132, 45 + 71); }));

    int printers = 0;
    m_window->Dialogs().choosePrinter = [&](QWidget *, QPrinter &) { return ++printers, false; };
    int headerQuestions = 0; // a capture asks for the heading of its picture
    m_window->Dialogs().askHeaderLines = [&](QWidget *) {
        ++headerQuestions;
        return std::optional<QStringList>();
    };
    PlayTwoChannelRecording();
    CImageControlDlg *imageControl = m_window->ToolPanelsFeature().ImageControlPanel();
    CSaveDlg *save = m_window->ToolPanelsFeature().SavePanel();
    CStorageDlg *storage = m_window->CardPanelsFeature().StoragePanel();
    CBBSettingDlg *settings = m_window->CardPanelsFeature().SettingsPanel();
    ASSERT_TRUE(imageControl && save && storage && settings);
    const auto shown = [](QWidget *panel) { return panel->isVisible(); };
    ASSERT_FALSE(shown(imageControl) || shown(save) || shown(storage) || shown(settings));

    // The tool menu stays open after each of its buttons.
    Click(tool, "tool_menu_print");
    EXPECT_EQ(printers, 1);
    EXPECT_EQ(headerQuestions, 0);
    EXPECT_TRUE(tool->isVisible());
    Click(tool, "tool_menu_capture");
    EXPECT_EQ(headerQuestions, 1);
    EXPECT_EQ(printers, 1);
    EXPECT_TRUE(tool->isVisible());
    Click(tool, "tool_menu_screen_setting");
    EXPECT_TRUE(shown(imageControl));
    EXPECT_FALSE(shown(save) || shown(storage) || shown(settings));
    EXPECT_TRUE(tool->isVisible());
    Click(tool, "tool_menu_drive");
    EXPECT_TRUE(shown(storage));
    EXPECT_FALSE(shown(save) || shown(settings));
    EXPECT_TRUE(tool->isVisible());
    Click(tool, "tool_menu_save");
    EXPECT_TRUE(shown(save));
    EXPECT_FALSE(shown(settings));
    EXPECT_TRUE(tool->isVisible());
    Click(tool, "tool_menu_bb_setting");
    EXPECT_TRUE(shown(settings));
    EXPECT_TRUE(tool->isVisible());
    EXPECT_EQ(printers, 1);
    EXPECT_EQ(headerQuestions, 1);
    EXPECT_TRUE(Shown().isEmpty()) << Shown().join(QLatin1Char('|')).toStdString();
    // The storage panel reads the card's figures on a worker.
    ASSERT_TRUE(testsupport::WaitUntil([&] { return !storage->IsWorking(); }));

    Click("l_view"); // another layout closes the panels and the menu
    EXPECT_FALSE(shown(save) || shown(storage) || shown(settings));
    EXPECT_FALSE(tool->isVisible());
    Click("s_view");
    Click("title_tool");
    Click(tool, "tool_menu_close");
    EXPECT_FALSE(tool->isVisible());

    // Each button of the title menu closes it.
    const auto choose = [&](const char *button) {
        Click("title_logo");
        ASSERT_TRUE(title->isVisible());
        Click(title, button);
        EXPECT_FALSE(title->isVisible()) << button;
    };
    choose("menu_file_open");
    EXPECT_EQ(m_folderChoices, 1);
    choose("menu_file_save");
    EXPECT_TRUE(shown(save));
    EXPECT_FALSE(shown(storage) || shown(settings));
    choose("menu_storage_setting");
    EXPECT_TRUE(shown(storage));
    EXPECT_FALSE(shown(settings));
    ASSERT_TRUE(testsupport::WaitUntil([&] { return !storage->IsWorking(); }));
    choose("menu_BB_setting");
    EXPECT_TRUE(shown(settings));
    EXPECT_TRUE(Shown().isEmpty()) << Shown().join(QLatin1Char('|')).toStdString();
    choose("menu_info");
    EXPECT_TRUE(Shown().filter(QStringLiteral("Model\t")).size() == 1)
        << Shown().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(m_folderChoices, 1);
    Click("title_logo");
    Click(title, "menu_close");
    EXPECT_FALSE(m_window->isVisible());
}

// A recording's stand-in of `bytes` whose every `step`th byte numbers its place, so that a copy
// that is short, shifted or mixed with another file differs from it.
QByteArray NumberedBytes(int bytes, int step)
{
    QByteArray data(bytes, '\0');
    for (int i = 0; i < data.size(); i += step)
        data[i] = char(i / step);
    return data;
}

// Saving into the recording's own folder names the copy as the recording itself: it stays whole.
TEST(RecordingCopierOwnInput, ACopyOntoItsOwnSourceLeavesItWhole)
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("20240307_085123_FN.avi"));
    const QByteArray recording = NumberedBytes(3 << 20, 512);
    ASSERT_TRUE(testsupport::WriteFile(source, recording));
    const std::vector<panels::CopyJob> jobs = panels::RecordingCopier::JobsForSave({ source }, dir.path());
    ASSERT_EQ(jobs.size(), 1u);
    ASSERT_EQ(QFileInfo(jobs[0].destination).absoluteFilePath(), QFileInfo(source).absoluteFilePath());
    panels::RecordingCopier copier(jobs);
    copier.Run();
    EXPECT_TRUE(copier.Failures().empty());
    EXPECT_EQ(testsupport::ReadFile(source), recording);
    EXPECT_EQ(
        QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList { QFileInfo(source).fileName() });
}

// The child of the kill test below: copies the recording named in the environment, slowly, and
// says on stderr when the copy is under way. Skipped in a normal run.
TEST(RecordingCopierKilled, Child)
{
    const QString source = qEnvironmentVariable("TAVIN_COPIER_SOURCE");
    const QString destination = qEnvironmentVariable("TAVIN_COPIER_DESTINATION");
    if (source.isEmpty() || destination.isEmpty())
        GTEST_SKIP() << "run by RecordingCopierKilled.LeavesTheOldFileOrTheNewAndTheNextCopyCleansUp";
    panels::RecordingCopier copier({ { source, destination } });
    copier.Run(nullptr, [](qint64 done, qint64) {
        std::fprintf(stderr, "copied %lld\n", static_cast<long long>(done));
        QThread::msleep(20);
    });
}

// A save killed mid-copy, as a crash or a power cut stops it: the earlier file of that name is
// whole, the unfinished copy is recognisable by its name, and the next save to it removes it.
TEST(RecordingCopierKilled, LeavesTheOldFileOrTheNewAndTheNextCopyCleansUp)
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("long_FN.AVI"));
    const QByteArray recording = NumberedBytes(24 << 20, 4096);
    ASSERT_TRUE(testsupport::WriteFile(source, recording));
    const QString destination = dir.filePath(QStringLiteral("long_FN.avi"));
    ASSERT_TRUE(testsupport::WriteFile(destination, "the copy saved last week"));

    qputenv("TAVIN_COPIER_SOURCE", source.toLocal8Bit());
    qputenv("TAVIN_COPIER_DESTINATION", destination.toLocal8Bit());
    const bool killed = testsupport::KillWhen(QCoreApplication::applicationFilePath(),
        { QStringLiteral("--gtest_filter=RecordingCopierKilled.Child") },
        [](const QByteArray &err) { return err.count("copied") >= 3; });
    qunsetenv("TAVIN_COPIER_SOURCE");
    qunsetenv("TAVIN_COPIER_DESTINATION");
    ASSERT_TRUE(killed);

    EXPECT_EQ(testsupport::ReadFile(destination), "the copy saved last week");
    const QString part = destination + QStringLiteral(".part");
    ASSERT_TRUE(QFileInfo::exists(part));
    EXPECT_LT(QFileInfo(part).size(), recording.size());

    panels::RecordingCopier again({ { source, destination } });
    again.Run();
    EXPECT_TRUE(again.Failures().empty());
    EXPECT_EQ(testsupport::ReadFile(destination), recording);
    EXPECT_FALSE(QFileInfo::exists(part));
}

} // namespace
