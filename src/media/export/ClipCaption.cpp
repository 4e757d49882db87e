#include "media/export/ClipCaption.h"

#include "skin/fonts/FontFamilies.h"

#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace media {

namespace {

    // A fix older than this no longer tells where the car is or how fast it goes.
    constexpr int64_t kFixStaleMs = 2500;
    constexpr double kMilesPerKilometre = 0.621371;

    QString Coordinate(float stored, char positive, char negative)
    {
        const double degrees = CoordinateToDegrees(stored);
        return QString::number(std::abs(degrees), 'f', 5) + QLatin1Char(' ')
            + QLatin1Char(degrees < 0 ? negative : positive);
    }

    // The text's pixel height: about a twenty-second of the picture's height, so that it stays
    // readable when a 1080p clip fills a phone's width; narrow pictures are limited by the width
    // so that a whole line fits.
    int TextHeight(int pictureWidth, int pictureHeight)
    {
        return std::max(10, std::min(pictureHeight / 22, pictureWidth / 34));
    }

} // namespace

ClipCaption::ClipCaption(const QString &frontPath, const std::vector<CGps> &fixes, ExportSpeedUnit unit)
    : m_clock(frontPath, fixes)
    , m_source(QFileInfo(frontPath).fileName())
    , m_unit(unit)
{
}

ClipCaption::Texts ClipCaption::At(int64_t timeMs) const
{
    const QString unitText = m_unit == ExportSpeedUnit::Mph ? QStringLiteral("mph") : QStringLiteral("km/h");
    Texts texts;
    texts.speed = QStringLiteral("-- ") + unitText;
    texts.source = m_source;
    texts.when = m_clock.TextAt(timeMs);
    const CGps *fix = m_clock.FixAt(timeMs);
    if (fix && std::abs(timeMs - int64_t(fix->timeMs)) <= kFixStaleMs) {
        const double speed = m_unit == ExportSpeedUnit::Mph ? fix->speed * kMilesPerKilometre : fix->speed;
        texts.speed = QString::number(std::lround(speed)) + QLatin1Char(' ') + unitText;
        texts.position = Coordinate(fix->latitude, 'N', 'S') + QStringLiteral("  ")
            + Coordinate(fix->longitude, 'E', 'W');
    }
    return texts;
}

int ClipCaption::BandHeight(int pictureWidth, int pictureHeight)
{
    // Two lines with half a line of air around and between them.
    return (TextHeight(pictureWidth, pictureHeight) * 36 / 10 + 1) & ~1;
}

QImage ClipCaption::Render(const Texts &texts, int pictureWidth, int pictureHeight)
{
    const int height = BandHeight(pictureWidth, pictureHeight);
    QImage band(pictureWidth, height, QImage::Format_RGBA8888);
    band.fill(QColor(16, 16, 16));
    QPainter painter(&band);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QFont font(skin::fonts::kLatin);
    font.setStyleHint(QFont::SansSerif);
    font.setBold(true);
    const int text = TextHeight(pictureWidth, pictureHeight);
    font.setPixelSize(text);
    painter.setFont(font);
    painter.setPen(Qt::white);
    const int margin = text / 2;
    const int line = height / 2;
    const QRect first(margin, 0, pictureWidth - 2 * margin, line);
    const QRect second(margin, line, pictureWidth - 2 * margin, height - line);
    painter.drawText(first, Qt::AlignLeft | Qt::AlignVCenter, texts.when);
    painter.drawText(first, Qt::AlignRight | Qt::AlignVCenter, texts.speed);
    painter.drawText(second, Qt::AlignLeft | Qt::AlignVCenter, texts.position);
    // The name is the least important: it gives way to the position on a narrow picture.
    QFont small = font;
    small.setBold(false);
    small.setPixelSize(std::max(8, text * 8 / 10));
    painter.setFont(small);
    painter.setPen(QColor(200, 200, 200));
    const int taken = QFontMetrics(font).horizontalAdvance(texts.position) + 2 * margin;
    const QRect name(
        second.left() + taken, second.top(), std::max(0, second.width() - taken), second.height());
    painter.drawText(name, Qt::AlignRight | Qt::AlignVCenter,
        QFontMetrics(small).elidedText(texts.source, Qt::ElideLeft, name.width()));
    painter.end();
    return band;
}

} // namespace media
