#include "views/map/CMapCtrl.h"

#include "platform/connection_check.h"
#include "skin/SkinBitmap.h"
#include "skin/WindowMessageEvent.h"
#include "views/ViewsLog.h"
#include "views/map/MapPageHost.h"
#include "views/map/SimpleBrowser.h"

#include <QPainter>
#include <QTimerEvent>

#include <cmath>

namespace {

// One guard for every map control: a check that runs an event loop must not be entered again
// by the next tick.
bool s_inConnectionTick = false;

const QString kMemoryUrl = QStringLiteral("memory://");

void DrawCentred(QPainter &painter, const QImage &image, const QRect &area)
{
    if (image.isNull())
        return;
    const QPoint origin(
        area.left() + (area.width() - image.width()) / 2, area.top() + (area.height() - image.height()) / 2);
    painter.drawImage(origin, image);
}

} // namespace

CMapCtrl::CMapCtrl(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::ArrowCursor);
    m_connectionTimer.start(kConnectionPeriodMs, this);
}

CMapCtrl::~CMapCtrl()
{
    m_connectionTimer.stop();
}

bool CMapCtrl::SetImage(int index, const QString &path)
{
    if (index < 0 || index >= int(m_images.size()))
        return false;
    const skin::SkinBitmap bitmap = skin::SkinBitmap::Load(path);
    if (bitmap.IsNull()) {
        qCWarning(lcViews) << "map picture" << index << "cannot be read:" << path;
        return false;
    }
    m_images[size_t(index)] = bitmap.Image();
    if (index == kImageNoGps)
        m_hasNoGpsImage = true;
    update();
    return true;
}

void CMapCtrl::SetURL(const QString &url)
{
    m_contentKind = kContentUrl;
    m_url = url;
    m_html.clear();
    m_hasContent = true;
    if (!(m_loaded && m_loadedUrl == PageUrl()))
        PostNavigate();
}

void CMapCtrl::SetHTML(const QString &text)
{
    const bool same = m_contentKind == kContentHtml && text == m_html;
    m_contentKind = kContentHtml;
    m_url = kMemoryUrl;
    m_html = text;
    m_hasContent = true;
    if (!(same && m_loaded))
        PostNavigate();
}

void CMapCtrl::SetConnectionCheck(std::unique_ptr<platform::ConnectionCheck> check)
{
    m_connection = std::move(check);
}

bool CMapCtrl::AddPoint(std::uint32_t timeMs, double latitude, double longitude, double speedKmh)
{
    if (!std::isfinite(latitude) || !std::isfinite(longitude))
        return false;
    for (const DataItem &point : m_points)
        if (point.timeMs == timeMs)
            return false;
    m_points.push_back({ latitude, longitude, timeMs, speedKmh });
    return true;
}

void CMapCtrl::ClearTrack()
{
    m_points.clear();
    m_currentIndex = 0;
    m_lastDrawnIndex = -1;
    m_askedPosition = false;
    if (m_drawLine && m_browser && m_loaded)
        m_browser->CallScript(QStringLiteral("Reset"), {});
    update();
}

void CMapCtrl::DrawTrack()
{
    if (!m_drawLine || !m_browser || !m_loaded)
        return;
    QList<double> coordinates;
    QList<double> speeds;
    QList<double> times;
    bool anySpeed = false;
    coordinates.reserve(qsizetype(m_points.size() * 2));
    speeds.reserve(qsizetype(m_points.size()));
    times.reserve(qsizetype(m_points.size()));
    for (const DataItem &point : m_points) {
        coordinates << point.latitude << point.longitude;
        speeds << point.speedKmh;
        times << double(point.timeMs);
        anySpeed = anySpeed || std::isfinite(point.speedKmh);
    }
    m_browser->CallScript(QStringLiteral("DrawPoly"), coordinates);
    if (anySpeed)
        m_browser->CallScript(QStringLiteral("DrawSpeeds"), speeds);
    m_browser->CallScript(QStringLiteral("DrawTimes"), times);
}

void CMapCtrl::DrawCurrent(std::uint32_t timeMs)
{
    m_lastAskedMs = timeMs;
    m_askedPosition = true;
    if (m_noConnection || !m_loaded)
        return;
    if (m_points.empty()) {
        if (m_hasNoGpsImage && m_browserVisible)
            ShowBrowser(false);
        return;
    }
    int index = 0;
    for (int i = 0; i < int(m_points.size()); ++i)
        if (m_points[size_t(i)].timeMs <= timeMs)
            index = i;
    m_currentIndex = index;
    if (index == m_lastDrawnIndex)
        return;
    const DataItem &point = m_points[size_t(index)];
    m_browser->CallScript(QStringLiteral("DrawCurrent"), { point.latitude, point.longitude });
    m_lastDrawnIndex = index;
}

void CMapCtrl::ShowBrowser(bool show)
{
    m_browserVisible = show;
    if (m_browser)
        m_browser->setVisible(show);
    update();
}

void CMapCtrl::SetNoGpsState(bool on)
{
    m_noGpsState = on;
    update();
}

int CMapCtrl::ShownImage() const
{
    if (m_browserVisible)
        return -1;
    if (m_noConnection)
        return kImageNoConnect;
    // While the page loads over a working connection there is nothing wrong to report.
    if (!m_loaded)
        return m_created ? kImageBackground : kImageNoConnect;
    if (m_noGpsState && m_hasNoGpsImage && m_points.empty())
        return kImageNoGps;
    return kImageBackground;
}

bool CMapCtrl::CreateBrowser()
{
    if (m_created)
        return true;
    m_browser = new SimpleBrowser(this);
    m_browser->hide();
    PlaceBrowser();
    if (!m_browser->Create()) {
        delete m_browser;
        m_browser = nullptr;
        return false;
    }
    connect(m_browser, &SimpleBrowser::documentComplete, this, &CMapCtrl::OnDocumentComplete);
    m_host = new MapPageHost(this);
    connect(m_host, &MapPageHost::trackClicked, this, &CMapCtrl::trackClicked);
    m_browser->ExposeObject(QStringLiteral("mapHost"), m_host);
    m_created = true;
    if (!m_connection)
        m_connection = platform::CreateSystemConnectionCheck();
    if (m_hasContent)
        PostNavigate();
    return true;
}

bool CMapCtrl::event(QEvent *event)
{
    if (event->type() == skin::WindowMessageEvent::EventType()) {
        auto *message = static_cast<skin::WindowMessageEvent *>(event);
        if (message->Message() == kMsgNavigate) {
            OnNavigate();
            return true;
        }
    }
    return QWidget::event(event);
}

void CMapCtrl::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_created)
        CreateBrowser();
}

void CMapCtrl::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    PlaceBrowser();
}

void CMapCtrl::PlaceBrowser()
{
    // The browser overhangs by a pixel on each side, so its frame lies outside the control.
    if (m_browser)
        m_browser->setGeometry(-1, -1, width() + 2, height() + 2);
}

void CMapCtrl::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Button));
    DrawCentred(painter, m_images[kImageBackground], rect());
    const int shown = ShownImage();
    if (shown > kImageBackground)
        DrawCentred(painter, m_images[size_t(shown)], rect());
}

void CMapCtrl::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_connectionTimer.timerId()) {
        OnConnectionTick();
        return;
    }
    QWidget::timerEvent(event);
}

void CMapCtrl::PostNavigate()
{
    // One navigation queued at a time: later requests fold into it.
    if (m_navigatePosted)
        return;
    m_navigatePosted = skin::PostWindowMessage(this, kMsgNavigate);
}

void CMapCtrl::OnNavigate()
{
    m_navigatePosted = false;
    if (!m_created || !Connected())
        return;
    if (m_contentKind == kContentUrl && !m_url.isEmpty()) {
        m_loaded = false;
        m_navigating = true;
        m_browser->Navigate(QUrl::fromUserInput(m_url));
    } else if (m_contentKind == kContentHtml && !m_html.isEmpty()) {
        m_loaded = false;
        m_navigating = true;
        m_browser->LoadHTML(m_html, QUrl(kMemoryUrl));
    }
}

void CMapCtrl::OnConnectionTick()
{
    if (!m_hasContent || !m_created || s_inConnectionTick)
        return;
    s_inConnectionTick = true;
    if (Connected()) {
        m_noConnection = false;
        // A navigation under way is left to finish: starting it again would never let it end.
        if (!m_loaded && !m_navigating)
            PostNavigate();
        if (!m_noGpsState || !m_points.empty()) {
            if (m_loaded && !m_browserVisible)
                ShowBrowser(true);
        } else if (m_hasNoGpsImage && m_browserVisible) {
            ShowBrowser(false);
        }
    } else {
        m_noConnection = true;
        ShowBrowser(false);
    }
    s_inConnectionTick = false;
}

void CMapCtrl::OnDocumentComplete(const QUrl &url, bool ok)
{
    if (url.scheme() == QLatin1String("about"))
        return;
    m_navigating = false;
    m_loaded = ok && url == PageUrl();
    if (!m_loaded)
        return;
    m_loadedUrl = url;
    // A track or a position handed over while the page was loading is drawn now.
    m_lastDrawnIndex = -1;
    DrawTrack();
    if (m_askedPosition)
        DrawCurrent(m_lastAskedMs);
    if (!m_noConnection && (!m_noGpsState || !m_points.empty()) && !m_browserVisible)
        ShowBrowser(true);
    emit pageReady();
}

bool CMapCtrl::Connected()
{
    return !m_connection || m_connection->IsConnected();
}

QUrl CMapCtrl::PageUrl() const
{
    return m_contentKind == kContentHtml ? QUrl(kMemoryUrl) : QUrl::fromUserInput(m_url);
}
