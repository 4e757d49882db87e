#include "views/archive/ArchiveMapPage.h"

#include "panels/BackgroundJob.h"
#include "skin/CSkin.h"
#include "views/ViewsLog.h"
#include "views/archive/ArchiveMapHost.h"
#include "views/archive/ArchiveTexts.h"
#include "views/map/SimpleBrowser.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

enum Column { kWhen, kHeading, kSpeed, kSource, kState, kColumns };

const QUrl kPageUrl(QStringLiteral("memory://archive-map"));
// Tracks are thinned to this many pixels of the view: finer steps would not show.
constexpr double kStepPixels = 2.0;
// The tracks asked for reach this far (as a share of the view) beyond each side, so that a small pan
// finds them drawn.
constexpr double kViewMargin = 0.15;

// The eight points of the compass, from a heading in degrees clockwise from north.
const char *CompassKey(double headingDeg)
{
    static const char *const keys[]
        = { "dir_n", "dir_ne", "dir_e", "dir_se", "dir_s", "dir_sw", "dir_w", "dir_nw" };
    if (!std::isfinite(headingDeg))
        return nullptr;
    const double turned = std::fmod(std::fmod(headingDeg, 360.0) + 360.0 + 22.5, 360.0);
    return keys[int(turned / 45.0) % 8];
}

QString Number(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

} // namespace

ArchiveMapPage::ArchiveMapPage(const skin::CSkin &skin, const QString &pageText, QWidget *parent)
    : QWidget(parent)
    , m_skin(skin)
    , m_pageText(pageText)
{
    setObjectName(QStringLiteral("archive_map_page"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);

    m_browser = new SimpleBrowser(this);
    m_browser->setObjectName(QStringLiteral("archive_map"));
    m_browser->setMinimumSize(480, 300);
    row->addWidget(m_browser, 1);

    auto *side = new QVBoxLayout;
    side->setSpacing(6);
    auto *radiusRow = new QHBoxLayout;
    auto *radiusLabel = new QLabel(ArchiveText(skin, "radius"), this);
    radiusRow->addWidget(radiusLabel);
    m_radius = new QComboBox(this);
    m_radius->setObjectName(QStringLiteral("archive_radius"));
    m_radius->setFocusPolicy(Qt::NoFocus);
    for (double radius : kRadiiM)
        m_radius->addItem(QStringLiteral("%1 m").arg(radius));
    m_radius->setCurrentIndex(kDefaultRadius);
    radiusRow->addWidget(m_radius, 1);
    side->addLayout(radiusRow);
    m_hint = new QLabel(ArchiveText(skin, "pick_place"), this);
    m_hint->setObjectName(QStringLiteral("archive_place"));
    m_hint->setWordWrap(true);
    side->addWidget(m_hint);
    m_passList = new QTreeWidget(this);
    m_passList->setObjectName(QStringLiteral("archive_passes"));
    m_passList->setRootIsDecorated(false);
    m_passList->setUniformRowHeights(true);
    m_passList->setAllColumnsShowFocus(true);
    m_passList->setFocusPolicy(Qt::NoFocus);
    m_passList->setColumnCount(kColumns);
    m_passList->setHeaderLabels({ ArchiveText(skin, "col_when"), ArchiveText(skin, "col_heading"),
        ArchiveText(skin, "col_speed"), ArchiveText(skin, "col_source"), ArchiveText(skin, "col_state") });
    const int widths[] = { 136, 62, 70, 0, 62 };
    m_passList->header()->setStretchLastSection(false);
    m_passList->header()->setSectionResizeMode(kSource, QHeaderView::Stretch);
    for (int column = 0; column < kColumns; ++column)
        if (widths[column] > 0)
            m_passList->setColumnWidth(column, widths[column]);
    side->addWidget(m_passList, 1);
    row->addLayout(side, 1);

    m_drawSoon.setSingleShot(true);
    m_drawSoon.setInterval(60);
    connect(&m_drawSoon, &QTimer::timeout, this, [this] { DrawView(); });
    connect(m_radius, &QComboBox::activated, this, [this](int index) { SetRadius(index); });
    connect(m_passList, &QTreeWidget::itemClicked, this,
        [this](QTreeWidgetItem *item) { ChoosePass(m_passList->indexOfTopLevelItem(item)); });
}

ArchiveMapPage::~ArchiveMapPage() = default;

void ArchiveMapPage::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    CreateBrowser();
}

void ArchiveMapPage::CreateBrowser()
{
    if (m_browser->IsCreated() || m_pageText.isEmpty())
        return;
    if (!m_browser->Create()) {
        qCWarning(lcViews) << "the archive's map page cannot be shown: no web view";
        return;
    }
    m_host = new ArchiveMapHost(this);
    connect(m_host, &ArchiveMapHost::placeClicked, this, &ArchiveMapPage::ChoosePlace);
    connect(m_host, &ArchiveMapHost::viewChanged, this,
        [this](double south, double west, double north, double east, double metresPerPixel) {
            m_view = View { south, west, north, east, metresPerPixel };
            m_drawSoon.start();
        });
    m_browser->ExposeObject(QStringLiteral("mapHost"), m_host);
    connect(m_browser, &SimpleBrowser::documentComplete, this, [this](const QUrl &url, bool ok) {
        if (url == kPageUrl)
            OnPageLoaded(ok);
    });
    m_browser->LoadHTML(m_pageText, kPageUrl);
}

void ArchiveMapPage::OnPageLoaded(bool ok)
{
    m_loaded = ok;
    if (!ok) {
        m_hint->setText(ArchiveText(m_skin, "map_failed"));
        return;
    }
    FitToArchive();
    if (m_place)
        ShowPlaceOnPage();
    emit pageReady();
}

void ArchiveMapPage::RunScript(const QString &code)
{
    if (m_loaded)
        m_browser->EvaluateScript(code, [](const QVariant &) {});
}

// A reading of tracks on the worker: the whole archive's extent, or the tracks of a view written
// out for the page.
struct ArchiveMapPage::TrackQuery {
    QString archivePath;
    bool fit = false;
    QRectF bounds;
    double minStepM = 0;
    double metresPerPixel = 0;

    QString error;
    std::optional<QRectF> extent; // x longitude, y latitude
    size_t lines = 0;
    int points = 0;
    QString script; // DrawTracks([[lat,lon,...],...], [[km/h or -1,...],...]);
    qint64 queryMs = 0;
    qint64 workMs = 0;

    void Run()
    {
        QElapsedTimer timer;
        timer.start();
        archive::ArchiveIndex index;
        if (!index.OpenForReading(archivePath, &error))
            return;
        const std::vector<archive::TrackLine> found = index.Tracks(bounds, minStepM);
        queryMs = timer.elapsed();
        lines = found.size();
        if (fit)
            Measure(found);
        else
            WriteOut(found);
        workMs = timer.elapsed();
    }

    void Measure(const std::vector<archive::TrackLine> &found)
    {
        double south = 90, west = 180, north = -90, east = -180;
        for (const archive::TrackLine &line : found) {
            for (const QPointF &point : line.points) {
                south = std::min(south, point.y());
                north = std::max(north, point.y());
                west = std::min(west, point.x());
                east = std::max(east, point.x());
            }
        }
        if (south <= north)
            extent = QRectF(QPointF(west, south), QPointF(east, north));
    }

    // Written by hand: a year of drives is tens of thousands of lines, and a JSON document of them
    // costs more than the query.
    void WriteOut(const std::vector<archive::TrackLine> &found)
    {
        QString lats;
        QString speeds;
        lats.reserve(int(found.size()) * 64);
        lats += QLatin1Char('[');
        speeds += QLatin1Char('[');
        for (size_t l = 0; l < found.size(); ++l) {
            const archive::TrackLine &line = found[l];
            if (l > 0) {
                lats += QLatin1Char(',');
                speeds += QLatin1Char(',');
            }
            lats += QLatin1Char('[');
            speeds += QLatin1Char('[');
            for (size_t p = 0; p < line.points.size(); ++p) {
                if (p > 0) {
                    lats += QLatin1Char(',');
                    speeds += QLatin1Char(',');
                }
                lats += Number(line.points[p].y(), 5) + QLatin1Char(',') + Number(line.points[p].x(), 5);
                const float speed = p < line.speeds.size() ? line.speeds[p] : -1.0f;
                speeds += std::isfinite(speed) ? QString::number(qRound(speed)) : QStringLiteral("-1");
            }
            points += int(line.points.size());
            lats += QLatin1Char(']');
            speeds += QLatin1Char(']');
        }
        lats += QLatin1Char(']');
        speeds += QLatin1Char(']');
        script = QStringLiteral("DrawTracks(%1, %2);").arg(lats, speeds);
    }
};

void ArchiveMapPage::FitToArchive()
{
    m_fitWaits = true;
    ReadTracks();
}

void ArchiveMapPage::Refresh()
{
    if (m_loaded && m_view)
        DrawView();
    if (m_place)
        ListPasses();
}

void ArchiveMapPage::DrawView()
{
    m_drawWaits = true;
    ReadTracks();
}

void ArchiveMapPage::ReadTracks()
{
    if (m_tracksJob || !m_index || !m_loaded)
        return;
    TrackQuery query;
    query.archivePath = m_index->Path();
    if (m_fitWaits) {
        m_fitWaits = false;
        // Coarse tracks of the whole world are enough to know where the drives are.
        query.fit = true;
        query.bounds = QRectF(-180, -90, 360, 180);
        query.minStepM = 5000;
    } else if (m_drawWaits && m_view) {
        m_drawWaits = false;
        const View &view = *m_view;
        const double latitudeMargin = (view.north - view.south) * kViewMargin;
        const double longitudeMargin = (view.east - view.west) * kViewMargin;
        query.bounds = QRectF(QPointF(std::max(-180.0, view.west - longitudeMargin),
                                  std::max(-90.0, view.south - latitudeMargin)),
            QPointF(
                std::min(180.0, view.east + longitudeMargin), std::min(90.0, view.north + latitudeMargin)));
        query.minStepM = std::max(1.0, view.metresPerPixel * kStepPixels);
        query.metresPerPixel = view.metresPerPixel;
    } else {
        return;
    }
    m_tracksJob = std::make_unique<BackgroundJob>(this);
    m_tracksJob->Start(
        std::move(query), [](TrackQuery &reading, BackgroundJob::Progress &) { reading.Run(); },
        [this](TrackQuery &reading, bool cancelled) {
            const std::unique_ptr<BackgroundJob> job = std::move(m_tracksJob);
            if (!cancelled)
                OnTracksRead(reading);
            ReadTracks();
        });
}

void ArchiveMapPage::OnTracksRead(const TrackQuery &query)
{
    if (!query.error.isEmpty()) {
        qCWarning(lcViews) << "archive map:" << query.error;
        return;
    }
    if (query.fit) {
        qCDebug(lcViews) << "archive map: the extent of" << query.lines << "tracks read in" << query.queryMs
                         << "ms";
        if (!query.extent) {
            // Nothing indexed yet: the page keeps its own view and reports it.
            RunScript(QStringLiteral("ReportView();"));
            return;
        }
        const QRectF &extent = *query.extent;
        RunScript(QStringLiteral("FitBounds(%1, %2, %3, %4);")
                      .arg(Number(extent.top(), 6), Number(extent.left(), 6), Number(extent.bottom(), 6),
                          Number(extent.right(), 6)));
        return;
    }
    m_drawnPoints = query.points;
    QElapsedTimer timer;
    timer.start();
    m_browser->EvaluateScript(query.script,
        [timer, lines = query.lines, points = query.points, metresPerPixel = query.metresPerPixel,
            queryMs = query.queryMs, workMs = query.workMs](const QVariant &) {
            qCDebug(lcViews) << "archive map:" << lines << "lines," << points << "points at" << metresPerPixel
                             << "m a pixel; on the worker: query" << queryMs << "ms, written out after"
                             << workMs << "ms; drawn by the page" << timer.elapsed()
                             << "ms after it was handed over";
        });
    qCDebug(lcViews) << "archive map: handed to the page in" << timer.nsecsElapsed() / 1000 << "us";
    emit tracksDrawn(int(query.lines), query.points);
}

double ArchiveMapPage::RadiusM() const
{
    const int index = m_radius->currentIndex();
    return index >= 0 && index < int(std::size(kRadiiM)) ? kRadiiM[index] : kRadiiM[kDefaultRadius];
}

void ArchiveMapPage::SetRadius(int index)
{
    if (index < 0 || index >= int(std::size(kRadiiM)))
        return;
    m_radius->setCurrentIndex(index);
    if (m_place) {
        ListPasses();
        ShowPlaceOnPage();
    }
}

void ArchiveMapPage::ChoosePlace(double latitude, double longitude)
{
    m_place = std::make_pair(latitude, longitude);
    ListPasses();
    ShowPlaceOnPage();
}

void ArchiveMapPage::ShowPlaceOnPage()
{
    if (m_place)
        RunScript(QStringLiteral("ShowPlace(%1, %2, %3);")
                      .arg(Number(m_place->first, 7), Number(m_place->second, 7), Number(RadiusM(), 0)));
}

QString ArchiveMapPage::HintText() const
{
    return m_hint->text();
}

void ArchiveMapPage::ListPasses()
{
    if (!m_place)
        return;
    QElapsedTimer timer;
    timer.start();
    m_passes = m_index ? m_index->PassesNear(m_place->first, m_place->second, RadiusM())
                       : std::vector<archive::Pass>();
    const qint64 queryMs = timer.elapsed();
    // The latest first: the drive looked for is most often a recent one.
    std::reverse(m_passes.begin(), m_passes.end());
    m_passList->clear();
    const QString place = QStringLiteral("%1, %2").arg(Number(m_place->first, 5), Number(m_place->second, 5));
    m_hint->setText(m_passes.empty()
            ? ArchiveText(m_skin, "no_passes").arg(place)
            : ArchiveCountText(m_skin, "passes_count", qsizetype(m_passes.size())).arg(place));
    const QColor offline(0xFF, 0xB3, 0x47);
    for (const archive::Pass &pass : m_passes) {
        auto *item = new QTreeWidgetItem(m_passList);
        item->setText(kWhen, pass.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
        const char *compass = CompassKey(pass.headingDeg);
        item->setText(kHeading, compass ? ArchiveText(m_skin, compass) : QStringLiteral("–"));
        item->setText(kSpeed,
            std::isfinite(pass.speedKmh) ? QStringLiteral("%1 km/h").arg(qRound(pass.speedKmh))
                                         : QStringLiteral("–"));
        item->setTextAlignment(kSpeed, Qt::AlignRight | Qt::AlignVCenter);
        item->setText(kSource, pass.sourceLabel);
        item->setToolTip(kSource, pass.sourceLabel);
        item->setText(kState, ArchiveText(m_skin, pass.online ? "online" : "offline"));
        if (!pass.online)
            item->setForeground(kState, offline);
    }
    qCDebug(lcViews) << "archive map:" << m_passes.size() << "passes within" << RadiusM() << "m; query"
                     << queryMs << "ms, listed after" << timer.elapsed() << "ms";
}

void ArchiveMapPage::ChoosePass(int row)
{
    if (row < 0 || row >= int(m_passes.size()))
        return;
    m_passList->setCurrentItem(m_passList->topLevelItem(row));
    if (m_onPassChosen)
        m_onPassChosen(m_passes[size_t(row)]);
}
