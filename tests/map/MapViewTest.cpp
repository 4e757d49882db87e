#include "app/CTAVINDlg.h"
#include "app/MainWindowSettings.h"
#include "app/features/CardPanelsController.h"
#include "app/features/ExportController.h"
#include "app/features/ImpactsController.h"
#include "app/features/MapController.h"
#include "app/features/RecordingListController.h"
#include "app/features/ToolPanelsController.h"
#include "media/CGPSArray.h"
#include "platform/connection_check.h"
#include "skin/CSkinListCtrl.h"
#include "skin/SkinRuntime.h"
#include "skin/WindowMessageEvent.h"
#include "support/DefaultSkin.h"
#include "support/SampleCards.h"
#include "support/Wait.h"
#include "views/map/CMapCtrl.h"
#include "views/map/CMapDlg.h"
#include "views/map/SimpleBrowser.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace std::chrono_literals;

// Under AddressSanitizer: the web engine's own code, which is not instrumented, frees some of its
// objects through a base class of another size. That is not ours to mend, and would stop the suite.
extern "C" const char *__asan_default_options()
{
    return "new_delete_type_mismatch=0";
}

namespace {

// The one answer of the system the map depends on, set by the test.
struct Reachability {
    bool online = true;
};
class SetConnection : public platform::ConnectionCheck
{
public:
    explicit SetConnection(std::shared_ptr<Reachability> state)
        : m_state(std::move(state))
    {
    }
    bool IsConnected() override { return m_state->online; }

private:
    std::shared_ptr<Reachability> m_state;
};

// What the page says it has drawn (its `view` object).
QJsonObject PageView(CMapCtrl *map)
{
    std::optional<QVariant> answer;
    map->Browser()->EvaluateScript(
        QStringLiteral("JSON.stringify(view)"), [&](const QVariant &value) { answer = value; });
    EXPECT_TRUE(testsupport::WaitUntil([&] { return answer.has_value(); }));
    return QJsonDocument::fromJson(answer.value_or(QVariant()).toString().toUtf8()).object();
}

QVariant PageValue(CMapCtrl *map, const QString &code)
{
    std::optional<QVariant> answer;
    map->Browser()->EvaluateScript(code, [&](const QVariant &value) { answer = value; });
    EXPECT_TRUE(testsupport::WaitUntil([&] { return answer.has_value(); }));
    return answer.value_or(QVariant());
}

class MapViewTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(testsupport::UseDefaultSkin(m_runtime, m_shown)); }

    // A map window of the default skin on the set connection, shown, with its page loaded when
    // online.
    std::unique_ptr<CMapDlg> OpenMap()
    {
        auto dialog = std::make_unique<CMapDlg>(m_runtime);
        EXPECT_TRUE(dialog->Init(QStringLiteral("map")));
        CMapCtrl *map = dialog->MapCtrl();
        EXPECT_NE(map, nullptr);
        if (!map)
            return dialog;
        map->SetConnectionCheck(std::make_unique<SetConnection>(m_reach));
        EXPECT_FALSE(map->IsCreated()) << "the web engine starts only when the window is shown";
        dialog->show();
        EXPECT_TRUE(map->IsCreated());
        return dialog;
    }

    skin::SkinRuntime m_runtime;
    std::vector<testsupport::ShownBox> m_shown;
    std::shared_ptr<Reachability> m_reach = std::make_shared<Reachability>();
};

TEST_F(MapViewTest, MainWindowHandsTheCardsTrackToThePageAndTellsWhenARecordingHasNoFixes)
{
    const testsupport::SampleCard &card = testsupport::SharedSampleCard();
    MainWindowSettings settings;
    settings.xmlSmall = QStringLiteral("main_small");
    settings.xmlLarge = QStringLiteral("main_large");
    settings.xmlFull = QStringLiteral("main_full");
    settings.xmlMap = QStringLiteral("map");
    CTAVINDlg::Services services;
    services.audioOutputs = {};
    services.volumes = std::make_unique<platform::FolderVolumeSource>(QStringList { card.root });
    services.chooseCard = [](const QStringList &) { return std::optional<int>(0); };
    services.watchMounts = false;
    CTAVINDlg window(m_runtime, settings, std::move(services));
    ASSERT_TRUE(window.Init());
    window.show();
    ASSERT_TRUE(testsupport::WaitUntil([&] { return window.FileList()->GetItemCount() > 0; }));
    CMapDlg *dialog = window.MapFeature().MapWindow();
    ASSERT_NE(dialog, nullptr);
    CMapCtrl *map = dialog->MapCtrl();
    ASSERT_NE(map, nullptr);
    map->SetConnectionCheck(std::make_unique<SetConnection>(m_reach));
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(map->IsCreated());

    const auto click = [&](const char *name) {
        skin::SendWindowMessage(&window, skin::kMsgCommand,
            skin::CommandWParam(window.GetControlId(skin::kSkinImgButton, QString::fromLatin1(name)), 0));
    };
    const auto play = [&](const media::recorder::SampleRecordingPlan &plan) {
        skin::CSkinListCtrl *list = window.FileList();
        for (int row = 0; row < list->GetItemCount(); ++row) {
            if (list->GetItemText(row, library::kColumnFileName) != plan.FileName('F').toUpper())
                continue;
            skin::SkinNotifyInfo info;
            info.idFrom = window.GetControlId(skin::kSkinListCtrl, QStringLiteral("file_list"));
            info.code = skin::kCodeListClick;
            info.item = row;
            skin::SendNotify(&window, info);
            return true;
        }
        return false;
    };
    click("title_map");
    ASSERT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->pos(), window.pos() + QPoint(400, 400));
    ASSERT_TRUE(testsupport::WaitUntil([&] { return map->IsLoaded() && map->IsBrowserVisible(); }));
    EXPECT_TRUE(
        PageValue(map, QStringLiteral("document.querySelector('.leaflet-control-scale') !== null")).toBool());
    EXPECT_TRUE(
        PageValue(map, QStringLiteral("document.querySelector('.leaflet-control-attribution').textContent"))
            .toString()
            .contains(QLatin1String("OpenStreetMap")));

    const auto driving = std::find_if(card.plans.begin(), card.plans.end(),
        [](const auto &p) { return p.gpsFix && !p.parked && !p.cutByPowerLoss; });
    ASSERT_TRUE(play(*driving));
    ASSERT_TRUE(testsupport::WaitUntil(
        [&] { return map->GetPointCount() > 0 && PageView(map)["moves"].toInt() > 0; }));
    // Paused, so that the marker stays where it is while the page is read.
    click("pause");
    QCoreApplication::processEvents();
    // The sample drive goes round Gangnam, Seoul; the points reach the page in decimal degrees.
    const CMapCtrl::DataItem first = map->GetPoint(0);
    EXPECT_NEAR(first.latitude, 37.5, 0.1);
    EXPECT_NEAR(first.longitude, 127.03, 0.1);
    QJsonObject view = PageView(map);
    EXPECT_EQ(view["points"].toInt(), map->GetPointCount());
    EXPECT_EQ(view["coloured"].toInt(), map->GetPointCount() - 1) << "each stretch coloured by its speed";
    const QVariantList firstOnPage
        = PageValue(map, QStringLiteral("[track.getLatLngs()[0].lat, track.getLatLngs()[0].lng]")).toList();
    ASSERT_EQ(firstOnPage.size(), 2);
    EXPECT_NEAR(firstOnPage[0].toDouble(), first.latitude, 1e-6);
    EXPECT_NEAR(firstOnPage[1].toDouble(), first.longitude, 1e-6);
    // The marker stands on a point of the track.
    const QJsonArray here = view["current"].toArray();
    ASSERT_EQ(here.size(), 2);
    const CMapCtrl::DataItem &shown = map->GetPoint(map->LastDrawnIndex());
    EXPECT_NEAR(here[0].toDouble(), shown.latitude, 1e-6);
    EXPECT_NEAR(here[1].toDouble(), shown.longitude, 1e-6);

    // A recording without fixes, played while the map is hidden: shown again, the map has no
    // track left and the "nogps" picture stands in place of the browser.
    click("title_map");
    ASSERT_FALSE(dialog->isVisible());
    const auto noFix
        = std::find_if(card.plans.begin(), card.plans.end(), [](const auto &p) { return !p.gpsFix; });
    ASSERT_TRUE(play(*noFix));
    ASSERT_TRUE(testsupport::WaitUntil([&] { return window.Playback().IsRunning(); }));
    click("title_map");
    ASSERT_TRUE(testsupport::WaitUntil([&] { return map->ShownImage() == CMapCtrl::kImageNoGps; }));
    EXPECT_FALSE(map->IsBrowserVisible());
    EXPECT_EQ(map->GetPointCount(), 0);
    EXPECT_EQ(PageView(map)["points"].toInt(), 0);
    EXPECT_TRUE(PageView(map)["current"].isNull());

    // Back to a drive: the page is shown again with the new track.
    ASSERT_TRUE(play(*driving));
    ASSERT_TRUE(testsupport::WaitUntil([&] { return map->IsBrowserVisible() && map->GetPointCount() > 0; }));
    click("title_map");
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(m_shown.empty()) << m_shown.front().text.toStdString();
}

TEST_F(MapViewTest, MarkerMovesAtMostOncePerSecondAndNeverTwiceToOnePoint)
{
    std::unique_ptr<CMapDlg> dialog = OpenMap();
    CMapCtrl *map = dialog->MapCtrl();
    ASSERT_TRUE(testsupport::WaitUntil([&] { return map->IsLoaded(); }));

    // Fixes five times a second up to 3 s, one more at 6 s, and two fixes with one time.
    media::CGPSArray fixes;
    std::vector<uint32_t> times;
    for (uint32_t ms = 0; ms <= 3000; ms += 200)
        times.push_back(ms);
    times.insert(times.begin() + 3, 400);
    times.push_back(6000);
    for (size_t i = 0; i < times.size(); ++i) {
        media::CGps fix;
        fix.valid = 1;
        fix.timeMs = times[i];
        fix.latitude = 3730.0f + 0.1f * float(i); // ddmm.mmmm: 37 deg 30 min, then a tenth of a minute on
        fix.longitude = 12702.0f;
        fix.speed = 40;
        fixes.Add(fix);
    }
    dialog->SetTrack(fixes);
    ASSERT_EQ(map->GetPointCount(), 17) << "two fixes with one time give one point";
    EXPECT_NEAR(map->GetPoint(0).latitude, 37.5, 1e-9);
    EXPECT_NEAR(map->GetPoint(0).longitude, 127.0 + 2.0 / 60, 1e-9);
    skin::PostWindowMessage(dialog.get(), CMapDlg::kMsgTrackHandedOver, 0, 0);
    // Positions every 100 ms for 7.5 s.
    for (uint32_t ms = 0; ms <= 7500; ms += 100)
        skin::PostWindowMessage(dialog.get(), CMapDlg::kMsgPosition, 0, qintptr(ms));
    QCoreApplication::processEvents();
    QJsonObject view = PageView(map);
    EXPECT_EQ(view["points"].toInt(), 17);
    // Moved at 0, 1, 2, 3 and 6 s; at 4, 5 and 7 s the point shown stays the one at 3 or 6 s.
    EXPECT_EQ(view["moves"].toInt(), 5);
    EXPECT_NEAR(view["current"].toArray()[0].toDouble(), map->GetPoint(16).latitude, 6e-7); // six decimals

    // A step back in time moves it at once.
    skin::PostWindowMessage(dialog.get(), CMapDlg::kMsgPosition, 0, 5500);
    QCoreApplication::processEvents();
    view = PageView(map);
    EXPECT_EQ(view["moves"].toInt(), 6);
    EXPECT_NEAR(view["current"].toArray()[0].toDouble(), map->GetPoint(15).latitude, 6e-7); // six decimals

    // Cleared: the page forgets the track and the marker.
    skin::PostWindowMessage(dialog.get(), CMapDlg::kMsgTrackCleared);
    QCoreApplication::processEvents();
    EXPECT_EQ(map->GetPointCount(), 0);
    view = PageView(map);
    EXPECT_EQ(view["points"].toInt(), 0);
    EXPECT_TRUE(view["current"].isNull());
}

// A click with the mouse on or beside the drawn track names the time of the track point nearest
// to it; a click away from the track names nothing.
TEST_F(MapViewTest, ClickOnTheTrackGivesTheTimeOfTheNearestPoint)
{
    std::unique_ptr<CMapDlg> dialog = OpenMap();
    CMapCtrl *map = dialog->MapCtrl();
    ASSERT_TRUE(testsupport::WaitUntil([&] { return map->IsLoaded() && map->IsBrowserVisible(); }));
    QSignalSpy clicked(dialog.get(), &CMapDlg::trackClicked);

    // A fix every second heading north-east, the first 0.4 s into the recording.
    media::CGPSArray fixes;
    for (int i = 0; i < 40; ++i) {
        media::CGps fix;
        fix.valid = 1;
        fix.timeMs = uint32_t(400 + i * 1000);
        fix.latitude = 3730.0f + 0.01f * float(i);
        fix.longitude = 12702.0f + 0.01f * float(i);
        fix.speed = float(20 + i);
        fixes.Add(fix);
    }
    dialog->SetTrack(fixes);
    ASSERT_TRUE(testsupport::WaitUntil([&] {
        return PageView(map)["points"].toInt() == 40
            && PageValue(map, QStringLiteral("!!window.mapHost")).toBool();
    }));
    QWidget *surface = map->Browser()->View()->focusProxy();
    ASSERT_NE(surface, nullptr);
    const auto pointOnScreen = [&](int index) {
        const QVariantList xy = PageValue(map,
            QStringLiteral("(function () { var p = map.latLngToContainerPoint(track.getLatLngs()[%1]);"
                           " return [p.x, p.y]; })()")
                .arg(index))
                                    .toList();
        return xy.size() == 2 ? QPoint(qRound(xy[0].toDouble()), qRound(xy[1].toDouble())) : QPoint(-1, -1);
    };

    // Beside point 25, a few pixels off the line and nearer to it than to its neighbours.
    const QPoint near25 = pointOnScreen(25) + QPoint(3, 2);
    ASSERT_TRUE(surface->rect().contains(near25)) << near25.x() << "," << near25.y();
    QTest::mouseClick(surface, Qt::LeftButton, {}, near25);
    ASSERT_TRUE(testsupport::WaitUntil([&] { return clicked.count() == 1; }));
    EXPECT_EQ(clicked.takeFirst().at(0).toLongLong(), qint64(map->GetPoint(25).timeMs));

    // Far from the track: nothing. Then on the last point, which is the only signal that follows.
    const QPoint last = pointOnScreen(39);
    const QPoint first = pointOnScreen(0);
    const QPoint away(last.x() - (last.x() - first.x()) / 2 + 60, last.y() - (last.y() - first.y()) / 2 + 60);
    ASSERT_TRUE(surface->rect().contains(away));
    QTest::mouseClick(surface, Qt::LeftButton, {}, away);
    QTest::qWait(700); // apart enough not to make a double click, which zooms
    QTest::mouseClick(surface, Qt::LeftButton, {}, last);
    ASSERT_TRUE(testsupport::WaitUntil([&] { return clicked.count() >= 1; }));
    QTest::qWait(200);
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(clicked.takeFirst().at(0).toLongLong(), qint64(map->GetPoint(39).timeMs));
}

TEST_F(MapViewTest, OfflineShowsNoConnectAndTheReturningConnectionShowsThePage)
{
    m_reach->online = false;
    std::unique_ptr<CMapDlg> dialog = OpenMap();
    CMapCtrl *map = dialog->MapCtrl();
    // Where the engine cannot be sandboxed it is told so, and the log says why.
    if (geteuid() == 0) {
        EXPECT_TRUE(qgetenv("QTWEBENGINE_CHROMIUM_FLAGS").contains("--no-sandbox"));
    }

    ASSERT_TRUE(testsupport::WaitUntil([&] { return !map->HasConnection(); }, 5s));
    EXPECT_FALSE(map->IsBrowserVisible());
    EXPECT_FALSE(map->IsLoaded()) << "nothing is loaded without a connection";
    EXPECT_EQ(map->ShownImage(), CMapCtrl::kImageNoConnect);
    // A track and a position handed over meanwhile are drawn once the page is there.
    for (uint32_t s = 0; s < 4; ++s)
        map->AddPoint(s * 1000, 37.5 + s * 0.001, 127.0);
    map->DrawTrack();
    skin::PostWindowMessage(dialog.get(), CMapDlg::kMsgPosition, 0, 2500);
    // The picture is what the window shows, centred.
    const QImage shot = map->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage picture = QImage(QStringLiteral(TAVIN_BIN_DIR "/skin/default/map_noconnect.bmp"))
                               .convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(picture.isNull());
    const QPoint origin((shot.width() - picture.width()) / 2, (shot.height() - picture.height()) / 2);
    int differing = 0;
    for (int y = 0; y < picture.height(); y += 5)
        for (int x = 0; x < picture.width(); x += 5)
            differing += shot.pixel(origin + QPoint(x, y)) != picture.pixel(x, y);
    EXPECT_EQ(differing, 0);

    m_reach->online = true;
    ASSERT_TRUE(testsupport::WaitUntil([&] { return map->IsLoaded() && map->IsBrowserVisible(); }, 10s));
    EXPECT_EQ(map->ShownImage(), -1);
    const QJsonObject view = PageView(map);
    EXPECT_EQ(view["points"].toInt(), 4);
    EXPECT_NEAR(view["current"].toArray()[0].toDouble(), 37.502, 1e-9);
    PageValue(map, QStringLiteral("window.kept = 1"));

    // Offline again and back: hidden, then shown again without loading the page anew.
    m_reach->online = false;
    ASSERT_TRUE(testsupport::WaitUntil([&] { return !map->IsBrowserVisible(); }, 5s));
    EXPECT_EQ(map->ShownImage(), CMapCtrl::kImageNoConnect);
    m_reach->online = true;
    ASSERT_TRUE(testsupport::WaitUntil([&] { return map->IsBrowserVisible(); }, 5s));
    EXPECT_EQ(PageValue(map, QStringLiteral("window.kept")).toInt(), 1);
}

} // namespace
