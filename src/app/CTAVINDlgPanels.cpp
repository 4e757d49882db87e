// The main window's side of the save, capture and print tools, the image control panel and the
// two menus.
#include "app/AppLog.h"
#include "app/CTAVINDlg.h"
#include "app/MainWindowMessages.h"
#include "app/MainWindowSettings.h"
#include "media/widgets/CPLVVideoView.h"
#include "panels/CImageControlDlg.h"
#include "panels/CPrintDlg.h"
#include "panels/CSaveDlg.h"
#include "panels/CTitleMenuDlg.h"
#include "panels/CToolMenuDlg.h"
#include "panels/FramePrinter.h"
#include "panels/RecordingCopier.h"
#include "skin/CSkinListCtrl.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QPointer>
#include <QPrinter>
#include <QProgressDialog>
#include <QScreen>
#include <QThread>
#include <QTimer>

using namespace mainwindow;

static_assert(CSaveDlg::kMsgSaveOk == kMsgSaveRecordings);
static_assert(CPrintDlg::kMsgSave == kMsgPrintSave && CPrintDlg::kMsgClose == kMsgPrintClose
    && CPrintDlg::kMsgCancel == kMsgPrintCancel);
static_assert(
    CToolMenuDlg::kMsgClose == kMsgHideToolMenu && CToolMenuDlg::kMsgImageControl == kMsgShowImageControl);
static_assert(
    CImageControlDlg::kMsgClose == kMsgHideImageControl && CImageControlDlg::kMsgFaster == kMsgFaster);
static_assert(CTitleMenuDlg::kMsgSave == kMsgTitleSave && CTitleMenuDlg::kMsgQuit == kMsgQuit);

namespace {
// Copies that end sooner than this never show their progress.
constexpr int kCopyProgressDelayMs = 1500;
constexpr int kProgressSteps = 1000;
} // namespace

// A copy of recordings into the save folder, running on a worker while the window goes on.
struct CTAVINDlg::SaveCopy {
    std::shared_ptr<panels::RecordingCopier> copier;
    QThread *worker = nullptr;
    QProgressDialog *progress = nullptr;
    QTimer *poll = nullptr;

    ~SaveCopy()
    {
        if (worker) {
            copier->Cancel();
            worker->wait();
            delete worker;
        }
        delete progress;
        delete poll;
    }
};

// Keeps the menus with the main window: a shown tool menu follows it when it moves, and a press
// on its background closes the title menu.
class PanelFollower : public QObject
{
public:
    PanelFollower(QWidget *window, QWidget *toolMenu, QWidget *titleMenu)
        : QObject(window)
        , m_window(window)
        , m_toolMenu(toolMenu)
        , m_titleMenu(titleMenu)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_window)
            return false;
        if (event->type() == QEvent::Move && m_toolMenu && m_toolMenu->isVisible())
            m_toolMenu->move(m_window->pos() + QPoint(132, 71));
        else if (event->type() == QEvent::MouseButtonPress && m_titleMenu)
            m_titleMenu->hide();
        return false;
    }

private:
    QWidget *m_window;
    QPointer<QWidget> m_toolMenu;
    QPointer<QWidget> m_titleMenu;
};

QPoint CTAVINDlg::FromTopLeft(int dx, int dy) const
{
    return pos() + QPoint(dx, dy);
}

void CTAVINDlg::CreatePlaybackPanels()
{
    // A panel whose skin entry is not named or cannot be loaded is left out; its commands then
    // say that the tool is not available.
    const auto init = [](auto *panel, const QString &entry) -> decltype(panel) {
        if (entry.isEmpty() || !panel->Init(entry)) {
            if (!entry.isEmpty())
                qCWarning(lcApp) << "panel skin" << entry << "could not be loaded";
            delete panel;
            return nullptr;
        }
        panel->hide();
        return panel;
    };
    m_titleMenu = init(new CTitleMenuDlg(Runtime(), this), m_settings.xmlTitle);
    m_toolMenu = init(new CToolMenuDlg(Runtime(), this), m_settings.xmlTool);
    m_imageControl
        = init(new CImageControlDlg(Runtime(), this, m_playback.Brightness()), m_settings.xmlImgControl);
    m_savePanel = init(new CSaveDlg(Runtime(), this), m_settings.xmlSave);
    m_printPanel = init(new CPrintDlg(Runtime(), this), m_settings.xmlPrint);
    new PanelFollower(this, m_toolMenu, m_titleMenu);
    if (m_savePanel)
        m_savePanel->SetFolderChooser([this](QWidget *parent, const QString &start) {
            return m_toolDialogs.chooseSaveFolder(parent, start);
        });
}

void CTAVINDlg::HidePlaybackPanels()
{
    for (QWidget *panel : std::initializer_list<QWidget *> { m_savePanel, m_titleMenu, m_toolMenu }) {
        if (panel && panel->isVisible()) {
            panel->hide();
            m_repaintTimer.start(kTimerPeriodMs, this);
        }
    }
}

bool CTAVINDlg::OnPlaybackPanelMessage(quint32 message)
{
    switch (message) {
    case kMsgHideToolMenu:
        if (m_toolMenu)
            m_toolMenu->hide();
        break;
    case kMsgHideImageControl:
        if (m_imageControl)
            m_imageControl->hide();
        break;
    case kMsgPrintClose:
    case kMsgPrintCancel:
        if (m_printPanel) {
            m_printPanel->ReleaseImage();
            m_printPanel->hide();
        }
        break;
    case kMsgShowImageControl:
        ShowImageControl();
        return true;
    case kMsgShowSave:
    case kMsgTitleSave:
        ShowSavePanel();
        return true;
    case kMsgSaveRecordings:
        SaveRecordings();
        return true;
    case kMsgCapture:
        Capture();
        return true;
    case kMsgPrintSave:
        SaveCapture();
        return true;
    case kMsgPrint:
        Print();
        return true;
    default:
        return false;
    }
    m_repaintTimer.start(kTimerPeriodMs, this);
    return true;
}

void CTAVINDlg::ToggleTitleMenu()
{
    if (!m_titleMenu)
        return ShowNotAvailable();
    m_repaintTimer.start(kTimerPeriodMs, this);
    if (m_titleMenu->isVisible()) {
        m_titleMenu->hide();
        return;
    }
    m_titleMenu->move(FromTopLeft(6, 49));
    m_titleMenu->show();
    m_titleMenu->raise();
    if (m_toolMenu)
        m_toolMenu->hide();
}

void CTAVINDlg::ToggleToolMenu()
{
    if (m_titleMenu)
        m_titleMenu->hide();
    if (!m_toolMenu)
        return ShowNotAvailable();
    m_repaintTimer.start(kTimerPeriodMs, this);
    if (m_toolMenu->isVisible()) {
        m_toolMenu->hide();
        return;
    }
    m_toolMenu->move(FromTopLeft(132, 71));
    m_toolMenu->show();
    m_toolMenu->raise();
}

void CTAVINDlg::ShowImageControl()
{
    if (!m_imageControl)
        return ShowNotAvailable();
    m_repaintTimer.start(kTimerPeriodMs, this);
    if (m_imageControl->isVisible())
        return;
    m_imageControl->move(FromTopLeft(497, 182));
    m_imageControl->show();
    m_imageControl->raise();
}

void CTAVINDlg::ShowSavePanel()
{
    if (m_titleMenu)
        m_titleMenu->hide();
    if (!m_savePanel)
        return ShowNotAvailable();
    m_repaintTimer.start(kTimerPeriodMs, this);
    m_savePanel->SetRecordings(m_library.Recordings(), m_library.Location());
    // Over the middle of the main window.
    const QSize size = m_savePanel->size();
    m_savePanel->move(FromTopLeft((width() - size.width()) / 2, (height() - size.height()) / 2));
    m_savePanel->show();
    m_savePanel->raise();
}

void CTAVINDlg::SaveRecordings()
{
    if (!m_savePanel)
        return ShowNotAvailable();
    if (m_saveCopy)
        return; // one copy at a time; its progress window keeps the user from asking twice
    auto copy = std::make_shared<SaveCopy>();
    copy->copier = std::make_shared<panels::RecordingCopier>(
        panels::RecordingCopier::JobsForSave(m_savePanel->Result(), m_savePanel->SaveFolder()));
    copy->worker = QThread::create([copier = copy->copier] { copier->Run(); });
    copy->progress
        = new QProgressDialog(tr("영상을 저장하는 중입니다..."), tr("취소"), 0, kProgressSteps, this);
    copy->progress->setWindowModality(Qt::WindowModal);
    copy->progress->setMinimumDuration(kCopyProgressDelayMs);
    copy->progress->setAutoReset(false);
    copy->progress->setAutoClose(false);
    copy->progress->setValue(0);
    connect(copy->progress, &QProgressDialog::canceled, this, [copier = copy->copier] { copier->Cancel(); });
    copy->poll = new QTimer;
    connect(copy->poll, &QTimer::timeout, this, [this] {
        if (!m_saveCopy || !m_saveCopy->progress)
            return;
        const panels::RecordingCopier &copier = *m_saveCopy->copier;
        const qint64 total = std::max<qint64>(copier.TotalBytes(), 1);
        m_saveCopy->progress->setValue(int(copier.CopiedBytes() * (kProgressSteps - 1) / total));
    });
    connect(copy->worker, &QThread::finished, this, &CTAVINDlg::OnSaveFinished, Qt::QueuedConnection);
    m_saveCopy = copy;
    copy->poll->start(kTimerPeriodMs);
    copy->worker->start();
}

void CTAVINDlg::OnSaveFinished()
{
    if (!m_saveCopy)
        return;
    const std::shared_ptr<SaveCopy> copy = std::move(m_saveCopy);
    copy->poll->stop();
    copy->progress->hide();
    const panels::RecordingCopier &copier = *copy->copier;
    if (copier.Cancelled())
        return;
    if (!copier.Failures().empty()) {
        QString text = tr("다음 파일을 저장하지 못했습니다.");
        for (const panels::CopyFailure &failure : copier.Failures()) {
            text += QStringLiteral("\n%1 → %2: %3")
                        .arg(QDir::toNativeSeparators(failure.source),
                            QDir::toNativeSeparators(failure.destination), failure.reason);
        }
        ShowPlain(text, Skin().Text(QStringLiteral("err_title")), skin::kMbIconError);
    }
    // Copies that got a numbered name would otherwise pass for missing ones.
    QStringList renamed;
    for (const panels::CopyJob &job : copier.Jobs()) {
        if (job.renamed && copier.Written().contains(job.destination))
            renamed << QStringLiteral("%1 → %2").arg(
                QDir::toNativeSeparators(job.source), QFileInfo(job.destination).fileName());
    }
    if (!renamed.isEmpty()) {
        ShowPlain(
            tr(qUtf8Printable(kRenamedCopiesText)) + QLatin1Char('\n') + renamed.join(QLatin1Char('\n')),
            Skin().Text(QStringLiteral("app_title"), QApplication::applicationDisplayName()),
            skin::kMbIconInformation);
    }
}

bool CTAVINDlg::HasPictureToTake()
{
    if (m_mainChannel != DualPlayback::kRear || m_playback.RearPresent())
        return true;
    ShowPlain(tr(qUtf8Printable(kNoRearPictureText)),
        Skin().Text(QStringLiteral("app_title"), QApplication::applicationDisplayName()), skin::kMbIconError);
    return false;
}

void CTAVINDlg::Capture()
{
    if (!m_printPanel)
        return ShowNotAvailable();
    if (m_printPanel->isVisible())
        return;
    if (!m_playback.IsLoaded()) {
        MessageBox(QStringLiteral("error_capture"), QStringLiteral("app_title"), skin::kMbIconError);
        return;
    }
    if (!HasPictureToTake())
        return;
    if (m_playback.IsRunning()) {
        m_playback.Pause();
        m_positionTimer.stop();
    }
    m_playback.Refresh();
    const int channel = m_mainChannel;
    const CPrintDlg::Source source { m_playback.RearPresent(), channel == DualPlayback::kRear };
    media::CVideoPlayer &player = m_playback.Player(channel);
    const int streams = player.RenderedStreamCount();
    for (int stream = 0; stream < streams; ++stream) {
        QImage frame;
        if (!player.CaptureFrame(stream, &frame)) {
            qCWarning(lcApp) << "no picture to capture in video stream" << stream << "of channel" << channel;
            continue;
        }
        m_printPanel->SetImage(frame, source);
        const std::optional<QStringList> lines = m_toolDialogs.askHeaderLines(this);
        if (!lines)
            continue;
        m_printPanel->move(FromTopLeft(400, 400));
        m_printPanel->SetHeaderLines(*lines);
        m_printPanel->show();
        m_printPanel->raise();
    }
    // Playback goes on after a capture, also when it was paused before.
    if (m_playback.IsPaused()) {
        m_playback.Resume();
        PostMessage(kMsgPlaybackStarted, 0, qintptr(m_positionMs));
    }
}

void CTAVINDlg::SaveCapture()
{
    if (!m_printPanel)
        return ShowNotAvailable();
    m_printPanel->hide();
    const QString chosen
        = m_toolDialogs.chooseCaptureFile(this, Skin().Text(QStringLiteral("capture_filter")));
    if (chosen.isEmpty()) {
        m_printPanel->ReleaseImage();
        return;
    }
    const CPrintDlg::Source &source = m_printPanel->ImageSource();
    const QString path
        = CPrintDlg::SaveName(chosen, Skin().Text(QStringLiteral("capture_ext"), QStringLiteral("jpg")),
            source.hasRear, source.rearChannel);
    // The chooser saw the name before the channel was added to it; ask about the file itself.
    if (!m_toolDialogs.mayWrite(this, { path })) {
        m_printPanel->ReleaseImage();
        return;
    }
    QImageWriter writer(path);
    if (!writer.write(m_printPanel->Image())) {
        ShowPlain(tr("이미지를 저장하지 못했습니다.\n%1: %2")
                      .arg(QDir::toNativeSeparators(path), writer.errorString()),
            Skin().Text(QStringLiteral("err_title")), skin::kMbIconError);
    }
    m_printPanel->ReleaseImage();
}

void CTAVINDlg::Print()
{
    if (!m_printPanel)
        return ShowNotAvailable();
    if (!m_playback.IsLoaded() || !HasPictureToTake())
        return;
    const bool wasRunning = m_playback.IsRunning();
    if (wasRunning) {
        m_playback.Pause();
        m_positionTimer.stop();
    }
    FramePrinter::Job job;
    if (skin::CSkinListCtrl *list = FileList(); list && list->GetSelectedItem() >= 0)
        job.title = list->GetItemText(list->GetSelectedItem(), library::kColumnFileName);
    job.hasRear = m_playback.RearPresent();
    job.rearChannel = m_mainChannel == DualPlayback::kRear;
    media::CVideoPlayer &player = m_playback.Player(m_mainChannel);
    job.streamCount = player.RenderedStreamCount();
    if (const QScreen *display = screen()) {
        job.screenDpiX = display->logicalDotsPerInchX();
        job.screenDpiY = display->logicalDotsPerInchY();
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    if (m_toolDialogs.choosePrinter(this, printer)) {
        const FramePrinter::Result result = FramePrinter::Print(printer, job,
            [&player](int stream, QImage *frame) { return player.CaptureFrame(stream, frame); });
        if (result != FramePrinter::Result::Printed) {
            ShowPlain(FramePrinter::FailureText(result), Skin().Text(QStringLiteral("app_title")),
                skin::kMbIconError);
            // Without a printer the recording stays paused.
            if (result == FramePrinter::Result::NoPrinter)
                return;
        }
    }
    if (wasRunning) {
        m_playback.Resume();
        PostMessage(kMsgPlaybackStarted, 0, qintptr(m_positionMs));
    }
}
