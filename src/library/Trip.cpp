#include "library/Trip.h"

#include "media/RecorderClock.h"

#include <QTimeZone>

#include <algorithm>

namespace library {

bool TripRecording::IsEvent() const
{
    return kind == QLatin1Char('S') || kind == QLatin1Char('P') || kind == QLatin1Char('M');
}

int64_t Trip::DurationMs() const
{
    if (timeline.empty())
        return 0;
    return timeline.back().tripMs + timeline.back().lengthMs;
}

std::optional<TripPosition> Trip::Locate(int64_t tripMs) const
{
    if (tripMs < 0 || tripMs >= DurationMs())
        return std::nullopt;
    // The last stretch that starts at or before the moment; zero-length ones never get there.
    const auto next = std::upper_bound(timeline.begin(), timeline.end(), tripMs,
        [](int64_t t, const TripSegment &segment) { return t < segment.tripMs; });
    if (next == timeline.begin())
        return std::nullopt;
    const TripSegment &segment = *std::prev(next);
    TripPosition position;
    position.segment = int(std::prev(next) - timeline.begin());
    position.recording = segment.recording;
    position.recordingMs = segment.recordingMs + (tripMs - segment.tripMs);
    return position;
}

QString Trip::TimeText(const QDateTime &time)
{
    return time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QDateTime Trip::ParseTimeText(const QString &text)
{
    for (const char *format : { "yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd HH:mm" }) {
        const QDateTime time = QDateTime::fromString(text.trimmed(), QLatin1String(format));
        if (time.isValid())
            return QDateTime(time.date(), time.time(), QTimeZone::utc());
    }
    return {};
}

QString Trip::StartText() const
{
    if (!utcOffsetSeconds)
        return TimeText(start);
    return TimeText(start) + QLatin1Char(' ') + media::RecorderClock::OffsetText(*utcOffsetSeconds);
}

QString Trip::EndText() const
{
    if (!utcOffsetSeconds)
        return TimeText(end);
    return TimeText(end) + QLatin1Char(' ') + media::RecorderClock::OffsetText(*utcOffsetSeconds);
}

} // namespace library
