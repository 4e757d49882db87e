#include "ArchiveCard.h"

#include "library/RecordingSummary.h"
#include "trips/TripRecorder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

using namespace tripstest;

namespace archivetest {

namespace {

    constexpr double kMetresPerDegree = 6371008.8 * 3.14159265358979323846 / 180.0;

    media::recorder::SampleRecordingPlan DrivePlan(
        const char *folder, char kind, double driveS, int durationMs)
    {
        return ShortPlan(folder, kind, int64_t(driveS - kFirstDriveS), durationMs, driveS);
    }

    ArchiveCard Write()
    {
        static QTemporaryDir dir;
        ArchiveCard card;
        card.root = QDir(dir.path()).filePath(QStringLiteral("CARD"));
        const media::recorder::SampleDrive &drive = SuiteDrive();

        // The place the loop passes twice: a moment of the drive and the later moment nearest to it.
        card.loopFirstS = 600.5;
        const media::recorder::DriveState first = drive.At(card.loopFirstS);
        double nearest = 1e9;
        for (double t = card.loopFirstS + 120; t < drive.DurationSeconds(); t += 0.1) {
            const media::recorder::DriveState state = drive.At(t);
            const double d
                = library::HaversineMetres(first.latitude, first.longitude, state.latitude, state.longitude);
            if (d < nearest) {
                nearest = d;
                card.loopSecondS = t;
            }
        }
        EXPECT_LT(nearest, 5.0) << "the sample drive no longer loops";
        card.loopLatitude = first.latitude;
        card.loopLongitude = first.longitude;

        const media::recorder::DriveState middle = drive.At(kFirstDriveS + 1.5);
        const double across = (middle.courseDeg + 90.0) * 3.14159265358979323846 / 180.0;
        card.offLatitude = middle.latitude + 60.0 * std::cos(across) / kMetresPerDegree;
        card.offLongitude = middle.longitude
            + 60.0 * std::sin(across)
                / (kMetresPerDegree * std::cos(middle.latitude * 3.14159265358979323846 / 180.0));

        media::recorder::SampleRecordingPlan parked = DrivePlan("PARKING", 'P', 2000, 2000);
        parked.parked = true;
        parked.gpsFix = false;
        const std::pair<media::recorder::SampleRecordingPlan, bool> plans[] = {
            { DrivePlan("NORMAL", 'N', kFirstDriveS, 3000), true },
            { DrivePlan("NORMAL", 'N', kFirstDriveS + 3, 3000), false },
            { DrivePlan("EVENT", 'S', kFirstDriveS + 4, 2000), false },
            { DrivePlan("NORMAL", 'N', std::floor(card.loopFirstS) - 1, 3000), false },
            { DrivePlan("NORMAL", 'N', std::floor(card.loopSecondS) - 1, 3000), false },
            { parked, false },
        };
        for (const auto &[plan, withRear] : plans)
            card.fronts << WriteRecording(card.root, plan, withRear);
        return card;
    }

} // namespace

const ArchiveCard &SuiteCard()
{
    static const ArchiveCard card = Write();
    return card;
}

QString CopyCard(const QString &parent, const QString &name)
{
    const QString from = SuiteCard().root;
    const QString to = QDir(parent).filePath(name);
    QDirIterator files(from, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString file = files.next();
        const QString target = QDir(to).filePath(QDir(from).relativeFilePath(file));
        if (!QDir().mkpath(QFileInfo(target).absolutePath()) || !QFile::copy(file, target)) {
            ADD_FAILURE() << "cannot copy " << qPrintable(file);
            return {};
        }
    }
    return to;
}

int64_t RecorderMsAtDrive(double driveS)
{
    return kRecorderStartUtcMs + 9 * 3600 * 1000LL + int64_t(std::llround((driveS - kFirstDriveS) * 1000));
}

bool RunSql(const QString &path, const QString &statement)
{
    static int connections = 0;
    const QString name = QStringLiteral("archivetest.%1").arg(++connections);
    bool done = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        done = db.open() && QSqlQuery(db).exec(statement);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return done;
}

} // namespace archivetest
