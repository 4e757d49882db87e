#pragma once

#include "library/Trip.h"
#include "media/export/ClipExportOptions.h"

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <vector>

namespace media {

// A span of a trip as the pieces of a clip: the part of each recording that the trip's timeline
// plays in it, in play order, the rear file with each, and the gaps stepped over (see
// docs/trips.md for the timeline). It lives with the export rather than in the library because it
// makes the export's pieces; it reads only names and listed lengths, so it is quick enough for the
// UI thread.
class TripSpan
{
public:
    // The pieces that play the trip from fromTripMs to toTripMs (ms from its start, as its timeline
    // counts). False with the reason when the span is empty or reversed, lies outside the trip, or
    // holds nothing but a gap. A gap at either end of the span is left out, one inside it is told
    // by the next piece's gapBeforeMs.
    static bool PiecesOf(const library::Trip &trip, int64_t fromTripMs, int64_t toTripMs,
        std::vector<ClipPiece> *pieces, QString *error);

    // The pieces of a folder's or card's recordings (looked for in it and below it) between two
    // recorder times ("YYYY-MM-DD hh:mm:ss", the time the recorder's names and stamp show). False
    // with the reason when a time cannot be read, the end is not after the start, or the span does
    // not lie within one drive or parking session.
    static bool PiecesIn(const QString &folder, const QString &start, const QString &end,
        std::vector<ClipPiece> *pieces, QString *error);

    // A recorder time "YYYY-MM-DD hh:mm:ss", held as UTC as the trips hold the names' times;
    // invalid when the text is not one.
    static QDateTime ParseTime(const QString &text);
};

} // namespace media
