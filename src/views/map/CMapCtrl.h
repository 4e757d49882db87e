#pragma once

#include <QBasicTimer>
#include <QImage>
#include <QUrl>
#include <QWidget>

#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

namespace platform {
class ConnectionCheck;
}
class MapPageHost;
class SimpleBrowser;

// The map control: a web page that draws the track and the current position, shown only while
// the network is reachable and the page has loaded; otherwise its own pictures ("noconnect",
// "nogps") take its place. The page offers Reset, DrawPoly and DrawCurrent, and optionally
// DrawSpeeds (one speed in km/h per track point, to colour the line) and DrawTimes (the time of
// each point, which the page reports back through `mapHost` when the track is clicked).
class CMapCtrl : public QWidget
{
    Q_OBJECT
public:
    struct DataItem {
        double latitude = 0; // decimal degrees
        double longitude = 0;
        std::uint32_t timeMs = 0; // from the start of the recording
        double speedKmh = std::numeric_limits<double>::quiet_NaN(); // NaN: not known
    };
    enum ImageIndex { kImageBackground = 0, kImageNoConnect = 1, kImageNoGps = 2 };
    enum ContentKind { kContentNone = 0, kContentUrl = 1, kContentHtml = 2 };
    static constexpr int kConnectionTimer = 1000;
    static constexpr int kConnectionPeriodMs = 500;
    static constexpr quint32 kMsgNavigate = 0xA44B;

    explicit CMapCtrl(QWidget *parent = nullptr);
    ~CMapCtrl() override;

    // Replaces one of the three pictures; false when the file cannot be read.
    bool SetImage(int index, const QString &path);
    void SetURL(const QString &url);
    void SetHTML(const QString &text);
    void SetDrawLine(bool drawLine) { m_drawLine = drawLine; }
    bool DrawLine() const { return m_drawLine; }
    // Replaces the system's connection check (tests answer themselves).
    void SetConnectionCheck(std::unique_ptr<platform::ConnectionCheck> check);

    // Appends a point unless one with the same time exists or a coordinate is not a number.
    bool AddPoint(std::uint32_t timeMs, double latitude, double longitude,
        double speedKmh = std::numeric_limits<double>::quiet_NaN());
    void ClearTrack();
    void DrawTrack();
    // Moves the page's marker to the point shown at the time, when it differs from the last one.
    void DrawCurrent(std::uint32_t timeMs);
    void ShowBrowser(bool show);
    void SetNoGpsState(bool on);

    int GetPointCount() const { return int(m_points.size()); }
    const DataItem &GetPoint(int index) const { return m_points[size_t(index)]; }
    int CurrentIndex() const { return m_currentIndex; }
    int LastDrawnIndex() const { return m_lastDrawnIndex; }
    bool IsCreated() const { return m_created; }
    bool IsLoaded() const { return m_loaded; }
    bool HasConnection() const { return !m_noConnection; }
    bool IsBrowserVisible() const { return m_browserVisible; }
    bool NoGpsState() const { return m_noGpsState; }
    // What the control paints where the browser is hidden: an ImageIndex, or -1 for nothing.
    int ShownImage() const;
    SimpleBrowser *Browser() const { return m_browser; }

    // Makes the browser (and starts the web engine). Runs when the control is first shown.
    bool CreateBrowser();

signals:
    // The page finished loading and has the current track and position.
    void pageReady();
    // The user clicked on or near the track; the time (ms from the start of the recording) is that
    // of the track point nearest to the click, one of the points' timeMs.
    void trackClicked(qint64 timeMs);

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void timerEvent(QTimerEvent *event) override;

private:
    void PostNavigate();
    void OnNavigate();
    void OnConnectionTick();
    void OnDocumentComplete(const QUrl &url, bool ok);
    void PlaceBrowser();
    bool Connected();
    QUrl PageUrl() const;

    SimpleBrowser *m_browser = nullptr;
    MapPageHost *m_host = nullptr;
    std::unique_ptr<platform::ConnectionCheck> m_connection;
    ContentKind m_contentKind = kContentNone;
    QString m_url;
    QString m_html;
    QUrl m_loadedUrl; // the page the browser holds, once it has loaded
    bool m_created = false;
    bool m_loaded = false;
    bool m_navigating = false; // a navigation was started and has not completed
    bool m_navigatePosted = false;
    bool m_noConnection = false;
    bool m_hasNoGpsImage = false;
    bool m_noGpsState = false;
    bool m_hasContent = false;
    bool m_browserVisible = false;
    bool m_drawLine = false;
    std::array<QImage, 3> m_images;
    std::vector<DataItem> m_points;
    int m_currentIndex = 0;
    int m_lastDrawnIndex = -1;
    // The last time asked for, so a page that loads later still gets the current position.
    std::uint32_t m_lastAskedMs = 0;
    bool m_askedPosition = false;
    QBasicTimer m_connectionTimer;
};
