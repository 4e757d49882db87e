// Arbitrary bytes as a skin bitmap: the BMP load, and the transparent-colour mask and region
// that the skin cuts out of every picture.

#include "FuzzFile.h"
#include "skin/SkinBitmap.h"

#include <QGuiApplication>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_skin_bitmap";
    static char *argv[] = { name, nullptr };
    static QGuiApplication *app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QGuiApplication(argc, argv);
    }();
    (void)app;
    const QString path = fuzz::WriteInput(data, size, QStringLiteral("fuzz.bmp"));
    if (path.isEmpty())
        return 0;
    const skin::SkinBitmap bitmap = skin::SkinBitmap::Load(path);
    // Large pictures only cost time: the skin's own are at most a screen wide.
    if (bitmap.IsNull() || qint64(bitmap.Width()) * bitmap.Height() > 4'000'000)
        return 0;
    const skin::SkinColor magenta = skin::SkinColor(0xFF00FF);
    bitmap.Masked(magenta);
    bitmap.Region(magenta);
    // The corner's colour as well, so that every picture has transparent pixels to cut out.
    const QRgb corner = bitmap.Image().pixel(0, 0);
    const skin::SkinColor cornerColor = skin::FromRgb(qRed(corner), qGreen(corner), qBlue(corner));
    if (!bitmap.IsTransparent(corner, cornerColor))
        __builtin_trap();
    bitmap.Masked(cornerColor);
    bitmap.Region(cornerColor);
    return 0;
}
