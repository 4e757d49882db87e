#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

namespace archivetest {

// A small card of the trips suite's recorder, written once for the suite: a drive of two
// three-second recordings with an event recording in the second (the first with its rear file),
// two short drives later on where the simulated car passes the same place twice, and a parked
// recording without a GPS fix. Recorder times are the drive's seconds: a recording cut from
// second s of the drive starts s - kFirstDriveS seconds after tripstest::kRecorderStartUtcMs.
struct ArchiveCard {
    QString root;
    QStringList fronts; // in the order above
    double loopFirstS = 0; // drive seconds at which the car passes `loopPoint`
    double loopSecondS = 0;
    double loopLatitude = 0;
    double loopLongitude = 0;
    double offLatitude = 0; // 60 m beside the road, at the middle of the first recording
    double offLongitude = 0;
};

constexpr double kFirstDriveS = 120;

// The suite's card (written on first use).
const ArchiveCard &SuiteCard();

// A copy of the card's folder below `parent`, named `name`; its path, or empty after a test failure.
QString CopyCard(const QString &parent, const QString &name);

// The recorder's clock at a second of the drive, as the archive holds it (local time as UTC).
int64_t RecorderMsAtDrive(double driveS);

// Runs one SQL statement on a database file through a connection of its own, as another program
// would; false when the file cannot be opened or the statement fails.
bool RunSql(const QString &path, const QString &statement);

} // namespace archivetest
