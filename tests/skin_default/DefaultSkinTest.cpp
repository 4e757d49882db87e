// The default skin as built beside the program: every window the program opens finds its
// description in the pack, every name its code looks up, the message texts, and the bitmaps
// that the build drew.

#include "skin/CSkinDialog.h"
#include "skin/CSkinListCtrl.h"
#include "skin/SkinRuntime.h"
#include "skin/core/SkinPackReader.h"
#include "skin/core/SkinXml.h"
#include "support/Files.h"
#include "support/Process.h"
#include "views/ViewControlFactories.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>

namespace {

const QString kBinDir = QStringLiteral(TAVIN_BIN_DIR);
const QSize kMonitor(1920, 1080);

// One dialog per skin entry, built by the engine against a 1920 x 1080 monitor.
class DefaultSkin : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_runtime = std::make_unique<skin::SkinRuntime>();
        s_packResult = s_runtime->LoadPack(kBinDir + QStringLiteral("/default.skin"));
        s_runtime->SetBaseFolder(kBinDir);
        s_runtime->SetMonitorSize(kMonitor);
        s_runtime->SetMessageBoxHandler([](QWidget *, const QString &, const QString &, int) { return 0; });
        RegisterViewControlFactories(*s_runtime);
    }
    static void TearDownTestSuite() { s_runtime.reset(); }

    void SetUp() override
    {
        ASSERT_EQ(s_packResult, skin::kSkinPackOk) << "build the default_skin target first";
    }

    static std::unique_ptr<skin::CSkinDialog> open(const QString &entry)
    {
        auto dialog = std::make_unique<skin::CSkinDialog>(*s_runtime);
        if (!dialog->LoadSkin(entry))
            return nullptr;
        return dialog;
    }

    static std::unique_ptr<skin::SkinXmlNode> markup(const QString &entry)
    {
        QString text;
        if (!s_runtime->FindDescription(entry, &text))
            return nullptr;
        auto root = std::make_unique<skin::SkinXmlNode>();
        if (!root->LoadText(text))
            return nullptr;
        return root;
    }

    // The skin entries of the windows, as the settings layout beside the program names them.
    static QStringList windows()
    {
        QStringList entries;
        skin::SkinXmlNode layout;
        if (!layout.LoadText(
                QString::fromUtf8(testsupport::ReadFile(kBinDir + QStringLiteral("/tavin-viewer.xml")))))
            return entries;
        for (const skin::SkinXmlNode *section : layout.GetChildren(QStringLiteral("section"))) {
            if (*section->GetAttrValue(QStringLiteral("name")) != QLatin1String("Xml"))
                continue;
            for (const skin::SkinXmlNode *key : section->GetChildren(QStringLiteral("key")))
                entries.append(*key->GetAttrValue(QStringLiteral("default")));
        }
        return entries;
    }

    static std::unique_ptr<skin::SkinRuntime> s_runtime;
    static int s_packResult;
};

std::unique_ptr<skin::SkinRuntime> DefaultSkin::s_runtime;
int DefaultSkin::s_packResult = -1;

void collectElements(
    const skin::SkinXmlNode &node, const QString &name, std::vector<const skin::SkinXmlNode *> *out)
{
    for (const auto &child : node.children) {
        if (child->name == name)
            out->push_back(child.get());
        collectElements(*child, name, out);
    }
}

void collectBitmaps(const skin::SkinXmlNode &node, QStringList *out)
{
    for (const auto &attribute : node.attributes) {
        if (attribute->value.endsWith(QStringLiteral(".bmp"), Qt::CaseInsensitive)
            && !out->contains(attribute->value))
            out->append(attribute->value);
    }
    for (const auto &child : node.children)
        collectBitmaps(*child, out);
}

QString attr(const skin::SkinXmlNode &node, const char *name)
{
    const QString *value = node.GetAttrValue(QString::fromLatin1(name));
    return value ? *value : QString();
}

QImage bitmap(const QString &path)
{
    return QImage(QDir(kBinDir).filePath(path));
}

bool hasGroupAt(const skin::CSkinDialog &dialog, const QRect &rect)
{
    for (const auto &group : dialog.Skin().Items().groups) {
        if (group->rect.ToQRect() == rect)
            return true;
    }
    return false;
}

} // namespace

// What a description declares is built: every control as a widget of its type (or the place
// holder of a type built elsewhere), every image with its bitmap, every text and area.
TEST_F(DefaultSkin, EveryWindowOfTheLayoutBuildsWhatItsDescriptionDeclares)
{
    ASSERT_EQ(windows().size(), 12);
    for (const QString &entry : windows()) {
        SCOPED_TRACE(entry.toStdString());
        const auto dialog = open(entry);
        const auto root = markup(entry);
        ASSERT_TRUE(dialog && root) << "no loadable description";
        const skin::CSkin &skin = dialog->Skin();
        for (const char *element : { "control", "image", "text", "area" }) {
            std::vector<const skin::SkinXmlNode *> nodes;
            collectElements(*root, QString::fromLatin1(element), &nodes);
            for (const skin::SkinXmlNode *node : nodes) {
                const QString name = attr(*node, "name");
                if (node->parent && node->parent->name == QLatin1String("control"))
                    continue; // a map control's pictures
                SCOPED_TRACE(name.toStdString());
                if (node->name == QLatin1String("control"))
                    EXPECT_NE(
                        dialog->GetControl(skin::ControlTypeFromName(attr(*node, "type")), name), nullptr);
                else if (node->name == QLatin1String("image"))
                    EXPECT_NE(skin.GetImage(name), nullptr) << "missing, or its bitmap did not load";
                else if (node->name == QLatin1String("text"))
                    EXPECT_NE(skin.GetText(name), nullptr);
                else
                    EXPECT_NE(skin.GetArea(name), nullptr);
            }
        }
    }
}

// The message texts are those most windows carry: every window must carry them, so that whichever
// window asks finds them, worded alike.
TEST_F(DefaultSkin, EveryWindowCarriesTheSameNonEmptyMessageTexts)
{
    std::map<QString, int> windowsWithText;
    for (const QString &entry : windows()) {
        const auto root = markup(entry);
        ASSERT_NE(root, nullptr) << entry.toStdString();
        std::vector<const skin::SkinXmlNode *> texts;
        collectElements(*root, QStringLiteral("text"), &texts);
        for (const skin::SkinXmlNode *text : texts)
            ++windowsWithText[attr(*text, "name")];
    }
    QStringList shared;
    for (const auto &[key, count] : windowsWithText) {
        if (2 * count > windows().size())
            shared.append(key);
    }
    EXPECT_TRUE(shared.contains(QStringLiteral("err_title")));
    EXPECT_TRUE(shared.contains(QStringLiteral("error_title")));
    EXPECT_GE(shared.size(), 8);

    std::map<QString, QString> first;
    for (const QString &entry : windows()) {
        SCOPED_TRACE(entry.toStdString());
        const auto dialog = open(entry);
        ASSERT_NE(dialog, nullptr);
        for (const QString &key : shared) {
            SCOPED_TRACE(key.toStdString());
            ASSERT_NE(dialog->Skin().GetText(key), nullptr);
            const QString text = dialog->Skin().Text(key);
            EXPECT_FALSE(text.trimmed().isEmpty());
            if (key != QLatin1String("title")) {
                EXPECT_EQ(text, first.emplace(key, text).first->second) << "differs between windows";
            }
        }
    }
}

TEST_F(DefaultSkin, TextsTheProgramParsesHaveTheirForm)
{
    const auto dialog = open(QStringLiteral("main_small"));
    ASSERT_NE(dialog, nullptr);
    const skin::CSkin &skin = dialog->Skin();
    // The recording library upper-cases both and looks for them in file names.
    EXPECT_EQ(skin.Text(QStringLiteral("video_ext")).toUpper(), QStringLiteral(".AVI"));
    EXPECT_EQ(skin.Text(QStringLiteral("video_ext2")).toUpper(), QStringLiteral(".PVR"));
    // A capture saved without an extension gets this one after a dot.
    EXPECT_EQ(skin.Text(QStringLiteral("capture_ext")), QStringLiteral("jpg"));
    const QString filter = skin.Text(QStringLiteral("capture_filter"));
    EXPECT_TRUE(filter.contains(QStringLiteral("*.jpg")));
    EXPECT_TRUE(filter.contains(QStringLiteral("*.png")));
    // Two-line messages are written with the escaped line break, which the engine turns into one.
    EXPECT_TRUE(skin.Text(QStringLiteral("format_warning")).contains(QLatin1Char('\n')));
    EXPECT_FALSE(skin.Text(QStringLiteral("format_warning")).contains(QLatin1Char('\\')));
}

TEST_F(DefaultSkin, EveryReferencedBitmapWasDrawnAndButtonsKeepOneSize)
{
    for (const QString &entry : windows()) {
        SCOPED_TRACE(entry.toStdString());
        const auto root = markup(entry);
        ASSERT_NE(root, nullptr);
        QStringList bitmaps;
        collectBitmaps(*root, &bitmaps);
        for (const QString &path : bitmaps) {
            EXPECT_TRUE(path.startsWith(QStringLiteral("skin/default/"))) << path.toStdString();
            EXPECT_FALSE(bitmap(path).isNull()) << path.toStdString() << " was not drawn";
        }
        // An image button takes the size of the bitmap it shows: all states alike, and the
        // size the description lays the button out with.
        std::vector<const skin::SkinXmlNode *> controls;
        collectElements(*root, QStringLiteral("control"), &controls);
        for (const skin::SkinXmlNode *control : controls) {
            const QString type = attr(*control, "type").toLower();
            if (!type.isEmpty() && type != QLatin1String("imgcheckbox"))
                continue;
            SCOPED_TRACE(attr(*control, "name").toStdString());
            const auto states = control->GetChildren(QStringLiteral("state"));
            EXPECT_EQ(states.size(), 4u) << "normal, hover, click and disable";
            for (const skin::SkinXmlNode *state : states) {
                const QImage image = bitmap(attr(*state, "src"));
                EXPECT_EQ(
                    image.size(), QSize(attr(*control, "width").toInt(), attr(*control, "height").toInt()))
                    << attr(*state, "src").toStdString();
            }
        }
    }
}

TEST_F(DefaultSkin, StripsAndSliderPartsFitTheirControls)
{
    const auto root = markup(QStringLiteral("main_small"));
    ASSERT_NE(root, nullptr);
    std::vector<const skin::SkinXmlNode *> controls;
    collectElements(*root, QStringLiteral("control"), &controls);
    int sliders = 0;
    bool gauge = false;
    for (const skin::SkinXmlNode *control : controls) {
        const QString type = attr(*control, "type");
        SCOPED_TRACE(attr(*control, "name").toStdString());
        if (type == QLatin1String("speed")) {
            gauge = true;
            const skin::SkinXmlNode *number = control->GetChild(QStringLiteral("number"));
            const skin::SkinXmlNode *unit = control->GetChild(QStringLiteral("unit"));
            ASSERT_TRUE(number && unit);
            const QImage digits = bitmap(attr(*number, "src"));
            const QImage units = bitmap(attr(*unit, "src"));
            // Ten digits and the blank; km/h and mph.
            EXPECT_EQ(
                digits.size(), QSize(11 * attr(*number, "width").toInt(), attr(*number, "height").toInt()));
            EXPECT_EQ(units.size(), QSize(2 * attr(*unit, "width").toInt(), attr(*unit, "height").toInt()));
            // Three digits and the unit fit the gauge, the unit no taller than a digit.
            EXPECT_LE(3 * attr(*number, "width").toInt() + attr(*unit, "width").toInt(),
                attr(*control, "width").toInt());
            EXPECT_LE(units.height(), digits.height());
            EXPECT_EQ(digits.height(), attr(*control, "height").toInt());
        } else if (type == QLatin1String("slider")) {
            ++sliders;
            const int height = attr(*control, "height").toInt();
            for (const char *part : { "channel", "active" }) {
                const skin::SkinXmlNode *child = control->GetChild(QString::fromLatin1(part));
                ASSERT_NE(child, nullptr);
                EXPECT_EQ(bitmap(attr(*child, "src")).height(), height) << part;
            }
            const skin::SkinXmlNode *thumb = control->GetChild(QStringLiteral("thumb"));
            ASSERT_NE(thumb, nullptr);
            const QImage image = bitmap(attr(*thumb, "src"));
            EXPECT_LE(image.height(), height);
            // The thumb is round: its corners are the transparent colour the slider cuts out.
            EXPECT_FALSE(attr(*control, "transcolor").isEmpty());
            EXPECT_EQ(image.pixel(0, 0) & 0xFFFFFF, 0xFF00FFu);
            EXPECT_NE(image.pixel(image.width() / 2, image.height() / 2) & 0xFFFFFF, 0xFF00FFu);
        }
    }
    EXPECT_TRUE(gauge);
    EXPECT_EQ(sliders, 2);
}

TEST_F(DefaultSkin, MainLayoutsPlaceTheVideoAreasWhereTheProgramPutsTheVideo)
{
    const int w = kMonitor.width();
    const int h = kMonitor.height();
    struct Layout {
        const char *entry;
        QSize window;
        std::vector<QRect> videos; // left, top, right, bottom as the program computes them
    };
    const Layout layouts[] = {
        { "main_small", QSize(1366, 768),
            { QRect(QPoint(6, 49), QPoint(982 - 1, 597 - 1)),
                QRect(QPoint(986, 48), QPoint(1360 - 1, 291 - 1)) } },
        { "main_large", kMonitor,
            { QRect(QPoint(5, 48), QPoint(w - 386 - 1, h - 174 - 1)),
                QRect(QPoint(w - 381, 48), QPoint(w - 5 - 1, 293 - 1)) } },
        { "main_full", kMonitor, { QRect(QPoint(5, 48), QPoint(w - 10 - 1, h - 71 - 1)) } },
    };
    for (const Layout &layout : layouts) {
        SCOPED_TRACE(layout.entry);
        const auto dialog = open(QString::fromLatin1(layout.entry));
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->WindowInfo().rect.ToQRect().size(), layout.window);
        for (const QRect &video : layout.videos)
            EXPECT_TRUE(hasGroupAt(*dialog, video))
                << "no area drawn behind the video at " << video.x() << "," << video.y();
        // The program paints the time 508 to 656 wide and 44 high.
        const skin::CSkinArea *time = dialog->Skin().GetArea(QStringLiteral("time_display"));
        ASSERT_NE(time, nullptr);
        EXPECT_EQ(time->rect.left, 508);
        EXPECT_EQ(time->rect.right, 656);
        EXPECT_EQ(time->rect.Height(), 44);
        if (QString::fromLatin1(layout.entry) == QLatin1String("main_small")) {
            EXPECT_EQ(time->rect.top, 613);
        }
        // The title bar drags the window.
        const skin::CSkinArea *drag = dialog->Skin().GetArea(QStringLiteral("drag"));
        ASSERT_NE(drag, nullptr);
        EXPECT_EQ(drag->rect.top, 0);
        EXPECT_EQ(drag->rect.Height(), 48);
    }
}

TEST_F(DefaultSkin, ShownControlsStayInsideTheirWindowAndDoNotOverlap)
{
    for (const QString &entry : windows()) {
        SCOPED_TRACE(entry.toStdString());
        const auto dialog = open(entry);
        ASSERT_NE(dialog, nullptr);
        const QRect bounds(QPoint(0, 0), dialog->WindowInfo().rect.ToQRect().size());
        std::vector<std::pair<QString, QRect>> shown;
        for (int kind = 0; kind < skin::kSkinControlKindCount; ++kind) {
            const skin::SkinControlArray &controls
                = dialog->Skin().Items().Controls(static_cast<skin::SkinControlKind>(kind));
            for (int i = 0; i < controls.size(); ++i) {
                const QWidget *control = controls.At(i)->control;
                if (control && !control->isHidden())
                    shown.emplace_back(controls.NameAt(i), control->geometry());
            }
        }
        for (size_t i = 0; i < shown.size(); ++i) {
            EXPECT_TRUE(bounds.contains(shown[i].second))
                << shown[i].first.toStdString() << " leaves the window";
            for (size_t j = i + 1; j < shown.size(); ++j)
                EXPECT_FALSE(shown[i].second.intersects(shown[j].second))
                    << shown[i].first.toStdString() << " overlaps " << shown[j].first.toStdString();
        }
    }
}

TEST_F(DefaultSkin, PanelsLeaveRoomForWhatThePanelsPaint)
{
    // Capture preview: the panel repaints (6, 49)-(478, 268) with the grabbed frame.
    const auto print = open(QStringLiteral("print"));
    ASSERT_NE(print, nullptr);
    EXPECT_TRUE(hasGroupAt(*print, QRect(QPoint(6, 49), QPoint(477, 267))));

    // Image control: the speed text at (140, 280)-(360, 300), with no control over it.
    const auto images = open(QStringLiteral("img_control"));
    ASSERT_NE(images, nullptr);
    const QRect speedText(QPoint(140, 280), QPoint(359, 299));
    EXPECT_TRUE(QRect(QPoint(0, 0), images->WindowInfo().rect.ToQRect().size()).contains(speedText));
    // Every control, also those the other page shows.
    for (const QWidget *control : images->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        EXPECT_FALSE(control->geometry().intersects(speedText)) << control->objectName().toStdString();

    // Settings panel: placed at (5, 48) over the small layout's main video, groups 4 to 10 are
    // the seven pages' artwork in one place.
    const auto settings = open(QStringLiteral("bbsetting"));
    ASSERT_NE(settings, nullptr);
    const QSize size = settings->WindowInfo().rect.ToQRect().size();
    EXPECT_LE(5 + size.width(), 1366);
    EXPECT_LE(48 + size.height(), 768);
    const auto &groups = settings->Skin().Items().groups;
    ASSERT_GE(groups.size(), 11u);
    for (int g = 4; g <= 10; ++g) {
        SCOPED_TRACE(g);
        EXPECT_TRUE(groups[g]->hasBackgroundImage);
        EXPECT_EQ(groups[g]->rect, groups[4]->rect);
        EXPECT_NE(groups[g]->backgroundPath, g > 4 ? groups[g - 1]->backgroundPath : QString());
        EXPECT_FALSE(bitmap(groups[g]->backgroundPath).isNull());
    }
    for (int g = 0; g < 4; ++g)
        EXPECT_FALSE(groups[g]->hasBackgroundImage) << "group " << g << " would cover the pages";
}

TEST_F(DefaultSkin, ListsHaveTheirColumnsScrollBarAndSelectionMode)
{
    struct ListCase {
        const char *entry;
        const char *name;
        bool checks; // the save list picks several recordings; the main list one
    };
    for (const ListCase &c : { ListCase { "main_small", "file_list", false },
             ListCase { "main_large", "file_list", false }, ListCase { "save", "filesave_list", true } }) {
        SCOPED_TRACE(c.entry);
        const auto dialog = open(QString::fromLatin1(c.entry));
        ASSERT_NE(dialog, nullptr);
        auto *list = dialog->Control<skin::CSkinListCtrl>(skin::kSkinListCtrl, QString::fromLatin1(c.name));
        ASSERT_NE(list, nullptr);
        // Hidden column 0, then number, file name, kind and length.
        EXPECT_EQ(list->GetColumnCount(), 5);
        EXPECT_EQ(list->HasCheckBitmaps(), c.checks);
        EXPECT_NE(list->ScrollBar(), nullptr);
    }
}

// The list shows files or trips; the program swaps the two mode buttons in one place and names the
// trip columns, kinds and messages with these keyed texts, in every main layout.
TEST_F(DefaultSkin, MainLayoutsCarryTheTripListButtonsAndTexts)
{
    for (const char *entry : { "main_small", "main_large", "main_full" }) {
        SCOPED_TRACE(entry);
        const auto dialog = open(QString::fromLatin1(entry));
        ASSERT_NE(dialog, nullptr);
        QWidget *trips = dialog->GetControl(skin::kSkinImgButton, QStringLiteral("list_mode_trips"));
        QWidget *files = dialog->GetControl(skin::kSkinImgButton, QStringLiteral("list_mode_files"));
        ASSERT_TRUE(trips && files);
        EXPECT_EQ(trips->geometry(), files->geometry());
        EXPECT_TRUE(files->isHidden()) << "the list starts by file";
        // Where the list is shown, so is the way to trips, on the list's caption row.
        QWidget *list = dialog->GetControl(skin::kSkinListCtrl, QStringLiteral("file_list"));
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(trips->isHidden(), list->isHidden());
        if (!list->isHidden()) {
            QWidget *open = dialog->GetControl(skin::kSkinImgButton, QStringLiteral("open"));
            ASSERT_NE(open, nullptr);
            EXPECT_EQ(trips->y(), open->y());
            EXPECT_LT(trips->geometry().bottom(), list->y());
        }
        for (const char *key :
            { "trip_col_start", "trip_col_length", "trip_col_distance", "trip_col_events", "trip_kind_drive",
                "trip_kind_parking", "trip_summing", "trip_opening", "trip_clock_time" }) {
            ASSERT_NE(dialog->Skin().GetText(QString::fromLatin1(key)), nullptr) << key;
            EXPECT_FALSE(dialog->Skin().Text(QString::fromLatin1(key)).trimmed().isEmpty()) << key;
        }
        EXPECT_NE(dialog->Skin().Text(QStringLiteral("trip_kind_drive")),
            dialog->Skin().Text(QStringLiteral("trip_kind_parking")));
    }
}

TEST_F(DefaultSkin, MapWindowOpensThePackedPageWithLeafletAndTheThreeFunctions)
{
    const auto root = markup(QStringLiteral("map"));
    ASSERT_NE(root, nullptr);
    std::vector<const skin::SkinXmlNode *> controls;
    collectElements(*root, QStringLiteral("control"), &controls);
    QString page;
    QStringList pictures;
    for (const skin::SkinXmlNode *control : controls) {
        if (attr(*control, "name") != QLatin1String("trace_map"))
            continue;
        page = attr(*control, "src");
        for (const skin::SkinXmlNode *image : control->GetChildren(QStringLiteral("image")))
            pictures.append(attr(*image, "type"));
    }
    EXPECT_TRUE(pictures.contains(QStringLiteral("noconnect")));
    EXPECT_TRUE(pictures.contains(QStringLiteral("nogps")));
    QString html;
    ASSERT_TRUE(s_runtime->FindPageText(page, &html)) << "page entry " << page.toStdString();
    for (const char *function : { "function Reset(", "function DrawPoly(", "function DrawCurrent(" }) {
        EXPECT_TRUE(html.contains(QString::fromLatin1(function))) << function;
    }
    // Leaflet itself is in the page; nothing is left to fetch from beside the program.
    EXPECT_TRUE(html.contains(QStringLiteral("L.map(")));
    EXPECT_TRUE(html.contains(QStringLiteral("polyline")));
    EXPECT_TRUE(html.contains(QStringLiteral(".leaflet-container")));
    EXPECT_FALSE(html.contains(QStringLiteral("@LEAFLET")));
    EXPECT_GT(html.size(), 100000);
}

TEST(DefaultSkinDrawTool, RefusesDescriptionsThatNameABitmapItDoesNotDraw)
{
    QTemporaryDir dir;
    ASSERT_TRUE(testsupport::WriteFile(dir.filePath(QStringLiteral("descriptions/window.xml")),
        "<window width=\"100\" height=\"100\">"
        "<image name=\"a\" src=\"skin/default/play_n.bmp\" visible=\"true\"/>"
        "<image name=\"b\" src=\"skin/default/no_such_picture.bmp\" visible=\"true\"/></window>"));
    const QString out = dir.filePath(QStringLiteral("out"));
    const auto refused = testsupport::RunCli({ QStringLiteral("skin"), QStringLiteral("draw"), out,
        dir.filePath(QStringLiteral("descriptions")) });
    EXPECT_TRUE(refused.finished && refused.exitCode != 0);
    EXPECT_TRUE(refused.err.contains("no drawing for skin/default/no_such_picture.bmp"))
        << refused.err.toStdString();
    EXPECT_FALSE(refused.err.contains("no drawing for skin/default/play_n.bmp")) << refused.err.toStdString();
    // Without descriptions to check, the same tool draws the whole skin.
    const auto drawn = testsupport::RunCli({ QStringLiteral("skin"), QStringLiteral("draw"), out });
    EXPECT_TRUE(drawn.Ok()) << drawn.err.toStdString();
    EXPECT_FALSE(QImage(dir.filePath(QStringLiteral("out/play_n.bmp"))).isNull());
}

// The gallery draws every window but the empty set-up one (the main window playing in each
// layout, each page of the settings and the image panel), each picture at its window's size.
TEST_F(DefaultSkin, GallerySavesPicturesOfEveryWindowAtItsSize)
{
    QTemporaryDir dir;
    const auto gallery = testsupport::RunCli({ QStringLiteral("skin"), QStringLiteral("gallery"), dir.path(),
        kBinDir + QStringLiteral("/default.skin") });
    ASSERT_TRUE(gallery.Ok()) << gallery.err.toStdString();
    const QStringList files
        = QDir(dir.path()).entryList({ QStringLiteral("*.png") }, QDir::Files, QDir::Name);
    const QStringList entries = windows();
    QStringList drawn;
    for (const QString &entry : entries) {
        const auto dialog = open(entry);
        ASSERT_NE(dialog, nullptr);
        // The longest entry that starts the file name: "main_small_playing.png" is main_small's.
        for (const QString &file : files) {
            const QString rest = file.mid(entry.size());
            if (!file.startsWith(entry)
                || !(rest == QLatin1String(".png") || rest.startsWith(QLatin1Char('_')))
                || std::any_of(entries.begin(), entries.end(), [&](const QString &other) {
                       return other.size() > entry.size() && file.startsWith(other);
                   }))
                continue;
            drawn.append(entry);
            EXPECT_EQ(QImage(dir.filePath(file)).size(), dialog->WindowInfo().rect.ToQRect().size())
                << file.toStdString();
        }
    }
    EXPECT_EQ(drawn.size(), files.size()) << "pictures of no window";
    drawn.removeDuplicates();
    EXPECT_EQ(drawn.size(), entries.size() - 1) << drawn.join(QLatin1Char(' ')).toStdString();
    // Idle, playing in each layout, and the list by trip.
    EXPECT_EQ(files.filter(QStringLiteral("main_")).size(), 5);

    // Each settings page shows its own artwork and controls.
    const QStringList pages = files.filter(QStringLiteral("bbsetting_"));
    EXPECT_EQ(pages.size(), 7);
    for (int i = 1; i < pages.size(); ++i)
        EXPECT_NE(QImage(dir.filePath(pages[i])), QImage(dir.filePath(pages[i - 1])))
            << pages[i - 1].toStdString() << " and " << pages[i].toStdString() << " look the same";
}

TEST_F(DefaultSkin, NamesAreNotReusedWithinADescription)
{
    // The engine keeps controls, images and texts by name: a second item of a name would move
    // or replace the first.
    for (const QString &entry : windows()) {
        SCOPED_TRACE(entry.toStdString());
        const auto root = markup(entry);
        ASSERT_NE(root, nullptr);
        for (const char *element : { "control", "image", "text", "area" }) {
            std::vector<const skin::SkinXmlNode *> nodes;
            collectElements(*root, QString::fromLatin1(element), &nodes);
            QStringList seen;
            for (const skin::SkinXmlNode *node : nodes) {
                const QString name = attr(*node, "name");
                if (node->parent && node->parent->name == QLatin1String("control"))
                    continue; // a map control's pictures are typed, not named
                EXPECT_FALSE(seen.contains(name)) << element << " " << name.toStdString();
                seen.append(name);
            }
        }
    }
}
