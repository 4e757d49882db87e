#include "views/map/SimpleBrowser.h"

#include "platform/web_sandbox.h"
#include "views/ViewsLog.h"

#include <QCoreApplication>
#include <QResizeEvent>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <cmath>

namespace {

QString NumberLiteral(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("NaN");
    return QString::asprintf("%lf", value);
}

} // namespace

SimpleBrowser::SimpleBrowser(QWidget *parent)
    : QWidget(parent)
{
}

SimpleBrowser::~SimpleBrowser() = default;

void SimpleBrowser::PrepareWebEngine()
{
    static bool prepared = false;
    if (prepared)
        return;
    prepared = true;
    const QString obstacle = platform::WebSandboxObstacle();
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    const bool alreadyOff
        = flags.contains("--no-sandbox") || qEnvironmentVariableIntValue("QTWEBENGINE_DISABLE_SANDBOX");
    if (alreadyOff) {
        qCInfo(lcViews) << "the web engine runs without its sandbox, as the environment asks";
        return;
    }
    if (obstacle.isEmpty())
        return;
    // The engine reads its switches when its first page is made, which is after this.
    flags = flags.trimmed();
    flags.append(flags.isEmpty() ? "--no-sandbox" : " --no-sandbox");
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
    qCWarning(lcViews).noquote() << "the web engine runs without its sandbox:" << obstacle;
}

bool SimpleBrowser::Create()
{
    if (m_view)
        return true;
    PrepareWebEngine();
    m_view = new QWebEngineView(this);
    m_view->setContextMenuPolicy(Qt::NoContextMenu);
    m_view->setGeometry(rect());
    m_view->show();
    connect(m_view, &QWebEngineView::loadFinished, this, [this](bool ok) {
        const QUrl url = m_pendingUrl.isEmpty() ? m_view->url() : m_pendingUrl;
        if (!ok)
            qCWarning(lcViews) << "the map page did not load:" << url.toDisplayString();
        emit documentComplete(url, ok);
    });
    return true;
}

void SimpleBrowser::Navigate(const QUrl &url)
{
    if (!m_view)
        return;
    m_pendingUrl = QUrl();
    m_view->setUrl(url);
}

void SimpleBrowser::LoadHTML(const QString &text, const QUrl &url)
{
    if (!m_view)
        return;
    m_pendingUrl = url;
    m_view->setHtml(text);
}

void SimpleBrowser::CallScript(const QString &function, const QList<double> &arguments)
{
    if (!m_view)
        return;
    QStringList values;
    values.reserve(arguments.size());
    for (double value : arguments)
        values.append(NumberLiteral(value));
    // A page without the function ignores the call instead of stopping its script.
    const QString code = QStringLiteral("if (typeof %1 === 'function') %1(%2);")
                             .arg(function, values.join(QLatin1Char(',')));
    m_view->page()->runJavaScript(code);
}

void SimpleBrowser::EvaluateScript(const QString &code, std::function<void(const QVariant &)> result)
{
    if (!m_view) {
        result(QVariant());
        return;
    }
    m_view->page()->runJavaScript(
        code, [result = std::move(result)](const QVariant &value) { result(value); });
}

void SimpleBrowser::resizeEvent(QResizeEvent *event)
{
    if (m_view)
        m_view->setGeometry(QRect(QPoint(), event->size()));
    QWidget::resizeEvent(event);
}
