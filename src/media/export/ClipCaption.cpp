#include "media/export/ClipCaption.h"

#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QRegularExpression>
#include <QTimeZone>

#include <algorithm>
#include <cmath>

namespace media {

namespace {

    // A fix older than this no longer tells where the car is or how fast it goes.
    constexpr int64_t kFixStaleMs = 2500;
    constexpr double kMilesPerKilometre = 0.621371;

    QString coordinate(float stored, char positive, char negative)
    {
        const double degrees = CoordinateToDegrees(stored);
        return QString::number(std::abs(degrees), 'f', 5) + QLatin1Char(' ')
            + QLatin1Char(degrees < 0 ? negative : positive);
    }

} // namespace

ClipCaption::ClipCaption(const QString &frontPath, std::vector<CGps> fixes, ExportSpeedUnit unit)
    : m_nameTime(nameTime(frontPath))
    , m_unit(unit)
{
    for (CGps &fix : fixes) {
        if (fix.IsValid() && fix.month >= 1 && fix.month <= 12 && fix.day >= 1)
            m_fixes.push_back(std::move(fix));
    }
    std::stable_sort(
        m_fixes.begin(), m_fixes.end(), [](const CGps &a, const CGps &b) { return a.timeMs < b.timeMs; });
}

QDateTime ClipCaption::nameTime(const QString &path)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{8}_\\d{6})"));
    const QRegularExpressionMatch match = pattern.match(QFileInfo(path).fileName());
    if (!match.hasMatch())
        return {};
    return QDateTime::fromString(match.captured(1), QStringLiteral("yyyyMMdd_HHmmss"));
}

ClipCaption::Texts ClipCaption::at(int64_t timeMs) const
{
    const QString unitText = m_unit == ExportSpeedUnit::Mph ? QStringLiteral("mph") : QStringLiteral("km/h");
    Texts texts;
    texts.speed = QStringLiteral("-- ") + unitText;
    const QString format = QStringLiteral("yyyy-MM-dd HH:mm:ss");
    if (m_fixes.empty()) {
        if (m_nameTime.isValid())
            texts.when = m_nameTime.addMSecs(timeMs).toString(format);
        return texts;
    }
    // The last fix not after the moment (the first one before the track begins).
    auto next = std::upper_bound(m_fixes.begin(), m_fixes.end(), timeMs,
        [](int64_t t, const CGps &fix) { return t < int64_t(fix.timeMs); });
    const CGps &fix = next == m_fixes.begin() ? m_fixes.front() : *std::prev(next);
    const int64_t utcMs = fix.GetFixTime() * 1000 + (timeMs - int64_t(fix.timeMs));
    texts.when = QDateTime::fromMSecsSinceEpoch(utcMs, QTimeZone::systemTimeZone()).toString(format);
    if (std::abs(timeMs - int64_t(fix.timeMs)) <= kFixStaleMs) {
        const double speed = m_unit == ExportSpeedUnit::Mph ? fix.speed * kMilesPerKilometre : fix.speed;
        texts.speed = QString::number(std::lround(speed)) + QLatin1Char(' ') + unitText;
        texts.position
            = coordinate(fix.latitude, 'N', 'S') + QStringLiteral("  ") + coordinate(fix.longitude, 'E', 'W');
    }
    return texts;
}

int ClipCaption::bandHeight(int pictureWidth, int pictureHeight)
{
    // A twentieth of the height keeps the text readable when a 1080p clip fills a phone's width;
    // narrow pictures are limited by the width so that the whole line fits.
    const int text = std::max(10, std::min(pictureHeight / 20, pictureWidth / 36));
    return (text * 16 / 10 + 1) & ~1;
}

QImage ClipCaption::render(const Texts &texts, int pictureWidth, int pictureHeight)
{
    const int height = bandHeight(pictureWidth, pictureHeight);
    QImage band(pictureWidth, height, QImage::Format_RGBA8888);
    band.fill(QColor(0, 0, 0, 150));
    QPainter painter(&band);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setBold(true);
    font.setPixelSize(height * 10 / 16);
    painter.setFont(font);
    painter.setPen(Qt::white);
    const int margin = height / 3;
    const QRect area(margin, 0, pictureWidth - 2 * margin, height);
    painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter, texts.when);
    painter.drawText(area, Qt::AlignRight | Qt::AlignVCenter, texts.position);
    // The speed sits between the other two, where neither reaches.
    const QFontMetrics metrics(font);
    const int left = margin + metrics.horizontalAdvance(texts.when);
    const int right = pictureWidth - margin - metrics.horizontalAdvance(texts.position);
    painter.drawText(QRect(left, 0, std::max(0, right - left), height), Qt::AlignCenter, texts.speed);
    painter.end();
    return band;
}

} // namespace media
