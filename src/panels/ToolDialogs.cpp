#include "panels/ToolDialogs.h"

#include "panels/CPrintInputDlg.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

ToolDialogs ToolDialogs::System()
{
    ToolDialogs dialogs;
    dialogs.chooseSaveFolder = [](QWidget *parent, const QString &start) {
        return QFileDialog::getExistingDirectory(parent,
            QCoreApplication::translate("ToolDialogs", "저장 폴더 선택"), start,
            QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    };
    dialogs.askHeaderLines = [](QWidget *parent) -> std::optional<QStringList> {
        CPrintInputDlg input(parent);
        if (input.exec() != QDialog::Accepted)
            return std::nullopt;
        return input.Lines();
    };
    dialogs.chooseCaptureFile = [](QWidget *parent, const QString &filter) {
        return QFileDialog::getSaveFileName(
            parent, QString(), QString(), filter, nullptr, QFileDialog::DontConfirmOverwrite);
    };
    dialogs.confirmOverwrite = [](QWidget *parent, const QStringList &existing) {
        const QString text
            = QCoreApplication::translate("ToolDialogs", "다음 파일이 이미 있습니다. 바꾸시겠습니까?")
            + QStringLiteral("\n\n") + existing.join(QLatin1Char('\n'));
        return QMessageBox::question(
                   parent, QString(), text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
            == QMessageBox::Yes;
    };
    dialogs.askExportChoices
        = [](QWidget *parent, const ExportChoices &initial) -> std::optional<ExportChoices> {
        ExportChoicesDlg dialog(initial, parent);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.Choices();
    };
    dialogs.choosePrinter = [](QWidget *parent, QPrinter &printer) {
        QPrintDialog dialog(&printer, parent);
        // One page per video stream is printed whole: no page ranges, no selection. Printing to
        // a file stays offered, so a report can be kept as a PDF.
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
        dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
        dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
        return dialog.exec() == QDialog::Accepted;
    };
    return dialogs;
}

bool ToolDialogs::MayWrite(QWidget *parent, const QStringList &paths) const
{
    QStringList existing;
    for (const QString &path : paths) {
        if (QFileInfo::exists(path))
            existing << QDir::toNativeSeparators(path);
    }
    return existing.isEmpty() || (confirmOverwrite && confirmOverwrite(parent, existing));
}
