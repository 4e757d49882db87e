#pragma once

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
    // The file a capture is saved to, or empty when cancelled.
    std::function<QString(QWidget *parent, const QString &filter)> chooseCaptureFile;
    // Sets the printer up (landscape preset); false when cancelled.
    std::function<bool(QWidget *parent, QPrinter &printer)> choosePrinter;

    static ToolDialogs System();
};
