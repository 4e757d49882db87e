#include "media/export/TripSpan.h"

#include "library/RecordingLibrary.h"
#include "library/TripModel.h"

#include <QDir>
#include <QFileInfo>
#include <QTimeZone>

#include <algorithm>

namespace media {

namespace {

    QString TripText(const library::Trip &trip)
    {
        return QStringLiteral("%1 from %2 to %3")
            .arg(trip.kind == library::TripKind::Drive ? QStringLiteral("the drive")
                                                       : QStringLiteral("the parking session"),
                library::Trip::TimeText(trip.start), library::Trip::TimeText(trip.end));
    }

    bool Fail(QString *error, const QString &text)
    {
        *error = text;
        return false;
    }

} // namespace

QDateTime TripSpan::ParseTime(const QString &text)
{
    QDateTime time = QDateTime::fromString(text.trimmed(), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!time.isValid())
        return {};
    // Read as a wall clock and kept as UTC, so that no zone's rule (a summer time's missing hour)
    // bends it.
    time.setTimeZone(QTimeZone::utc());
    return time;
}

bool TripSpan::PiecesOf(const library::Trip &trip, int64_t fromTripMs, int64_t toTripMs,
    std::vector<ClipPiece> *pieces, QString *error)
{
    pieces->clear();
    const auto at = [&trip](int64_t tripMs) { return library::Trip::TimeText(trip.start.addMSecs(tripMs)); };
    if (toTripMs <= fromTripMs)
        return Fail(error,
            QStringLiteral("the span from %1 to %2 is empty or reversed").arg(at(fromTripMs), at(toTripMs)));
    if (fromTripMs < 0 || toTripMs > trip.DurationMs())
        return Fail(error,
            QStringLiteral("the span from %1 to %2 runs outside %3")
                .arg(at(fromTripMs), at(toTripMs), TripText(trip)));
    int64_t gapMs = 0;
    for (const library::TripSegment &segment : trip.timeline) {
        const int64_t from = std::max(fromTripMs, segment.tripMs);
        const int64_t to = std::min(toTripMs, segment.tripMs + segment.lengthMs);
        if (to <= from)
            continue;
        if (segment.IsGap()) {
            gapMs += to - from;
            continue;
        }
        const library::TripRecording &recording = trip.recordings[size_t(segment.recording)];
        ClipPiece piece;
        piece.frontPath = recording.path;
        piece.rearPath = recording.rearPath;
        piece.fromMs = segment.recordingMs + (from - segment.tripMs);
        piece.toMs = segment.recordingMs + (to - segment.tripMs);
        piece.gapBeforeMs = pieces->empty() ? 0 : gapMs;
        gapMs = 0;
        pieces->push_back(piece);
    }
    if (pieces->empty())
        return Fail(error,
            QStringLiteral("nothing was recorded from %1 to %2: the span lies in a gap of %3")
                .arg(at(fromTripMs), at(toTripMs), TripText(trip)));
    return true;
}

bool TripSpan::PiecesIn(const QString &folder, const QString &start, const QString &end,
    std::vector<ClipPiece> *pieces, QString *error)
{
    pieces->clear();
    const QDateTime from = ParseTime(start);
    const QDateTime to = ParseTime(end);
    for (const auto &[time, text] : { std::pair { from, start }, std::pair { to, end } }) {
        if (!time.isValid())
            return Fail(error,
                QStringLiteral("'%1' is not a recorder time of the form YYYY-MM-DD hh:mm:ss").arg(text));
    }
    if (to <= from)
        return Fail(error, QStringLiteral("the end %1 is not after the start %2").arg(end, start));
    if (!QFileInfo(folder).isDir())
        return Fail(error, QStringLiteral("%1 is not a folder").arg(QDir::toNativeSeparators(folder)));

    library::TripModel model;
    model.Build(library::ListRecordings(QDir(folder).absolutePath(), library::VideoExtensions()));
    const std::vector<library::Trip> &trips = model.Trips();
    if (trips.empty())
        return Fail(error,
            QStringLiteral("%1 holds no recordings named by the recorder")
                .arg(QDir::toNativeSeparators(folder)));

    // The trip recorded at the start; a drive before a parking session recorded meanwhile.
    const library::Trip *trip = nullptr;
    for (const library::Trip &each : trips) {
        if (each.start <= from && from < each.end && (!trip || trip->kind != library::TripKind::Drive))
            trip = &each;
    }
    if (!trip) {
        const library::Trip *before = nullptr;
        const library::Trip *after = nullptr;
        for (const library::Trip &each : trips) {
            if (each.end <= from && (!before || before->end < each.end))
                before = &each;
            if (each.start > from && (!after || each.start < after->start))
                after = &each;
        }
        QStringList near;
        for (const library::Trip *each : { before, after }) {
            if (each)
                near << TripText(*each);
        }
        return Fail(error,
            QStringLiteral("nothing was recorded at %1, the span's start; the nearest: %2")
                .arg(start, near.join(QStringLiteral(" and "))));
    }
    if (to > trip->end) {
        const auto later = std::find_if(trips.begin(), trips.end(), [&](const library::Trip &each) {
            return &each != trip && each.start < to && each.start >= trip->end;
        });
        if (later != trips.end())
            return Fail(error,
                QStringLiteral("the span from %1 to %2 covers two trips, %3 and %4; export each apart")
                    .arg(start, end, TripText(*trip), TripText(*later)));
        return Fail(error,
            QStringLiteral("the span from %1 to %2 runs past the end of %3")
                .arg(start, end, TripText(*trip)));
    }
    const int64_t origin = trip->start.toMSecsSinceEpoch();
    return PiecesOf(*trip, from.toMSecsSinceEpoch() - origin, to.toMSecsSinceEpoch() - origin, pieces, error);
}

} // namespace media
