// Arbitrary bytes as the archive's SQLite file, as another version of the program or a damaged
// disk may leave it: the open (which may move the file aside and start afresh) and every query
// the archive window and `tavin-cli find` make. The trips rebuilt from its rows are checked
// like the listing's (FuzzTrips.h).

#include "FuzzFile.h"
#include "FuzzTrips.h"
#include "archive/ArchiveIndex.h"

#include <QCoreApplication>
#include <QTimeZone>

#include <cmath>

namespace {

void RemoveAll(const QString &folder)
{
    QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden))
        dir.remove(name);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_archive_db";
    static char *argv[] = { name, nullptr };
    static QCoreApplication *app = new QCoreApplication(argc, argv);
    (void)app;
    static const QString folder = [] {
        const QString path = fuzz::ScratchFolder() + QStringLiteral("/archive");
        QDir().mkpath(path);
        return path;
    }();
    RemoveAll(folder);
    const QString path = fuzz::WriteInput(data, size, QStringLiteral("archive/archive.sqlite"));
    if (path.isEmpty())
        return 0;
    {
        archive::ArchiveIndex index;
        QString note;
        if (!index.Open(path, &note)) {
            fuzz::Require(!note.isEmpty());
            RemoveAll(folder);
            return 0;
        }
        // What `tavin-cli find` and the archive window do first.
        index.UpdateOnline();
        const std::vector<archive::ArchiveSource> sources = index.Sources();
        for (const archive::ArchiveSource &source : sources)
            index.SourceIdOf(source.root);
        std::vector<QDate> days = index.DaysWithDrives();
        days.push_back(QDate(2024, 3, 7));
        for (size_t i = 0; i < days.size() && i < 4; ++i) {
            for (const archive::ArchivedTrip &archived : index.TripsOn(days[i])) {
                fuzz::CheckTrip(archived.trip);
                archived.trip.StartText();
                for (int step = 0; step <= 8; ++step)
                    fuzz::CheckLocate(archived.trip, archived.trip.DurationMs() / 8 * step);
            }
            const QDateTime start(days[i], QTime(0, 0), QTimeZone::utc());
            index.PassesBetween(start, start.addDays(1));
        }
        // The whole world, then the places its tracks go through.
        const std::vector<archive::TrackLine> lines = index.Tracks(QRectF(-180, -90, 360, 180), 5);
        index.PassesNear(37.5665, 126.978, 500);
        int asked = 0;
        for (const archive::TrackLine &line : lines) {
            for (size_t p = 0; p < line.points.size() && asked < 8; p += 7, ++asked) {
                const QPointF &point = line.points[p];
                if (std::isfinite(point.x()) && std::isfinite(point.y()))
                    index.PassesNear(point.y(), point.x(), 100);
            }
        }
        // `tavin-cli archive remove` of a source, and of one that is not there.
        if (!sources.empty())
            index.RemoveSource(sources.back().id);
        index.RemoveSource(-1);
    }
    RemoveAll(folder);
    return 0;
}
