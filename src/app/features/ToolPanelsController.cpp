#include "app/features/ToolPanelsController.h"

#include "app/AppLog.h"
#include "app/DualPlayback.h"
#include "app/MainWindowSettings.h"
#include "app/features/MainWindowTexts.h"
#include "library/RecordingLibrary.h"
#include "media/widgets/CPLVVideoView.h"
#include "panels/BackgroundJob.h"
#include "panels/CImageControlDlg.h"
#include "panels/CPrintDlg.h"
#include "panels/CSaveDlg.h"
#include "panels/CTitleMenuDlg.h"
#include "panels/CToolMenuDlg.h"
#include "panels/FramePrinter.h"
#include "panels/MainWindowMessages.h"
#include "panels/RecordingCopier.h"
#include "panels/ToolDialogs.h"
#include "skin/CSkinDialog.h"
#include "skin/CSkinListCtrl.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QPointer>
#include <QPrinter>
#include <QScreen>

using namespace mainwindow;

namespace {
// Where the panels open from the main window's top-left corner, where no control of the skin
// tells: the tool menu reaches down into the video, the others stand over it.
constexpr QPoint kToolMenuOffset(132, 71);
constexpr QPoint kTitleMenuOffset(6, 49);
constexpr int kMenuGap = 5;
constexpr QPoint kImageControlOffset(497, 182);
constexpr QPoint kPrintOffset(400, 400);
// Copies that end sooner than this never show their progress.
constexpr int kCopyProgressDelayMs = 1500;
} // namespace

// Keeps the menus with the main window: a shown tool menu follows it when it moves, and a press
// on its background closes the title menu.
class PanelFollower : public QObject
{
public:
    PanelFollower(QWidget *window, QWidget *toolMenu, QWidget *titleMenu, QPoint toolMenuOffset)
        : QObject(window)
        , m_window(window)
        , m_toolMenu(toolMenu)
        , m_titleMenu(titleMenu)
        , m_toolMenuOffset(toolMenuOffset)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_window)
            return false;
        if (event->type() == QEvent::Move && m_toolMenu && m_toolMenu->isVisible())
            m_toolMenu->move(m_window->pos() + m_toolMenuOffset);
        else if (event->type() == QEvent::MouseButtonPress && m_titleMenu)
            m_titleMenu->hide();
        return false;
    }

private:
    QWidget *m_window;
    QPointer<QWidget> m_toolMenu;
    QPointer<QWidget> m_titleMenu;
    QPoint m_toolMenuOffset;
};

ToolPanelsController::ToolPanelsController(MainWindowContext &window)
    : MainWindowFeature(window)
{
}

ToolPanelsController::~ToolPanelsController() = default;

void ToolPanelsController::OnStart()
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
    skin::CSkinDialog *window = &m_window.Window();
    skin::SkinRuntime &runtime = window->Runtime();
    const MainWindowSettings &settings = m_window.Settings();
    m_titleMenu = init(new CTitleMenuDlg(runtime, window), settings.xmlTitle);
    m_toolMenu = init(new CToolMenuDlg(runtime, window), settings.xmlTool);
    m_imageControl = init(
        new CImageControlDlg(runtime, window, m_window.Playback().Brightness()), settings.xmlImgControl);
    m_savePanel = init(new CSaveDlg(runtime, window), settings.xmlSave);
    m_printPanel = init(new CPrintDlg(runtime, window), settings.xmlPrint);
    new PanelFollower(window, m_toolMenu, m_titleMenu, ToolMenuOffset());
    if (m_savePanel)
        m_savePanel->SetFolderChooser([this](QWidget *parent, const QString &start) {
            return m_window.Dialogs().chooseSaveFolder(parent, start);
        });
}

void ToolPanelsController::OnSkinLoaded()
{
    skin::CSkinDialog &window = m_window.Window();
    const auto button = [&window](const char *name, std::function<void()> fn) {
        window.RegisterEvent(QString::fromLatin1(name), skin::kSkinImgButton, skin::kEventClick,
            skin::ClickDelegate(std::move(fn)));
    };
    button("title_logo", [this] { ToggleTitleMenu(); });
    button("title_tool", [this] { ToggleToolMenu(); });
    button("main_image_setting", [this] { ShowImageControl(); });
}

QPoint ToolPanelsController::ToolMenuOffset() const
{
    // Under the tool button of the title bar, reaching down into the video.
    const QWidget *button = m_window.Window().GetControl(skin::kSkinImgButton, QStringLiteral("title_tool"));
    return QPoint(button ? button->x() : kToolMenuOffset.x(), kToolMenuOffset.y());
}

QPoint ToolPanelsController::TitleMenuOffset() const
{
    // Right under the logo button that opens it.
    const QWidget *button = m_window.Window().GetControl(skin::kSkinImgButton, QStringLiteral("title_logo"));
    return button ? QPoint(button->x(), button->geometry().bottom() + 1 + kMenuGap) : kTitleMenuOffset;
}

void ToolPanelsController::OnLayoutChanging()
{
    for (QWidget *panel : std::initializer_list<QWidget *> { m_savePanel, m_titleMenu, m_toolMenu }) {
        if (panel && panel->isVisible()) {
            panel->hide();
            m_window.RequestRepaint();
        }
    }
}

bool ToolPanelsController::OnMessage(quint32 message, quintptr, qintptr)
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
    m_window.RequestRepaint();
    return true;
}

void ToolPanelsController::ToggleTitleMenu()
{
    if (!m_titleMenu)
        return m_window.ShowNotAvailable();
    m_window.RequestRepaint();
    if (m_titleMenu->isVisible()) {
        m_titleMenu->hide();
        return;
    }
    m_titleMenu->move(m_window.Window().pos() + TitleMenuOffset());
    m_titleMenu->show();
    m_titleMenu->raise();
    if (m_toolMenu)
        m_toolMenu->hide();
}

void ToolPanelsController::ToggleToolMenu()
{
    if (m_titleMenu)
        m_titleMenu->hide();
    if (!m_toolMenu)
        return m_window.ShowNotAvailable();
    m_window.RequestRepaint();
    if (m_toolMenu->isVisible()) {
        m_toolMenu->hide();
        return;
    }
    m_toolMenu->move(m_window.Window().pos() + ToolMenuOffset());
    m_toolMenu->show();
    m_toolMenu->raise();
}

void ToolPanelsController::ShowImageControl()
{
    if (!m_imageControl)
        return m_window.ShowNotAvailable();
    m_window.RequestRepaint();
    if (m_imageControl->isVisible())
        return;
    m_imageControl->move(m_window.FromTopLeft(kImageControlOffset.x(), kImageControlOffset.y()));
    m_imageControl->show();
    m_imageControl->raise();
}

void ToolPanelsController::ShowSavePanel()
{
    if (m_titleMenu)
        m_titleMenu->hide();
    if (!m_savePanel)
        return m_window.ShowNotAvailable();
    m_window.RequestRepaint();
    m_savePanel->SetRecordings(m_window.Library().Recordings(), m_window.Library().Location());
    // Over the middle of the main window.
    const QSize size = m_savePanel->size();
    const QWidget &window = m_window.Window();
    m_savePanel->move(
        m_window.FromTopLeft((window.width() - size.width()) / 2, (window.height() - size.height()) / 2));
    m_savePanel->show();
    m_savePanel->raise();
}

void ToolPanelsController::SaveRecordings()
{
    if (!m_savePanel)
        return m_window.ShowNotAvailable();
    if (m_saveCopy)
        return; // one copy at a time; its progress window keeps the user from asking twice
    BackgroundJob::Options options;
    options.text = Translated(QT_TRANSLATE_NOOP("CTAVINDlg", "영상을 저장하는 중입니다..."));
    options.cancelText = Translated(QT_TRANSLATE_NOOP("CTAVINDlg", "취소"));
    options.delayMs = kCopyProgressDelayMs;
    options.windowName = QStringLiteral("save_progress");
    m_saveCopy = std::make_unique<BackgroundJob>(&m_window.Window(), options);
    m_saveCopy->Start(
        std::make_unique<panels::RecordingCopier>(
            panels::RecordingCopier::JobsForSave(m_savePanel->Result(), m_savePanel->SaveFolder())),
        [](std::unique_ptr<panels::RecordingCopier> &copier, BackgroundJob::Progress &progress) {
            copier->Run(progress.CancelFlag(),
                [&progress](qint64 done, qint64 total) { progress.Report(done, total); });
        },
        [this](std::unique_ptr<panels::RecordingCopier> &copier, bool) {
            m_saveCopy.reset();
            OnSaveFinished(*copier);
        });
}

void ToolPanelsController::OnSaveFinished(const panels::RecordingCopier &copier)
{
    if (copier.Cancelled())
        return;
    if (!copier.Failures().empty()) {
        QString text = Translated(QT_TRANSLATE_NOOP("CTAVINDlg", "다음 파일을 저장하지 못했습니다."));
        for (const panels::CopyFailure &failure : copier.Failures()) {
            text += QStringLiteral("\n%1 → %2: %3")
                        .arg(QDir::toNativeSeparators(failure.source),
                            QDir::toNativeSeparators(failure.destination), failure.reason);
        }
        m_window.ShowPlain(
            text, m_window.Window().Skin().Text(QStringLiteral("err_title")), skin::kMbIconError);
    }
    // Copies that got a numbered name would otherwise pass for missing ones.
    QStringList renamed;
    for (const panels::CopyJob &job : copier.Jobs()) {
        if (job.renamed && copier.Written().contains(job.destination))
            renamed << QStringLiteral("%1 → %2").arg(
                QDir::toNativeSeparators(job.source), QFileInfo(job.destination).fileName());
    }
    if (!renamed.isEmpty()) {
        m_window.ShowPlain(
            Translated(kRenamedCopiesText) + QLatin1Char('\n') + renamed.join(QLatin1Char('\n')),
            m_window.Window().Skin().Text(
                QStringLiteral("app_title"), QApplication::applicationDisplayName()),
            skin::kMbIconInformation);
    }
}

bool ToolPanelsController::HasPictureToTake()
{
    if (m_window.MainChannel() != DualPlayback::kRear || m_window.Playback().RearPresent())
        return true;
    m_window.ShowPlain(Translated(kNoRearPictureText),
        m_window.Window().Skin().Text(QStringLiteral("app_title"), QApplication::applicationDisplayName()),
        skin::kMbIconError);
    return false;
}

void ToolPanelsController::Capture()
{
    if (!m_printPanel)
        return m_window.ShowNotAvailable();
    if (m_printPanel->isVisible())
        return;
    if (!m_window.Playback().IsLoaded()) {
        m_window.Window().MessageBox(
            QStringLiteral("error_capture"), QStringLiteral("app_title"), skin::kMbIconError);
        return;
    }
    if (!HasPictureToTake())
        return;
    if (m_window.Playback().IsRunning()) {
        m_window.PausePlayback();
    }
    m_window.Playback().Refresh();
    const int channel = m_window.MainChannel();
    const CPrintDlg::Source source { m_window.Playback().RearPresent(), channel == DualPlayback::kRear };
    media::CVideoPlayer &player = m_window.Playback().Player(channel);
    const int streams = player.RenderedStreamCount();
    for (int stream = 0; stream < streams; ++stream) {
        QImage frame;
        if (!player.CaptureFrame(stream, &frame)) {
            qCWarning(lcApp) << "no picture to capture in video stream" << stream << "of channel" << channel;
            continue;
        }
        m_printPanel->SetImage(frame, source);
        const std::optional<QStringList> lines = m_window.Dialogs().askHeaderLines(&m_window.Window());
        if (!lines)
            continue;
        m_printPanel->move(m_window.FromTopLeft(kPrintOffset.x(), kPrintOffset.y()));
        m_printPanel->SetHeaderLines(*lines);
        m_printPanel->show();
        m_printPanel->raise();
    }
    // Playback goes on after a capture, also when it was paused before.
    if (m_window.Playback().IsPaused()) {
        m_window.Playback().Resume();
        m_window.Window().PostMessage(kMsgPlaybackStarted, 0, qintptr(m_window.PositionMs()));
    }
}

void ToolPanelsController::SaveCapture()
{
    if (!m_printPanel)
        return m_window.ShowNotAvailable();
    m_printPanel->hide();
    const QString chosen = m_window.Dialogs().chooseCaptureFile(
        &m_window.Window(), m_window.Window().Skin().Text(QStringLiteral("capture_filter")));
    if (chosen.isEmpty()) {
        m_printPanel->ReleaseImage();
        return;
    }
    const CPrintDlg::Source &source = m_printPanel->ImageSource();
    const QString path = CPrintDlg::SaveName(chosen,
        m_window.Window().Skin().Text(QStringLiteral("capture_ext"), QStringLiteral("jpg")), source.hasRear,
        source.rearChannel);
    // The chooser saw the name before the channel was added to it; ask about the file itself.
    if (!m_window.Dialogs().MayWrite(&m_window.Window(), { path })) {
        m_printPanel->ReleaseImage();
        return;
    }
    QImageWriter writer(path);
    if (!writer.write(m_printPanel->Image())) {
        m_window.ShowPlain(Translated(QT_TRANSLATE_NOOP("CTAVINDlg", "이미지를 저장하지 못했습니다.\n%1: %2"))
                               .arg(QDir::toNativeSeparators(path), writer.errorString()),
            m_window.Window().Skin().Text(QStringLiteral("err_title")), skin::kMbIconError);
    }
    m_printPanel->ReleaseImage();
}

void ToolPanelsController::Print()
{
    if (!m_printPanel)
        return m_window.ShowNotAvailable();
    if (!m_window.Playback().IsLoaded() || !HasPictureToTake())
        return;
    const bool wasRunning = m_window.Playback().IsRunning();
    if (wasRunning) {
        m_window.PausePlayback();
    }
    FramePrinter::Job job;
    if (skin::CSkinListCtrl *list
        = m_window.Window().Control<skin::CSkinListCtrl>(skin::kSkinListCtrl, QStringLiteral("file_list"));
        list && list->GetSelectedItem() >= 0)
        job.title = list->GetItemText(list->GetSelectedItem(), library::kColumnFileName);
    job.hasRear = m_window.Playback().RearPresent();
    job.rearChannel = m_window.MainChannel() == DualPlayback::kRear;
    media::CVideoPlayer &player = m_window.Playback().Player(m_window.MainChannel());
    job.streamCount = player.RenderedStreamCount();
    if (const QScreen *display = m_window.Window().screen()) {
        job.screenDpiX = display->logicalDotsPerInchX();
        job.screenDpiY = display->logicalDotsPerInchY();
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    if (m_window.Dialogs().choosePrinter(&m_window.Window(), printer)) {
        const FramePrinter::Result result = FramePrinter::Print(printer, job,
            [&player](int stream, QImage *frame) { return player.CaptureFrame(stream, frame); });
        if (result != FramePrinter::Result::Printed) {
            m_window.ShowPlain(FramePrinter::FailureText(result),
                m_window.Window().Skin().Text(QStringLiteral("app_title")), skin::kMbIconError);
            // Without a printer the recording stays paused.
            if (result == FramePrinter::Result::NoPrinter)
                return;
        }
    }
    if (wasRunning) {
        m_window.Playback().Resume();
        m_window.Window().PostMessage(kMsgPlaybackStarted, 0, qintptr(m_window.PositionMs()));
    }
}
