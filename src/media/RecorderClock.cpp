#include "media/RecorderClock.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QTimeZone>

#include <algorithm>
#include <cmath>

namespace media {

namespace {

    constexpr int kQuarterHourS = 15 * 60;
    // Real zones lie between -12:00 and +14:00.
    constexpr int kWidestOffsetS = 14 * 3600;
    const QString kFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

} // namespace

RecorderClock::RecorderClock(const QString &recordingPath, const std::vector<CGps> &fixes)
    : m_nameTime(NameTime(recordingPath))
{
    for (const CGps &fix : fixes) {
        if (fix.IsValid() && fix.month >= 1 && fix.month <= 12 && fix.day >= 1)
            m_fixes.push_back(fix);
    }
    std::stable_sort(
        m_fixes.begin(), m_fixes.end(), [](const CGps &a, const CGps &b) { return a.timeMs < b.timeMs; });
    if (m_fixes.empty() || !m_nameTime.isValid())
        return;
    // Each fix tells the offset once; the median holds against a fix or two with a wrong time.
    std::vector<int64_t> offsets;
    const int64_t nameMs = m_nameTime.toMSecsSinceEpoch();
    for (const CGps &fix : m_fixes)
        offsets.push_back(nameMs + int64_t(fix.timeMs) - fix.GetFixTime() * 1000);
    std::nth_element(offsets.begin(), offsets.begin() + offsets.size() / 2, offsets.end());
    const int64_t medianMs = offsets[offsets.size() / 2];
    const int rounded = int(std::lround(medianMs / 1000.0 / kQuarterHourS)) * kQuarterHourS;
    if (std::abs(rounded) <= kWidestOffsetS) {
        m_offsetS = rounded;
        m_driftMs = medianMs - int64_t(rounded) * 1000;
    }
}

QDateTime RecorderClock::NameTime(const QString &path)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{8}_\\d{6})"));
    const QRegularExpressionMatch match = pattern.match(QFileInfo(path).fileName());
    if (!match.hasMatch())
        return {};
    // Read as a wall clock: the same digits, free of the desktop's daylight saving gaps.
    const QDate date = QDate::fromString(match.captured(1).left(8), QStringLiteral("yyyyMMdd"));
    const QTime time = QTime::fromString(match.captured(1).mid(9), QStringLiteral("HHmmss"));
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time, QTimeZone::utc());
}

const CGps *RecorderClock::FixAt(int64_t timeMs) const
{
    if (m_fixes.empty())
        return nullptr;
    auto next = std::upper_bound(m_fixes.begin(), m_fixes.end(), timeMs,
        [](int64_t t, const CGps &fix) { return t < int64_t(fix.timeMs); });
    return next == m_fixes.begin() ? &m_fixes.front() : &*std::prev(next);
}

QString RecorderClock::TextAt(int64_t timeMs) const
{
    // The recorder's own clock, as its stamp in the same picture reads, placed by the GPS.
    if (m_offsetS)
        return m_nameTime.addMSecs(timeMs).toString(kFormat) + QLatin1Char(' ') + OffsetText(*m_offsetS);
    // A clock that was never set: the GPS tells the true time, in UTC.
    if (const CGps *fix = FixAt(timeMs)) {
        const int64_t utcMs = fix->GetFixTime() * 1000 + (timeMs - int64_t(fix->timeMs));
        return QDateTime::fromMSecsSinceEpoch(utcMs, QTimeZone::utc()).toString(kFormat)
            + QStringLiteral(" +00:00");
    }
    if (m_nameTime.isValid())
        return m_nameTime.addMSecs(timeMs).toString(kFormat) + QStringLiteral(" (recorder clock)");
    return {};
}

QString RecorderClock::OffsetText(int seconds)
{
    // Widened first: the offset of a damaged archive's summary may be INT_MIN, which has no int abs.
    const int64_t minutes = std::abs(int64_t(seconds)) / 60;
    return QStringLiteral("%1%2:%3")
        .arg(seconds < 0 ? QLatin1Char('-') : QLatin1Char('+'))
        .arg(minutes / 60, 2, 10, QLatin1Char('0'))
        .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString RecorderClock::RuleText() const
{
    if (m_offsetS)
        return QStringLiteral(
            "the recorder's clock (its file name's time and the time into the recording, as "
            "its stamp shows), UTC%1 found from the recording's GPS time against the file "
            "name's time, rounded to 15 minutes; the recorder's clock ran %2 s from GPS time")
            .arg(OffsetText(*m_offsetS), QString::asprintf("%+.0f", double(m_driftMs) / 1000.0));
    if (!m_fixes.empty())
        return QStringLiteral("GPS time in UTC: the file name gives no recorder time within 14 hours of it");
    if (m_nameTime.isValid())
        return QStringLiteral("no GPS fix: the recorder's clock, from the file name's time");
    return QStringLiteral("no GPS fix and no time in the file name: no time shown");
}

} // namespace media
