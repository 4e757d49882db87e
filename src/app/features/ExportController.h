#pragma once

#include "app/features/MainWindowFeature.h"
#include "media/export/ClipExportOptions.h"
#include "panels/ExportChoicesDlg.h"

#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class BackgroundJob;
class QProgressDialog;
class QWidget;

// The evidence clip export: the span is set with in and out marks (the mark buttons or the I and
// O keys) drawn on the play slider; the tool menu's export writes it on a worker while a progress
// window offers Cancel. A cancelled export leaves no file. While a trip plays the marks lie on the
// trip's timeline and the clip plays its recordings end to end; an export around an impact takes
// 20 s either side of it, across recordings where needed.
class ExportController : public QObject, public MainWindowFeature
{
    Q_OBJECT
public:
    explicit ExportController(MainWindowContext &window);
    ~ExportController() override;

    int64_t MarkInMs() const { return m_markInMs; }
    int64_t MarkOutMs() const { return m_markOutMs; }
    bool IsExporting() const { return m_job != nullptr; }
    // The progress window, once it is shown.
    QProgressDialog *Progress() const;

    void OnSkinLoaded() override;
    bool OnMessage(quint32 message, quintptr wParam, qintptr lParam) override;
    bool OnKey(const QKeyEvent &event) override;
    void OnRecordingOpened(const OpenedRecording &recording) override;
    void OnRecordingClosed() override;
    void OnClosing() override;

private:
    struct Job;
    // A recording was opened (or closed): its files are what an export takes; the marks start afresh.
    void ResetSpan(const QString &frontPath, const QString &rearPath);
    void SetMark(bool in);
    void ShowMarks();
    void ExportClip();
    // Exports a span of what plays, as PositionMs counts; -1 as its end: to the end.
    void ExportSpan(int64_t fromMs, int64_t toMs);
    // The pieces of the marked span: across the trip's recordings when a trip plays or the span
    // reaches past the open recording, else the one recording. False with the reason when the
    // span cannot be played.
    bool SpanPieces(
        int64_t fromMs, int64_t toMs, std::vector<media::ClipPiece> *pieces, QString *error) const;
    void OnFinished(const Job &job);
    // Cancels a running export (its file removed) and waits for its worker.
    void End();

    QString m_front;
    QString m_rear;
    int64_t m_markInMs = -1; // -1 when not set
    int64_t m_markOutMs = -1;
    QWidget *m_marks = nullptr; // painted over the play slider
    std::unique_ptr<BackgroundJob> m_job;
    ExportChoices m_choices; // the last ones made, offered again
    bool m_closing = false;
};
