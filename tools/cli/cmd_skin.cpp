// tavin-cli skin draw: draws every bitmap of the default skin into a folder.
// tavin-cli skin gallery: opens every window of a skin pack and saves a picture of each.

#include "CliCommand.h"
#include "skinart/ArtPainter.h"
#include "skinart/DefaultSkin.h"
#include "skinart/Gallery.h"
#include "skinart/SkinReferences.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

// With a description folder, every bitmap the descriptions name must be one the catalogue
// draws, in the folder the program loads skin bitmaps from.
bool checkReferences(const skinart::ArtCatalog &catalog, const QString &skinDir)
{
    QStringList references;
    QString error;
    if (!skinart::folderBitmapReferences(skinDir, &references, &error)) {
        cliErr(QStringLiteral("skin draw: %1\n").arg(error));
        return false;
    }
    const QString prefix = QString::fromLatin1(skinart::kDefaultSkinBitmapFolder) + QLatin1Char('/');
    bool ok = true;
    for (const QString &reference : references) {
        if (!reference.startsWith(prefix)) {
            cliErr(QStringLiteral("skin draw: %1 is not in %2\n").arg(reference, prefix));
            ok = false;
            continue;
        }
        if (!catalog.find(reference.mid(prefix.size()))) {
            cliErr(QStringLiteral("skin draw: no drawing for %1\n").arg(reference));
            ok = false;
        }
    }
    for (const auto &entry : catalog.entries()) {
        if (!references.contains(prefix + entry.file, Qt::CaseInsensitive))
            cliErr(
                QStringLiteral("skin draw: note: %1 is drawn but no description uses it\n").arg(entry.file));
    }
    return ok;
}

int runDraw(const QStringList &args)
{
    if (args.isEmpty() || args.size() > 2) {
        cliErr(QStringLiteral("usage: tavin-cli skin draw OUT_DIR [SKIN_DIR]\n"));
        return 2;
    }
    skinart::ArtPainter art;
    QString error;
    if (!art.loadFonts(&error)) {
        cliErr(QStringLiteral("skin draw: %1\n").arg(error));
        return 1;
    }
    const skinart::ArtCatalog catalog = skinart::defaultSkinArt();
    if (!catalog.conflicts().isEmpty()) {
        cliErr(QStringLiteral("skin draw: one file, two sizes: %1\n")
                   .arg(catalog.conflicts().join(QStringLiteral("; "))));
        return 1;
    }
    if (args.size() == 2 && !checkReferences(catalog, args[1]))
        return 1;

    QDir out(args[0]);
    if (!out.mkpath(QStringLiteral("."))) {
        cliErr(QStringLiteral("skin draw: cannot create %1\n").arg(args[0]));
        return 1;
    }
    for (const auto &entry : catalog.entries()) {
        const QImage image = entry.draw(art);
        if (image.size() != entry.size) {
            cliErr(QStringLiteral("skin draw: %1 drew %2x%3, expected %4x%5\n")
                       .arg(entry.file)
                       .arg(image.width())
                       .arg(image.height())
                       .arg(entry.size.width())
                       .arg(entry.size.height()));
            return 1;
        }
        if (!image.convertToFormat(QImage::Format_RGB888).save(out.filePath(entry.file), "BMP")) {
            cliErr(QStringLiteral("skin draw: cannot write %1\n").arg(out.filePath(entry.file)));
            return 1;
        }
    }
    if (!art.missingGlyphs().isEmpty()) {
        QStringList codes;
        for (char16_t code : art.missingGlyphs())
            codes.append(QString::number(code, 16));
        cliErr(QStringLiteral("skin draw: the icon font lacks %1\n").arg(codes.join(QLatin1Char(' '))));
        return 1;
    }
    cliOut(QStringLiteral("%1 bitmaps in %2\n")
               .arg(catalog.entries().size())
               .arg(QFileInfo(args[0]).absoluteFilePath()));
    return 0;
}

int runGallery(const QStringList &args)
{
    if (args.isEmpty() || args.size() > 2) {
        cliErr(QStringLiteral("usage: tavin-cli skin gallery OUT_DIR [PACK]\n"));
        return 2;
    }
    // Bitmaps are found relative to the pack's folder, as the program finds them relative to its own.
    const QString pack = args.size() == 2
        ? args[1]
        : QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("default.skin"));
    skinart::SkinGallery gallery(pack, QFileInfo(pack).absolutePath());
    QString error;
    QStringList written;
    if (!gallery.Open(&error) || !gallery.Run(args[0], &written, &error)) {
        cliErr(QStringLiteral("skin gallery: %1\n").arg(error));
        return 1;
    }
    for (const QString &file : written)
        cliOut(QDir(args[0]).filePath(file) + QLatin1Char('\n'));
    return 0;
}

int runSkin(const QStringList &args)
{
    const QString sub = args.value(0);
    // Both draw text and pictures, so they run inside the GUI application (offscreen is fine).
    if (!qobject_cast<QApplication *>(QCoreApplication::instance())) {
        cliErr(QStringLiteral("skin: needs the GUI application\n"));
        return 1;
    }
    if (sub == QLatin1String("draw"))
        return runDraw(args.mid(1));
    if (sub == QLatin1String("gallery"))
        return runGallery(args.mid(1));
    cliErr(QStringLiteral("usage: tavin-cli skin draw OUT_DIR [SKIN_DIR] | skin gallery OUT_DIR [PACK]\n"));
    return 2;
}

} // namespace

TAVIN_CLI_COMMAND(QStringLiteral("skin"),
    QStringLiteral("skin draw OUT_DIR [SKIN_DIR]   draw the default skin's bitmaps (and check that the\n"
                   "                               descriptions in SKIN_DIR name only drawn ones)\n"
                   "skin gallery OUT_DIR [PACK]    open every window of the pack (default: default.skin\n"
                   "                               beside tavin-cli) and save one PNG per window"),
    true, runSkin);
