#pragma once

#include <QUrl>
#include <QVariant>
#include <QWidget>

#include <functional>

class QWebChannel;
class QWebEngineView;

// The host of the embedded web page: a plain child window with a web view filling it. The view
// and with it the web engine are made by Create, not by the constructor, so that a window that
// holds a browser costs nothing until the browser is needed.
class SimpleBrowser : public QWidget
{
    Q_OBJECT
public:
    explicit SimpleBrowser(QWidget *parent = nullptr);
    ~SimpleBrowser() override;

    // Makes the web view, empty until a page is given. False when no view could be made.
    bool Create();
    bool IsCreated() const { return m_view != nullptr; }

    void Navigate(const QUrl &url);
    // Replaces the document by the text; documentComplete names `url` when it has loaded.
    void LoadHTML(const QString &text, const QUrl &url);
    // Calls a function of the page's script with numbers. A value is written with six decimals
    // ("%lf"), so the page receives a number literal; NaN and infinities are passed as NaN.
    void CallScript(const QString &function, const QList<double> &arguments);
    // Runs a script and hands its result back on the UI thread (an invalid QVariant on failure).
    void EvaluateScript(const QString &code, std::function<void(const QVariant &)> result);

    // Publishes the object's invokable methods, signals and properties to the page's script as
    // the global `name`, over a web channel, from the next document on. Set before the page loads.
    // False when the channel's script cannot be found.
    bool ExposeObject(const QString &name, QObject *object);

    QWebEngineView *View() const { return m_view; }

    // Makes sure the web engine is started in a way that this system allows: where its sandbox
    // cannot run (as root, without user namespaces), it is switched off through the engine's own
    // switch and the reason logged. Runs once, before the first view; later calls do nothing.
    static void PrepareWebEngine();

signals:
    // The top-level document finished loading (ok false: it failed).
    void documentComplete(const QUrl &url, bool ok);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void AttachChannel();

    QWebEngineView *m_view = nullptr;
    QWebChannel *m_channel = nullptr; // made by the first ExposeObject
    QStringList m_exposedNames;
    QUrl m_pendingUrl; // what the loaded document is reported as (HTML has no address of its own)
};
