#pragma once

#include "media/CGps.h"
#include "media/RecorderClock.h"

#include <QImage>
#include <QString>

#include <cstdint>
#include <vector>

namespace media {

enum class ExportSpeedUnit { Kmh = 0, Mph = 1 };

// The caption of an exported clip: the date and time, the speed and the position at a moment of
// the recording, and the recording's name. The time is the recorder's, as its own stamp in the
// picture shows it, with the UTC offset written out (see RecorderClock).
class ClipCaption
{
public:
    ClipCaption(const QString &frontPath, const std::vector<CGps> &fixes, ExportSpeedUnit unit);

    // The texts at a time of the recording, in milliseconds from its start.
    struct Texts {
        QString when; // "2024-03-07 18:05:30 +09:00"; empty when neither a fix nor the name tells
        QString speed; // "45 km/h", "-- km/h" without a fix
        QString position; // "37.56650 N  126.97800 E", empty without a fix
        QString source; // the recording's file name
        bool operator==(const Texts &) const = default;
    };
    Texts At(int64_t timeMs) const;
    const RecorderClock &Clock() const { return m_clock; }

    // The band added below the picture (it never covers the recording's own pixels): white text on
    // a dark strip in two lines, sized for a phone screen. RGBA, not premultiplied.
    static QImage Render(const Texts &texts, int pictureWidth, int pictureHeight);
    static int BandHeight(int pictureWidth, int pictureHeight);

private:
    RecorderClock m_clock;
    QString m_source;
    ExportSpeedUnit m_unit;
};

} // namespace media
