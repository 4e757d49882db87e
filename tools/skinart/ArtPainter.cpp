#include "skinart/ArtPainter.h"

#include "skin/fonts/FontFamilies.h"
#include "skinart/SkinTexts.h"
#include "skinart/Style.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

namespace skinart {

namespace {
    const char *const kIconFontPaths[] = {
        "/usr/share/fonts/truetype/material-design-icons-iconfont/MaterialIcons-Regular.ttf",
        "/usr/share/fonts/truetype/material-design-icons/MaterialIcons-Regular.ttf",
    };
    const QLatin1StringView kHangulFamilies[]
        = { skin::fonts::kKorean, QLatin1StringView("Noto Sans KR"), QLatin1StringView("Noto Sans CJK") };
} // namespace

bool ArtPainter::LoadFonts(QString *error)
{
    QString iconPath;
    for (const char *path : kIconFontPaths) {
        if (QFile::exists(QString::fromLatin1(path))) {
            iconPath = QString::fromLatin1(path);
            break;
        }
    }
    if (iconPath.isEmpty()) {
        *error
            = QStringLiteral("Material Icons font not found (package fonts-material-design-icons-iconfont)");
        return false;
    }
    const int id = QFontDatabase::addApplicationFont(iconPath);
    const QStringList families = id >= 0 ? QFontDatabase::applicationFontFamilies(id) : QStringList();
    if (families.isEmpty()) {
        *error = QStringLiteral("cannot load %1").arg(iconPath);
        return false;
    }
    m_iconFamily = families.first();
    m_iconRaw = QRawFont(iconPath, 24);

    const QStringList installed = QFontDatabase::families();
    for (const QLatin1StringView family : kHangulFamilies) {
        if (installed.contains(family)) {
            m_textFamily = family;
            break;
        }
    }
    if (m_textFamily.isEmpty()) {
        *error = QStringLiteral("no Hangul font found (package fonts-noto-cjk)");
        return false;
    }
    return true;
}

QFont ArtPainter::IconFont(int pixelSize) const
{
    QFont font(m_iconFamily);
    font.setPixelSize(pixelSize);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

QFont ArtPainter::TextFont(int pixelSize, int weight) const
{
    QFont font(m_textFamily);
    font.setPixelSize(pixelSize);
    font.setWeight(static_cast<QFont::Weight>(weight));
    font.setHintingPreference(QFont::PreferVerticalHinting);
    return font;
}

bool ArtPainter::HasGlyph(char16_t codepoint) const
{
    return m_iconRaw.isValid() && m_iconRaw.supportsCharacter(QChar(codepoint));
}

QImage ArtPainter::Canvas(int width, int height, const QColor &background)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(background);
    return image;
}

void ArtPainter::BeginAntialiased(QPainter &painter)
{
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
}

void ArtPainter::DrawIcon(
    QPainter &painter, const QRectF &box, char16_t codepoint, int pixelSize, const QColor &colour) const
{
    if (!HasGlyph(codepoint))
        m_missing.insert(codepoint);
    painter.save();
    painter.setFont(IconFont(pixelSize));
    painter.setPen(colour);
    painter.drawText(box, Qt::AlignCenter, QString(QChar(codepoint)));
    painter.restore();
}

void ArtPainter::DrawText(QPainter &painter, const QRectF &box, const QString &text, int pixelSize,
    const QColor &colour, int flags, int weight) const
{
    painter.save();
    painter.setFont(TextFont(pixelSize, weight));
    painter.setPen(colour);
    const QString shown = this->Text(text);
    if (QFontMetricsF(painter.font()).horizontalAdvance(shown) > box.width() + 0.5)
        m_overflowing.insert(shown);
    painter.drawText(box, flags | Qt::TextSingleLine, shown);
    painter.restore();
}

QString ArtPainter::Text(const QString &korean) const
{
    if (!m_english || !ContainsHangul(korean))
        return korean;
    const QString english = m_english->Find(korean);
    if (english.isNull()) {
        m_missingTexts.insert(korean);
        return korean;
    }
    return english;
}

void ArtPainter::FillRounded(QPainter &painter, const QRectF &box, qreal radius, const QColor &fill)
{
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(box, radius, radius);
    painter.restore();
}

void ArtPainter::StrokeRounded(
    QPainter &painter, const QRectF &box, qreal radius, const QColor &pen, qreal width)
{
    painter.save();
    painter.setPen(QPen(pen, width));
    painter.setBrush(Qt::NoBrush);
    const qreal inset = width / 2.0;
    painter.drawRoundedRect(box.adjusted(inset, inset, -inset, -inset), radius, radius);
    painter.restore();
}

QImage ArtPainter::Keyed(const QImage &argb, const QColor &under)
{
    const QImage source = argb.convertToFormat(QImage::Format_ARGB32);
    QImage out(source.size(), QImage::Format_RGB32);
    const QRgb keyColour = colour::key.rgb();
    for (int y = 0; y < source.height(); ++y) {
        const QRgb *in = reinterpret_cast<const QRgb *>(source.constScanLine(y));
        QRgb *dst = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < source.width(); ++x) {
            const int alpha = qAlpha(in[x]);
            // Half-covered edge pixels are kept and laid on `under`, so the shape stays round
            // without a pink fringe.
            if (alpha < 110) {
                dst[x] = keyColour;
                continue;
            }
            const auto mix
                = [alpha](int top, int bottom) { return (top * alpha + bottom * (255 - alpha)) / 255; };
            dst[x] = qRgb(mix(qRed(in[x]), under.red()), mix(qGreen(in[x]), under.green()),
                mix(qBlue(in[x]), under.blue()));
        }
    }
    return out;
}

} // namespace skinart
