// The main window's evidence clip export: the span is set with in and out marks (the mark
// buttons or the I and O keys) that are drawn on the play slider; the tool menu's export button
// writes it on a worker while a progress window offers Cancel. A cancelled export leaves no file.
#include "app/AppLog.h"
#include "app/CTAVINDlg.h"
#include "app/MainWindowMessages.h"
#include "app/MainWindowSettings.h"
#include "media/export/ClipExporter.h"
#include "skin/CBitmapSlider.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPainter>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>

using namespace mainwindow;
using skin::kSkinImgButton;

namespace {
const QString kMarkIn = QStringLiteral("mark_in");
const QString kMarkOut = QStringLiteral("mark_out");
constexpr int kProgressSteps = 1000;
constexpr int kProgressPollMs = 100;

// The marks, painted over the play slider; clicks go through to the slider below.
class SpanMarksView : public QWidget
{
public:
    explicit SpanMarksView(QWidget *parent)
        : QWidget(parent)
    {
        setObjectName(QStringLiteral("export_span_marks"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
    }

    void Show(const skin::CBitmapSlider *slider, int64_t inMs, int64_t outMs)
    {
        m_slider = slider;
        m_in = inMs;
        m_out = outMs;
        if (!slider || !slider->isVisible() || (inMs < 0 && outMs < 0)) {
            hide();
            return;
        }
        setGeometry(slider->geometry());
        show();
        raise();
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        if (!m_slider)
            return;
        QPainter painter(this);
        const int left = m_in >= 0 ? m_slider->PositionToPixel(int(m_in)) : m_slider->PositionToPixel(0);
        const int right = m_out >= 0 ? m_slider->PositionToPixel(int(m_out))
                                     : m_slider->PositionToPixel(m_slider->GetRangeMax());
        const QColor accent(0x3F, 0xA6, 0xFE);
        painter.fillRect(QRect(QPoint(left, height() / 2 - 2), QPoint(right, height() / 2 + 1)),
            QColor(accent.red(), accent.green(), accent.blue(), 110));
        painter.setPen(QPen(QColor(0xFF, 0xC1, 0x07), 2));
        for (const int64_t mark : { m_in, m_out }) {
            if (mark >= 0) {
                const int x = m_slider->PositionToPixel(int(mark));
                painter.drawLine(x, 0, x, height());
            }
        }
    }

private:
    const skin::CBitmapSlider *m_slider = nullptr;
    int64_t m_in = -1;
    int64_t m_out = -1;
};
} // namespace

struct CTAVINDlg::ExportJob {
    QThread *worker = nullptr;
    std::atomic_bool cancel = false;
    std::atomic<int64_t> doneMs = 0;
    std::atomic<int64_t> totalMs = 0;
    media::ClipExportOptions options;
    media::ClipExporter::Outcome outcome = media::ClipExporter::Outcome::Failed;
    QString error;
    int trackPoints = 0;
};

void CTAVINDlg::SetUpExportControls()
{
    RegisterEvent(
        kMarkIn, kSkinImgButton, skin::kEventClick, skin::ClickDelegate([this] { SetSpanMark(true); }));
    RegisterEvent(
        kMarkOut, kSkinImgButton, skin::kEventClick, skin::ClickDelegate([this] { SetSpanMark(false); }));
    if (!m_spanMarks)
        m_spanMarks = new SpanMarksView(this);
    ShowSpanMarks();
}

void CTAVINDlg::ResetExportSpan(const QString &frontPath, const QString &rearPath)
{
    m_exportFront = frontPath;
    m_exportRear = rearPath;
    m_markInMs = -1;
    m_markOutMs = -1;
    ShowSpanMarks();
}

void CTAVINDlg::SetSpanMark(bool in)
{
    if (!m_playback.IsLoaded())
        return;
    const int64_t at = std::clamp<int64_t>(m_positionMs, 0, m_durationMs);
    (in ? m_markInMs : m_markOutMs) = at;
    // A mark set on the wrong side of the other one starts the span afresh from it.
    if (m_markInMs >= 0 && m_markOutMs >= 0 && m_markOutMs <= m_markInMs)
        (in ? m_markOutMs : m_markInMs) = -1;
    ShowSpanMarks();
}

void CTAVINDlg::ShowSpanMarks()
{
    if (m_spanMarks)
        static_cast<SpanMarksView *>(m_spanMarks)
            ->Show(Slider(QStringLiteral("play_slider")), m_markInMs, m_markOutMs);
}

bool CTAVINDlg::HandleExportKey(const QKeyEvent &event)
{
    if (event.modifiers() != Qt::NoModifier || (event.key() != Qt::Key_I && event.key() != Qt::Key_O))
        return false;
    // Letters typed into a field of a panel stay there.
    const QWidget *focus = QApplication::focusWidget();
    if (focus
        && (focus->inherits("QLineEdit") || focus->inherits("QAbstractSpinBox")
            || focus->inherits("QTextEdit")))
        return false;
    SetSpanMark(event.key() == Qt::Key_I);
    return true;
}

void CTAVINDlg::ExportClip()
{
    if (m_export)
        return;
    if (!m_playback.IsLoaded() || m_exportFront.isEmpty()) {
        MessageBox(QStringLiteral("export_nothing"), QStringLiteral("app_title"), skin::kMbIconError);
        return;
    }
    const int64_t fromMs = std::max<int64_t>(0, m_markInMs);
    const int64_t toMs = m_markOutMs > fromMs ? m_markOutMs : -1;
    const std::optional<ExportChoices> choices = m_toolDialogs.askExportChoices(this, m_exportChoices);
    if (!choices)
        return;
    m_exportChoices = *choices;
    QString path = m_toolDialogs.chooseCaptureFile(
        this, Skin().Text(QStringLiteral("export_filter"), QStringLiteral("MP4 (*.mp4)")));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().compare(QLatin1String("mp4"), Qt::CaseInsensitive) != 0)
        path += QStringLiteral(".mp4");

    auto job = std::make_shared<ExportJob>();
    job->options.frontPath = m_exportFront;
    job->options.rearPath = m_exportRear;
    job->options.outputPath = path;
    job->options.fromMs = fromMs;
    job->options.toMs = toMs;
    job->options.audio = choices->audio;
    job->options.withSources = choices->withSources;
    job->options.layout = choices->stacked ? media::ClipLayout::Stacked : media::ClipLayout::PictureInPicture;
    job->options.speedUnit
        = m_settings.speedUnit != 0 ? media::ExportSpeedUnit::Mph : media::ExportSpeedUnit::Kmh;
    // Refused before anything is written: a clip over its own recording or on the card.
    QString refused;
    if (!media::ClipExporter::CheckOutputs(job->options, &refused)) {
        ShowPlain(Skin().Text(QStringLiteral("export_failed")) + QStringLiteral("\n") + refused,
            Skin().Text(QStringLiteral("err_title")), skin::kMbIconError);
        return;
    }
    // The question is about the files that will really be written, not the name as typed.
    if (!m_toolDialogs.mayWrite(this, media::ClipExporter::OutputFiles(job->options)))
        return;
    job->worker = QThread::create([job] {
        media::ClipExporter exporter;
        job->outcome = exporter.Run(job->options, &job->cancel, [job](int64_t done, int64_t total) {
            job->doneMs = done;
            job->totalMs = total;
        });
        job->error = exporter.ErrorString();
        job->trackPoints = exporter.TrackPoints();
    });
    m_export = job;

    auto *progress = new QProgressDialog(Skin().Text(QStringLiteral("export_progress")),
        Skin().Text(QStringLiteral("export_cancel")), 0, kProgressSteps, this);
    progress->setObjectName(QStringLiteral("export_progress"));
    progress->setWindowTitle(Skin().Text(QStringLiteral("app_title")));
    progress->setWindowModality(Qt::WindowModal);
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    progress->setMinimumDuration(0);
    progress->setValue(0);
    m_exportProgress = progress;
    connect(progress, &QProgressDialog::canceled, this, [job] { job->cancel = true; });
    auto *poll = new QTimer(progress);
    connect(poll, &QTimer::timeout, progress, [progress, job] {
        const int64_t total = job->totalMs;
        if (total > 0 && !job->cancel)
            progress->setValue(int(std::min<int64_t>(kProgressSteps, job->doneMs * kProgressSteps / total)));
    });
    poll->start(kProgressPollMs);
    connect(job->worker, &QThread::finished, this, [this, job] { OnExportFinished(job); });
    progress->show();
    job->worker->start();
}

void CTAVINDlg::OnExportFinished(const std::shared_ptr<ExportJob> &job)
{
    job->worker->deleteLater();
    if (m_export == job)
        m_export.reset();
    if (m_exportProgress) {
        m_exportProgress->deleteLater();
        m_exportProgress = nullptr;
    }
    if (m_closing)
        return;
    m_repaintTimer.start(kTimerPeriodMs, this);
    switch (job->outcome) {
    case media::ClipExporter::Outcome::Cancelled:
        return;
    case media::ClipExporter::Outcome::Done:
        ShowPlain(Skin().Text(QStringLiteral("export_done")) + QStringLiteral("\n")
                + QDir::toNativeSeparators(job->options.outputPath)
                + (job->trackPoints > 0
                        ? QString()
                        : QStringLiteral("\n\n") + Skin().Text(QStringLiteral("export_no_gps"))),
            Skin().Text(QStringLiteral("app_title")), skin::kMbIconInformation);
        return;
    case media::ClipExporter::Outcome::Failed:
        qCWarning(lcApp) << "export failed:" << job->error;
        ShowPlain(Skin().Text(QStringLiteral("export_failed")) + QStringLiteral("\n") + job->error,
            Skin().Text(QStringLiteral("err_title")), skin::kMbIconError);
        return;
    }
}

void CTAVINDlg::EndExport()
{
    if (!m_export)
        return;
    // The window goes away: the export is cancelled (its file removed) before the worker ends.
    m_export->cancel = true;
    m_export->worker->wait();
    delete m_export->worker;
    m_export.reset();
}
