#include "panels/ToolDialogs.h"

#include "panels/CPrintInputDlg.h"

#include <QCoreApplication>
#include <QFileDialog>
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
        return QFileDialog::getSaveFileName(parent, QString(), QString(), filter);
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
