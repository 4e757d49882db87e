#pragma once

#include "panels/ExportChoicesDlg.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QPrinter;
class QWidget;

// The system dialogs that the save, capture and print tools ask the user through. The main
// window starts with the real ones; tests answer in their place.
struct ToolDialogs {
    // The save panel's folder chooser: the chosen folder, or empty when cancelled.
    std::function<QString(QWidget *parent, const QString &start)> chooseSaveFolder;
    // The capture's three header lines, or nothing when cancelled.
    std::function<std::optional<QStringList>(QWidget *parent)> askHeaderLines;
    // The file a capture or clip is saved to, or empty when cancelled. It does not ask about an
    // existing file: the caller knows which files it will really write and asks with
    // confirmOverwrite.
    std::function<QString(QWidget *parent, const QString &filter)> chooseCaptureFile;
    // Whether the files that exist already (native paths) may be replaced.
    std::function<bool(QWidget *parent, const QStringList &existing)> confirmOverwrite;
    // The choices for an evidence clip, starting from the given ones; nothing when cancelled.
    std::function<std::optional<ExportChoices>(QWidget *parent, const ExportChoices &initial)>
        askExportChoices;
    // Sets the printer up (landscape preset); false when cancelled.
    std::function<bool(QWidget *parent, QPrinter &printer)> choosePrinter;

    static ToolDialogs System();

    // The files of a list that exist already; asks about them when there are any. True when
    // none exists or the user agreed to replace them.
    bool MayWrite(QWidget *parent, const QStringList &paths) const;
};
