#pragma once

#include "skin/SkinClock.h"
#include "skin/SkinDelegateMap.h"
#include "skin/SkinIdRegistry.h"
#include "skin/SkinTypes.h"
#include "skin/core/CSkinPackStore.h"

#include <QHash>
#include <QSize>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

class QWidget;

namespace skin {

class CSkin;
class SkinXmlNode;

// What a control factory gets to build or re-configure a control of a later subsystem
// (speed gauge, map, G-sensor graph).
struct SkinControlContext {
    class SkinRuntime &runtime;
    CSkin &skin;
    QWidget *dialog; // the control's parent
    const SkinXmlNode &element; // the control element, for the type's own settings
    QString name;
    int identifier;
    SkinControlType type;
    SkinRect rect;
};

struct SkinControlFactory {
    // Creates the control as a child of context.dialog (hidden; the builder places and shows it).
    std::function<QWidget *(const SkinControlContext &)> create;
    // Applies the element's settings; runs after creation and again when a reload reuses it.
    std::function<void(QWidget *, const SkinControlContext &)> configure;
};

// Everything the skin engine keeps for the whole run, with one owner (the application, or a
// test): where descriptions and bitmaps come from, the delegate map, the identifier
// registries, the control factories of other subsystems, and the few outside effects
// (message boxes, opening links, timers) that tests replace.
class SkinRuntime
{
public:
    SkinRuntime();
    ~SkinRuntime();
    SkinRuntime(const SkinRuntime &) = delete;
    SkinRuntime &operator=(const SkinRuntime &) = delete;

    // The program-wide pack store; LoadPack reads a pack file into it (a SkinPackResult).
    CSkinPackStore &PackStore() { return m_packStore; }
    // Entries of the pack that are damaged are skipped and named in brokenEntries (when given).
    int LoadPack(const QString &path, QStringList *brokenEntries = nullptr);

    // Descriptions by entry name (case-insensitive). Texts added here are found first, then
    // the pack store's entries.
    void AddDescription(const QString &name, const QString &text);
    void AddPageText(const QString &name, const QString &text);
    bool FindDescription(const QString &name, QString *text) const;
    bool FindPageText(const QString &name, QString *text) const;
    // Reads every *.xml file of a folder as a description named after the file (without
    // extension). Returns how many were read.
    int AddDescriptionFolder(const QString &folder);

    // Bitmaps are found relative to the program's folder, never the current folder.
    QString BaseFolder() const;
    void SetBaseFolder(const QString &folder) { m_baseFolder = folder; }
    QString ResolvePath(const QString &path) const;

    // Size of the monitor that holds the main window: the reference of top-level rectangles.
    QSize MonitorSize() const;
    void SetMonitorSize(const QSize &size) { m_monitorSize = size; }
    void SetMainWindow(QWidget *window) { m_mainWindow = window; }

    SkinDelegateMap &Delegates() { return m_delegates; }
    SkinIdRegistry &Identifiers() { return m_identifiers; }

    // Type of the control read last, across descriptions and loads (radio groups use it).
    int PreviousControlType() const { return m_previousControlType; }
    void SetPreviousControlType(int type) { m_previousControlType = type; }

    // Factories for the control types built by other subsystems (5 speed, 7 map, 8 graph).
    // Returns false for other types. Without a factory, a plain placeholder widget is made.
    bool RegisterControlFactory(SkinControlType type, SkinControlFactory factory);
    const SkinControlFactory *ControlFactory(SkinControlType type) const;

    SkinClock &Clock() { return *m_clock; }
    void SetClock(std::unique_ptr<SkinClock> clock);

    using MessageBoxHandler
        = std::function<int(QWidget *parent, const QString &text, const QString &caption, int flags)>;
    // A QMessageBox by default; returns one of SkinMessageBoxResult.
    int ShowMessageBox(QWidget *parent, const QString &text, const QString &caption, int flags);
    void SetMessageBoxHandler(MessageBoxHandler handler) { m_messageBox = std::move(handler); }

    // QDesktopServices by default.
    void OpenUrl(const QUrl &url);
    void SetUrlOpener(std::function<void(const QUrl &)> opener) { m_urlOpener = std::move(opener); }

private:
    QHash<QString, QString> m_descriptions;
    QHash<QString, QString> m_pageTexts;
    CSkinPackStore m_packStore;
    QString m_baseFolder;
    QSize m_monitorSize;
    QWidget *m_mainWindow = nullptr;
    SkinDelegateMap m_delegates;
    SkinIdRegistry m_identifiers;
    int m_previousControlType = -1;
    QHash<int, SkinControlFactory> m_factories;
    std::unique_ptr<SkinClock> m_clock;
    MessageBoxHandler m_messageBox;
    std::function<void(const QUrl &)> m_urlOpener;
};

} // namespace skin
