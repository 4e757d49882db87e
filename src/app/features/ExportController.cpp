// The main window's evidence clip export: the span is set with in and out marks (the mark
// buttons or the I and O keys) that are drawn on the play slider; the tool menu's export button
// writes it on a worker while a progress window offers Cancel. A cancelled export leaves no file.
#include "app/features/ExportController.h"

#include "app/AppLog.h"
#include "app/DualPlayback.h"
#include "app/MainWindowSettings.h"
#include "app/RecordingOpener.h"
#include "library/Trip.h"
#include "media/export/ClipExporter.h"
#include "media/export/TripSpan.h"
#include "panels/BackgroundJob.h"
#include "panels/MainWindowMessages.h"
#include "panels/ToolDialogs.h"
#include "skin/CBitmapSlider.h"
#include "skin/CSkinDialog.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPainter>
#include <QProgressDialog>

using skin::kSkinImgButton;

namespace {
const QString kMarkIn = QStringLiteral("mark_in");
const QString kMarkOut = QStringLiteral("mark_out");
// An export around an impact takes this much before and after it.
constexpr int64_t kAroundImpactMs = 20000;

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

// What an export takes to its worker and brings back.
struct ExportController::Job {
    media::ClipExportOptions options;
    media::ClipExporter::Outcome outcome = media::ClipExporter::Outcome::Failed;
    QString error;
    int trackPoints = 0;
};

void ExportController::OnSkinLoaded()
{
    m_window.Window().RegisterEvent(
        kMarkIn, kSkinImgButton, skin::kEventClick, skin::ClickDelegate([this] { SetMark(true); }));
    m_window.Window().RegisterEvent(
        kMarkOut, kSkinImgButton, skin::kEventClick, skin::ClickDelegate([this] { SetMark(false); }));
    if (!m_marks)
        m_marks = new SpanMarksView(&m_window.Window());
    ShowMarks();
}

void ExportController::ResetSpan(const QString &frontPath, const QString &rearPath)
{
    m_front = frontPath;
    m_rear = rearPath;
    m_markInMs = -1;
    m_markOutMs = -1;
    ShowMarks();
}

void ExportController::SetMark(bool in)
{
    if (!m_window.Playback().IsLoaded())
        return;
    const int64_t at = std::clamp<int64_t>(m_window.PositionMs(), 0, m_window.DurationMs());
    (in ? m_markInMs : m_markOutMs) = at;
    // A mark set on the wrong side of the other one starts the span afresh from it.
    if (m_markInMs >= 0 && m_markOutMs >= 0 && m_markOutMs <= m_markInMs)
        (in ? m_markOutMs : m_markInMs) = -1;
    ShowMarks();
}

void ExportController::ShowMarks()
{
    if (m_marks)
        static_cast<SpanMarksView *>(m_marks)->Show(
            m_window.Window().Control<skin::CBitmapSlider>(skin::kSkinSlider, QStringLiteral("play_slider")),
            m_markInMs, m_markOutMs);
}

bool ExportController::OnKey(const QKeyEvent &event)
{
    if (event.modifiers() != Qt::NoModifier || (event.key() != Qt::Key_I && event.key() != Qt::Key_O))
        return false;
    SetMark(event.key() == Qt::Key_I);
    return true;
}

bool ExportController::SpanPieces(
    int64_t fromMs, int64_t toMs, std::vector<media::ClipPiece> *pieces, QString *error) const
{
    pieces->clear();
    const bool pastRecording = fromMs < 0 || (toMs >= 0 && toMs > m_window.DurationMs());
    if (!m_window.PlaysTrip() && !pastRecording)
        return true; // the one recording, as the options' own fields say
    int64_t recordingStartMs = 0;
    const library::Trip *trip = m_window.CurrentTrip(&recordingStartMs);
    if (!trip) {
        if (m_window.PlaysTrip())
            return false;
        return true; // a recording outside every trip: its own span, cut at its ends
    }
    const int64_t from = std::max<int64_t>(0, fromMs + recordingStartMs);
    const int64_t to
        = std::min(trip->DurationMs(), (toMs >= 0 ? toMs : m_window.DurationMs()) + recordingStartMs);
    return media::TripSpan::PiecesOf(*trip, from, to, pieces, error);
}

void ExportController::ExportClip()
{
    const int64_t fromMs = std::max<int64_t>(0, m_markInMs);
    ExportSpan(fromMs, m_markOutMs > fromMs ? m_markOutMs : -1);
}

void ExportController::ExportSpan(int64_t fromMs, int64_t toMs)
{
    if (m_job)
        return;
    if (!m_window.Playback().IsLoaded() || m_front.isEmpty()) {
        m_window.Window().MessageBox(
            QStringLiteral("export_nothing"), QStringLiteral("app_title"), skin::kMbIconError);
        return;
    }
    std::vector<media::ClipPiece> pieces;
    QString unplayable;
    if (!SpanPieces(fromMs, toMs, &pieces, &unplayable)) {
        m_window.ShowPlain(m_window.Window().Skin().Text(QStringLiteral("export_failed"))
                + QStringLiteral("\n") + unplayable,
            m_window.Window().Skin().Text(QStringLiteral("err_title")), skin::kMbIconError);
        return;
    }
    const std::optional<ExportChoices> choices
        = m_window.Dialogs().askExportChoices(&m_window.Window(), m_choices);
    if (!choices)
        return;
    m_choices = *choices;
    QString path = m_window.Dialogs().chooseCaptureFile(&m_window.Window(),
        m_window.Window().Skin().Text(QStringLiteral("export_filter"), QStringLiteral("MP4 (*.mp4)")));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().compare(QLatin1String("mp4"), Qt::CaseInsensitive) != 0)
        path += QStringLiteral(".mp4");

    auto job = std::make_unique<Job>();
    job->options.frontPath = m_front;
    job->options.rearPath = m_rear;
    job->options.outputPath = path;
    job->options.fromMs = std::clamp<int64_t>(fromMs, 0, m_window.DurationMs());
    job->options.toMs = toMs >= 0 ? std::min(toMs, m_window.DurationMs()) : -1;
    job->options.pieces = std::move(pieces);
    job->options.audio = choices->audio;
    job->options.withSources = choices->withSources;
    job->options.streamCopy = choices->streamCopy;
    job->options.layout = choices->stacked ? media::ClipLayout::Stacked : media::ClipLayout::PictureInPicture;
    job->options.speedUnit
        = m_window.Settings().speedUnit != 0 ? media::ExportSpeedUnit::Mph : media::ExportSpeedUnit::Kmh;
    // Refused before anything is written: a clip over its own recording or on the card.
    QString refused;
    if (!media::ClipExporter::CheckOutputs(job->options, &refused)) {
        m_window.ShowPlain(
            m_window.Window().Skin().Text(QStringLiteral("export_failed")) + QStringLiteral("\n") + refused,
            m_window.Window().Skin().Text(QStringLiteral("err_title")), skin::kMbIconError);
        return;
    }
    // The question is about the files that will really be written, not the name as typed.
    if (!m_window.Dialogs().MayWrite(&m_window.Window(), media::ClipExporter::OutputFiles(job->options)))
        return;
    skin::CSkin &skin = m_window.Window().Skin();
    BackgroundJob::Options options;
    options.text = skin.Text(QStringLiteral("export_progress"));
    options.cancelText = skin.Text(QStringLiteral("export_cancel"));
    options.title = skin.Text(QStringLiteral("app_title"));
    options.delayMs = 0; // an export always takes a while
    options.windowName = QStringLiteral("export_progress");
    m_job = std::make_unique<BackgroundJob>(&m_window.Window(), options);
    m_job->Start(
        std::move(*job),
        [](Job &export_, BackgroundJob::Progress &progress) {
            media::ClipExporter exporter;
            export_.outcome = exporter.Run(export_.options, progress.CancelFlag(),
                [&progress](int64_t done, int64_t total) { progress.Report(done, total); });
            export_.error = exporter.ErrorString();
            export_.trackPoints = exporter.TrackPoints();
        },
        [this](Job &export_, bool cancelled) {
            m_job.reset();
            if (!cancelled)
                OnFinished(export_);
        });
}

void ExportController::OnFinished(const Job &job)
{
    if (m_closing)
        return;
    m_window.RequestRepaint();
    switch (job.outcome) {
    case media::ClipExporter::Outcome::Cancelled:
        return;
    case media::ClipExporter::Outcome::Done:
        m_window.ShowPlain(m_window.Window().Skin().Text(QStringLiteral("export_done")) + QStringLiteral("\n")
                + QDir::toNativeSeparators(job.options.outputPath)
                + (job.trackPoints > 0 ? QString()
                                       : QStringLiteral("\n\n")
                            + m_window.Window().Skin().Text(QStringLiteral("export_no_gps"))),
            m_window.Window().Skin().Text(QStringLiteral("app_title")), skin::kMbIconInformation);
        return;
    case media::ClipExporter::Outcome::Failed:
        qCWarning(lcApp) << "export failed:" << job.error;
        m_window.ShowPlain(
            m_window.Window().Skin().Text(QStringLiteral("export_failed")) + QStringLiteral("\n") + job.error,
            m_window.Window().Skin().Text(QStringLiteral("err_title")), skin::kMbIconError);
        return;
    }
}

void ExportController::End()
{
    // The window goes away: the export is cancelled (its file removed) before the worker ends.
    m_job.reset();
}

ExportController::ExportController(MainWindowContext &window)
    : MainWindowFeature(window)
{
}

ExportController::~ExportController()
{
    End();
}

bool ExportController::OnMessage(quint32 message, quintptr, qintptr lParam)
{
    if (message == mainwindow::kMsgExportAroundImpact) {
        ExportSpan(int64_t(lParam) - kAroundImpactMs, int64_t(lParam) + kAroundImpactMs);
        return true;
    }
    if (message != mainwindow::kMsgExportClip)
        return false;
    ExportClip();
    return true;
}

void ExportController::OnRecordingOpened(const OpenedRecording &recording)
{
    ResetSpan(recording.frontPath, recording.rearPath);
}

void ExportController::OnRecordingClosed()
{
    ResetSpan({}, {});
}

void ExportController::OnClosing()
{
    m_closing = true;
    End();
}

QProgressDialog *ExportController::Progress() const
{
    return m_job ? m_job->ProgressWindow() : nullptr;
}
