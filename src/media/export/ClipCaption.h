#pragma once

#include "media/Gps.h"

#include <QDateTime>
#include <QImage>
#include <QString>

#include <cstdint>
#include <vector>

namespace media {

enum class ExportSpeedUnit { Kmh = 0, Mph = 1 };

// The line burnt into the bottom of an exported clip: the date and time, the speed and the
// position at a moment of the recording. The clock comes from the GPS fix (UTC, shown in the
// desktop's time zone); without a fix it runs from the time in the file name, which the recorder
// writes in its own local time.
class ClipCaption
{
public:
    ClipCaption(const QString &frontPath, std::vector<CGps> fixes, ExportSpeedUnit unit);

    // The texts at a time of the recording, in milliseconds from its start.
    struct Texts {
        QString when; // "2024-03-07 18:05:30"; empty when neither a fix nor the name tells
        QString speed; // "45 km/h", "-- km/h" without a fix
        QString position; // "37.56650 N  126.97800 E", empty without a fix
        bool operator==(const Texts &) const = default;
    };
    Texts at(int64_t timeMs) const;

    // The band for a picture of the given size: white text on a dark translucent strip, sized for a
    // phone screen (the text is about a twentieth of the picture's height). RGBA, not premultiplied.
    static QImage render(const Texts &texts, int pictureWidth, int pictureHeight);
    static int bandHeight(int pictureWidth, int pictureHeight);

    // The local time in "yyyyMMdd_HHmmss" at the start of a recording's name; invalid without one.
    static QDateTime nameTime(const QString &path);

private:
    std::vector<CGps> m_fixes; // valid fixes in time order
    QDateTime m_nameTime;
    ExportSpeedUnit m_unit;
};

} // namespace media
