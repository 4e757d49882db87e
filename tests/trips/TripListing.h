#pragma once

#include "library/RecordingLibrary.h"

#include <QDateTime>
#include <QString>
#include <QTimeZone>

namespace tripstest {

// 2024-03-07 09:00:00 on the recorder's clock: the listings of the suite count seconds from here.
inline QDateTime Base()
{
    return QDateTime(QDate(2024, 3, 7), QTime(9, 0, 0), QTimeZone::utc());
}

// The recorder's name of a recording that started `offsetS` seconds after Base().
inline QString NameAt(int64_t offsetS, char channel, char kind)
{
    return Base().addSecs(offsetS).toString(QStringLiteral("yyyyMMdd_HHmmss_")) + QLatin1Char(channel)
        + QLatin1Char(kind) + QStringLiteral(".AVI");
}

// A listed file as the listing gives it.
inline library::Recording Listed(const QString &path, int lengthSeconds)
{
    library::Recording recording;
    recording.path = path;
    recording.lengthSeconds = lengthSeconds;
    return recording;
}

// A listed recording of the given folder on a card at /card.
inline library::Recording At(
    const char *folder, int64_t offsetS, int lengthSeconds, char kind = 'N', char channel = 'F')
{
    return Listed(QStringLiteral("/card/%1/%2").arg(QLatin1String(folder), NameAt(offsetS, channel, kind)),
        lengthSeconds);
}

} // namespace tripstest
