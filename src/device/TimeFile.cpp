#include "device/TimeFile.h"

#include <QRegularExpression>

namespace device {

std::optional<QByteArray> TimeFileText(int year, int month, int day, int hour, int minute, int second)
{
    if (year < 0 || year > 9999 || !QDate::isValid(year, month, day) || !QTime::isValid(hour, minute, second))
        return std::nullopt;
    return QString::asprintf("%04d.%02d.%02d-%02d:%02d:%02d", year, month, day, hour, minute, second)
        .toLatin1();
}

std::optional<QByteArray> TimeFileText(const QDateTime &time)
{
    if (!time.isValid())
        return std::nullopt;
    const QDate date = time.date();
    const QTime clock = time.time();
    return TimeFileText(date.year(), date.month(), date.day(), clock.hour(), clock.minute(), clock.second());
}

std::optional<QDateTime> ParseTimeFileText(const QString &text)
{
    static const QRegularExpression pattern(QRegularExpression::anchoredPattern(
        QStringLiteral("(\\d{4})\\.(\\d{2})\\.(\\d{2})-(\\d{2}):(\\d{2}):(\\d{2})")));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    int v[6];
    for (int i = 0; i < 6; ++i)
        v[i] = match.captured(i + 1).toInt();
    const QDate date(v[0], v[1], v[2]);
    const QTime clock(v[3], v[4], v[5]);
    if (!date.isValid() || !clock.isValid())
        return std::nullopt;
    return QDateTime(date, clock);
}

} // namespace device
