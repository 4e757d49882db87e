#include "media/recorder/SampleRecordingPlan.h"

#include <QDateTime>
#include <QTimeZone>

namespace media::recorder {

QString SampleRecordingPlan::FileName(char channel) const
{
    const QDateTime local
        = QDateTime::fromMSecsSinceEpoch(startUtcMs + int64_t(utcOffsetMinutes) * 60000, QTimeZone::utc());
    return local.toString(QStringLiteral("yyyyMMdd_HHmmss_")) + QLatin1Char(channel) + QLatin1Char(kind)
        + QStringLiteral(".AVI");
}

} // namespace media::recorder
