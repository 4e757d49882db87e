// tavin-cli skin draw: draws every bitmap of the default skin into a folder.
// tavin-cli skin gallery: opens every window of a skin pack and saves a picture of each.
// tavin-cli skin translate: writes the English descriptions of the default skin.

#include "CliCommand.h"
#include "skinart/ArtPainter.h"
#include "skinart/DefaultSkin.h"
#include "skinart/Gallery.h"
#include "skinart/SkinReferences.h"
#include "skinart/SkinTexts.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

// With a description folder, every bitmap the descriptions name must be one the catalogue
// draws, in the folder the program loads skin bitmaps from.
bool CheckReferences(const skinart::ArtCatalog &catalog, const QString &skinDir, const char *folder)
{
    QStringList references;
    QString error;
    if (!skinart::FolderBitmapReferences(skinDir, &references, &error)) {
        CliErr(QStringLiteral("skin draw: %1\n").arg(error));
        return false;
    }
    const QString prefix = QString::fromLatin1(folder) + QLatin1Char('/');
    bool ok = true;
    for (const QString &reference : references) {
        if (!reference.startsWith(prefix)) {
            CliErr(QStringLiteral("skin draw: %1 is not in %2\n").arg(reference, prefix));
            ok = false;
            continue;
        }
        if (!catalog.Find(reference.mid(prefix.size()))) {
            CliErr(QStringLiteral("skin draw: no drawing for %1\n").arg(reference));
            ok = false;
        }
    }
    for (const auto &entry : catalog.Entries()) {
        if (!references.contains(prefix + entry.file, Qt::CaseInsensitive))
            CliErr(
                QStringLiteral("skin draw: note: %1 is drawn but no description uses it\n").arg(entry.file));
    }
    return ok;
}

int RunDraw(QStringList args)
{
    // --english TABLE: the English bitmaps, checked against English descriptions.
    skinart::TextTable english;
    const qsizetype englishAt = args.indexOf(QStringLiteral("--english"));
    QString tablePath;
    if (englishAt >= 0) {
        tablePath = args.value(englishAt + 1);
        args.remove(englishAt, qMin<qsizetype>(2, args.size() - englishAt));
    }
    if (args.isEmpty() || args.size() > 2 || (englishAt >= 0 && tablePath.isEmpty())) {
        CliErr(QStringLiteral("usage: tavin-cli skin draw OUT_DIR [SKIN_DIR] [--english TABLE]\n"));
        return 2;
    }
    skinart::ArtPainter art;
    QString error;
    if (!art.LoadFonts(&error) || (!tablePath.isEmpty() && !english.Load(tablePath, &error))) {
        CliErr(QStringLiteral("skin draw: %1\n").arg(error));
        return 1;
    }
    if (!tablePath.isEmpty())
        art.SetEnglish(&english);
    const char *folder
        = tablePath.isEmpty() ? skinart::kDefaultSkinBitmapFolder : skinart::kEnglishSkinBitmapFolder;
    const skinart::ArtCatalog catalog = skinart::DefaultSkinArt();
    if (!catalog.Conflicts().isEmpty()) {
        CliErr(QStringLiteral("skin draw: one file, two sizes: %1\n")
                   .arg(catalog.Conflicts().join(QStringLiteral("; "))));
        return 1;
    }
    if (args.size() == 2 && !CheckReferences(catalog, args[1], folder))
        return 1;

    QDir out(args[0]);
    if (!out.mkpath(QStringLiteral("."))) {
        CliErr(QStringLiteral("skin draw: cannot create %1\n").arg(args[0]));
        return 1;
    }
    for (const auto &entry : catalog.Entries()) {
        const QImage image = entry.draw(art);
        if (image.size() != entry.size) {
            CliErr(QStringLiteral("skin draw: %1 drew %2x%3, expected %4x%5\n")
                       .arg(entry.file)
                       .arg(image.width())
                       .arg(image.height())
                       .arg(entry.size.width())
                       .arg(entry.size.height()));
            return 1;
        }
        if (!image.convertToFormat(QImage::Format_RGB888).save(out.filePath(entry.file), "BMP")) {
            CliErr(QStringLiteral("skin draw: cannot write %1\n").arg(out.filePath(entry.file)));
            return 1;
        }
    }
    if (!art.MissingGlyphs().isEmpty()) {
        QStringList codes;
        for (char16_t code : art.MissingGlyphs())
            codes.append(QString::number(code, 16));
        CliErr(QStringLiteral("skin draw: the icon font lacks %1\n").arg(codes.join(QLatin1Char(' '))));
        return 1;
    }
    for (const QString &text : art.OverflowingTexts())
        CliErr(QStringLiteral("skin draw: note: \"%1\" is wider than its place\n").arg(text));
    // Drawn in Korean meanwhile; the English pack's test names them too.
    for (const QString &text : art.MissingTexts())
        CliErr(QStringLiteral("skin draw: warning: no English text in %1 for %2\n").arg(tablePath, text));
    CliOut(QStringLiteral("%1 bitmaps in %2\n")
               .arg(catalog.Entries().size())
               .arg(QFileInfo(args[0]).absoluteFilePath()));
    return 0;
}

int RunGallery(const QStringList &args)
{
    if (args.isEmpty() || args.size() > 2) {
        CliErr(QStringLiteral("usage: tavin-cli skin gallery OUT_DIR [PACK]\n"));
        return 2;
    }
    // One pack into OUT_DIR, or both default packs into OUT_DIR/ko and OUT_DIR/en. An English
    // pack ("..._en.skin") is drawn with the program's English texts.
    struct Gallery {
        QString pack;
        QString outDir;
    };
    std::vector<Gallery> galleries;
    if (args.size() == 2) {
        galleries.push_back({ args[1], args[0] });
    } else {
        const QDir bin(QCoreApplication::applicationDirPath());
        galleries.push_back(
            { bin.filePath(QStringLiteral("default.skin")), QDir(args[0]).filePath(QStringLiteral("ko")) });
        galleries.push_back({ bin.filePath(QStringLiteral("default_en.skin")),
            QDir(args[0]).filePath(QStringLiteral("en")) });
    }
    for (const Gallery &one : galleries) {
        // Bitmaps are found relative to the pack's folder, as the program finds them relative to its own.
        skinart::SkinGallery gallery(one.pack, QFileInfo(one.pack).absolutePath());
        QString error;
        QStringList written;
        const bool english = QFileInfo(one.pack).completeBaseName().endsWith(QLatin1String("_en"));
        if (!gallery.Open(&error) || !gallery.SetEnglish(english, &error)
            || !gallery.Run(one.outDir, &written, &error)) {
            CliErr(QStringLiteral("skin gallery: %1\n").arg(error));
            return 1;
        }
        for (const QString &file : written)
            CliOut(QDir(one.outDir).filePath(file) + QLatin1Char('\n'));
    }
    return 0;
}

int RunTranslate(const QStringList &args)
{
    if (args.size() != 2) {
        CliErr(QStringLiteral("usage: tavin-cli skin translate SKIN_DIR OUT_DIR\n"));
        return 2;
    }
    skinart::TextTable table;
    QString error;
    QStringList missing;
    if (!table.Load(QDir(args[0]).filePath(QString::fromLatin1(skinart::kEnglishTextTable)), &error)
        || !skinart::TranslateDescriptions(args[0], table, args[1], &missing, &error)) {
        CliErr(QStringLiteral("skin translate: %1\n").arg(error));
        return 1;
    }
    for (const QString &text : std::as_const(missing))
        CliErr(QStringLiteral("skin translate: warning: no English text in %1 for %2\n")
                   .arg(QString::fromLatin1(skinart::kEnglishTextTable), text));
    return 0;
}

int RunSkin(const QStringList &args)
{
    const QString sub = args.value(0);
    // Both draw text and pictures, so they run inside the GUI application (offscreen is fine).
    if (!qobject_cast<QApplication *>(QCoreApplication::instance())) {
        CliErr(QStringLiteral("skin: needs the GUI application\n"));
        return 1;
    }
    if (sub == QLatin1String("draw"))
        return RunDraw(args.mid(1));
    if (sub == QLatin1String("gallery"))
        return RunGallery(args.mid(1));
    if (sub == QLatin1String("translate"))
        return RunTranslate(args.mid(1));
    CliErr(QStringLiteral(
        "usage: tavin-cli skin draw OUT_DIR [SKIN_DIR] [--english TABLE] | skin gallery OUT_DIR "
        "[PACK] | skin translate SKIN_DIR OUT_DIR\n"));
    return 2;
}

} // namespace

TAVIN_CLI_COMMAND(QStringLiteral("skin"),
    QStringLiteral("skin draw OUT_DIR [SKIN_DIR] [--english TABLE]\n"
                   "                               draw the default skin's bitmaps, in English with the\n"
                   "                               table (and check that the descriptions in SKIN_DIR\n"
                   "                               name only drawn ones)\n"
                   "skin translate SKIN_DIR OUT_DIR write the English descriptions of SKIN_DIR (with its\n"
                   "                               texts_en.tsv) into OUT_DIR\n"
                   "skin gallery OUT_DIR [PACK]    open every window of the pack and save one PNG per\n"
                   "                               window (default: default.skin and default_en.skin\n"
                   "                               beside tavin-cli, into OUT_DIR/ko and OUT_DIR/en)"),
    true, RunSkin);
