#pragma once

#include "archive/ArchiveIndex.h"

#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class ArchiveMapHost;
class BackgroundJob;
class QComboBox;
class QLabel;
class QTreeWidget;
class SimpleBrowser;
namespace skin {
class CSkin;
}

// The archive window's map: every indexed track, drawn on a page of its own and thinned to what the
// view can show, and the times the car passed a place clicked on the map, within a chosen radius.
// Choosing a pass hands it to whoever plays it. The web page is made when the page is first shown.
// The tracks are read on a worker with a connection of its own, so that panning never waits for
// the archive; views reported meanwhile fold into one reading when it is done.
class ArchiveMapPage : public QWidget
{
    Q_OBJECT
public:
    static constexpr double kRadiiM[] = { 25, 50, 100, 200 };
    static constexpr int kDefaultRadius = 1; // 50 m

    // The skin gives the page its words and its map page text; it outlives the page.
    ArchiveMapPage(const skin::CSkin &skin, const QString &pageText, QWidget *parent = nullptr);
    ~ArchiveMapPage() override;

    void SetIndex(const archive::ArchiveIndex *index) { m_index = index; }
    void SetOnPassChosen(std::function<void(const archive::Pass &)> handler)
    {
        m_onPassChosen = std::move(handler);
    }

    // Draws the tracks of the view again and searches the chosen place again (after indexing).
    void Refresh();
    // Lists the passes near the place (decimal degrees) within the chosen radius, and marks it.
    void ChoosePlace(double latitude, double longitude);
    void SetRadius(int index);
    double RadiusM() const;
    // Hands the listed pass on to be played.
    void ChoosePass(int row);

    const std::vector<archive::Pass> &Passes() const { return m_passes; }
    // What the page says under the map: how to ask, or what the asked place had.
    QString HintText() const;
    QTreeWidget *PassList() const { return m_passList; }
    QComboBox *RadiusBox() const { return m_radius; }
    SimpleBrowser *Browser() const { return m_browser; }
    bool IsPageLoaded() const { return m_loaded; }
    // Track points handed to the page for the view it last showed.
    int DrawnPoints() const { return m_drawnPoints; }

signals:
    // The page loaded and shows the archive's extent.
    void pageReady();
    // The page was handed the tracks of its view.
    void tracksDrawn(int lines, int points);

protected:
    void showEvent(QShowEvent *event) override;

private:
    struct TrackQuery;
    void CreateBrowser();
    void OnPageLoaded(bool ok);
    void FitToArchive();
    void DrawView();
    // Starts the reading that waits (the extent first, then the latest view) unless one runs.
    void ReadTracks();
    void OnTracksRead(const TrackQuery &query);
    void ListPasses();
    void ShowPlaceOnPage();
    void RunScript(const QString &code);

    const skin::CSkin &m_skin;
    QString m_pageText;
    const archive::ArchiveIndex *m_index = nullptr;
    std::function<void(const archive::Pass &)> m_onPassChosen;
    SimpleBrowser *m_browser = nullptr;
    ArchiveMapHost *m_host = nullptr;
    QComboBox *m_radius = nullptr;
    QLabel *m_hint = nullptr;
    QTreeWidget *m_passList = nullptr;
    bool m_loaded = false;
    // The view the page last reported: south-west and north-east corners, metres per pixel.
    struct View {
        double south = 0, west = 0, north = 0, east = 0, metresPerPixel = 0;
    };
    std::optional<View> m_view;
    QTimer m_drawSoon; // views reported while panning fold into one drawing
    std::unique_ptr<BackgroundJob> m_tracksJob; // the reading of tracks in hand
    bool m_fitWaits = false; // the page waits for the archive's extent
    bool m_drawWaits = false; // the page waits for the tracks of its latest view
    int m_drawnPoints = 0;
    std::optional<std::pair<double, double>> m_place;
    std::vector<archive::Pass> m_passes;
};
