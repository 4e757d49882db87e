#include "views/map/SimpleBrowser.h"

#include "platform/web_sandbox.h"
#include "views/ViewsLog.h"

#include <QCoreApplication>
#include <QFile>
#include <QResizeEvent>
#include <QWebChannel>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

#include <cmath>

namespace {

// The web channel's client script, as the WebChannel library carries it.
const QString kChannelScriptResource = QStringLiteral(":/qtwebchannel/qwebchannel.js");
const QString kChannelScriptName = QStringLiteral("tavin-web-channel");

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
    AttachChannel();
    return true;
}

bool SimpleBrowser::ExposeObject(const QString &name, QObject *object)
{
    if (!QFile::exists(kChannelScriptResource)) {
        qCWarning(lcViews) << "the web channel's script is missing; the page cannot call" << name;
        return false;
    }
    if (!m_channel)
        m_channel = new QWebChannel(this);
    m_channel->registerObject(name, object);
    if (!m_exposedNames.contains(name))
        m_exposedNames << name;
    AttachChannel();
    return true;
}

void SimpleBrowser::AttachChannel()
{
    if (!m_view || !m_channel)
        return;
    QFile file(kChannelScriptResource);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcViews) << "the web channel's script cannot be read:" << file.errorString();
        return;
    }
    // The client script and the connection run before the page's own scripts; the objects become
    // globals once the channel has answered, a moment after the document starts.
    QStringList assignments;
    for (const QString &name : std::as_const(m_exposedNames))
        assignments << QStringLiteral("window['%1'] = channel.objects['%1'];").arg(name);
    const QString connect
        = QStringLiteral("\nif (typeof qt !== 'undefined' && qt.webChannelTransport)"
                         "\n    new QWebChannel(qt.webChannelTransport, function (channel) { %1 });\n")
              .arg(assignments.join(QLatin1Char(' ')));
    QWebEngineScript script;
    script.setName(kChannelScriptName);
    script.setSourceCode(QString::fromUtf8(file.readAll()) + connect);
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(false);
    QWebEngineScriptCollection &scripts = m_view->page()->scripts();
    for (const QWebEngineScript &old : scripts.find(kChannelScriptName))
        scripts.remove(old);
    scripts.insert(script);
    m_view->page()->setWebChannel(m_channel, QWebEngineScript::MainWorld);
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
