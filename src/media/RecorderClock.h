#pragma once

#include "media/CGps.h"

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace media {

// The recorder's own clock, which is the user's time: its file names and the stamp it burns into
// the picture are its local time, while GPS times are UTC. Everything this program shows or
// exports as a time of day is in the recorder's time with its UTC offset written out, so that it
// agrees with the stamp in the picture; the offset is found from a recording's GPS times against
// the time in its file name, rounded to the quarter hour that time zones use. The desktop's own
// zone never enters.
class RecorderClock
{
public:
    // The recording's start in its file name ("yyyyMMdd_HHmmss" at the start of the name) and
    // its GPS fixes (invalid ones are passed over).
    RecorderClock(const QString &recordingPath, const std::vector<CGps> &fixes);

    // The start of a recording's name as the recorder's clock read it, held as UTC so
    // that no zone rule bends it; invalid without one.
    static QDateTime NameTime(const QString &path);

    // The recorder's offset from UTC in seconds, when the recording has a fix and a name time
    // within 14 hours of it (farther means the recorder's clock was not set, and no offset holds).
    std::optional<int> UtcOffsetSeconds() const { return m_offsetS; }
    bool HasFix() const { return !m_fixes.empty(); }

    // The fix that tells the time at a moment: the last one not after it, or the first one.
    const CGps *FixAt(int64_t timeMs) const;

    // How far the recorder's clock ran from GPS time once its zone is taken away (positive: ahead),
    // when an offset was found.
    int64_t ClockDriftMs() const { return m_driftMs; }

    // The time at a moment of the recording (ms from its start), as a caption shows it:
    //   "2024-03-07 08:53:17 +09:00"            the recorder's clock, its offset found by the GPS;
    //   "2024-03-06 23:53:17 +00:00"            the GPS time where no offset could be found;
    //   "2024-03-07 08:53:17 (recorder clock)"  the recorder's clock, without a fix;
    //   empty when neither tells.
    QString TextAt(int64_t timeMs) const;

    // "+09:00", "-03:30", "+00:00".
    static QString OffsetText(int seconds);
    // One line saying which of the rules above gives this recording's times.
    QString RuleText() const;

private:
    std::vector<CGps> m_fixes; // valid fixes in time order
    QDateTime m_nameTime;
    std::optional<int> m_offsetS;
    int64_t m_driftMs = 0;
};

} // namespace media
