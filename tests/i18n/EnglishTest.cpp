#include "i18n/UiLanguage.h"
#include "library/RecordingLibrary.h"
#include "mainwindow/MainWindowFixture.h"
#include "skin/CXInfoTip.h"
#include "skin/core/SkinXml.h"
#include "skinart/SkinTexts.h"
#include "support/Files.h"
#include "support/Process.h"

#include <QLibraryInfo>
#include <QTemporaryDir>
#include <QTranslator>
#include <QXmlStreamReader>

#include <map>

namespace {

const QString kBinDir = QStringLiteral(TAVIN_BIN_DIR);

// The texts a window's description gives it: keyed texts by name, tooltips and list columns.
struct WindowTexts {
    std::map<QString, QString> keyed;
    QStringList shown;
};

void collectTexts(const skin::SkinXmlNode &node, WindowTexts *out)
{
    for (const auto &child : node.children) {
        const QString *name = child->GetAttrValue(QStringLiteral("name"));
        if (child->name == QLatin1String("text") && name)
            out->keyed[*name] = child->value;
        else if (child->name == QLatin1String("tooltip") || child->name == QLatin1String("column"))
            out->shown.append(child->value);
        collectTexts(*child, out);
    }
}

// The skin entries of the windows, as the settings layout beside the program names them.
QStringList windowEntries()
{
    QStringList entries;
    skin::SkinXmlNode layout;
    if (!layout.LoadText(
            QString::fromUtf8(testsupport::ReadFile(kBinDir + QStringLiteral("/tavin-viewer.xml")))))
        return entries;
    for (const skin::SkinXmlNode *section : layout.GetChildren(QStringLiteral("section")))
        if (*section->GetAttrValue(QStringLiteral("name")) == QLatin1String("Xml"))
            for (const skin::SkinXmlNode *key : section->GetChildren(QStringLiteral("key")))
                entries.append(*key->GetAttrValue(QStringLiteral("default")));
    return entries;
}

QStringList hangulLines(const QString &text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    lines.removeIf([](const QString &line) { return !skinart::ContainsHangul(line); });
    return lines;
}

} // namespace

// Every window of the English pack carries each keyed text, tooltip and column of the Korean one,
// in English, and names its bitmaps from the English folder, where they were drawn.
TEST(EnglishSkin, EveryTextOfEveryWindowHasItsEnglishValue)
{
    skin::SkinRuntime korean;
    skin::SkinRuntime english;
    ASSERT_EQ(korean.LoadPack(kBinDir + QStringLiteral("/default.skin")), skin::kSkinPackOk);
    ASSERT_EQ(english.LoadPack(kBinDir + QStringLiteral("/default_en.skin")), skin::kSkinPackOk);
    const QStringList entries = windowEntries();
    ASSERT_EQ(entries.size(), 12);
    int koreanTexts = 0;
    for (const QString &entry : entries) {
        SCOPED_TRACE(entry.toStdString());
        QString koText;
        QString enText;
        ASSERT_TRUE(korean.FindDescription(entry, &koText));
        ASSERT_TRUE(english.FindDescription(entry, &enText));
        // Nothing in the English description is left in Korean, whatever element holds it.
        EXPECT_EQ(hangulLines(enText), QStringList());

        skin::SkinXmlNode koRoot;
        skin::SkinXmlNode enRoot;
        ASSERT_TRUE(koRoot.LoadText(koText) && enRoot.LoadText(enText));
        WindowTexts ko;
        WindowTexts en;
        collectTexts(koRoot, &ko);
        collectTexts(enRoot, &en);
        ASSERT_EQ(en.keyed.size(), ko.keyed.size());
        for (const auto &[name, text] : ko.keyed) {
            koreanTexts += skinart::ContainsHangul(text) ? 1 : 0;
            ASSERT_EQ(en.keyed.count(name), 1u) << name.toStdString();
            EXPECT_EQ(en.keyed[name].isEmpty(), text.isEmpty()) << name.toStdString();
        }
        ASSERT_EQ(en.shown.size(), ko.shown.size());
        for (int i = 0; i < ko.shown.size(); ++i)
            EXPECT_EQ(en.shown[i].isEmpty(), ko.shown[i].isEmpty()) << ko.shown[i].toStdString();

        // Bitmaps come from the English folder and exist there.
        static const QRegularExpression source(QStringLiteral("src=\"([^\"]+\\.bmp)\""));
        for (auto it = source.globalMatch(enText); it.hasNext();) {
            const QString path = it.next().captured(1);
            EXPECT_TRUE(path.startsWith(QLatin1String(skinart::kEnglishSkinBitmapFolder)))
                << path.toStdString();
            EXPECT_TRUE(QFile::exists(kBinDir + QLatin1Char('/') + path)) << path.toStdString();
        }
    }
    // The comparison has something to compare: the Korean pack is Korean.
    EXPECT_GT(koreanTexts, 100);
    const std::optional<QString> page = english.PackStore().FindPageText(QStringLiteral("map"));
    ASSERT_TRUE(page.has_value());
    EXPECT_EQ(hangulLines(*page), QStringList());
}

// A Korean text the table lacks does not stop the build: the English description keeps it, so
// the test above fails, and the tool names it.
TEST(EnglishSkin, ATextWithoutEnglishIsNamedAndKeptForTheTestToFind)
{
    QTemporaryDir dir;
    const QDir source(QStringLiteral(TAVIN_SOURCE_DIR "/skin/default"));
    for (const QString &file :
        source.entryList({ QStringLiteral("*.xml"), QStringLiteral("*.tsv") }, QDir::Files))
        ASSERT_TRUE(QFile::copy(source.filePath(file), dir.filePath(file)));
    QString menu = QString::fromUtf8(testsupport::ReadFile(dir.filePath(QStringLiteral("tool_menu.xml"))));
    menu.replace(QStringLiteral("</window>"),
        QStringLiteral("<text name=\"new_text\">아직 번역 없음</text></window>"));
    QFile out(dir.filePath(QStringLiteral("tool_menu.xml")));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(menu.toUtf8());
    out.close();

    const auto translated = testsupport::RunCli({ QStringLiteral("skin"), QStringLiteral("translate"),
        dir.path(), dir.filePath(QStringLiteral("en")) });
    ASSERT_TRUE(translated.Ok()) << translated.err.toStdString();
    EXPECT_TRUE(QString::fromUtf8(translated.err).contains(QStringLiteral("tool_menu.xml: 아직 번역 없음")))
        << translated.err.toStdString();
    const QString english
        = QString::fromUtf8(testsupport::ReadFile(dir.filePath(QStringLiteral("en/tool_menu.xml"))));
    EXPECT_EQ(hangulLines(english).size(), 1) << hangulLines(english).join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(english.contains(QStringLiteral("<text name=\"err_title\">Error</text>")));
}

// Every text the sources mark for translation (as lupdate finds them, in their real context) has
// its English in the translation built beside the program.
TEST(EnglishProgram, EveryMarkedTextOfTheSourcesHasItsEnglish)
{
    QTemporaryDir dir;
    const QString ts = dir.filePath(QStringLiteral("found.ts"));
    const auto found
        = testsupport::RunProgram(QLibraryInfo::path(QLibraryInfo::BinariesPath) + QStringLiteral("/lupdate"),
            { QStringLiteral("-silent"), QStringLiteral(TAVIN_SOURCE_DIR "/src"), QStringLiteral("-ts"), ts },
            120000);
    ASSERT_TRUE(found.Ok()) << found.err.toStdString();
    QTranslator english;
    ASSERT_TRUE(english.load(kBinDir + QStringLiteral("/tavin_en.qm")));

    QXmlStreamReader xml(testsupport::ReadFile(ts));
    QString context;
    bool counted = false;
    int texts = 0;
    int countTexts = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("name"))
            context = xml.readElementText();
        else if (xml.name() == QLatin1String("message"))
            counted = xml.attributes().value(QLatin1String("numerus")) == QLatin1String("yes");
        else if (xml.name() == QLatin1String("source")) {
            const QString source = xml.readElementText();
            const QByteArray key = source.toUtf8();
            const QString translated = english.translate(context.toUtf8().constData(), key.constData());
            EXPECT_FALSE(translated.isEmpty() || skinart::ContainsHangul(translated))
                << context.toStdString() << ": " << source.toStdString();
            ++texts;
            if (!counted)
                continue;
            // A text with a count has English for one and for many, each showing the count.
            ++countTexts;
            const QString one = english.translate(context.toUtf8().constData(), key.constData(), nullptr, 1);
            const QString many = english.translate(context.toUtf8().constData(), key.constData(), nullptr, 3);
            EXPECT_NE(one, many) << context.toStdString() << ": " << source.toStdString();
            EXPECT_TRUE(one.contains(QLatin1String("%n")) && many.contains(QLatin1String("%n")))
                << one.toStdString() << " / " << many.toStdString();
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_GE(texts, 40);
    // The impacts, the verified backup and the unreadable files of an indexing.
    EXPECT_GE(countTexts, 3);
}

// The settings' language wins; without one the desktop's decides, Korean only on a Korean desktop.
TEST(Language, TheSettingOverridesTheDesktop)
{
    using i18n::UiLanguage;
    const QLocale koreanDesktop(QLocale::Korean, QLocale::SouthKorea);
    const QLocale frenchDesktop(QLocale::French, QLocale::France);
    EXPECT_EQ(i18n::ChooseLanguage(QString(), koreanDesktop), UiLanguage::Korean);
    EXPECT_EQ(i18n::ChooseLanguage(QString(), frenchDesktop), UiLanguage::English);
    EXPECT_EQ(i18n::ChooseLanguage(QString(), QLocale::c()), UiLanguage::English);
    EXPECT_EQ(i18n::ChooseLanguage(QStringLiteral("en"), koreanDesktop), UiLanguage::English);
    EXPECT_EQ(i18n::ChooseLanguage(QStringLiteral(" KO "), frenchDesktop), UiLanguage::Korean);
    EXPECT_EQ(i18n::ChooseLanguage(QStringLiteral("de"), koreanDesktop), UiLanguage::Korean);

    EXPECT_EQ(i18n::SkinPackFor(QStringLiteral("default.skin"), UiLanguage::English, kBinDir),
        QStringLiteral("default_en.skin"));
    EXPECT_EQ(i18n::SkinPackFor(QStringLiteral("default.skin"), UiLanguage::Korean, kBinDir),
        QStringLiteral("default.skin"));
    // A pack without an English sibling is used as it is.
    EXPECT_EQ(i18n::SkinPackFor(QStringLiteral("other.skin"), UiLanguage::English, kBinDir),
        QStringLiteral("other.skin"));
}

namespace {

// The real main window on the sample card, with the pack and translation a language choice gives.
class LanguageMainWindow : public mainwindow::test::MainWindowTest
{
protected:
    void Choose(const QString &setting, const QLocale &desktop)
    {
        const i18n::UiLanguage language = i18n::ChooseLanguage(setting, desktop);
        const QString pack = i18n::SkinPackFor(QStringLiteral("default.skin"), language, kBinDir);
        ASSERT_EQ(m_runtime.LoadPack(kBinDir + QLatin1Char('/') + pack), skin::kSkinPackOk);
        QString error;
        ASSERT_TRUE(m_translation.Apply(language, kBinDir, &error)) << error.toStdString();
        Open({ m_card.root });
    }
    QString Tooltip(const char *control)
    {
        QWidget *widget = m_window->GetControl(skin::kSkinImgButton, QString::fromLatin1(control));
        return widget && m_window->Skin().Tooltip() ? m_window->Skin().Tooltip()->ToolText(widget)
                                                    : QString();
    }
    QString AboutCaption()
    {
        m_shown.clear();
        skin::SendWindowMessage(m_window.get(), mainwindow::kMsgProgramInfo, 0, 0);
        return m_shown.empty() ? QString() : m_shown.back().caption;
    }

    i18n::ProgramTranslation m_translation;
};

} // namespace

TEST_F(LanguageMainWindow, EnglishChosenInTheSettingsOnAKoreanDesktop)
{
    Choose(QStringLiteral("en"), QLocale(QLocale::Korean, QLocale::SouthKorea));
    // Keyed texts and tooltips from the English pack.
    EXPECT_EQ(m_window->Skin().Text(QStringLiteral("err_title")), QStringLiteral("Error"));
    EXPECT_EQ(Tooltip("stop"), QStringLiteral("Stop"));
    EXPECT_EQ(Tooltip("list_mode_trips"), QStringLiteral("Show drives (recordings joined into trips)"));
    // A keyed text with English of its own: the trip column reads "Events" while the category
    // button drawn from the same Korean word reads "Event".
    EXPECT_EQ(m_window->Skin().Text(QStringLiteral("trip_col_events")), QStringLiteral("Events"));
    EXPECT_EQ(m_window->Skin().Text(QStringLiteral("trip_col_length")), QStringLiteral("Length"));
    // Fixed texts of the program through the translation: the list's kinds and a message box.
    const QString kind = m_window->FileList()->GetItemText(0, library::kColumnKind);
    EXPECT_FALSE(kind.isEmpty());
    EXPECT_FALSE(skinart::ContainsHangul(kind)) << kind.toStdString();
    EXPECT_EQ(AboutCaption(), QStringLiteral("About"));
    // The window's picture was drawn from the English bitmaps (they exist and differ from the Korean).
    EXPECT_NE(testsupport::ReadFile(kBinDir + QStringLiteral("/skin/default_en/category_all_n.bmp")),
        testsupport::ReadFile(kBinDir + QStringLiteral("/skin/default/category_all_n.bmp")));
}

TEST_F(LanguageMainWindow, KoreanStaysKoreanWhenChosenOnAnEnglishDesktop)
{
    Choose(QStringLiteral("ko"), QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(m_window->Skin().Text(QStringLiteral("err_title")), QStringLiteral("오류"));
    EXPECT_EQ(Tooltip("stop"), QStringLiteral("정지"));
    EXPECT_EQ(m_window->Skin().Text(QStringLiteral("trip_col_events")), QStringLiteral("이벤트"));
    EXPECT_TRUE(skinart::ContainsHangul(m_window->FileList()->GetItemText(0, library::kColumnKind)));
    EXPECT_EQ(AboutCaption(), QStringLiteral("프로그램 정보"));
}
