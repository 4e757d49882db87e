// tavin-cli skin draw: draws every bitmap of the default skin into a folder.

#include "CliCommand.h"
#include "skinart_ArtPainter.h"
#include "skinart_DefaultSkin.h"
#include "skinart_SkinReferences.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

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
            cliErr(QStringLiteral("skin draw: note: %1 is drawn but no description uses it\n").arg(entry.file));
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
        cliErr(QStringLiteral("skin draw: one file, two sizes: %1\n").arg(catalog.conflicts().join(QStringLiteral("; "))));
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
    cliOut(QStringLiteral("%1 bitmaps in %2\n").arg(catalog.entries().size()).arg(QFileInfo(args[0]).absoluteFilePath()));
    return 0;
}

int runSkin(const QStringList &args)
{
    const QString sub = args.value(0);
    if (sub == QLatin1String("draw")) {
        // Fonts and QPainter text need a GUI application; draw runs without a display.
        if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
            cliErr(QStringLiteral("skin draw: needs the GUI application\n"));
            return 1;
        }
        return runDraw(args.mid(1));
    }
    cliErr(QStringLiteral("usage: tavin-cli skin draw OUT_DIR [SKIN_DIR]\n"));
    return 2;
}

} // namespace

TAVIN_CLI_COMMAND(QStringLiteral("skin"),
                  QStringLiteral("skin draw OUT_DIR [SKIN_DIR]   draw the default skin's bitmaps (checks SKIN_DIR's "
                                 "descriptions name only drawn ones)"),
                  true, runSkin);
